// Standard output's paths on Windows: a full non-blocking pipe, a closed
// pipe, and a handle that refuses writes.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "host/process.h"

namespace romscope {
namespace {

std::intptr_t AsHandle(HANDLE handle) {
  return reinterpret_cast<std::intptr_t>(handle);
}

TEST(StreamSinkTest, NonBlockingPipeReadLateLosesNothing) {
  HANDLE readEnd = nullptr;
  HANDLE writeEnd = nullptr;
  ASSERT_TRUE(::CreatePipe(&readEnd, &writeEnd, nullptr, 4096));
  DWORD mode = PIPE_READMODE_BYTE | PIPE_NOWAIT;
  ASSERT_TRUE(::SetNamedPipeHandleState(writeEnd, &mode, nullptr, nullptr));
  std::string text;
  for (int i = 0; text.size() < (3 << 20); ++i) text += std::to_string(i) + '\n';

  std::string received;
  std::thread reader([&] {
    ::Sleep(500);  // the pipe has long been full
    char buffer[65536];
    DWORD got = 0;
    while (::ReadFile(readEnd, buffer, sizeof buffer, &got, nullptr)) received.append(buffer, got);
  });
  StreamSink sink(AsHandle(writeEnd));
  EXPECT_TRUE(sink.Write(text.data(), text.size()));
  ::CloseHandle(writeEnd);
  reader.join();
  ::CloseHandle(readEnd);
  EXPECT_TRUE(received == text) << received.size() << " of " << text.size() << " bytes";
}

TEST(StreamSinkTest, ClosedPipeIsAReaderGoneAway) {
  HANDLE readEnd = nullptr;
  HANDLE writeEnd = nullptr;
  ASSERT_TRUE(::CreatePipe(&readEnd, &writeEnd, nullptr, 4096));
  ::CloseHandle(readEnd);
  StreamSink sink(AsHandle(writeEnd));
  EXPECT_FALSE(sink.Write("x\n", 2));
  EXPECT_TRUE(sink.ReaderGone()) << sink.ErrorText();
  ::CloseHandle(writeEnd);
}

TEST(StreamSinkTest, OtherWriteFailuresAreReported) {
  wchar_t folder[MAX_PATH];
  wchar_t path[MAX_PATH];
  ASSERT_NE(::GetTempPathW(MAX_PATH, folder), 0u);
  ASSERT_NE(::GetTempFileNameW(folder, L"rsc", 0, path), 0u);
  // Opened for reading only: every write is refused.
  HANDLE file = ::CreateFileW(path, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  StreamSink sink(AsHandle(file));
  EXPECT_FALSE(sink.Write("x\n", 2));
  EXPECT_FALSE(sink.ReaderGone());
  EXPECT_NE(sink.ErrorText(), "");
  EXPECT_NE(sink.ErrorText(), "write failed");
  ::CloseHandle(file);
  ::DeleteFileW(path);
}

}  // namespace
}  // namespace romscope
