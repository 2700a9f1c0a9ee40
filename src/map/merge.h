// Keeps the picture small whatever the image: the ranges of a lane become at
// most a budget of shapes, by merging runs of neighbouring ranges into one
// shape that tells how many it holds and their total size.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "map/coverage.h"
#include "map/ranges.h"

namespace romscope {

// One shape of a lane: a range, or a run of ranges merged.
struct Shape {
  uint64_t start = 0;
  uint64_t end = 0;    // the furthest end of its ranges
  uint64_t bytes = 0;  // the sizes of its ranges added up (2^32 and beyond included)
  uint64_t drawn = 0;  // the sizes up to 2^32
  uint64_t held = 0;   // of those, the bytes the records hold
  size_t first = 0;    // its ranges are the lane's items [first, first + count)
  uint32_t count = 0;
  uint32_t ref = 0;                     // its first range's
  RangeKind kind = RangeKind::kRecord;  // its first range's
  uint32_t overlapping = 0;             // how many of its ranges overlap others
  uint32_t badChecksums = 0;
  uint32_t withProblems = 0;
  uint32_t clipped = 0;  // ranges that run past 2^32

  uint64_t Missing() const { return drawn - held; }
};

// Adds the ranges of `more`, the lane's items right after those of `shape`,
// to `shape`.
void Combine(Shape& shape, const Shape& more);

// The shapes of `lane`, at most `budget` (at least 1) of them, in ascending
// order of start. Ranges stay shapes of their own while they fit the budget;
// otherwise the least span s = 2^k for which it fits is found, and each run
// of consecutive ranges that together span no more than s becomes one shape.
// The same lane always gives the same shapes.
std::vector<Shape> MergeLane(const Lane& lane, const Coverage& held, size_t budget);

}  // namespace romscope
