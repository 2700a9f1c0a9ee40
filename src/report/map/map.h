// -map: a picture of an image's address space, as one SVG document.
#pragma once

#include <string>

#include "base/diagnostics.h"
#include "base/writer.h"
#include "host/host_services.h"

namespace romscope {

// Draws the map of the image at `path` to `out`. The result is the exit
// status: 0, or 1 when the image cannot be opened or is no BIN file.
int DrawMap(HostServices& host, const std::string& path, Writer& out, Diagnostics& diag);

}  // namespace romscope
