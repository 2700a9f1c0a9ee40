#include "report/json/json_writer.h"

#include <cstring>
#include <string>

#include "base/format.h"

namespace romscope {

void JsonWriter::Separate() {
  if (afterKey_) {
    afterKey_ = false;
    return;
  }
  if (first_.empty()) return;
  if (!first_.back()) out_.PutChar(',');
  first_.back() = false;
}

void JsonWriter::BeginObject() {
  Separate();
  out_.PutChar('{');
  first_.push_back(true);
}

void JsonWriter::EndObject() {
  out_.PutChar('}');
  first_.pop_back();
}

void JsonWriter::BeginArray() {
  Separate();
  out_.PutChar('[');
  first_.push_back(true);
}

void JsonWriter::EndArray() {
  out_.PutChar(']');
  first_.pop_back();
}

void JsonWriter::Key(const char* key) {
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

void JsonWriter::Number(uint64_t number) {
  Separate();
  char* p = out_.Reserve(20);
  out_.Commit(static_cast<size_t>(PutDecimal(p, number, 0) - p));
}

void JsonWriter::Signed(int64_t number) {
  Separate();
  char* p = out_.Reserve(21);
  char* at = p;
  if (number < 0) *at++ = '-';
  // The magnitude in unsigned arithmetic, so that INT64_MIN has one too.
  const uint64_t magnitude =
      number < 0 ? ~static_cast<uint64_t>(number) + 1 : static_cast<uint64_t>(number);
  out_.Commit(static_cast<size_t>(PutDecimal(at, magnitude, 0) - p));
}

void JsonWriter::Boolean(bool flag) {
  Separate();
  out_.Put(flag ? "true" : "false");
}

void JsonWriter::Null() {
  Separate();
  out_.Put("null");
}

void JsonWriter::String(std::string_view text) {
  BeginString();
  Escaped(reinterpret_cast<const uint8_t*>(text.data()), text.size(), false);
  EndString();
}

void JsonWriter::Latin1(const uint8_t* bytes, size_t size) {
  BeginString();
  Escaped(bytes, size, true);
  EndString();
}

void JsonWriter::BeginString() {
  Separate();
  out_.PutChar('"');
}

void JsonWriter::Latin1Piece(const uint8_t* bytes, size_t size) {
  Escaped(bytes, size, true);
}

void JsonWriter::EndString() {
  out_.PutChar('"');
}

void JsonWriter::Escaped(const uint8_t* bytes, size_t size, bool latin1) {
  // Room for the worst case of a batch: six characters a byte.
  constexpr size_t kBatch = 4096;
  static constexpr char kDigits[] = "0123456789abcdef";
  for (size_t at = 0; at < size;) {
    const size_t batch = size - at < kBatch ? size - at : kBatch;
    char* const start = out_.Reserve(6 * batch);
    char* p = start;
    for (size_t i = at; i < at + batch; ++i) {
      const uint8_t b = bytes[i];
      if (b >= 0x20 && b != '"' && b != '\\' && (b < 0x80 || !latin1)) {
        *p++ = static_cast<char>(b);
        continue;
      }
      if (b >= 0x80) {  // a Latin-1 byte as its two-byte UTF-8 form
        *p++ = static_cast<char>(0xC0 | (b >> 6));
        *p++ = static_cast<char>(0x80 | (b & 0x3F));
        continue;
      }
      *p++ = '\\';
      switch (b) {
        case '"':
        case '\\':
          *p++ = static_cast<char>(b);
          break;
        case '\b':
          *p++ = 'b';
          break;
        case '\f':
          *p++ = 'f';
          break;
        case '\n':
          *p++ = 'n';
          break;
        case '\r':
          *p++ = 'r';
          break;
        case '\t':
          *p++ = 't';
          break;
        default:
          p = PutLiteral(p, "u00");
          *p++ = kDigits[b >> 4];
          *p++ = kDigits[b & 15];
          break;
      }
    }
    out_.Commit(static_cast<size_t>(p - start));
    at += batch;
  }
}

}  // namespace romscope
