// A JSON document written as it goes, so that memory is bounded by the
// largest single entry and not by the document. Member names are the tool's
// own plain identifiers; strings are escaped here: quotes, backslashes and
// control characters, nothing else, so that text keeps its characters.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "base/writer.h"

namespace romscope {

class JsonWriter {
 public:
  explicit JsonWriter(Writer& out) : out_(out) {}

  void BeginObject();
  void EndObject();
  void BeginArray();
  void EndArray();
  // A member name of the tool's own: a plain identifier, never image text.
  void Key(const char* key);

  void Number(uint64_t number);
  // A number that may be below zero (a difference of sizes).
  void Signed(int64_t number);
  void Boolean(bool flag);
  void Null();
  // Text that is UTF-8 already.
  void String(std::string_view text);
  // Image bytes, each as the character of the same number (U+0000..U+00FF).
  void Latin1(const uint8_t* bytes, size_t size);
  // A string of image bytes written a piece at a time.
  void BeginString();
  void Latin1Piece(const uint8_t* bytes, size_t size);
  void EndString();

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
    String(text);
  }
  // Ends the document with its one line break.
  void Finish() { out_.PutChar('\n'); }

 private:
  // The comma before an element or a member that is not its container's first.
  void Separate();
  // Writes bytes as string content; `latin1` maps each byte to a character.
  void Escaped(const uint8_t* bytes, size_t size, bool latin1);

  Writer& out_;
  std::vector<bool> first_;  // per open container: nothing written in it yet
  bool afterKey_ = false;
};

}  // namespace romscope
