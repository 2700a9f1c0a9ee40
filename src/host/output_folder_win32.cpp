// Windows folders for the extraction. Win32 has no calls relative to an
// open folder, so every name is joined to the folder's full path, in the
// "\\?\" form that takes long paths and leaves names as they are (no device
// names, no trailing dots dropped). Folders are made with CreateDirectoryW,
// which fails on any existing name; files with CREATE_NEW and
// FILE_FLAG_OPEN_REPARSE_POINT, so that nothing is overwritten and no link
// is followed. The names below the folder are all made by the run itself.
#include <windows.h>

#include <algorithm>
#include <string>

#include "base/text.h"
#include "host/output_folder.h"
#include "host/process.h"

namespace romscope {
namespace {

std::wstring Wide(const std::string& text) {
  const std::u16string wide = Utf8ToUtf16(text);
  return std::wstring(wide.begin(), wide.end());
}

std::string ErrorTextOf(DWORD error) {
  if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS) return kNameExists;
  if (error == ERROR_DIRECTORY) return kNotAFolder;
  return SystemErrorText(error);
}

class Win32File : public OutputFile {
 public:
  explicit Win32File(HANDLE handle) : handle_(handle) {}
  ~Win32File() override {
    if (handle_ != INVALID_HANDLE_VALUE) ::CloseHandle(handle_);
  }
  Win32File(const Win32File&) = delete;
  Win32File& operator=(const Win32File&) = delete;

  bool Write(const uint8_t* data, size_t size) override {
    while (size > 0) {
      const DWORD chunk = static_cast<DWORD>(std::min<size_t>(size, DWORD{1} << 30));
      DWORD done = 0;
      if (!::WriteFile(handle_, data, chunk, &done, nullptr)) {
        error_ = ::GetLastError();
        return false;
      }
      data += done;
      size -= done;
    }
    return true;
  }

  bool Close() override {
    const HANDLE handle = handle_;
    handle_ = INVALID_HANDLE_VALUE;
    if (!::CloseHandle(handle)) {
      error_ = ::GetLastError();
      return false;
    }
    return true;
  }

  std::string ErrorText() const override { return ErrorTextOf(error_); }

 private:
  HANDLE handle_;
  DWORD error_ = 0;
};

class Win32Folder : public OutputFolder {
 public:
  explicit Win32Folder(std::wstring path) : path_(std::move(path)) {}

  std::unique_ptr<OutputFolder> MakeFolder(const std::string& name, std::string* reason) override {
    if (!IsPlainName(name)) {
      *reason = kNotPlainName;
      return nullptr;
    }
    std::wstring path = path_ + L"\\" + Wide(name);
    if (!::CreateDirectoryW(path.c_str(), nullptr)) {
      *reason = ErrorTextOf(::GetLastError());
      return nullptr;
    }
    return std::make_unique<Win32Folder>(std::move(path));
  }

  std::unique_ptr<OutputFile> MakeFile(const std::string& name, std::string* reason) override {
    if (!IsPlainName(name)) {
      *reason = kNotPlainName;
      return nullptr;
    }
    const std::wstring path = path_ + L"\\" + Wide(name);
    const HANDLE handle =
        ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                      FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
      *reason = ErrorTextOf(::GetLastError());
      return nullptr;
    }
    return std::make_unique<Win32File>(handle);
  }

 private:
  std::wstring path_;
};

// The full path of `path` in the "\\?\" form.
bool FullPath(const std::string& path, std::wstring* full, std::string* reason) {
  const std::wstring wide = Wide(path);
  const DWORD size = ::GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
  std::wstring buffer(size + 1, L'\0');
  const DWORD length = size == 0
                           ? 0
                           : ::GetFullPathNameW(wide.c_str(), static_cast<DWORD>(buffer.size()),
                                                buffer.data(), nullptr);
  if (length == 0 || length >= buffer.size()) {
    *reason = SystemErrorText(::GetLastError());
    return false;
  }
  buffer.resize(length);
  while (buffer.size() > 3 && buffer.back() == L'\\') buffer.pop_back();
  if (buffer.rfind(L"\\\\?\\", 0) == 0) {
    *full = buffer;
  } else if (buffer.rfind(L"\\\\", 0) == 0) {
    *full = L"\\\\?\\UNC\\" + buffer.substr(2);
  } else {
    *full = L"\\\\?\\" + buffer;
  }
  return true;
}

bool IsEmptyFolder(const std::wstring& path, std::string* reason) {
  WIN32_FIND_DATAW entry;
  const std::wstring pattern = path + L"\\*";
  const HANDLE find = ::FindFirstFileW(pattern.c_str(), &entry);
  if (find == INVALID_HANDLE_VALUE) {
    *reason = SystemErrorText(::GetLastError());
    return false;
  }
  bool empty = true;
  do {
    const std::wstring name = entry.cFileName;
    if (name != L"." && name != L"..") empty = false;
  } while (empty && ::FindNextFileW(find, &entry));
  ::FindClose(find);
  if (!empty) *reason = kFolderNotEmpty;
  return empty;
}

}  // namespace

std::unique_ptr<OutputFolder> OpenOutputFolder(const std::string& path, std::string* reason) {
  std::wstring full;
  if (path.empty()) {
    *reason = SystemErrorText(ERROR_PATH_NOT_FOUND);
    return nullptr;
  }
  if (!FullPath(path, &full, reason)) return nullptr;
  if (!::CreateDirectoryW(full.c_str(), nullptr) && ::GetLastError() != ERROR_ALREADY_EXISTS) {
    *reason = SystemErrorText(::GetLastError());
    return nullptr;
  }
  const DWORD attributes = ::GetFileAttributesW(full.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    *reason = SystemErrorText(::GetLastError());
    return nullptr;
  }
  if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
    *reason = kFolderIsLink;
    return nullptr;
  }
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
    *reason = kNotAFolder;
    return nullptr;
  }
  if (!IsEmptyFolder(full, reason)) return nullptr;
  return std::make_unique<Win32Folder>(std::move(full));
}

}  // namespace romscope
