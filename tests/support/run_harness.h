// Whole runs in-process: a command line and in-memory files in; standard
// output, standard error and the exit status out.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>

#include "cli/driver.h"
#include "support/bin_builder.h"

namespace romscope::testing {

// Folders and files in memory, for the extraction: each path ('/' between
// names, from the folder the run was given) to its bytes, or to nothing for
// a folder.
struct FakeTree {
  std::map<std::string, std::optional<Bytes>> entries;
  // Paths whose creation fails, as on a full disk.
  std::set<std::string> refused;
};

class FakeHost : public HostServices {
 public:
  bool EnvironmentHas(const char* name) override;
  void DebugBreak() override { ++breaks; }
  std::unique_ptr<ByteSource> OpenInput(const std::string& path, std::string* reason) override;
  bool OutputIsTerminal() override { return outputIsTerminal; }
  std::unique_ptr<OutputFolder> OpenOutputFolder(const std::string& path,
                                                 std::string* reason) override;

  std::map<std::string, Bytes> files;
  std::map<std::string, uint64_t> failFrom;  // per file: reads from here on fail
  std::set<std::string> environment;         // variable names, as set
  int breaks = 0;
  bool outputIsTerminal = false;
  FakeTree tree;
  // What the output held when the debug break was raised (it must be empty).
  std::string* outputAtBreak = nullptr;
};

struct RunResult {
  std::string out;
  std::string err;
  int status = -1;
};

// Standard output goes through a writer of `writerCapacity` bytes: small, so
// that runs cross many flushes.
RunResult RunWithHost(const std::string& commandLine, FakeHost& host, size_t writerCapacity = 4096);
// Runs `commandLine` with `image` as the file "image.bin".
RunResult RunOnImage(const std::string& commandLine, const Bytes& image);

// The standard output of a run on `image` that must end with status 0 and
// print exactly `err` on standard error (nothing, unless told otherwise): a
// stray diagnostic or a changed status fails the calling test.
std::string CleanRunOutput(const std::string& commandLine, const Bytes& image,
                           const std::string& err = "");

// What such a run prints after the ROM header's last line.
std::string AfterRomHeader(const std::string& commandLine, const Bytes& image);

// The usage text, as the tool prints it after a command-line error.
extern const char kUsageText[];

// Compares long texts line by line and reports only the first difference.
void ExpectSameText(const std::string& actual, const std::string& expected);

// The lines every run on a readable image starts with.
std::string Banner(const std::string& path = "image.bin");

}  // namespace romscope::testing
