// POSIX folders for the extraction: every name is resolved relative to the
// descriptor of a folder opened before it (mkdirat, openat), with
// O_NOFOLLOW so that a link planted anywhere is never followed, and files
// are created with O_EXCL so that nothing is overwritten.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "host/output_folder.h"

namespace romscope {
namespace {

std::string ErrnoText(int error) {
  if (error == EEXIST) return kNameExists;
  if (error == ELOOP) return kFolderIsLink;
  if (error == ENOTDIR) return kNotAFolder;
  return std::strerror(error);
}

constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

class PosixFile : public OutputFile {
 public:
  explicit PosixFile(int fd) : fd_(fd) {}
  ~PosixFile() override {
    if (fd_ >= 0) ::close(fd_);
  }
  PosixFile(const PosixFile&) = delete;
  PosixFile& operator=(const PosixFile&) = delete;

  bool Write(const uint8_t* data, size_t size) override {
    while (size > 0) {
      const ssize_t done = ::write(fd_, data, size);
      if (done < 0) {
        if (errno == EINTR) continue;
        error_ = errno;
        return false;
      }
      data += done;
      size -= static_cast<size_t>(done);
    }
    return true;
  }

  bool Close() override {
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0 && errno != EINTR) {
      error_ = errno;
      return false;
    }
    return true;
  }

  std::string ErrorText() const override { return ErrnoText(error_); }

 private:
  int fd_;
  int error_ = 0;
};

class PosixFolder : public OutputFolder {
 public:
  explicit PosixFolder(int fd) : fd_(fd) {}
  ~PosixFolder() override { ::close(fd_); }
  PosixFolder(const PosixFolder&) = delete;
  PosixFolder& operator=(const PosixFolder&) = delete;

  std::unique_ptr<OutputFolder> MakeFolder(const std::string& name, std::string* reason) override {
    if (!IsPlainName(name)) {
      *reason = kNotPlainName;
      return nullptr;
    }
    if (::mkdirat(fd_, name.c_str(), 0777) != 0) {
      *reason = ErrnoText(errno);
      return nullptr;
    }
    const int fd = ::openat(fd_, name.c_str(), kFolderFlags);
    if (fd < 0) {
      *reason = ErrnoText(errno);
      return nullptr;
    }
    return std::make_unique<PosixFolder>(fd);
  }

  std::unique_ptr<OutputFile> MakeFile(const std::string& name, std::string* reason) override {
    if (!IsPlainName(name)) {
      *reason = kNotPlainName;
      return nullptr;
    }
    const int fd = ::openat(fd_, name.c_str(),
                            O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY, 0666);
    if (fd < 0) {
      *reason = ErrnoText(errno);
      return nullptr;
    }
    return std::make_unique<PosixFile>(fd);
  }

 private:
  int fd_;
};

// Whether the folder open at `fd` holds nothing but "." and "..".
bool IsEmptyFolder(int fd, std::string* reason) {
  const int copy = ::dup(fd);
  DIR* folder = copy >= 0 ? ::fdopendir(copy) : nullptr;
  if (folder == nullptr) {
    *reason = std::strerror(errno);
    if (copy >= 0) ::close(copy);
    return false;
  }
  bool empty = true;
  while (const struct dirent* entry = ::readdir(folder)) {
    if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0) {
      empty = false;
      break;
    }
  }
  ::closedir(folder);
  if (!empty) *reason = kFolderNotEmpty;
  return empty;
}

}  // namespace

std::unique_ptr<OutputFolder> OpenOutputFolder(const std::string& path, std::string* reason) {
  if (path.empty()) {
    *reason = std::strerror(ENOENT);
    return nullptr;
  }
  if (::mkdir(path.c_str(), 0777) != 0 && errno != EEXIST) {
    *reason = std::strerror(errno);
    return nullptr;
  }
  const int fd = ::open(path.c_str(), kFolderFlags);
  if (fd < 0) {
    // A link to a folder fails as "not a folder": say which it is.
    const int error = errno;
    struct stat info;
    const bool link = ::lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode);
    *reason = link ? kFolderIsLink : ErrnoText(error);
    return nullptr;
  }
  if (!IsEmptyFolder(fd, reason)) {
    ::close(fd);
    return nullptr;
  }
  return std::make_unique<PosixFolder>(fd);
}

}  // namespace romscope
