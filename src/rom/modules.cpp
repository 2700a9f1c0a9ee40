// The module section: each module's TOCentry and, for the detailed report,
// its e32_rom and o32_rom headers.
#include "rom/report.h"

namespace romscope {

void Report::PrintModules(const SavedHeader& saved) {
  const uint32_t count = saved.ulNumModules;
  const bool readable =
      count == 0 || Read(scratch_, ModuleTableAddress(pTOC_), TableBytes(count, kTocEntrySize));
  renderer_.ModulesBegin(count, readable);
  for (uint32_t i = 0; readable && i < count && !Stopped(); ++i) {
    // Each module's headers are read into buffers of their own: the table
    // stays in the scratch buffer.
    const TOCentry entry = DecodeAt<TOCentry>(scratch_ + static_cast<size_t>(TOCentry::kSize) * i);
    renderer_.Module(i, entry, ReadName(entry.ulNameOffset));
    if (plan_.details) PrintModuleDetails(entry);
    renderer_.ModuleEnd();
  }
  renderer_.ModulesEnd();
}

void Report::PrintModuleDetails(const TOCentry& entry) {
  uint8_t bytes[e32_rom::kSize];
  if (!Read(bytes, entry.ulE32Offset, sizeof bytes)) {
    renderer_.ModuleE32(nullptr);
    return;
  }
  const e32_rom e32 = DecodeAt<e32_rom>(bytes);
  renderer_.ModuleE32(&e32);
  for (uint32_t j = 0; j < e32.e32_objcnt && !Stopped(); ++j) {
    const uint32_t address = entry.ulO32Offset + static_cast<uint32_t>(o32_rom::kSize) * j;
    if (!Read(bytes, address, o32_rom::kSize)) {
      renderer_.ModuleO32(j, address, nullptr);
      continue;
    }
    const o32_rom o32 = DecodeAt<o32_rom>(bytes);
    renderer_.ModuleO32(j, address, &o32);
  }
}

}  // namespace romscope
