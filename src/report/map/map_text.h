// Numbers as the map writes them: addresses in hexadecimal, sizes in bytes
// and in binary units. Integer arithmetic only, so every platform writes the
// same digits.
#pragma once

#include <cstdint>
#include <string>

namespace romscope {

// "0x%08X"; 2^32, the end of the address space, as "0x100000000".
std::string MapAddress(uint64_t address);
// "0x80": as few digits as the number needs.
std::string MapHex(uint64_t value);
// "0x80220000..0x80220054": from the first byte to one past the last.
std::string MapRange(uint64_t start, uint64_t end);
// "84 bytes (0x54)", "1 byte (0x1)".
std::string MapBytes(uint64_t count);
// "84 B", "64 KiB", "1.5 MiB", "190 MiB", "3.9 GiB": at most one decimal,
// rounded down.
std::string MapSize(uint64_t count);
std::string MapDecimal(uint64_t value);

}  // namespace romscope
