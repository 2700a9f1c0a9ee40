// Windows process services.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>

#include "base/text.h"
#include "host/process.h"

namespace romscope {
namespace {

std::u16string Utf16Of(const wchar_t* text, size_t length) {
  return std::u16string(text, text + length);
}

}  // namespace

std::string ProcessCommandLine(int, const char* const*) {
  const wchar_t* line = ::GetCommandLineW();
  return Utf16ToUtf8(Utf16Of(line, std::wcslen(line)));
}

bool EnvironmentHas(const char* name) {
  wchar_t* block = ::GetEnvironmentStringsW();
  if (block == nullptr) return false;
  bool found = false;
  // The block holds "NAME=value" entries one after the other, each ended by
  // a NUL, and an empty entry at the end.
  for (const wchar_t* entry = block; *entry != L'\0' && !found;) {
    const size_t length = std::wcslen(entry);
    found = IsVariableNamed(Utf16ToUtf8(Utf16Of(entry, length)), name);
    entry += length + 1;
  }
  ::FreeEnvironmentStringsW(block);
  return found;
}

void RaiseDebugBreak() {
  // Without a debugger the breakpoint would end the process.
  if (::IsDebuggerPresent()) ::DebugBreak();
}

void PrepareStandardStreams() {
  // The tool writes through the system's handles, which never translate line
  // breaks; binary mode keeps anything written through the C runtime byte
  // for byte too.
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
}

std::string SystemErrorText(unsigned long code) {
  wchar_t* text = nullptr;
  const DWORD length = ::FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::string message;
  if (length > 0 && text != nullptr) message = Utf16ToUtf8(Utf16Of(text, length));
  ::LocalFree(text);
  // The system's messages end with a line break.
  while (!message.empty() &&
         (message.back() == '\n' || message.back() == '\r' || message.back() == ' ')) {
    message.pop_back();
  }
  return message.empty() ? "system error " + std::to_string(code) : message;
}

bool IsTerminal(StandardStream stream) {
  const HANDLE handle =
      ::GetStdHandle(stream == StandardStream::kOutput ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE);
  DWORD mode = 0;
  // A console answers GetConsoleMode; a file, a pipe or the null device does not.
  return handle != INVALID_HANDLE_VALUE && handle != nullptr &&
         ::GetFileType(handle) == FILE_TYPE_CHAR && ::GetConsoleMode(handle, &mode) != 0;
}

StreamSink::StreamSink(StandardStream stream)
    : handle_(reinterpret_cast<std::intptr_t>(::GetStdHandle(
          stream == StandardStream::kOutput ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE))) {}

bool StreamSink::Write(const char* data, size_t size) {
  const HANDLE handle = reinterpret_cast<HANDLE>(handle_);
  while (size > 0) {
    const DWORD chunk = static_cast<DWORD>(std::min<size_t>(size, DWORD{1} << 30));
    DWORD done = 0;
    if (!::WriteFile(handle, data, chunk, &done, nullptr)) {
      error_ = ::GetLastError();
      return false;
    }
    if (done == 0) {
      // A pipe in non-blocking mode takes nothing while it is full, and an
      // anonymous pipe offers nothing to wait on: try again a moment later.
      ::Sleep(1);
      continue;
    }
    data += done;
    size -= done;
  }
  return true;
}

std::string StreamSink::ErrorText() const {
  return error_ != 0 ? SystemErrorText(error_) : "write failed";
}

bool StreamSink::ReaderGone() const {
  // A pipe whose reader has closed it or is closing it; wine reports a POSIX
  // pipe without a reader as no longer connected.
  return error_ == ERROR_NO_DATA || error_ == ERROR_BROKEN_PIPE ||
         error_ == ERROR_PIPE_NOT_CONNECTED;
}

}  // namespace romscope
