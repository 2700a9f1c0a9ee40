#include "rom/json_stream.h"

#include <cstdio>
#include <cstring>

#include "base/file_time.h"

namespace romscope {

// The library's own serializer, kept for the whole document and writing
// straight into the writer: one value costs no allocation and no copy. (The
// public dump() builds a new string for every value.)
class JsonStream::Serializer {
 public:
  explicit Serializer(Writer& out)
      : serializer_(std::make_shared<WriterAdapter>(out), ' ',
                    nlohmann::detail::error_handler_t::strict) {}
  void Dump(const Json& value) { serializer_.dump(value, false, false, 0); }

 private:
  class WriterAdapter : public nlohmann::detail::output_adapter_protocol<char> {
   public:
    explicit WriterAdapter(Writer& out) : out_(out) {}
    void write_character(char c) override { out_.PutChar(c); }
    void write_characters(const char* s, std::size_t length) override { out_.Put(s, length); }

   private:
    Writer& out_;
  };

  nlohmann::detail::serializer<Json> serializer_;
};

JsonStream::JsonStream(Writer& out) : out_(out), serializer_(std::make_unique<Serializer>(out)) {}

JsonStream::~JsonStream() = default;

void JsonStream::Separate() {
  if (afterKey_) {
    afterKey_ = false;
    return;
  }
  if (first_.empty()) return;
  if (!first_.back()) out_.PutChar(',');
  first_.back() = false;
}

void JsonStream::BeginObject() {
  Separate();
  out_.PutChar('{');
  first_.push_back(true);
}

void JsonStream::EndObject() {
  out_.PutChar('}');
  first_.pop_back();
}

void JsonStream::BeginArray() {
  Separate();
  out_.PutChar('[');
  first_.push_back(true);
}

void JsonStream::EndArray() {
  out_.PutChar(']');
  first_.pop_back();
}

void JsonStream::Key(const char* key) {
  Separate();
  const size_t length = std::char_traits<char>::length(key);
  char* p = out_.Reserve(length + 3);
  p[0] = '"';
  std::memcpy(p + 1, key, length);
  p[length + 1] = '"';
  p[length + 2] = ':';
  out_.Commit(length + 3);
  afterKey_ = true;
}

void JsonStream::Value(const Json& value) {
  Separate();
  serializer_->Dump(value);
}

void JsonStream::Number(uint64_t number) {
  Value(Json(number));
}

void JsonStream::Boolean(bool flag) {
  Value(Json(flag));
}

void JsonStream::Null() {
  Value(Json());
}

Json Problem(const char* kind, const std::string& text) {
  Json problem = Json::object();
  problem["kind"] = kind;
  problem["text"] = text;
  return problem;
}

void AppendLatin1(std::string* text, const uint8_t* bytes, size_t size) {
  for (size_t i = 0; i < size; ++i) {
    const uint8_t b = bytes[i];
    if (b < 0x80) {
      text->push_back(static_cast<char>(b));
    } else {
      text->push_back(static_cast<char>(0xC0 | (b >> 6)));
      text->push_back(static_cast<char>(0x80 | (b & 0x3F)));
    }
  }
}

std::string Latin1(const char* text) {
  std::string result;
  AppendLatin1(&result, reinterpret_cast<const uint8_t*>(text),
               std::char_traits<char>::length(text));
  return result;
}

namespace {

// Well-formed UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
bool IsUtf8(const std::string& text) {
  const auto* p = reinterpret_cast<const uint8_t*>(text.data());
  const auto* end = p + text.size();
  while (p < end) {
    const uint8_t b = *p++;
    if (b < 0x80) continue;
    int more = 0;
    uint32_t code = 0;
    uint32_t least = 0;
    if ((b & 0xE0) == 0xC0) {
      more = 1, code = b & 0x1F, least = 0x80;
    } else if ((b & 0xF0) == 0xE0) {
      more = 2, code = b & 0x0F, least = 0x800;
    } else if ((b & 0xF8) == 0xF0) {
      more = 3, code = b & 0x07, least = 0x10000;
    } else {
      return false;
    }
    if (end - p < more) return false;
    for (int i = 0; i < more; ++i) {
      if ((p[i] & 0xC0) != 0x80) return false;
      code = (code << 6) | (p[i] & 0x3F);
    }
    p += more;
    if (code < least || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return false;
  }
  return true;
}

}  // namespace

std::string CommandLineText(const std::string& text) {
  return IsUtf8(text) ? text : Latin1(text.c_str());
}

Json FileTimeRaw(uint64_t fileTime) {
  return std::to_string(fileTime);
}

Json FileTimeUtc(uint64_t fileTime) {
  CalendarTime t;
  if (!FileTimeToCalendar(fileTime, &t) || t.year > 9999) return nullptr;
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

}  // namespace romscope
