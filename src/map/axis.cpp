#include "map/axis.h"

#include <algorithm>

namespace romscope {

uint64_t StretchWeight(uint64_t length) {
  if (length == 0) return 0;
  int bits = 0;
  while (bits < 64 && (length >> bits) > 1) ++bits;  // floor(log2(length))
  // The four bits after the leading one, as the fraction of the logarithm.
  const uint64_t fraction = bits >= 4 ? (length >> (bits - 4)) & 15 : (length << (4 - bits)) & 15;
  const uint64_t log16 = 16 * static_cast<uint64_t>(bits) + fraction + 16;
  return log16 * log16;
}

namespace {

// Which stretches between boundaries some shape covers: +1 where a shape
// starts, -1 where it ends, summed from the left.
std::vector<bool> CoveredStretches(const std::vector<std::vector<Shape>>& lanes,
                                   const std::vector<uint64_t>& bounds) {
  std::vector<int64_t> delta(bounds.size() + 1, 0);
  const auto at = [&](uint64_t address) {
    return static_cast<size_t>(std::lower_bound(bounds.begin(), bounds.end(), address) -
                               bounds.begin());
  };
  for (const std::vector<Shape>& lane : lanes) {
    for (const Shape& shape : lane) {
      ++delta[at(shape.start)];
      --delta[at(shape.end)];
    }
  }
  std::vector<bool> covered(bounds.empty() ? 0 : bounds.size() - 1, false);
  int64_t open = 0;
  for (size_t i = 0; i < covered.size(); ++i) {
    open += delta[i];
    covered[i] = open > 0;
  }
  return covered;
}

}  // namespace

Axis::Axis(const std::vector<std::vector<Shape>>& lanes, int64_t left, int64_t width)
    : left_(left) {
  for (const std::vector<Shape>& lane : lanes) {
    for (const Shape& shape : lane) {
      bounds_.push_back(shape.start);
      bounds_.push_back(shape.end);
    }
  }
  std::sort(bounds_.begin(), bounds_.end());
  bounds_.erase(std::unique(bounds_.begin(), bounds_.end()), bounds_.end());
  if (bounds_.empty()) return;
  const size_t stretches = bounds_.size() - 1;
  const std::vector<bool> covered = CoveredStretches(lanes, bounds_);
  const auto length = [&](size_t i) { return bounds_[i + 1] - bounds_[i]; };

  // The gaps that become breaks: the longest, the lower address first among equals.
  std::vector<size_t> gaps;
  for (size_t i = 1; i + 1 < stretches; ++i) {
    const uint64_t gap = length(i);
    const uint64_t around = std::max(length(i - 1), length(i + 1));
    if (!covered[i] && gap >= kBreakMinimum && gap / kBreakRatio > around) gaps.push_back(i);
  }
  std::stable_sort(gaps.begin(), gaps.end(),
                   [&](size_t a, size_t b) { return length(a) > length(b); });
  if (gaps.size() > kMaxBreaks) gaps.resize(kMaxBreaks);
  std::vector<bool> broken(stretches, false);
  for (size_t i : gaps) broken[i] = true;

  uint64_t total = 0;
  for (size_t i = 0; i < stretches; ++i) total += broken[i] ? 0 : StretchWeight(length(i));
  // Stretches may be narrower than a pixel; the shapes over them are drawn
  // a pixel wide at least.
  const int64_t scaled =
      std::max<int64_t>(width - kBreakWidth * static_cast<int64_t>(gaps.size()), 1);
  xs_.reserve(bounds_.size());
  xs_.push_back(left);
  uint64_t sum = 0;
  int64_t breakWidths = 0;
  for (size_t i = 0; i < stretches; ++i) {
    if (broken[i]) {
      breakWidths += kBreakWidth;
    } else {
      sum += StretchWeight(length(i));
    }
    // sum stays below 2^19 a stretch and scaled below 2^20: the product fits.
    const auto x =
        left + breakWidths +
        static_cast<int64_t>(total == 0 ? 0 : sum * static_cast<uint64_t>(scaled) / total);
    xs_.push_back(x);
    if (broken[i]) breaks_.push_back({bounds_[i], bounds_[i + 1], xs_[i], x});
  }
}

int64_t Axis::X(uint64_t address) const {
  if (bounds_.empty()) return left_;
  const auto after = std::upper_bound(bounds_.begin(), bounds_.end(), address);
  if (after == bounds_.begin()) return xs_.front();
  if (after == bounds_.end()) return xs_.back();
  const size_t i = static_cast<size_t>(after - bounds_.begin()) - 1;
  const uint64_t span = bounds_[i + 1] - bounds_[i];
  const auto pixels = static_cast<uint64_t>(xs_[i + 1] - xs_[i]);
  return xs_[i] + static_cast<int64_t>((address - bounds_[i]) * pixels / span);
}

}  // namespace romscope

namespace romscope {

std::vector<Shape> MergeNarrow(const std::vector<Shape>& shapes, const Axis& axis, int64_t pixels) {
  std::vector<Shape> merged;
  int64_t runStart = 0;
  for (const Shape& shape : shapes) {
    if (!merged.empty() && axis.X(std::max(merged.back().end, shape.end)) - runStart <= pixels) {
      Combine(merged.back(), shape);
      continue;
    }
    merged.push_back(shape);
    runStart = axis.X(shape.start);
  }
  return merged;
}

}  // namespace romscope
