// The module section: each module's TOCentry and, for the detailed report,
// its e32_rom and o32_rom headers.
#include "rom/toc_report.h"

namespace romscope {

void TocReport::ReadModules(const SavedHeader& saved) {
  const TableItem table =
      ReadTable(TableItem::kModules, ModuleTableAddress(pTOC_), saved.ulNumModules, kTocEntrySize);
  consumer_.Table(table);
  Reached(kModulesSection, table.problems);
  ModuleItem& module = module_;
  for (uint32_t i = 0; table.readable && i < table.count && !stop_.Stopped(); ++i) {
    // Each module's headers are read into buffers of their own: the table
    // stays in the scratch buffer.
    module.index = i;
    module.entry = DecodeAt<TOCentry>(scratch_ + static_cast<size_t>(TOCentry::kSize) * i);
    module.problems.clear();
    ReadName(module.entry.ulNameOffset, &module.name, &module.problems);
    module.details = plan_.details;
    module.e32.reset();
    module.sections.clear();
    if (plan_.details) ReadModuleDetails(module);
    consumer_.Module(module);
  }
  CloseTable(table);
}

void TocReport::ReadModuleDetails(ModuleItem& module) {
  uint8_t bytes[e32_rom::kSize];
  if (!Read(bytes, module.entry.ulE32Offset, sizeof bytes, module.problems)) {
    module.problems.push_back({ProblemKind::kE32Unreadable});
    return;
  }
  module.e32 = DecodeAt<e32_rom>(bytes);
  const uint32_t count = module.e32->e32_objcnt;
  for (uint32_t j = 0; j < count && !stop_.Stopped(); ++j) {
    SectionItem section;
    section.address = module.entry.ulO32Offset + static_cast<uint32_t>(o32_rom::kSize) * j;
    if (image_.reader.ReadImage(bytes, section.address, o32_rom::kSize, romOffset_)) {
      section.o32 = DecodeAt<o32_rom>(bytes);
    } else {
      section.problems.push_back({ProblemKind::kO32Unreadable});
    }
    module.sections.push_back(section);
  }
}

}  // namespace romscope
