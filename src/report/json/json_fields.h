// The structures of the image as JSON members, from their field lists: each
// field under its name, as a raw number; a reading (a processor's name, a
// date) stands right after the field it reads.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "report/json/json_writer.h"
#include "rom/fields.h"

namespace romscope {

// A 64-bit file time as ISO 8601 UTC text ("2001-03-07T09:05:00Z", with seven
// decimals of seconds when they are not all zero); empty when the time has no
// calendar date from year 1601 to 9999.
std::string FileTimeUtc(uint64_t fileTime);

class JsonFields {
 public:
  explicit JsonFields(JsonWriter& json) : json_(json) {}

  template <typename U>
  void Field(const char* name, FieldForm form, const U& value, FieldRole = FieldRole::kValue) {
    if (form == FieldForm::kFileTime) {
      FileTime(name, value);
      return;
    }
    json_.Number(name, value);
    if (form == FieldForm::kCpu) CpuName(static_cast<uint16_t>(value));
  }
  template <typename U, size_t N>
  void Array(const char* name, FieldForm, const U (&values)[N]) {
    json_.Key(name);
    json_.BeginArray();
    for (const U& value : values) json_.Number(value);
    json_.EndArray();
  }
  template <size_t N>
  void Text(const char* name, const uint8_t (&bytes)[N]) {
    size_t length = 0;
    while (length < N && bytes[length] != 0) ++length;
    json_.Key(name);
    json_.Latin1(bytes, length);
  }
  void Skip(size_t) {}

 private:
  // The raw value as a decimal string (it may pass 2^53), and the date.
  void FileTime(const char* name, uint64_t fileTime);
  void CpuName(uint16_t usCpu);

  JsonWriter& json_;
};

// The fields of `value` as members of the object being written.
template <typename T>
void WriteMembers(JsonWriter& json, const T& value) {
  JsonFields fields(json);
  T::Fields(value, fields);
}

// `value` as an object of its own.
template <typename T>
void WriteObject(JsonWriter& json, const T& value) {
  json.BeginObject();
  WriteMembers(json, value);
  json.EndObject();
}

}  // namespace romscope
