#include "report/json/json_fields.h"

#include <cstdio>

#include "base/file_time.h"
#include "report/catalogue.h"

namespace romscope {

std::string FileTimeUtc(uint64_t fileTime) {
  CalendarTime t;
  if (!FileTimeToCalendar(fileTime, &t) || t.year > 9999) return {};
  char text[40];
  const unsigned fraction = static_cast<unsigned>(fileTime % 10000000);
  if (fraction == 0) {
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02dZ", t.year, t.month, t.day,
                  t.hour, t.minute, t.second);
  } else {
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%07uZ", t.year, t.month, t.day,
                  t.hour, t.minute, t.second, fraction);
  }
  return text;
}

void JsonFields::FileTime(const char* name, uint64_t fileTime) {
  json_.String(name, std::to_string(fileTime));
  const std::string reading = std::string(name) + "Utc";
  const std::string utc = FileTimeUtc(fileTime);
  json_.Key(reading.c_str());
  if (utc.empty()) {
    json_.Null();
  } else {
    json_.String(utc);
  }
}

void JsonFields::CpuName(uint16_t usCpu) {
  const char* name = romscope::CpuName(usCpu);
  json_.Key("cpuName");
  if (name != nullptr) {
    json_.String(name);
  } else {
    json_.Null();
  }
}

}  // namespace romscope
