// The module section: one line per module, or with -obj each module's
// TOCentry, e32_rom and o32_rom blocks.
#include <cstdio>

#include "base/le.h"
#include "rom/report.h"

namespace romscope {
namespace {

constexpr uint32_t kE32Size = 112;
constexpr uint32_t kO32Size = 24;

}  // namespace

void Report::PrintModules() {
  const uint32_t count = saved_.ulNumModules;
  if (count != 0 && !Read(scratch_, ModuleTableAddress(pTOC_), TableBytes(count, kTocEntrySize))) {
    out_.Put("ERROR: Couldn't locate Modules data\n");
    return;
  }
  out_.Put("\nMODULES ---------------------------------------\n");
  for (uint32_t i = 0; i < count && !Stopped(); ++i) {
    const uint8_t* entry = scratch_ + static_cast<size_t>(kTocEntrySize) * i;
    ReadName(Read32le(entry + 16));
    ConvertTime(Read64le(entry + 4));
    if (options_.printObj) {
      PrintModuleDetails(entry);
      continue;
    }
    const CalendarTime& t = calendar_;
    out_.Printf("    %2d/%02d/%04d  %02d:%02d:%02d  %10d  %s \n", t.month, t.day, t.year, t.hour,
                t.minute, t.second, static_cast<int32_t>(Read32le(entry + 12)), name_);
  }
}

void Report::PrintModuleDetails(const uint8_t* entry) {
  const uint32_t nFileSize = Read32le(entry + 12);
  const uint32_t ulE32Offset = Read32le(entry + 20);
  const uint32_t ulO32Offset = Read32le(entry + 24);
  const CalendarTime& t = calendar_;
  out_.Printf("    ==== %s ===============================\n", name_);
  out_.Printf("    TOCentry (%s) -------------------------\n", name_);
  out_.Printf("        dwFileAttributes    : 0x%X\n", Read32le(entry));
  out_.Printf("        ftTime              : %2d/%02d/%04d  %02d:%02d:%02d\n", t.month, t.day,
              t.year, t.hour, t.minute, t.second);
  out_.Printf("        nFileSize           : 0x%X (%d)\n", nFileSize,
              static_cast<int32_t>(nFileSize));
  out_.Printf("        ulE32Offset         : 0x%X\n", ulE32Offset);
  out_.Printf("        ulO32Offset         : 0x%X\n", ulO32Offset);
  out_.Printf("        ulLoadOffset        : 0x%X\n", Read32le(entry + 28));

  uint8_t e32[kE32Size];
  if (!Read(e32, ulE32Offset, sizeof e32)) {
    out_.Put("ERROR: Couldn't locate e32_rom data\n");
    return;
  }
  const uint32_t objcnt = Read16le(e32);
  out_.Printf("    e32_rom (%s) --------------------------\n", name_);
  out_.Printf("        e32_objcnt          : %d\n", static_cast<int>(objcnt));
  out_.Printf("        e32_imageflags      : 0x%X\n", static_cast<uint32_t>(Read16le(e32 + 2)));
  out_.Printf("        e32_entryrva        : 0x%X\n", Read32le(e32 + 4));
  out_.Printf("        e32_vbase           : 0x%X\n", Read32le(e32 + 8));
  out_.Printf("        e32_subsysmajor     : 0x%X\n", static_cast<uint32_t>(Read16le(e32 + 12)));
  out_.Printf("        e32_subsysminor     : 0x%X\n", static_cast<uint32_t>(Read16le(e32 + 14)));
  out_.Printf("        e32_stackmax        : 0x%X\n", Read32le(e32 + 16));
  out_.Printf("        e32_vsize           : 0x%X\n", Read32le(e32 + 20));
  out_.Printf("        e32_timestamp       : 0x%X\n", Read32le(e32 + 32));

  for (uint32_t j = 0; j < objcnt && !Stopped(); ++j) {
    // The heading stands also for a header that cannot be read.
    out_.Printf("    o32_rom[%u] (%s) ------------------------\n", j, name_);
    uint8_t o32[kO32Size];
    if (!Read(o32, ulO32Offset + kO32Size * j, sizeof o32)) {
      out_.Put("ERROR: Couldn't locate o32_rom data\n");
      continue;
    }
    out_.Printf("        o32_vsize           : 0x%X\n", Read32le(o32));
    out_.Printf("        o32_rva             : 0x%X\n", Read32le(o32 + 4));
    out_.Printf("        o32_psize           : 0x%X\n", Read32le(o32 + 8));
    out_.Printf("        o32_dataptr         : 0x%X\n", Read32le(o32 + 12));
    out_.Printf("        o32_realaddr        : 0x%X\n", Read32le(o32 + 16));
    out_.Printf("        o32_flags           : 0x%X\n", Read32le(o32 + 20));
  }
  out_.Put("\n");
}

}  // namespace romscope
