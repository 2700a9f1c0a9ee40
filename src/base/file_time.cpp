#include "base/file_time.h"

namespace romscope {

bool FileTimeToCalendar(uint64_t fileTime, CalendarTime* calendar) {
  if (fileTime >= (uint64_t{1} << 63)) return false;
  const uint64_t seconds = fileTime / 10000000;
  const uint64_t secondOfDay = seconds % 86400;
  calendar->hour = static_cast<int>(secondOfDay / 3600);
  calendar->minute = static_cast<int>(secondOfDay / 60 % 60);
  calendar->second = static_cast<int>(secondOfDay % 60);

  // Count from 1 March 1600, the start of a 400-year cycle, so that leap days
  // fall at the end of each counted year.
  const uint64_t days = seconds / 86400 + 306;  // 1 January 1601 is day 306
  const uint64_t cycle = days / 146097;
  const uint64_t dayOfCycle = days % 146097;
  const uint64_t yearOfCycle =
      (dayOfCycle - dayOfCycle / 1460 + dayOfCycle / 36524 - dayOfCycle / 146096) / 365;
  const uint64_t dayOfYear = dayOfCycle - (365 * yearOfCycle + yearOfCycle / 4 - yearOfCycle / 100);
  const uint64_t monthIndex = (5 * dayOfYear + 2) / 153;  // 0 = March
  calendar->day = static_cast<int>(dayOfYear - (153 * monthIndex + 2) / 5 + 1);
  calendar->month = static_cast<int>(monthIndex < 10 ? monthIndex + 3 : monthIndex - 9);
  calendar->year =
      static_cast<int>(1600 + 400 * cycle + yearOfCycle + (calendar->month <= 2 ? 1 : 0));
  return true;
}

}  // namespace romscope
