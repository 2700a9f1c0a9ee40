// The frame of the report and its first section, the ROM header.
#include "rom/report.h"

namespace romscope {

Report::Report(const ReportPlan& plan, ImageReader& reader, uint8_t* scratch, Renderer& renderer,
               Diagnostics& diag)
    : plan_(plan), reader_(reader), scratch_(scratch), renderer_(renderer), diag_(diag) {}

void Report::PrintToc(const TocLocation& toc) {
  if (toc.pTOC == 0) return;
  pTOC_ = toc.pTOC;
  romOffset_ = toc.romOffset;
  renderer_.TocBegin(toc);

  // Nothing of an earlier report stands in for an unreadable header's values.
  SavedHeader saved;
  ROMHDR header;
  if (PrintRomHeader(&header)) {
    saved.ulNumModules = header.ulNumModules;
    saved.ulNumFiles = header.ulNumFiles;
    saved.ulNumCopyEntries = header.ulNumCopyEntries;
    saved.ulCopyEntriesOffset = header.ulCopyEntriesOffset;
    saved.ulProfSymbolOffset = header.ulProfSymbolOffset;
    if (header.ulExtensions != 0 && !PrintExtensions(header.ulExtensions)) {
      renderer_.TocEnd();
      return;
    }
  }
  const ProfileLocation profile = PrintCopySections(saved);
  PrintModules(saved);
  PrintFiles(saved);
  if (plan_.symbols) PrintSymbols(saved, profile);
  renderer_.TocEnd();
}

bool Report::PrintRomHeader(ROMHDR* header) {
  if (!Read(scratch_, pTOC_, ROMHDR::kSize)) {
    renderer_.RomHeader(nullptr);
    return false;
  }
  *header = DecodeAt<ROMHDR>(scratch_);
  renderer_.RomHeader(header);
  return true;
}

const char* Report::ReadName(uint32_t address) {
  return reader_.ReadString(name_, sizeof name_, address, romOffset_) ? name_ : nullptr;
}

}  // namespace romscope
