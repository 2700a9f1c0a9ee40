// The copy section: the sections the image stores at one address for use at
// another. An entry whose destination is the profiling table's address moves
// that table to the entry's source, where the image holds it.
#include "base/le.h"
#include "rom/report.h"

namespace romscope {

void Report::PrintCopySections() {
  const uint32_t count = saved_.ulNumCopyEntries;
  if (!Read(scratch_, saved_.ulCopyEntriesOffset, TableBytes(count, kCopyEntrySize))) {
    out_.Put("Couldn't locate copy secitons\n");
    return;
  }
  out_.Put("\nCOPY Sections ---------------------------------\n");
  for (uint32_t i = 0; i < count; ++i) {
    const uint8_t* entry = scratch_ + static_cast<size_t>(kCopyEntrySize) * i;
    const uint32_t src = Read32le(entry);
    const uint32_t dest = Read32le(entry + 4);
    out_.Printf("    Src: 0x%08X   Dest: 0x%08X   CLen: 0x%-6X   DLen: 0x%-6X\n", src, dest,
                Read32le(entry + 8), Read32le(entry + 12));
    // Compared with the offset as earlier entries left it, so one table can
    // move the profiling table more than once.
    if (dest == saved_.ulProfSymbolOffset) {
      profileDelta_ = src - dest;
      saved_.ulProfSymbolOffset = src;
    }
  }
}

}  // namespace romscope
