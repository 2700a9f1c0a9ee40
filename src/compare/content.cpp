#include "compare/content.h"

#include <algorithm>
#include <cstring>

namespace romscope {
namespace {

constexpr size_t kPiece = 65536;

// The bytes a read delivered: a failed read delivers none.
uint64_t Delivered(int64_t got) {
  return got > 0 ? static_cast<uint64_t>(got) : 0;
}

int Rank(Content c) {
  switch (c) {
    case Content::kChanged:
      return 4;
    case Content::kUnknown:
      return 3;
    case Content::kNeither:
      return 2;
    case Content::kSame:
      return 1;
    case Content::kNone:
      break;
  }
  return 0;
}

}  // namespace

Content CombineContent(Content a, Content b) {
  return Rank(a) >= Rank(b) ? a : b;
}

ContentComparer::ContentComparer(Inspection& oldInspection, Inspection& newInspection,
                                 const RecordPass& records, bool usePass)
    : old_(*oldInspection.opened.image),
      new_(*newInspection.opened.image),
      records_(records),
      usePass_(usePass),
      oldBuffer_(kPiece),
      newBuffer_(kPiece) {}

Content ContentComparer::Compare(const Extent& o, const Extent& n) {
  if (o.size != n.size) return Content::kChanged;
  if (o.size == 0) return Content::kSame;
  const uint32_t oldHolder = old_.reader.Holder(o.start, o.size, 0);
  const uint32_t newHolder = new_.reader.Holder(n.start, n.size, 0);
  if (oldHolder == ImageReader::kNoRecord || newHolder == ImageReader::kNoRecord) {
    return oldHolder == newHolder ? Content::kNeither : Content::kUnknown;
  }
  const RecordInfo oldRecord = old_.records[oldHolder];
  const RecordInfo newRecord = new_.records[newHolder];
  // A holder starts at or below the range: these never wrap.
  const uint32_t oldAt = o.start - oldRecord.start;
  const uint32_t newAt = n.start - newRecord.start;
  const bool paired =
      oldHolder < records_.OldCount() && records_.Pairs().NewOf(oldHolder) == newHolder;
  if (!usePass_ || !paired || oldAt != newAt) {
    return Direct(oldRecord.dataOffset + oldAt, newRecord.dataOffset + newAt, o.size);
  }
  // The pass compared these very bytes: only where it found them to differ
  // are they read again, to tell whether the difference lies inside.
  records_.Lookup(oldHolder, oldAt, o.size, &known_);
  const uint64_t common = std::min(known_.oldRead, known_.newRead);
  for (const auto& [begin, end] : known_.differing) {
    if (begin >= oldAt + common) break;
    const uint64_t stop = std::min<uint64_t>(end, oldAt + common);
    const Content part =
        Direct(oldRecord.dataOffset + begin, newRecord.dataOffset + begin, stop - begin);
    if (part != Content::kSame) return part == Content::kChanged ? part : Content::kUnknown;
  }
  if (known_.oldRead == o.size && known_.newRead == o.size) return Content::kSame;
  return known_.oldRead == known_.newRead ? Content::kNeither : Content::kUnknown;
}

Content ContentComparer::Direct(uint64_t oldOffset, uint64_t newOffset, uint64_t length) {
  for (uint64_t done = 0; done < length;) {
    const size_t size = static_cast<size_t>(std::min<uint64_t>(length - done, kPiece));
    const uint64_t a = Delivered(old_.data.ReadStore(oldOffset + done, oldBuffer_.data(), size));
    const uint64_t b = Delivered(new_.data.ReadStore(newOffset + done, newBuffer_.data(), size));
    const size_t both = static_cast<size_t>(std::min(a, b));
    if (std::memcmp(oldBuffer_.data(), newBuffer_.data(), both) != 0) return Content::kChanged;
    if (a < size || b < size) return a == b ? Content::kNeither : Content::kUnknown;
    done += size;
  }
  return Content::kSame;
}

}  // namespace romscope
