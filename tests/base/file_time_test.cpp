// File times to calendar fields: dates worked out by hand, a day-by-day walk
// against a calendar kept here, and the upper end of the range.
#include "base/file_time.h"

#include <gtest/gtest.h>

#include <vector>

namespace romscope {
namespace {

constexpr uint64_t kDay = 864000000000;  // in 100-nanosecond intervals

std::vector<int> Fields(uint64_t value) {
  CalendarTime t;
  if (!FileTimeToCalendar(value, &t)) return {};
  return {t.year, t.month, t.day, t.hour, t.minute, t.second};
}

TEST(FileTimeTest, KnownDatesAndTheEndOfTheRange) {
  const struct {
    uint64_t value;
    std::vector<int> fields;  // empty: the value does not convert
  } cases[] = {
      {0, {1601, 1, 1, 0, 0, 0}},
      {9999999, {1601, 1, 1, 0, 0, 0}},  // parts of a second are dropped
      {94405823990000000, {1900, 2, 28, 23, 59, 59}},
      {94405824000000000, {1900, 3, 1, 0, 0, 0}},  // 1900 has no 29 February
      {116444736000000000, {1970, 1, 1, 0, 0, 0}},
      {125963012960000000, {2000, 2, 29, 12, 34, 56}},
      {126284295000000000, {2001, 3, 7, 9, 5, 0}},
      {0x7FFFFFFFFFFFFFFF, {30828, 9, 14, 2, 48, 5}},
      {0x8000000000000000, {}},
      {0xFFFFFFFFFFFFFFFF, {}},
  };
  for (const auto& c : cases) EXPECT_EQ(Fields(c.value), c.fields) << c.value;
}

TEST(FileTimeTest, EveryDayFrom1601To3000) {
  const int lengths[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  int year = 1601, month = 1, day = 1;
  for (uint64_t value = 0; year <= 3000; value += kDay) {
    ASSERT_EQ(Fields(value), std::vector<int>({year, month, day, 0, 0, 0})) << value;
    ASSERT_EQ(Fields(value + kDay - 1), std::vector<int>({year, month, day, 23, 59, 59})) << value;
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    if (day < lengths[month - 1] + (month == 2 && leap ? 1 : 0)) {
      ++day;
    } else {
      day = 1;
      month = month % 12 + 1;
      if (month == 1) ++year;
    }
  }
}

}  // namespace
}  // namespace romscope
