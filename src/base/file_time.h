// File times: 64-bit counts of 100-nanosecond intervals since 1 January 1601
// UTC, turned into calendar fields of the proleptic Gregorian calendar with
// no time-zone adjustment.
#pragma once

#include <cstdint>

namespace romscope {

struct CalendarTime {
  int year = 0;
  int month = 0;
  int day = 0;
  int hour = 0;
  int minute = 0;
  int second = 0;
};

// False for values of 2^63 and more, which have no calendar date here.
bool FileTimeToCalendar(uint64_t fileTime, CalendarTime* calendar);

}  // namespace romscope
