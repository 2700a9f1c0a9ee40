// Process-level services: the command line, the environment, the debugger
// hook, and the standard streams. One implementation per platform.
#pragma once

#include <cstdint>
#include <string>

#include "base/output_sink.h"

namespace romscope {

// The process's own command line in UTF-8, the program name first. POSIX
// joins the argument vector; Windows takes the line the process was started
// with, since its argument vector holds text in the ANSI code page.
std::string ProcessCommandLine(int argc, const char* const* argv);

// True when the environment holds a variable of this name, matched without
// regard to letter case (the value does not matter, it may be empty).
bool EnvironmentHas(const char* name);

// Raises a breakpoint that an attached debugger stops at; without a debugger
// the run goes on unharmed.
void RaiseDebugBreak();

// Standard output and standard error as the tool needs them: bytes written
// exactly as given, and a reader that went away ends the run quietly.
void PrepareStandardStreams();

// The system's text for an error code: errno on POSIX, GetLastError() on
// Windows.
std::string SystemErrorText(unsigned long code);

enum class StandardStream { kOutput, kError };

// Whether the stream is a terminal (a console window on Windows).
bool IsTerminal(StandardStream stream);

// A stream the process writes to: a file descriptor on POSIX, a HANDLE on
// Windows. A full pipe that its parent made non-blocking is waited on, not
// taken for a failure.
class StreamSink : public OutputSink {
 public:
  explicit StreamSink(StandardStream stream);
  explicit StreamSink(std::intptr_t handle) : handle_(handle) {}
  bool Write(const char* data, size_t size) override;
  std::string ErrorText() const override;
  bool ReaderGone() const override;

 private:
  std::intptr_t handle_;
  unsigned long error_ = 0;  // errno, or the system's error code on Windows
};

}  // namespace romscope
