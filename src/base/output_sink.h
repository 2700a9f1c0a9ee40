// Where buffered output finally goes: standard output or standard error in
// the tool, a string in tests and in the fuzzer.
#pragma once

#include <cstddef>
#include <string>

namespace romscope {

class OutputSink {
 public:
  virtual ~OutputSink() = default;
  // Writes all `size` bytes; false when the destination refused them.
  virtual bool Write(const char* data, size_t size) = 0;
  // Why the last write failed, for the error message.
  virtual std::string ErrorText() const { return "write failed"; }
  // The reader went away (a closed pipe): not worth a message.
  virtual bool ReaderGone() const { return false; }
};

class StringSink : public OutputSink {
 public:
  bool Write(const char* data, size_t size) override {
    text.append(data, size);
    return true;
  }
  std::string text;
};

// Accepts and forgets everything (the fuzzer's standard output).
class NullSink : public OutputSink {
 public:
  bool Write(const char*, size_t) override { return true; }
};

}  // namespace romscope
