// The map's address axis. It is not to scale: every stretch between two
// consecutive shape boundaries gets a width that grows with the square of
// the logarithm of its length, so that an 8-byte record and 30 MiB of RAM
// both show; a gap far larger than the shapes on either side of it becomes an
// axis break of fixed width, labelled with its size. All in integers, so that
// every platform draws the same picture.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "map/merge.h"

namespace romscope {

class Axis {
 public:
  // A gap becomes a break when it is longer than kBreakRatio times the
  // stretch on either side of it, and at least kBreakMinimum bytes long; the
  // kMaxBreaks longest such gaps are broken.
  static constexpr uint64_t kBreakRatio = 16;
  static constexpr uint64_t kBreakMinimum = 256;
  static constexpr size_t kMaxBreaks = 24;
  static constexpr int64_t kBreakWidth = 18;

  struct Break {
    uint64_t start = 0;
    uint64_t end = 0;
    int64_t x0 = 0;
    int64_t x1 = 0;
  };

  // The axis for all shapes of all lanes, drawn from x = `left` over `width`.
  Axis(const std::vector<std::vector<Shape>>& lanes, int64_t left, int64_t width);

  // Where `address` lies; between two boundaries it is placed in proportion.
  int64_t X(uint64_t address) const;
  const std::vector<uint64_t>& Boundaries() const { return bounds_; }
  const std::vector<int64_t>& Positions() const { return xs_; }
  const std::vector<Break>& Breaks() const { return breaks_; }

 private:
  std::vector<uint64_t> bounds_;
  std::vector<int64_t> xs_;
  std::vector<Break> breaks_;
  int64_t left_ = 0;
};

// Merges each run of neighbouring shapes that together span no more than
// `pixels` on `axis` into one, so that a crowded stretch shows a few shapes
// one can point at rather than many narrower than a pixel.
std::vector<Shape> MergeNarrow(const std::vector<Shape>& shapes, const Axis& axis, int64_t pixels);

// The width weight of a stretch of `length` bytes: (16 log2(length) + 16)^2,
// the logarithm taken to 1/16 from the length's leading bits.
uint64_t StretchWeight(uint64_t length);

}  // namespace romscope
