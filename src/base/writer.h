// The one buffered writer for standard output. The report's lines go through
// Printf; the hot paths (record listing, data dump, symbol names) fill the
// buffer in place through Reserve/Commit or Put.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "base/output_sink.h"
#include "base/printf_format.h"
#include "base/stop_signal.h"

namespace romscope {

// Once a write has failed the run stops: nothing more can be shown.
class Writer : public StopSignal {
 public:
  static constexpr size_t kDefaultCapacity = 1 << 20;

  explicit Writer(OutputSink& sink, size_t capacity = kDefaultCapacity);
  ~Writer() override;
  Writer(const Writer&) = delete;
  Writer& operator=(const Writer&) = delete;

  void Put(const char* data, size_t size);
  void Put(std::string_view text) { Put(text.data(), text.size()); }
  void PutChar(char c) {
    if (used_ == buffer_.size()) Flush();
    buffer_[used_++] = c;
  }
  void Printf(const char* format, ...) ROMSCOPE_PRINTF_FORMAT(2, 3);

  // Room for `size` bytes, of any size, to be filled in place and then
  // handed over with Commit. A request larger than the capacity grows the
  // buffer to fit it, since a line filled in place cannot be split.
  char* Reserve(size_t size) {
    if (buffer_.size() - used_ < size) MakeRoom(size);
    return buffer_.data() + used_;
  }
  void Commit(size_t size) { used_ += size; }
  size_t Capacity() const { return buffer_.size(); }

  // Hands the buffered bytes to the sink. After a failed write the writer
  // drops everything that follows, so a run can go on without piling up output.
  bool Flush();
  bool Failed() const { return failed_; }
  bool Stopped() const override { return failed_; }
  const OutputSink& Sink() const { return sink_; }

 private:
  void MakeRoom(size_t size);

  OutputSink& sink_;
  std::vector<char> buffer_;
  size_t used_ = 0;
  bool failed_ = false;
};

}  // namespace romscope
