// POSIX file access for the input image.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>

#include "host/byte_source.h"

namespace romscope {
namespace {

class FileSource : public ByteSource {
 public:
  explicit FileSource(int fd) : fd_(fd) {}
  ~FileSource() override { ::close(fd_); }
  FileSource(const FileSource&) = delete;
  FileSource& operator=(const FileSource&) = delete;

  int64_t ReadAt(uint64_t offset, uint8_t* dst, size_t size) override {
    if (offset > static_cast<uint64_t>(INT64_MAX)) return 0;
    size_t done = 0;
    while (done < size) {
      uint64_t at = offset + done;
      if (at > static_cast<uint64_t>(INT64_MAX)) break;
      ssize_t got = ::pread(fd_, dst + done, size - done, static_cast<off_t>(at));
      if (got < 0) {
        if (errno == EINTR) continue;
        return -1;
      }
      if (got == 0) break;
      done += static_cast<size_t>(got);
    }
    return static_cast<int64_t>(done);
  }

  int64_t Size() override {
    struct stat info;
    if (::fstat(fd_, &info) != 0) return -1;
    return static_cast<int64_t>(info.st_size);
  }

 private:
  int fd_;
};

}  // namespace

std::unique_ptr<ByteSource> OpenFileSource(const std::string& path, std::string* reason) {
  // O_NONBLOCK keeps the open of a FIFO without a writer from hanging; the
  // type test below then turns it away.
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) {
    *reason = std::strerror(errno);
    return nullptr;
  }
  struct stat info;
  if (::fstat(fd, &info) != 0) {
    *reason = std::strerror(errno);
    ::close(fd);
    return nullptr;
  }
  if (S_ISDIR(info.st_mode)) {
    *reason = std::strerror(EISDIR);
    ::close(fd);
    return nullptr;
  }
  if (S_ISFIFO(info.st_mode) || S_ISSOCK(info.st_mode)) {
    *reason = "not a file that can be read at any position (a pipe or a socket)";
    ::close(fd);
    return nullptr;
  }
  int flags = ::fcntl(fd, F_GETFL);
  if (flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
  return std::make_unique<FileSource>(fd);
}

}  // namespace romscope
