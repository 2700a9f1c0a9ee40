// MatchByKey on lists of keys written as letters: the k-th item with a key
// in the old list pairs with the k-th item with that key in the new one.
#include <gtest/gtest.h>

#include <string>

#include "compare/matching.h"

namespace romscope::testing {
namespace {

struct MatchRow {
  const char* oldKeys;
  const char* newKeys;
  uint32_t prefix;       // the items that pair by position
  const char* newOfOld;  // each old item's partner's position, '-' for none
  const char* oldOfNew;
};

// Each key a one-letter name; '?' a name that could not be read.
ItemKey KeyAt(const std::string& keys, uint32_t i) {
  if (keys[i] == '?') return ItemKey{};
  return ItemKey::Name(std::string_view(keys).substr(i, 1));
}

std::string Partners(uint32_t count, const Matching& m, bool ofOld) {
  std::string text;
  for (uint32_t i = 0; i < count; ++i) {
    const uint32_t partner = ofOld ? m.NewOf(i) : m.OldOf(i);
    text += partner == Matching::kNone ? '-' : static_cast<char>('0' + partner);
  }
  return text;
}

TEST(MatchingTest, TheKthItemOfAKeyWithTheKth) {
  const MatchRow rows[] = {
      {"", "", 0, "", ""},
      {"abc", "abc", 3, "012", "012"},        // the same keys: all by position
      {"abc", "ab", 2, "01-", "01"},          // only the old list has c
      {"ab", "abc", 2, "01", "01-"},          // only the new list has c
      {"abcd", "abxdc", 2, "0143", "01-32"},  // a prefix, then merged by key
      {"cba", "abc", 0, "210", "210"},        // reordered
      {"aab", "baa", 0, "120", "201"},        // repeated keys in turn
      {"aaa", "aa", 2, "01-", "01"},          // a third a has no partner
      {"xaay", "aaz", 0, "-01-", "12-"},      // keys only on one side
      {"??a", "a?", 0, "1-0", "20"},          // unreadable names are a key too
      {"abab", "bbaa", 0, "2031", "1302"},
  };
  for (const MatchRow& row : rows) {
    const std::string o = row.oldKeys;
    const std::string n = row.newKeys;
    Matching m;
    m.prefix = 99;
    m.newOfOld.assign(5, 7);
    MatchByKey(
        static_cast<uint32_t>(o.size()), static_cast<uint32_t>(n.size()),
        [&](uint32_t i) { return KeyAt(o, i); }, [&](uint32_t j) { return KeyAt(n, j); }, &m);
    const std::string which = o + " / " + n;
    EXPECT_EQ(m.prefix, row.prefix) << which;
    EXPECT_EQ(Partners(static_cast<uint32_t>(o.size()), m, true), row.newOfOld) << which;
    EXPECT_EQ(Partners(static_cast<uint32_t>(n.size()), m, false), row.oldOfNew) << which;
    // Beyond the prefix only: the fast path keeps no memory per item.
    EXPECT_EQ(m.newOfOld.size(), o.size() - row.prefix) << which;
  }
}

}  // namespace
}  // namespace romscope::testing
