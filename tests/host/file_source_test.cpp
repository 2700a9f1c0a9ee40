// The input file as the system opens it: names in UTF-8 with non-ASCII
// characters, positions past 4 GiB, and paths that are no file.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "host/byte_source.h"

namespace romscope {
namespace {

namespace fs = std::filesystem;

class FileSourceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ =
        fs::temp_directory_path() /
        ("romscope-test-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
    fs::create_directories(folder_);
  }
  void TearDown() override { fs::remove_all(folder_); }
  // The path of `name` (UTF-8) in the test's folder, as UTF-8.
  std::string PathOf(const std::string& name) const {
    return (folder_ / fs::u8path(name)).u8string();
  }
  fs::path folder_;
};

TEST_F(FileSourceTest, NonAsciiNameOpensAndReadsAtAnyPosition) {
  const std::string path = PathOf("r\xC3\xB6m \xE2\x82\xAC \xF0\x9D\x84\x9E.bin");
  std::ofstream(fs::u8path(path), std::ios::binary) << "abcdef";
  std::string reason;
  std::unique_ptr<ByteSource> source = OpenFileSource(path, &reason);
  ASSERT_NE(source, nullptr) << reason;
  uint8_t bytes[8] = {};
  EXPECT_EQ(source->ReadAt(2, bytes, 8), 4);  // short at the end
  EXPECT_EQ(std::string(bytes, bytes + 4), "cdef");
  EXPECT_EQ(source->ReadAt(0, bytes, 2), 2);
  EXPECT_EQ(std::string(bytes, bytes + 2), "ab");
  // A position past 4 GiB is past this file's end, not a position cut to
  // 32 bits.
  EXPECT_EQ(source->ReadAt((uint64_t{1} << 32) + 1, bytes, 4), 0);
  EXPECT_EQ(source->ReadAt(UINT64_MAX, bytes, 4), 0);
}

TEST_F(FileSourceTest, OnlyAnExistingFileOpens) {
  std::string reason;
  EXPECT_EQ(OpenFileSource(folder_.u8string(), &reason), nullptr);
  EXPECT_EQ(reason, "Is a directory");
  reason.clear();
  EXPECT_EQ(OpenFileSource(PathOf("missing.bin"), &reason), nullptr);
  EXPECT_NE(reason, "");
  EXPECT_FALSE(fs::exists(fs::u8path(PathOf("missing.bin"))));  // never created
}

}  // namespace
}  // namespace romscope
