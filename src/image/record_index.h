// Answers "which record holds this range" without walking the record table.
//
// A record is a point (start, end) of the plane, end = start + length as an
// exact 64-bit sum; the records that hold [a, b] are the points of the
// quadrant start <= a, end >= b, and a read wants the one first in table
// order. The records are split in two. The largest set of records with data
// that do not overlap (chosen by earliest end) is kept in address order: in
// it only the last record that starts at or below a can hold a byte at a, and
// a binary search finds it. The others live in a 2-d tree: each level splits
// its points at the median, by start and by end in turn, down to leaves of at
// most kLeafSize points; each node keeps the bounding box of its points and
// the least and greatest table index among them. A search prunes the nodes
// that lie outside the quadrant or whose least index cannot improve on the
// best holder found, and takes the least index of a node that lies wholly
// inside at once. An image usually has no overlapping records and no tree.
//
// Bound, for a tree of m points. A search goes down into a node only when
// the quadrant cuts its box (meets it without holding it whole); such a box
// is crossed by the line start = a (minStart <= a < maxStart) or by the line
// end = b (minEnd < b <= maxEnd). Of the two children of a node split by
// start, at most one is crossed by a line of constant start, since the left
// one's starts all lie at or below the right one's; likewise for end. So the
// boxes crossed by one line at most double every two levels, and a search
// visits O(sqrt(m / kLeafSize)) nodes and leaves whatever the layout:
// O(sqrt(m)) work. Better: a cut box that holds no holder has a point left of
// a and below b and one right of a and above b, so both lines cross it, and
// at most one box a level is crossed by both. Every other cut box holds a
// holder, so a search visits O((1 + k) log m) nodes when k records hold the
// range. Records nested in one another form one chain, ascending in start and
// descending in end, which each line crosses at most once a level: O(log m)
// too. With the binary search: O(log n) for records that do not overlap, in
// any file order; for one big record over many small ones, wherever it comes
// in the file; and for nested records; O(sqrt(n)) on any layout.
//
// Memory: 12 bytes a record, and 32 bytes a node with fewer than 4 m /
// kLeafSize nodes (at most 4 bytes a record). The points keep copies of
// starts and lengths, so that scanning a leaf touches no other memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "image/record_table.h"

namespace romscope {

class RecordIndex {
 public:
  static constexpr uint32_t kNone = UINT32_MAX;
  static constexpr size_t kLeafSize = 32;

  // Every record but the terminator, which holds no data.
  void Build(const RecordTable& records);

  // The first record in table order with start <= a and end >= b, or kNone.
  uint32_t FirstHolder(uint64_t a, uint64_t b) const { return Search(a, b, false); }
  // Whether any record has start <= a and end >= b.
  bool AnyHolder(uint64_t a, uint64_t b) const { return Search(a, b, true) != kNone; }

  // Where `holder`, the first holder of the byte at a, stops serving the
  // bytes after it: at the least start above a of a record with data that
  // comes before it in the table, or at `limit`, at most the holder's end.
  // Where that search would exceed its share of work, earlier: at the least
  // start above a of any record.
  uint64_t RunEnd(uint64_t a, uint32_t holder, uint64_t limit) const;

  // The holders of [a, b] in table order, one at a time: all of them cost
  // the nodes that hold one or are cut by the quadrant's edge.
  class Holders {
   public:
    Holders(const RecordIndex& index, uint64_t a, uint64_t b);
    uint32_t Next();  // kNone after the last

   private:
    struct Item {
      uint32_t key;  // a node's least index, or a point's own
      uint32_t ref;  // the node, or kNone for a point
    };
    void Push(uint32_t key, uint32_t ref);

    const RecordIndex& index_;
    uint64_t a_;
    uint64_t b_;
    std::vector<Item> heap_;
  };

 private:
  struct Point {
    uint32_t start;
    uint32_t length;
    uint32_t index;
    uint64_t End() const { return uint64_t{start} + length; }
  };
  struct Node {
    uint64_t minEnd;
    uint64_t maxEnd;
    uint32_t minStart;
    uint32_t maxStart;
    uint32_t minIndex;
    uint32_t maxIndex;
  };

  uint32_t Search(uint64_t a, uint64_t b, bool any) const;
  // The holders of [a, b] among the records that do not overlap: none, one,
  // or for an empty range two (one ends where the other starts).
  void SortedHolders(uint64_t a, uint64_t b, uint32_t* first, uint32_t* second) const;
  const Point* FirstStartAbove(uint64_t a) const;
  uint32_t TreeSearch(uint64_t a, uint64_t b, bool any, uint32_t best) const;
  uint64_t TreeRunEnd(uint64_t a, uint32_t holder, uint64_t best) const;
  uint64_t TreeStartAfter(uint64_t a, uint64_t limit) const;
  void BuildNode(uint32_t node, unsigned depth, size_t begin, size_t end);
  bool IsLeaf(uint32_t node) const { return node >= leaves_; }
  // The points of a node at depth `depth`, numbered from 1 level by level.
  size_t Begin(uint32_t node, unsigned depth) const;
  const Point* LeafBegin(uint32_t node) const { return points_.data() + Begin(node, depth_); }
  const Point* LeafEnd(uint32_t node) const { return points_.data() + Begin(node + 1, depth_); }

  // points_[0, sorted_) do not overlap and are in address order; the rest
  // are the tree's, leaf by leaf, each leaf by start.
  std::vector<Point> points_;
  size_t sorted_ = 0;
  std::vector<Node> nodes_;  // node k has children 2k and 2k + 1; 0 is unused
  unsigned depth_ = 0;       // of the leaves
  uint32_t leaves_ = 0;      // 2^depth_: the number of the first leaf
  size_t budget_ = 0;        // nodes or points RunEnd may visit
};

}  // namespace romscope
