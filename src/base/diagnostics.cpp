#include "base/diagnostics.h"

#include <cstdarg>
#include <cstdio>

namespace romscope {

void Diagnostics::Warn(const char* format, ...) {
  char text[1024];
  va_list args;
  va_start(args, format);
  std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  if (!seen_.insert(text).second) return;
  out_.Flush();
  std::string line = std::string("romscope: ") + text + "\n";
  err_.Write(line.data(), line.size());
}

}  // namespace romscope
