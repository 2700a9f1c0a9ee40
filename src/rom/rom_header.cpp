#include "rom/rom_header.h"

namespace romscope {

const char* CpuName(uint16_t usCpu) {
  switch (usCpu) {
    case 0x014C:
      return "x86";
    case 0x0166:
      return "R4000";
    case 0x01A2:
      return "SH3";
    case 0x01A3:
      return "SH3-DSP";
    case 0x01A4:
      return "SH3e";
    case 0x01A6:
      return "SH4";
    case 0x01C0:
      return "ARM";
    case 0x01C2:
      return "Thumb";
    case 0x01F0:
      return "PPC";
    case 0x0266:
      return "MIPS16";
    case 0x0366:
      return "MIPSFPU";
    case 0x0466:
      return "MIPSFPU16";
    default:
      return nullptr;
  }
}

}  // namespace romscope
