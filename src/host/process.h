// Process-level services: the command line, the environment, the debugger
// hook, and the standard streams.
#pragma once

#include <string>

#include "base/output_sink.h"

namespace romscope {

// The host hands over an argument vector; the tool works on one command line,
// the program name first, the arguments joined with one blank.
std::string JoinCommandLine(int argc, const char* const* argv);

// True when the environment holds a variable of this name, matched without
// regard to letter case (the value does not matter, it may be empty).
bool EnvironmentHas(const char* name);

// Raises a breakpoint that an attached debugger stops at. Without a debugger
// the signal is caught and ignored, so the run goes on unharmed.
void RaiseDebugBreak();

// A broken pipe ends the process quietly by its signal, as other filters do.
void UseDefaultBrokenPipeHandling();

// Standard output or standard error, written with write(2).
class FdSink : public OutputSink {
 public:
  explicit FdSink(int fd) : fd_(fd) {}
  bool Write(const char* data, size_t size) override;
  std::string ErrorText() const override;
  bool ReaderGone() const override;

 private:
  int fd_;
  int error_ = 0;
};

}  // namespace romscope
