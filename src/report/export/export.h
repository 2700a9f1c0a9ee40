// Getting the contents out: the memory image as a flat file, as S-records or
// as Intel HEX, and the files and module sections extracted into a folder.
#pragma once

#include <cstdint>
#include <string>

#include "base/diagnostics.h"
#include "base/writer.h"
#include "host/host_services.h"

namespace romscope {

enum class ExportFormat : uint8_t { kFlat, kSrec, kIhex };

// The exit statuses of these runs: 0 when everything was written, 1 when
// the image could not be used or read, the output refused, or (extraction)
// an entry skipped.
inline constexpr int kExportDone = 0;
inline constexpr int kExportFailed = 1;

// Writes the memory image of the image at `path` to `out` in `format`; -flat
// fills the gaps with `fill`. The result is the exit status.
int ExportImage(HostServices& host, const std::string& path, ExportFormat format, uint8_t fill,
                Writer& out, Diagnostics& diag);

// Writes every file and module section of the image at `path` into the
// folder `dir`, and lists what was written or skipped (as text, or as one
// JSON document with `json`). The result is the exit status.
int ExtractImage(HostServices& host, const std::string& path, const std::string& dir, bool json,
                 Writer& out, Diagnostics& diag);

}  // namespace romscope
