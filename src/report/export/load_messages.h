// Tells on standard error what loading an image for the conversions or the
// extraction found, in the catalogue's words (catalogue_export.h).
#pragma once

#include <string_view>

#include "base/diagnostics.h"
#include "export/loaded_image.h"

namespace romscope {

// The cut records, the records past 2^32 and the overlaps whose bytes
// differ, each kind a few and then counted; then that the file could not be
// read, when it could not.
void TellLoad(const LoadFacts& facts, std::string_view path, Diagnostics& diag);

// The records whose checksum does not hold, a few and then counted.
void TellChecksums(const FirstFew<FailingChecksum>& failing, Diagnostics& diag);

}  // namespace romscope
