// Sets of addresses for the map: the bytes the records hold, the bytes the
// tables describe. Addresses are 64-bit here so that a range can end at 2^32.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace romscope {

// The addresses [start, end).
struct Span {
  uint64_t start = 0;
  uint64_t end = 0;
};

// A set of addresses as disjoint spans in ascending order, with the number of
// bytes below each, so that how much of a range the set holds takes one
// binary search however many spans it has.
class Coverage {
 public:
  Coverage() = default;
  // The union of `spans`, given in any order (sorted here); overlapping and
  // touching spans join, empty ones count for nothing.
  explicit Coverage(std::vector<Span> spans);

  uint64_t Bytes() const { return before_.empty() ? 0 : before_.back(); }
  // How many bytes of [start, end) the set holds.
  uint64_t Held(uint64_t start, uint64_t end) const;
  // How many bytes of the set `other` holds too.
  uint64_t HeldOf(const Coverage& other) const;
  // The pieces of [start, end) outside the set, at most `max` of them: the
  // last one given runs to the end of the last piece when there are more.
  std::vector<Span> Missing(uint64_t start, uint64_t end, size_t max) const;

 private:
  // Bytes of the set below `address`.
  uint64_t Below(uint64_t address) const;

  std::vector<Span> spans_;
  std::vector<uint64_t> before_;  // before_[i]: bytes in spans_[0..i); one more entry at the end
};

}  // namespace romscope
