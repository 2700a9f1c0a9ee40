#include "report/map/map_text.h"

namespace romscope {
namespace {

std::string Hex(uint64_t value, int digits) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string text;
  for (int shift = 60; shift >= 0; shift -= 4) {
    const auto digit = static_cast<size_t>((value >> shift) & 15);
    if (!text.empty() || digit != 0 || shift < 4 * digits) text.push_back(kDigits[digit]);
  }
  return "0x" + text;
}

}  // namespace

std::string MapDecimal(uint64_t value) {
  std::string digits;
  do {
    digits.insert(digits.begin(), static_cast<char>('0' + value % 10));
    value /= 10;
  } while (value != 0);
  return digits;
}

std::string MapAddress(uint64_t address) {
  return Hex(address, 8);
}

std::string MapHex(uint64_t value) {
  return Hex(value, 1);
}

std::string MapRange(uint64_t start, uint64_t end) {
  return MapAddress(start) + ".." + MapAddress(end);
}

std::string MapBytes(uint64_t count) {
  return MapDecimal(count) + (count == 1 ? " byte (" : " bytes (") + Hex(count, 1) + ")";
}

std::string MapSize(uint64_t count) {
  static constexpr const char* kUnits[] = {"B", "KiB", "MiB", "GiB", "TiB"};
  size_t unit = 0;
  uint64_t scale = 1;
  while (unit + 1 < sizeof kUnits / sizeof kUnits[0] && count / scale >= 1024) {
    scale *= 1024;
    ++unit;
  }
  const uint64_t whole = count / scale;
  const uint64_t tenth = (count % scale) * 10 / scale;
  std::string text = MapDecimal(whole);
  if (unit > 0 && whole < 100 && tenth != 0) text += "." + MapDecimal(tenth);
  return text + " " + kUnits[unit];
}

}  // namespace romscope
