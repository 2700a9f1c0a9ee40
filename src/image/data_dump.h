// The hexadecimal dump of record data, and the sum its checksum is tested
// against.
#pragma once

#include <cstddef>
#include <cstdint>

#include "base/writer.h"

namespace romscope {

// The 32-bit wrapping sum of the bytes.
uint32_t SumBytes(const uint8_t* data, size_t size);

// Prints the dump lines of `size` bytes whose first byte lies at `address`,
// sixteen bytes to a line. A last line of fewer bytes is filled with blanks
// to the full width; callers hand over whole lines except at a record's end.
void PrintDumpLines(Writer& out, uint32_t address, const uint8_t* data, size_t size);

}  // namespace romscope
