#include "base/writer.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>

namespace romscope {

// PutChar needs room for one byte after a flush.
Writer::Writer(OutputSink& sink, size_t capacity)
    : sink_(sink), buffer_(std::max<size_t>(capacity, 1)) {}

Writer::~Writer() {
  Flush();
}

void Writer::Put(const char* data, size_t size) {
  if (buffer_.size() - used_ < size) {
    Flush();
    if (size > buffer_.size()) {
      // Too big to buffer: hand it over directly, in order.
      if (!failed_ && !sink_.Write(data, size)) failed_ = true;
      return;
    }
  }
  std::memcpy(buffer_.data() + used_, data, size);
  used_ += size;
}

void Writer::Printf(const char* format, ...) {
  va_list args;
  va_start(args, format);
  va_list again;
  va_copy(again, args);
  size_t room = buffer_.size() - used_;
  int length = std::vsnprintf(buffer_.data() + used_, room, format, args);
  va_end(args);
  if (length >= 0 && static_cast<size_t>(length) < room) {
    used_ += static_cast<size_t>(length);
  } else if (length >= 0) {
    std::string text(static_cast<size_t>(length) + 1, '\0');
    std::vsnprintf(text.data(), text.size(), format, again);
    Put(text.data(), static_cast<size_t>(length));
  }
  va_end(again);
}

void Writer::MakeRoom(size_t size) {
  Flush();
  if (buffer_.size() < size) buffer_.resize(size);
}

bool Writer::Flush() {
  if (used_ > 0 && !failed_ && !sink_.Write(buffer_.data(), used_)) failed_ = true;
  used_ = 0;
  return !failed_;
}

}  // namespace romscope
