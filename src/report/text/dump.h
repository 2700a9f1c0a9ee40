// The hexadecimal dump of record data.
#pragma once

#include <cstddef>
#include <cstdint>

#include "base/writer.h"

namespace romscope {

// Prints the dump lines of `size` bytes whose first byte lies at `address`,
// sixteen bytes to a line. A last line of fewer bytes is filled with blanks
// to the full width; callers hand over whole lines except at a record's end.
void PrintDumpLines(Writer& out, uint32_t address, const uint8_t* data, size_t size);

}  // namespace romscope
