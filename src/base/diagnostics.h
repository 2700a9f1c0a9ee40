// Messages for standard error, as "romscope: message". Standard output is
// flushed first so that the two streams keep their order on a terminal.
#pragma once

#include <set>
#include <string>

#include "base/output_sink.h"
#include "base/printf_format.h"
#include "base/writer.h"

namespace romscope {

class Diagnostics {
 public:
  Diagnostics(Writer& out, OutputSink& err) : out_(out), err_(err) {}

  // Prints the message once; a repeat of the same text is dropped.
  void Warn(const char* format, ...) ROMSCOPE_PRINTF_FORMAT(2, 3);

 private:
  Writer& out_;
  OutputSink& err_;
  std::set<std::string> seen_;
};

}  // namespace romscope
