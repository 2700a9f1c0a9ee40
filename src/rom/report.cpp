// The frame of the report and its first section, the ROM header.
#include "rom/report.h"

namespace romscope {

const char* CpuTypeName(uint16_t usCpu) {
  switch (usCpu) {
    case 0x014C:
      return "(x86)\n";
    case 0x0166:
      return "(R4000)\n";
    case 0x01A2:
      return "(SH3)\n";
    case 0x01A3:
      return "(SH3-DSP)\n";
    case 0x01A4:
      return "(SH3e)\n";
    case 0x01A6:
      return "(SH4)\n";
    case 0x01C0:
      return "(ARM)\n";
    case 0x01C2:
      return "(Thumb)\n";
    case 0x01F0:
      return "(PPC)\n";
    case 0x0266:
      return "(MIPS16)\n";
    case 0x0366:
      return "(MIPSFPU)\n";
    case 0x0466:
      return "(MIPSFPU16)\n";
    default:
      return "(Unknown)";
  }
}

Report::Report(const RunOptions& options, ImageReader& reader, uint8_t* scratch, Writer& out,
               Diagnostics& diag)
    : options_(options), reader_(reader), scratch_(scratch), out_(out), diag_(diag) {}

void Report::PrintToc(uint32_t pTOC, uint32_t romOffset) {
  if (pTOC == 0) return;
  pTOC_ = pTOC;
  romOffset_ = romOffset;

  ROMHDR header;
  if (PrintRomHeader(&header)) {
    if (header.ulExtensions != 0 && !PrintExtensions(header.ulExtensions)) return;
  } else {
    // Nothing of an earlier report may stand in for this header's values.
    saved_ = SavedHeader();
    profileDelta_ = 0;
  }
  if (saved_.ulNumCopyEntries != 0) PrintCopySections();
  PrintModules();
  PrintFiles();
  if (options_.printSym) PrintSymbols();
}

bool Report::PrintRomHeader(ROMHDR* header) {
  if (!Read(scratch_, pTOC_, kRomHeaderSize)) {
    out_.Put("Couldn't locate TOC data\n");
    return false;
  }
  const ROMHDR h = DecodeRomHeader(scratch_);
  *header = h;
  saved_.ulNumModules = h.ulNumModules;
  saved_.ulNumFiles = h.ulNumFiles;
  saved_.ulNumCopyEntries = h.ulNumCopyEntries;
  saved_.ulCopyEntriesOffset = h.ulCopyEntriesOffset;
  saved_.ulProfSymbolOffset = h.ulProfSymbolOffset;
  profileDelta_ = 0;

  // Counts print as signed numbers, as the report always showed them.
  auto count = [](uint32_t value) { return static_cast<int32_t>(value); };
  out_.Put("\nROMHDR ----------------------------------------\n");
  out_.Printf("    DLL First           : 0x%08X  \n", h.ulDllFirst);
  out_.Printf("    DLL Last            : 0x%08X  \n", h.ulDllLast);
  out_.Printf("    Physical First      : 0x%08X  \n", h.ulPhysFirst);
  out_.Printf("    Physical Last       : 0x%08X  \n", h.ulPhysLast);
  out_.Printf("    RAM Start           : 0x%08X  \n", h.ulRamStart);
  out_.Printf("    RAM Free            : 0x%08X  \n", h.ulRamFree);
  out_.Printf("    RAM End             : 0x%08X  \n", h.ulRamEnd);
  out_.Printf("    Kernel flags        : 0x%08X  \n", h.ulKernelFlags);
  out_.Printf("    Prof Symbol Offset  : 0x%08X  \n", h.ulProfSymbolOffset);
  out_.Printf("    Num Copy Entries    : %10d    \n", count(h.ulNumCopyEntries));
  out_.Printf("    Copy Entries Offset : 0x%08X  \n", h.ulCopyEntriesOffset);
  out_.Printf("    Num Modules         : %10d    \n", count(h.ulNumModules));
  out_.Printf("    Num Files           : %10d    \n", count(h.ulNumFiles));
  out_.Printf("    MiscFlags           : 0x%08X  \n", static_cast<uint32_t>(h.usMiscFlags));
  out_.Printf("    CPU                 :     0x%04x ", static_cast<uint32_t>(h.usCpu));
  out_.Put(CpuTypeName(h.usCpu));
  out_.Printf("    Extensions          : 0x%08X\n", h.ulExtensions);
  return true;
}

void Report::ReadName(uint32_t address) {
  // A name that cannot be read shows as empty, never as an earlier one.
  if (!reader_.ReadString(name_, sizeof name_, address, romOffset_)) name_[0] = '\0';
}

void Report::ConvertTime(uint64_t fileTime) {
  if (!FileTimeToCalendar(fileTime, &calendar_)) calendar_ = CalendarTime();
}

}  // namespace romscope
