#include "map/coverage.h"

#include <algorithm>

namespace romscope {

Coverage::Coverage(std::vector<Span> spans) {
  const auto byStart = [](const Span& a, const Span& b) {
    return a.start != b.start ? a.start < b.start : a.end < b.end;
  };
  if (!std::is_sorted(spans.begin(), spans.end(), byStart)) {
    std::sort(spans.begin(), spans.end(), byStart);
  }
  for (const Span& span : spans) {
    if (span.end <= span.start) continue;
    if (!spans_.empty() && span.start <= spans_.back().end) {
      spans_.back().end = std::max(spans_.back().end, span.end);
    } else {
      spans_.push_back(span);
    }
  }
  spans_.shrink_to_fit();
  before_.reserve(spans_.size() + 1);
  uint64_t total = 0;
  before_.push_back(0);
  for (const Span& span : spans_) {
    total += span.end - span.start;
    before_.push_back(total);
  }
}

uint64_t Coverage::Below(uint64_t address) const {
  // The first span that starts at or after `address`; the one before it may
  // reach past it.
  const auto after = std::lower_bound(spans_.begin(), spans_.end(), address,
                                      [](const Span& s, uint64_t a) { return s.start < a; });
  const size_t k = static_cast<size_t>(after - spans_.begin());
  if (k == 0) return 0;
  const Span& last = spans_[k - 1];
  return before_[k - 1] + (std::min(address, last.end) - last.start);
}

uint64_t Coverage::Held(uint64_t start, uint64_t end) const {
  return end <= start ? 0 : Below(end) - Below(start);
}

uint64_t Coverage::HeldOf(const Coverage& other) const {
  uint64_t held = 0;
  for (const Span& span : other.spans_) held += Held(span.start, span.end);
  return held;
}

std::vector<Span> Coverage::Missing(uint64_t start, uint64_t end, size_t max) const {
  std::vector<Span> pieces;
  if (end <= start || max == 0) return pieces;
  auto at = std::lower_bound(spans_.begin(), spans_.end(), start,
                             [](const Span& s, uint64_t a) { return s.end <= a; });
  uint64_t from = start;
  for (; from < end; ++at) {
    const uint64_t to = at == spans_.end() ? end : std::min(end, at->start);
    if (to > from) {
      if (pieces.size() == max) {
        pieces.back().end = to;
      } else {
        pieces.push_back({from, to});
      }
    }
    if (at == spans_.end()) break;
    from = std::max(from, at->end);
  }
  return pieces;
}

}  // namespace romscope
