// Pairing the items of two lists by key: the k-th item with a key in the old
// list goes with the k-th item with that key in the new one. Each list is
// sorted once by key and position and the two are merged, so any list costs
// O(n log n) whatever its keys (a thousand items of one name included), and
// no key is copied: names stay where the inspections keep them.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string_view>
#include <vector>

namespace romscope {

// A name read from the image (its bytes), a name that could not be read, or
// a number (a start address, a position).
struct ItemKey {
  enum Type : uint8_t { kUnreadable, kName, kNumber };
  Type type = kUnreadable;
  uint64_t number = 0;
  std::string_view text;

  static ItemKey Name(std::string_view name) { return {kName, 0, name}; }
  static ItemKey Number(uint64_t value) { return {kNumber, value, {}}; }

  // Negative, zero or positive as `a` sorts before, with or after `b`.
  static int Compare(const ItemKey& a, const ItemKey& b) {
    if (a.type != b.type) return a.type < b.type ? -1 : 1;
    if (a.number != b.number) return a.number < b.number ? -1 : 1;
    return a.text.compare(b.text);
  }
};

struct Matching {
  static constexpr uint32_t kNone = UINT32_MAX;
  std::vector<uint32_t> newOfOld;  // per old item: its new partner, or kNone
  std::vector<uint32_t> oldOfNew;
  std::vector<uint32_t> oldOccurrence;  // per old item: among its key's items, from 1
  std::vector<uint32_t> newOccurrence;
};

namespace matching_detail {

// The positions 0..count-1 ordered by key, then by position.
template <typename KeyOf>
void SortedOrder(uint32_t count, const KeyOf& keyOf, std::vector<uint32_t>* order) {
  order->resize(count);
  for (uint32_t i = 0; i < count; ++i) (*order)[i] = i;
  std::sort(order->begin(), order->end(), [&](uint32_t a, uint32_t b) {
    const int c = ItemKey::Compare(keyOf(a), keyOf(b));
    return c != 0 ? c < 0 : a < b;
  });
}

// Numbers each run of equal keys in `order` from 1.
template <typename KeyOf>
void Occurrences(const std::vector<uint32_t>& order, const KeyOf& keyOf,
                 std::vector<uint32_t>* occurrence) {
  occurrence->resize(order.size());
  for (size_t i = 0; i < order.size(); ++i) {
    const bool sameAsBefore = i > 0 && ItemKey::Compare(keyOf(order[i - 1]), keyOf(order[i])) == 0;
    (*occurrence)[order[i]] = sameAsBefore ? (*occurrence)[order[i - 1]] + 1 : 1;
  }
}

}  // namespace matching_detail

// Fills `m` for lists of `oldCount` and `newCount` items whose keys
// `oldKey(i)` and `newKey(j)` give (each an ItemKey).
template <typename OldKey, typename NewKey>
void MatchByKey(uint32_t oldCount, uint32_t newCount, const OldKey& oldKey, const NewKey& newKey,
                Matching* m) {
  std::vector<uint32_t> oldOrder;
  std::vector<uint32_t> newOrder;
  matching_detail::SortedOrder(oldCount, oldKey, &oldOrder);
  matching_detail::SortedOrder(newCount, newKey, &newOrder);
  matching_detail::Occurrences(oldOrder, oldKey, &m->oldOccurrence);
  matching_detail::Occurrences(newOrder, newKey, &m->newOccurrence);
  m->newOfOld.assign(oldCount, Matching::kNone);
  m->oldOfNew.assign(newCount, Matching::kNone);
  // Both orders list each key's items by position: equal keys pair off in turn.
  size_t i = 0;
  size_t j = 0;
  while (i < oldOrder.size() && j < newOrder.size()) {
    const int c = ItemKey::Compare(oldKey(oldOrder[i]), newKey(newOrder[j]));
    if (c < 0) {
      ++i;
    } else if (c > 0) {
      ++j;
    } else {
      m->newOfOld[oldOrder[i]] = newOrder[j];
      m->oldOfNew[newOrder[j]] = oldOrder[i];
      ++i;
      ++j;
    }
  }
}

}  // namespace romscope
