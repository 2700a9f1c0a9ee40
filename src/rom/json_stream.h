// A JSON document written as it goes, so that memory is bounded by the
// largest single entry and not by the document. The stream writes only the
// structure: brackets, commas and the framing of the tool's own member names.
// Every value (number, string, true, false, null, and the few objects built
// whole) is serialized by the JSON library, which does all escaping.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>
#include <vector>

#include "base/writer.h"

namespace romscope {

// Objects keep their members in the order they were added.
using Json = nlohmann::ordered_json;

class JsonStream {
 public:
  explicit JsonStream(Writer& out);
  ~JsonStream();
  JsonStream(const JsonStream&) = delete;
  JsonStream& operator=(const JsonStream&) = delete;

  void BeginObject();
  void EndObject();
  void BeginArray();
  void EndArray();
  // A member name of the tool's own: a plain identifier, never image text.
  void Key(const char* key);

  // Values, each serialized by the library.
  void Value(const Json& value);
  void Number(uint64_t number);
  void Boolean(bool flag);
  void Null();
  // A string value kept between uses, so that long lists of names cost no
  // allocation each: fill Text(), then write it with TextValue().
  std::string& Text() { return text_.get_ref<std::string&>(); }
  void TextValue() { Value(text_); }

  // Members: the name framed here, the value serialized by the library.
  void Member(const char* key, const Json& value) {
    Key(key);
    Value(value);
  }
  void Number(const char* key, uint64_t number) {
    Key(key);
    Number(number);
  }
  void Boolean(const char* key, bool flag) {
    Key(key);
    Boolean(flag);
  }
  void Null(const char* key) {
    Key(key);
    Null();
  }
  void String(const char* key, std::string_view text) {
    Key(key);
    Text().assign(text);
    TextValue();
  }
  // Ends the document with its one line break.
  void Finish() { out_.PutChar('\n'); }

 private:
  class Serializer;
  // The comma before an element or a member that is not its container's first.
  void Separate();

  Writer& out_;
  std::unique_ptr<Serializer> serializer_;
  std::vector<bool> first_;  // per open container: nothing written in it yet
  bool afterKey_ = false;
  Json text_ = "";
};

// A problem entry: the kind of message, a stable name, and its text.
Json Problem(const char* kind, const std::string& text);

// Image bytes as text: each byte becomes the character of the same number
// (U+0000..U+00FF), UTF-8 encoded, so that any bytes make valid text and can
// be recovered exactly.
void AppendLatin1(std::string* text, const uint8_t* bytes, size_t size);
std::string Latin1(const char* text);

// Text from the command line (a path): kept as it is when it is UTF-8,
// otherwise each byte as above.
std::string CommandLineText(const std::string& text);

// A 64-bit file time as a decimal string, and as ISO 8601 UTC text
// ("2001-03-07T09:05:00Z", with seven decimals of seconds when they are not
// all zero); null when the time has no calendar date from year 1601 to 9999.
Json FileTimeRaw(uint64_t fileTime);
Json FileTimeUtc(uint64_t fileTime);

}  // namespace romscope
