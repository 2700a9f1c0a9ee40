#include "map/merge.h"

#include <algorithm>

namespace romscope {
namespace {

// The number of shapes runs of span at most `span` give (0: none merge).
size_t CountRuns(const std::vector<RangeItem>& items, uint64_t span) {
  size_t runs = 0;
  uint64_t runStart = 0;
  uint64_t runEnd = 0;
  for (const RangeItem& item : items) {
    const uint64_t end = std::max(runEnd, item.End());
    if (runs != 0 && end - runStart <= span) {
      runEnd = end;
      continue;
    }
    ++runs;
    runStart = item.start;
    runEnd = item.End();
  }
  return runs;
}

void Take(Shape& shape, size_t index, const RangeItem& item, const Coverage& held) {
  if (shape.count == 0) {
    shape.start = item.start;
    shape.first = index;
    shape.ref = item.ref;
    shape.kind = item.kind;
  }
  ++shape.count;
  shape.end = std::max(shape.end, item.End());
  shape.bytes += item.size;
  shape.drawn += item.End() - item.start;
  shape.held += held.Held(item.start, item.End());
  shape.overlapping += (item.flags & RangeItem::kOverlaps) != 0 ? 1 : 0;
  shape.badChecksums += (item.flags & RangeItem::kBadChecksum) != 0 ? 1 : 0;
  shape.withProblems += (item.flags & RangeItem::kHasProblems) != 0 ? 1 : 0;
  shape.clipped += item.Clipped() ? 1 : 0;
}

}  // namespace

void Combine(Shape& shape, const Shape& more) {
  shape.end = std::max(shape.end, more.end);
  shape.bytes += more.bytes;
  shape.drawn += more.drawn;
  shape.held += more.held;
  shape.count += more.count;
  shape.overlapping += more.overlapping;
  shape.badChecksums += more.badChecksums;
  shape.withProblems += more.withProblems;
  shape.clipped += more.clipped;
}

std::vector<Shape> MergeLane(const Lane& lane, const Coverage& held, size_t budget) {
  const std::vector<RangeItem>& items = lane.items;
  budget = std::max<size_t>(budget, 1);
  uint64_t span = 0;
  if (CountRuns(items, 0) > budget) {
    // A span of 2^33 puts the whole lane into one shape: the search ends.
    int low = 0;
    int high = 33;
    while (low < high) {
      const int middle = (low + high) / 2;
      if (CountRuns(items, uint64_t{1} << middle) <= budget) {
        high = middle;
      } else {
        low = middle + 1;
      }
    }
    span = uint64_t{1} << low;
  }
  std::vector<Shape> shapes;
  for (size_t i = 0; i < items.size(); ++i) {
    const RangeItem& item = items[i];
    if (shapes.empty() || std::max(shapes.back().end, item.End()) - shapes.back().start > span) {
      shapes.emplace_back();
    }
    Take(shapes.back(), i, item, held);
  }
  return shapes;
}

}  // namespace romscope
