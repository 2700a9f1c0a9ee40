#include "host/process.h"

#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

extern char** environ;

namespace romscope {

std::string JoinCommandLine(int argc, const char* const* argv) {
  std::string line;
  for (int i = 0; i < argc; ++i) {
    if (i > 0) line += ' ';
    if (argv[i] != nullptr) line += argv[i];
  }
  return line;
}

bool EnvironmentHas(const char* name) {
  size_t length = std::strlen(name);
  for (char** entry = environ; entry != nullptr && *entry != nullptr; ++entry) {
    if (::strncasecmp(*entry, name, length) == 0 && (*entry)[length] == '=') return true;
  }
  return false;
}

namespace {
void IgnoreTrap(int) {}
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

void UseDefaultBrokenPipeHandling() {
  ::signal(SIGPIPE, SIG_DFL);
}

namespace {
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

bool FdSink::Write(const char* data, size_t size) {
  while (size > 0) {
    ssize_t done = ::write(fd_, data, size);
    if (done < 0) {
      if (errno == EINTR) continue;
      if ((errno == EAGAIN || errno == EWOULDBLOCK) && WaitUntilWritable(fd_)) continue;
      error_ = errno;
      return false;
    }
    data += done;
    size -= static_cast<size_t>(done);
  }
  return true;
}

std::string FdSink::ErrorText() const {
  return error_ != 0 ? std::strerror(error_) : "write failed";
}

}  // namespace romscope

namespace romscope {
bool FdSink::ReaderGone() const {
  return error_ == EPIPE;
}
}  // namespace romscope
