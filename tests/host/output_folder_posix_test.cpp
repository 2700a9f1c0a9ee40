// The POSIX folder service on a real folder: what it refuses to open, names
// it refuses, and links it never follows.
#include "host/output_folder.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>

namespace romscope {
namespace {

class OutputFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/romscope-folder-test-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    root_ = pattern;
  }
  void TearDown() override {
    const std::string command = "rm -rf '" + root_ + "'";
    EXPECT_EQ(std::system(command.c_str()), 0);
  }
  bool Exists(const std::string& path) const {
    struct stat info;
    return ::lstat((root_ + "/" + path).c_str(), &info) == 0;
  }
  std::string root_;
};

TEST_F(OutputFolderTest, OpensOnlyANewOrEmptyFolderThatIsNoLink) {
  std::string reason;
  EXPECT_NE(OpenOutputFolder(root_ + "/new", &reason), nullptr) << reason;
  EXPECT_NE(OpenOutputFolder(root_ + "/new", &reason), nullptr) << "an empty folder is taken";

  ASSERT_EQ(::mkdir((root_ + "/full").c_str(), 0777), 0);
  std::ofstream(root_ + "/full/x") << "x";
  EXPECT_EQ(OpenOutputFolder(root_ + "/full", &reason), nullptr);
  EXPECT_EQ(reason, kFolderNotEmpty);

  ASSERT_EQ(::symlink((root_ + "/new").c_str(), (root_ + "/link").c_str()), 0);
  EXPECT_EQ(OpenOutputFolder(root_ + "/link", &reason), nullptr);
  EXPECT_EQ(reason, kFolderIsLink);

  EXPECT_EQ(OpenOutputFolder(root_ + "/full/x", &reason), nullptr);
  EXPECT_EQ(reason, kNotAFolder);
  EXPECT_EQ(OpenOutputFolder(root_ + "/missing/below", &reason), nullptr);
}

TEST_F(OutputFolderTest, CreatesExclusivelyAndNeverThroughALink) {
  std::string reason;
  std::unique_ptr<OutputFolder> out = OpenOutputFolder(root_ + "/out", &reason);
  ASSERT_NE(out, nullptr) << reason;
  std::unique_ptr<OutputFolder> sub = out->MakeFolder("sub", &reason);
  ASSERT_NE(sub, nullptr) << reason;
  std::unique_ptr<OutputFile> file = sub->MakeFile("a.bin", &reason);
  ASSERT_NE(file, nullptr) << reason;
  const uint8_t bytes[] = {1, 2, 3};
  EXPECT_TRUE(file->Write(bytes, sizeof bytes));
  EXPECT_TRUE(file->Close());
  struct stat info;
  ASSERT_EQ(::stat((root_ + "/out/sub/a.bin").c_str(), &info), 0);
  EXPECT_EQ(info.st_size, 3);

  // Nothing is made twice, and no name but a plain one is taken.
  EXPECT_EQ(sub->MakeFile("a.bin", &reason), nullptr);
  EXPECT_EQ(reason, kNameExists);
  EXPECT_EQ(out->MakeFolder("sub", &reason), nullptr);
  EXPECT_EQ(reason, kNameExists);
  for (const char* name : {"", ".", "..", "../escape", "a/b", "a\\b"}) {
    EXPECT_EQ(out->MakeFile(name, &reason), nullptr) << name;
    EXPECT_EQ(reason, kNotPlainName);
    EXPECT_EQ(out->MakeFolder(name, &reason), nullptr) << name;
  }
  EXPECT_FALSE(Exists("escape"));

  // A link planted where a name is to go is not followed, dangling or not.
  ASSERT_EQ(::symlink((root_ + "/target").c_str(), (root_ + "/out/planted").c_str()), 0);
  EXPECT_EQ(out->MakeFile("planted", &reason), nullptr);
  EXPECT_EQ(out->MakeFolder("planted", &reason), nullptr);
  EXPECT_FALSE(Exists("target"));
  // Nor is a folder replaced by a link after it was opened: names resolve
  // in the folder first opened.
  ASSERT_EQ(::rename((root_ + "/out/sub").c_str(), (root_ + "/moved").c_str()), 0);
  ASSERT_EQ(::symlink((root_ + "/elsewhere").c_str(), (root_ + "/out/sub").c_str()), 0);
  ASSERT_EQ(::mkdir((root_ + "/elsewhere").c_str(), 0777), 0);
  ASSERT_NE(sub->MakeFile("b.bin", &reason), nullptr) << reason;
  EXPECT_TRUE(Exists("moved/b.bin"));
  EXPECT_FALSE(Exists("elsewhere/b.bin"));
}

}  // namespace
}  // namespace romscope
