// The copy section: the sections the image stores at one address for use at
// another. An entry whose destination is the profiling table's address moves
// that table to the entry's source, where the image holds it.
#include "rom/toc_report.h"

namespace romscope {

ProfileLocation TocReport::ReadCopySections(const SavedHeader& saved) {
  CopySectionsItem item;
  item.profile = ProfileLocation{saved.ulProfSymbolOffset, 0};
  item.count = saved.ulNumCopyEntries;
  item.address = saved.ulCopyEntriesOffset;
  item.readable = item.count == 0 || Read(scratch_, item.address,
                                          TableBytes(item.count, kCopyEntrySize), item.problems);
  if (!item.readable) item.problems.push_back({ProblemKind::kCopySectionsUnreadable});
  for (uint32_t i = 0; item.readable && i < item.count; ++i) {
    CopySection section;
    section.entry = DecodeAt<CopyEntry>(scratch_ + static_cast<size_t>(CopyEntry::kSize) * i);
    // Compared with the offset as earlier entries left it, so one table can
    // move the profiling table more than once.
    section.movesProfileTable = section.entry.Dest == item.profile.address;
    if (section.movesProfileTable) {
      item.profile = ProfileLocation{section.entry.Src, section.entry.Src - section.entry.Dest};
    }
    item.sections.push_back(section);
  }
  consumer_.CopySections(item);
  Reached(kCopySectionsSection, item.problems);
  return item.profile;
}

}  // namespace romscope
