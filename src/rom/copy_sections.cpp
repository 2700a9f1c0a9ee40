// The copy section: the sections the image stores at one address for use at
// another. An entry whose destination is the profiling table's address moves
// that table to the entry's source, where the image holds it.
#include "rom/report.h"

namespace romscope {

ProfileLocation Report::PrintCopySections(const SavedHeader& saved) {
  ProfileLocation profile{saved.ulProfSymbolOffset, 0};
  const uint32_t count = saved.ulNumCopyEntries;
  const bool readable =
      count == 0 || Read(scratch_, saved.ulCopyEntriesOffset, TableBytes(count, kCopyEntrySize));
  renderer_.CopySectionsBegin(count, readable);
  for (uint32_t i = 0; readable && i < count; ++i) {
    const CopyEntry entry =
        DecodeAt<CopyEntry>(scratch_ + static_cast<size_t>(CopyEntry::kSize) * i);
    // Compared with the offset as earlier entries left it, so one table can
    // move the profiling table more than once.
    const bool moves = entry.Dest == profile.address;
    if (moves) profile = ProfileLocation{entry.Src, entry.Src - entry.Dest};
    renderer_.CopySection(i, entry, moves);
  }
  renderer_.CopySectionsEnd(profile);
  return profile;
}

}  // namespace romscope
