#include "image/record_index.h"

#include <algorithm>

namespace romscope {
namespace {

// Deep enough for any tree: each level leaves at most one node behind.
constexpr size_t kStackSize = 80;

}  // namespace

void RecordIndex::Build(const RecordTable& records) {
  size_t count = records.Count() - (records.HasTerminator() ? 1 : 0);
  // Table indexes are 32-bit; no machine holds a table of 2^32 records.
  count = std::min<size_t>(count, kNone);
  points_.clear();
  nodes_.clear();
  sorted_ = 0;
  leaves_ = 0;
  if (count == 0) return;
  points_.resize(count);
  for (size_t i = 0; i < count; ++i) {
    const RecordInfo record = records[i];
    points_[i] = {record.start, record.length, static_cast<uint32_t>(i)};
  }
  // By end, unless the file has them so already (records written in address
  // order that do not overlap). Taking each record that starts at or after
  // the end of the last one taken gives the largest set that do not overlap;
  // they move to the front in their order, which is also by start.
  auto byEnd = [](const Point& x, const Point& y) {
    return x.End() != y.End()   ? x.End() < y.End()
           : x.start != y.start ? x.start < y.start
                                : x.index < y.index;
  };
  if (!std::is_sorted(points_.begin(), points_.end(), byEnd)) {
    std::sort(points_.begin(), points_.end(), byEnd);
  }
  uint64_t taken = 0;
  for (size_t i = 0; i < count; ++i) {
    if (points_[i].length != 0 && points_[i].start >= taken) {
      taken = points_[i].End();
      std::swap(points_[sorted_++], points_[i]);
    }
  }
  const size_t rest = count - sorted_;
  depth_ = 0;
  while (rest > kLeafSize << depth_) ++depth_;
  budget_ = 16 * (size_t{1} << ((depth_ + 1) / 2));
  if (rest == 0) return;
  leaves_ = uint32_t{1} << depth_;
  nodes_.resize(size_t{2} * leaves_);
  BuildNode(1, 0, sorted_, count);
}

size_t RecordIndex::Begin(uint32_t node, unsigned depth) const {
  const uint64_t position = node - (uint64_t{1} << depth);
  return sorted_ + static_cast<size_t>((position * (points_.size() - sorted_)) >> depth);
}

// The recursion ends at depth_, the leaves' depth: about log2 of the record count.
// NOLINTNEXTLINE(misc-no-recursion)
void RecordIndex::BuildNode(uint32_t node, unsigned depth, size_t begin, size_t end) {
  Node& box = nodes_[node];
  auto first = points_.begin() + static_cast<ptrdiff_t>(begin);
  auto last = points_.begin() + static_cast<ptrdiff_t>(end);
  if (depth == depth_) {
    // By start, so that a scan stops at the first start past the address.
    std::sort(first, last, [](const Point& x, const Point& y) {
      return x.start != y.start ? x.start < y.start : x.index < y.index;
    });
    box = {UINT64_MAX, 0, UINT32_MAX, 0, UINT32_MAX, 0};
    for (auto p = first; p != last; ++p) {
      box.minEnd = std::min(box.minEnd, p->End());
      box.maxEnd = std::max(box.maxEnd, p->End());
      box.minStart = std::min(box.minStart, p->start);
      box.maxStart = std::max(box.maxStart, p->start);
      box.minIndex = std::min(box.minIndex, p->index);
      box.maxIndex = std::max(box.maxIndex, p->index);
    }
    return;
  }
  const size_t middle = Begin(2 * node + 1, depth + 1);
  auto split = points_.begin() + static_cast<ptrdiff_t>(middle);
  if (depth % 2 == 0) {
    std::nth_element(first, split, last,
                     [](const Point& x, const Point& y) { return x.start < y.start; });
  } else {
    std::nth_element(first, split, last,
                     [](const Point& x, const Point& y) { return x.End() < y.End(); });
  }
  const uint32_t child = 2 * node;
  BuildNode(child, depth + 1, begin, middle);
  BuildNode(child + 1, depth + 1, middle, end);
  const Node& left = nodes_[child];
  const Node& right = nodes_[child + 1];
  box.minEnd = std::min(left.minEnd, right.minEnd);
  box.maxEnd = std::max(left.maxEnd, right.maxEnd);
  box.minStart = std::min(left.minStart, right.minStart);
  box.maxStart = std::max(left.maxStart, right.maxStart);
  box.minIndex = std::min(left.minIndex, right.minIndex);
  box.maxIndex = std::max(left.maxIndex, right.maxIndex);
}

// The first of the records that do not overlap whose start is above `a`. The
// search has no data-dependent branch, so scattered reads do not stall on
// mispredictions one after another.
const RecordIndex::Point* RecordIndex::FirstStartAbove(uint64_t a) const {
  const Point* base = points_.data();
  size_t size = sorted_;
  while (size > 1) {
    const size_t half = size / 2;
    base = base[half].start <= a ? base + half : base;
    size -= half;
  }
  return base->start <= a ? base + 1 : base;
}

void RecordIndex::SortedHolders(uint64_t a, uint64_t b, uint32_t* first, uint32_t* second) const {
  *first = *second = kNone;
  if (sorted_ == 0) return;
  // Those that start at or below a and end before it hold nothing there;
  // only the last one, or for an empty range the one before it, can.
  const Point* p = FirstStartAbove(a);
  if (p != points_.data() && (p - 1)->End() >= b) *first = (p - 1)->index;
  if (p - points_.data() >= 2 && (p - 2)->End() >= b) *second = (p - 2)->index;
  if (*second < *first) std::swap(*first, *second);
}

uint32_t RecordIndex::Search(uint64_t a, uint64_t b, bool any) const {
  uint32_t best = kNone;
  uint32_t other = kNone;
  SortedHolders(a, b, &best, &other);
  if (nodes_.empty() || (any && best != kNone)) return best;
  return TreeSearch(a, b, any, best);
}

uint32_t RecordIndex::TreeSearch(uint64_t a, uint64_t b, bool any, uint32_t best) const {
  // Whether a node may hold something better than the best so far.
  auto viable = [&](const Node& box) {
    return box.minIndex < best && box.minStart <= a && box.maxEnd >= b;
  };
  uint32_t stack[kStackSize];
  size_t top = 0;
  uint32_t node = 1;
  if (!viable(nodes_[node])) return best;
  for (;;) {
    const Node& box = nodes_[node];
    if (box.maxStart <= a && box.minEnd >= b) {
      best = box.minIndex;
    } else if (IsLeaf(node)) {
      const Point* last = LeafEnd(node);
      for (const Point* p = LeafBegin(node); p != last && p->start <= a; ++p) {
        // Without a branch: whether a point holds the range is anyone's guess.
        best = ((p->index < best) & (p->End() >= b)) ? p->index : best;
      }
    } else {
      // Down to the children that may hold better; the one with the lesser
      // index first, since what it finds prunes the other.
      const uint32_t left = 2 * node;
      const bool leftViable = viable(nodes_[left]);
      const bool rightViable = viable(nodes_[left + 1]);
      if (leftViable && rightViable) {
        const bool leftFirst = nodes_[left].minIndex < nodes_[left + 1].minIndex;
        stack[top++] = leftFirst ? left + 1 : left;
        node = leftFirst ? left : left + 1;
        continue;
      }
      if (leftViable || rightViable) {
        node = leftViable ? left : left + 1;
        continue;
      }
    }
    if (any && best != kNone) return best;
    // Back to the nodes left behind, as long as they may still do better.
    do {
      if (top == 0) return best;
      node = stack[--top];
    } while (!viable(nodes_[node]));
  }
}

uint64_t RecordIndex::RunEnd(uint64_t a, uint32_t holder, uint64_t limit) const {
  uint64_t best = limit;
  if (best <= a + 1) return best;
  if (sorted_ != 0) {
    // The records that do not overlap, from the first that starts above a on;
    // when the holder is one of them, none starts before its end.
    const Point* first = FirstStartAbove(a);
    const Point* last = points_.data() + sorted_;
    size_t steps = 0;
    for (const Point* p = first; p != last && p->start < best; ++p) {
      if (p->index < holder) {
        best = p->start;
        break;
      }
      // Past its share of work the search settles for the first start above
      // a, which comes no later than any that counts.
      if (++steps == budget_) {
        best = first->start;
        break;
      }
    }
  }
  return nodes_.empty() ? best : TreeRunEnd(a, holder, best);
}

uint64_t RecordIndex::TreeRunEnd(uint64_t a, uint32_t holder, uint64_t best) const {
  uint32_t stack[kStackSize];
  size_t top = 0;
  stack[top++] = 1;
  size_t budget = budget_;
  while (top > 0) {
    const uint32_t node = stack[--top];
    const Node& box = nodes_[node];
    if (box.minIndex >= holder || box.maxStart <= a || box.minStart >= best) continue;
    // Table order cuts across the tree: past its share of work the search
    // settles for a bound that costs no more than a holder search.
    if (--budget == 0) return TreeStartAfter(a, best);
    if (box.maxIndex < holder && box.minStart > a) {
      best = box.minStart;  // at worst a record without data: a shorter run
    } else if (IsLeaf(node)) {
      const Point* p = LeafBegin(node);
      const Point* last = LeafEnd(node);
      while (p != last && p->start <= a) ++p;
      for (; p != last && p->start < best; ++p) {
        if (p->index < holder && p->length != 0) best = p->start;
      }
    } else {
      const uint32_t left = 2 * node;
      const bool leftFirst = nodes_[left].minStart < nodes_[left + 1].minStart;
      stack[top++] = leftFirst ? left + 1 : left;
      stack[top++] = leftFirst ? left : left + 1;
    }
  }
  return best;
}

// The least start above `a` in the tree, or `limit` when none is below it.
uint64_t RecordIndex::TreeStartAfter(uint64_t a, uint64_t limit) const {
  uint64_t best = limit;
  uint32_t stack[kStackSize];
  size_t top = 0;
  stack[top++] = 1;
  while (top > 0) {
    const uint32_t node = stack[--top];
    const Node& box = nodes_[node];
    if (box.maxStart <= a || box.minStart >= best) continue;
    if (box.minStart > a) {
      best = box.minStart;
    } else if (IsLeaf(node)) {
      const Point* p = LeafBegin(node);
      const Point* last = LeafEnd(node);
      while (p != last && p->start <= a) ++p;
      if (p != last && p->start < best) best = p->start;
    } else {
      stack[top++] = 2 * node + 1;
      stack[top++] = 2 * node;
    }
  }
  return best;
}

RecordIndex::Holders::Holders(const RecordIndex& index, uint64_t a, uint64_t b)
    : index_(index), a_(a), b_(b) {
  uint32_t first = kNone;
  uint32_t second = kNone;
  index_.SortedHolders(a, b, &first, &second);
  if (first != kNone) Push(first, kNone);
  if (second != kNone) Push(second, kNone);
  if (!index_.nodes_.empty()) Push(index_.nodes_[1].minIndex, 1);
}

void RecordIndex::Holders::Push(uint32_t key, uint32_t ref) {
  heap_.push_back({key, ref});
  std::push_heap(heap_.begin(), heap_.end(),
                 [](const Item& x, const Item& y) { return x.key > y.key; });
}

uint32_t RecordIndex::Holders::Next() {
  while (!heap_.empty()) {
    std::pop_heap(heap_.begin(), heap_.end(),
                  [](const Item& x, const Item& y) { return x.key > y.key; });
    const Item item = heap_.back();
    heap_.pop_back();
    if (item.ref == kNone) return item.key;
    const Node& box = index_.nodes_[item.ref];
    if (box.minStart > a_ || box.maxEnd < b_) continue;
    if (index_.IsLeaf(item.ref)) {
      const Point* last = index_.LeafEnd(item.ref);
      for (const Point* p = index_.LeafBegin(item.ref); p != last && p->start <= a_; ++p) {
        if (p->End() >= b_) Push(p->index, kNone);
      }
    } else {
      const uint32_t left = 2 * item.ref;
      Push(index_.nodes_[left].minIndex, left);
      Push(index_.nodes_[left + 1].minIndex, left + 1);
    }
  }
  return kNone;
}

}  // namespace romscope
