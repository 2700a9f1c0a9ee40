// Windows file access for the input image.
#include <windows.h>

#include <algorithm>
#include <climits>
#include <string>

#include "base/text.h"
#include "host/byte_source.h"
#include "host/process.h"

namespace romscope {
namespace {

class FileSource : public ByteSource {
 public:
  explicit FileSource(HANDLE handle) : handle_(handle) {}
  ~FileSource() override { ::CloseHandle(handle_); }
  FileSource(const FileSource&) = delete;
  FileSource& operator=(const FileSource&) = delete;

  int64_t ReadAt(uint64_t offset, uint8_t* dst, size_t size) override {
    if (offset > static_cast<uint64_t>(INT64_MAX)) return 0;
    size_t done = 0;
    while (done < size) {
      const uint64_t at = offset + done;
      if (at > static_cast<uint64_t>(INT64_MAX)) break;
      // The position travels with each read, 64 bits wide.
      OVERLAPPED position = {};
      position.Offset = static_cast<DWORD>(at);
      position.OffsetHigh = static_cast<DWORD>(at >> 32);
      const DWORD chunk = static_cast<DWORD>(std::min<size_t>(size - done, DWORD{1} << 30));
      DWORD got = 0;
      if (!::ReadFile(handle_, dst + done, chunk, &got, &position)) {
        if (::GetLastError() == ERROR_HANDLE_EOF) break;
        return -1;
      }
      if (got == 0) break;
      done += got;
    }
    return static_cast<int64_t>(done);
  }

  int64_t Size() override {
    LARGE_INTEGER size;
    if (!::GetFileSizeEx(handle_, &size)) return -1;
    return static_cast<int64_t>(size.QuadPart);
  }

 private:
  HANDLE handle_;
};

std::wstring WideName(const std::string& path) {
  const std::u16string wide = Utf8ToUtf16(path);
  return std::wstring(wide.begin(), wide.end());
}

}  // namespace

std::unique_ptr<ByteSource> OpenFileSource(const std::string& path, std::string* reason) {
  const std::wstring name = WideName(path);
  // Others may go on reading and writing the image while it is inspected.
  const HANDLE handle =
      ::CreateFileW(name.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    const DWORD error = ::GetLastError();
    // A directory refuses to open as a file; say what it is, as POSIX does.
    const DWORD attributes = ::GetFileAttributesW(name.c_str());
    const bool directory =
        attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    *reason = directory ? "Is a directory" : SystemErrorText(error);
    return nullptr;
  }
  if (::GetFileType(handle) != FILE_TYPE_DISK) {
    *reason = "not a file that can be read at any position (a pipe or a device)";
    ::CloseHandle(handle);
    return nullptr;
  }
  return std::make_unique<FileSource>(handle);
}

}  // namespace romscope
