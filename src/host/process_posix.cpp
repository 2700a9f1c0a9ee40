// POSIX process services.
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "base/text.h"
#include "host/process.h"

extern char** environ;

namespace romscope {

std::string ProcessCommandLine(int argc, const char* const* argv) {
  return JoinCommandLine(argc, argv);
}

bool EnvironmentHas(const char* name) {
  for (char** entry = environ; entry != nullptr && *entry != nullptr; ++entry) {
    if (IsVariableNamed(*entry, name)) return true;
  }
  return false;
}

namespace {

void IgnoreTrap(int) {}

// A descriptor its parent made non-blocking refuses writes while the pipe is
// full; waiting until the reader has made room loses nothing.
bool WaitUntilWritable(int fd) {
  struct pollfd entry = {fd, POLLOUT, 0};
  while (::poll(&entry, 1, -1) < 0) {
    if (errno != EINTR) return false;
  }
  return true;
}

}  // namespace

void RaiseDebugBreak() {
  // A traced process reports the signal to its debugger before the handler
  // runs; an untraced one just runs the empty handler and goes on.
  struct sigaction quiet = {};
  struct sigaction previous = {};
  quiet.sa_handler = IgnoreTrap;
  sigemptyset(&quiet.sa_mask);
  if (::sigaction(SIGTRAP, &quiet, &previous) != 0) return;
  ::raise(SIGTRAP);
  ::sigaction(SIGTRAP, &previous, nullptr);
}

void PrepareStandardStreams() {
  // A broken pipe ends the process quietly by its signal, as other filters do.
  ::signal(SIGPIPE, SIG_DFL);
}

std::string SystemErrorText(unsigned long code) {
  return std::strerror(static_cast<int>(code));
}

bool IsTerminal(StandardStream stream) {
  return ::isatty(stream == StandardStream::kOutput ? STDOUT_FILENO : STDERR_FILENO) == 1;
}

StreamSink::StreamSink(StandardStream stream)
    : handle_(stream == StandardStream::kOutput ? STDOUT_FILENO : STDERR_FILENO) {}

bool StreamSink::Write(const char* data, size_t size) {
  const int fd = static_cast<int>(handle_);
  while (size > 0) {
    ssize_t done = ::write(fd, data, size);
    if (done < 0) {
      if (errno == EINTR) continue;
      if ((errno == EAGAIN || errno == EWOULDBLOCK) && WaitUntilWritable(fd)) continue;
      error_ = static_cast<unsigned long>(errno);
      return false;
    }
    data += done;
    size -= static_cast<size_t>(done);
  }
  return true;
}

std::string StreamSink::ErrorText() const {
  return error_ != 0 ? SystemErrorText(error_) : "write failed";
}

bool StreamSink::ReaderGone() const {
  return error_ == EPIPE;
}

}  // namespace romscope
