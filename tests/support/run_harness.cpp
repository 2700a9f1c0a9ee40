#include "support/run_harness.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <sstream>

namespace romscope::testing {

bool FakeHost::EnvironmentHas(const char* name) {
  const auto lower = [](unsigned char c) { return std::tolower(c); };
  const auto sameName = [&](const std::string& variable) {
    return std::equal(variable.begin(), variable.end(), name, name + std::strlen(name),
                      [&](char a, char b) { return lower(a) == lower(b); });
  };
  return std::any_of(environment.begin(), environment.end(), sameName);
}

std::unique_ptr<ByteSource> FakeHost::OpenInput(const std::string& path, std::string* reason) {
  auto found = files.find(path);
  if (found == files.end()) {
    *reason = "No such file or directory";
    return nullptr;
  }
  auto fail = failFrom.find(path);
  return std::make_unique<MemorySource>(found->second,
                                        fail == failFrom.end() ? UINT64_MAX : fail->second);
}

namespace {

class FakeFile : public OutputFile {
 public:
  explicit FakeFile(Bytes* bytes) : bytes_(bytes) {}
  bool Write(const uint8_t* data, size_t size) override {
    bytes_->insert(bytes_->end(), data, data + size);
    return true;
  }
  bool Close() override { return true; }
  std::string ErrorText() const override { return "write failed"; }

 private:
  Bytes* bytes_;
};

class FakeFolder : public OutputFolder {
 public:
  FakeFolder(FakeTree& tree, std::string path) : tree_(tree), path_(std::move(path)) {}

  std::unique_ptr<OutputFolder> MakeFolder(const std::string& name, std::string* reason) override {
    const std::string path = path_ + "/" + name;
    if (!Make(name, path, std::nullopt, reason)) return nullptr;
    return std::make_unique<FakeFolder>(tree_, path);
  }

  std::unique_ptr<OutputFile> MakeFile(const std::string& name, std::string* reason) override {
    const std::string path = path_ + "/" + name;
    if (!Make(name, path, Bytes(), reason)) return nullptr;
    return std::make_unique<FakeFile>(&*tree_.entries[path]);
  }

 private:
  bool Make(const std::string& name, const std::string& path, std::optional<Bytes> entry,
            std::string* reason) {
    EXPECT_TRUE(IsPlainName(name)) << name;
    if (!IsPlainName(name)) {
      *reason = kNotPlainName;
    } else if (tree_.entries.count(path) != 0) {
      *reason = kNameExists;
    } else if (tree_.refused.count(path) != 0) {
      *reason = "No space left on device";
    } else {
      tree_.entries[path] = std::move(entry);
      return true;
    }
    return false;
  }

  FakeTree& tree_;
  std::string path_;
};

}  // namespace

std::unique_ptr<OutputFolder> FakeHost::OpenOutputFolder(const std::string& path,
                                                         std::string* reason) {
  auto found = tree.entries.find(path);
  if (found != tree.entries.end() && found->second) {
    *reason = kNotAFolder;
    return nullptr;
  }
  auto inside = tree.entries.lower_bound(path + "/");
  if (inside != tree.entries.end() && inside->first.compare(0, path.size() + 1, path + "/") == 0) {
    *reason = kFolderNotEmpty;
    return nullptr;
  }
  tree.entries[path] = std::nullopt;
  return std::make_unique<FakeFolder>(tree, path);
}

namespace {

// Standard output with a ceiling, so that a fault that makes a run loop ends
// as a failed test instead of a hang.
class CappedSink : public StringSink {
 public:
  bool Write(const char* data, size_t size) override {
    if (text.size() + size > kCap) return false;
    return StringSink::Write(data, size);
  }
  std::string ErrorText() const override { return "test output cap reached"; }

 private:
  static constexpr size_t kCap = 256 << 20;
};

}  // namespace

RunResult RunWithHost(const std::string& commandLine, FakeHost& host, size_t writerCapacity) {
  CappedSink outSink;
  StringSink errSink;
  RunResult result;
  {
    Writer out(outSink, writerCapacity);
    Diagnostics diag(out, errSink);
    result.status = RunRomscope(commandLine, host, out, diag);
  }
  result.out = outSink.text;
  result.err = errSink.text;
  return result;
}

RunResult RunOnImage(const std::string& commandLine, const Bytes& image) {
  FakeHost host;
  host.files["image.bin"] = image;
  return RunWithHost(commandLine, host);
}

void ExpectSameText(const std::string& actual, const std::string& expected) {
  if (actual == expected) return;
  std::istringstream a(actual);
  std::istringstream e(expected);
  std::string lineA;
  std::string lineE;
  for (size_t number = 1;; ++number) {
    bool moreA = static_cast<bool>(std::getline(a, lineA));
    bool moreE = static_cast<bool>(std::getline(e, lineE));
    if (!moreA || !moreE || lineA != lineE) {
      ADD_FAILURE() << "texts differ at line " << number
                    << "\n  actual:   " << (moreA ? lineA : "(end)")
                    << "\n  expected: " << (moreE ? lineE : "(end)")
                    << "\n  sizes: " << actual.size() << " and " << expected.size();
      return;
    }
  }
}

std::string CleanRunOutput(const std::string& commandLine, const Bytes& image,
                           const std::string& err) {
  RunResult result = RunOnImage(commandLine, image);
  EXPECT_EQ(result.err, err) << commandLine;
  EXPECT_EQ(result.status, 0) << commandLine;
  return result.out;
}

std::string AfterRomHeader(const std::string& commandLine, const Bytes& image) {
  const std::string out = CleanRunOutput(commandLine, image);
  return out.substr(out.find('\n', out.find("    Extensions          : ")) + 1);
}

const char kUsageText[] =
    "Usage: romscope [ options ] <filename>\r\n"
    "Options:\r\n"
    "  -d[ata]     Prints all data bytes (potentially huge output!)\r\n"
    "  -t[oc]      Prints Table of Contents\r\n"
    "  -o[bj]      Prints Table of Contents and Objects Information\r\n"
    "  -r[ec]      Prints Record Information\r\n"
    "  -sym        Prints Profiling Symbol Information\r\n";

std::string Banner(const std::string& path) {
  return "RomScope... " + path + "\n";
}

}  // namespace romscope::testing
