// Pairing the items of two lists by key (which key for which items:
// compare.h): the k-th item with a key in the old list goes with the k-th
// item with that key in the new one. Where the lists
// start with the same keys in the same order, their items pair by position
// (that is the same pairing: each key has as many items on both sides up to
// there); the rest of each list is sorted once by key and position and the
// two are merged. So any list costs O(n log n) whatever its keys (a thousand
// items of one name included), two lists of the same keys cost O(n) and no
// memory per item, and no key is copied: names stay where the inspections
// keep them.
#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "compare/change.h"

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
  bool operator==(const ItemKey& other) const { return Compare(*this, other) == 0; }
};

struct ItemKeyHash {
  size_t operator()(const ItemKey& key) const {
    return std::hash<std::string_view>()(key.text) ^ (std::hash<uint64_t>()(key.number) << 1) ^
           key.type;
  }
};

struct Matching {
  static constexpr uint32_t kNone = UINT32_MAX;
  uint32_t prefix = 0;  // items [0, prefix) of both lists pair by position
  // From `prefix` on: each item's partner, or kNone.
  std::vector<uint32_t> newOfOld;
  std::vector<uint32_t> oldOfNew;

  uint32_t NewOf(uint32_t i) const { return i < prefix ? i : newOfOld[i - prefix]; }
  uint32_t OldOf(uint32_t j) const { return j < prefix ? j : oldOfNew[j - prefix]; }
};

// Fills `m` for lists of `oldCount` and `newCount` items whose keys
// `oldKey(i)` and `newKey(j)` give (each an ItemKey).
template <typename OldKey, typename NewKey>
void MatchByKey(uint32_t oldCount, uint32_t newCount, const OldKey& oldKey, const NewKey& newKey,
                Matching* m) {
  uint32_t prefix = 0;
  while (prefix < oldCount && prefix < newCount && oldKey(prefix) == newKey(prefix)) ++prefix;
  m->prefix = prefix;
  m->newOfOld.assign(oldCount - prefix, Matching::kNone);
  m->oldOfNew.assign(newCount - prefix, Matching::kNone);
  if (prefix == oldCount || prefix == newCount) return;
  auto sorted = [prefix](uint32_t count, const auto& keyOf) {
    std::vector<uint32_t> order(count - prefix);
    for (uint32_t i = prefix; i < count; ++i) order[i - prefix] = i;
    std::sort(order.begin(), order.end(), [&keyOf](uint32_t a, uint32_t b) {
      const int c = ItemKey::Compare(keyOf(a), keyOf(b));
      return c != 0 ? c < 0 : a < b;
    });
    return order;
  };
  const std::vector<uint32_t> oldOrder = sorted(oldCount, oldKey);
  const std::vector<uint32_t> newOrder = sorted(newCount, newKey);
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
      m->newOfOld[oldOrder[i] - prefix] = newOrder[j];
      m->oldOfNew[newOrder[j] - prefix] = oldOrder[i];
      ++i;
      ++j;
    }
  }
}

// For the items at `positions` of a list of `count` items, how many items
// with the same key come before each, plus one. One walk over the list; the
// memory is that of the keys asked about.
template <typename KeyOf>
std::vector<uint32_t> Occurrences(uint32_t count, const KeyOf& keyOf,
                                  const std::vector<uint32_t>& positions) {
  std::vector<uint32_t> result(positions.size(), 1);
  if (positions.empty()) return result;
  std::vector<std::pair<uint32_t, size_t>> asked(positions.size());
  std::unordered_map<ItemKey, uint32_t, ItemKeyHash> seen;
  for (size_t k = 0; k < positions.size(); ++k) {
    asked[k] = {positions[k], k};
    seen.emplace(keyOf(positions[k]), 0);
  }
  std::sort(asked.begin(), asked.end());
  size_t next = 0;
  for (uint32_t i = 0; i < count && next < asked.size(); ++i) {
    const auto found = seen.find(keyOf(i));
    if (found == seen.end()) continue;
    ++found->second;
    for (; next < asked.size() && asked[next].first == i; ++next) {
      result[asked[next].second] = found->second;
    }
  }
  return result;
}

// Sets the occurrence of the changes [first, end): an added item's among the
// new list's items of its key, any other's among the old list's. `oldAt` and
// `newAt` give a change's position in each list.
template <typename OldKey, typename NewKey, typename OldAt, typename NewAt>
void NumberOccurrences(std::vector<Change>& changes, size_t first, uint32_t oldCount,
                       uint32_t newCount, const OldKey& oldKey, const NewKey& newKey,
                       const OldAt& oldAt, const NewAt& newAt) {
  for (const bool added : {false, true}) {
    std::vector<uint32_t> positions;
    std::vector<size_t> which;
    for (size_t c = first; c < changes.size(); ++c) {
      if ((changes[c].type == ChangeType::kAdded) != added) continue;
      positions.push_back(added ? newAt(changes[c]) : oldAt(changes[c]));
      which.push_back(c);
    }
    const std::vector<uint32_t> numbers =
        added ? Occurrences(newCount, newKey, positions) : Occurrences(oldCount, oldKey, positions);
    for (size_t k = 0; k < which.size(); ++k) changes[which[k]].occurrence = numbers[k];
  }
}

}  // namespace romscope
