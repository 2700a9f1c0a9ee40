#include "fuzz/fuzz_run.h"

#include <memory>
#include <string>
#include <vector>

#include "cli/driver.h"

namespace romscope {
namespace {

class FuzzHost : public HostServices {
 public:
  FuzzHost(const uint8_t* data, size_t size) : bytes_(data, data + size) {}
  bool EnvironmentHas(const char*) override { return false; }
  void DebugBreak() override {}
  std::unique_ptr<ByteSource> OpenInput(const std::string&, std::string*) override {
    return std::make_unique<MemorySource>(bytes_);
  }

 private:
  std::vector<uint8_t> bytes_;
};

// Takes output up to a budget and then refuses it, as a full disk would:
// a run whose output is merely large ends early instead of timing out.
class BudgetSink : public OutputSink {
 public:
  bool Write(const char*, size_t size) override {
    if (size > left_) return false;
    left_ -= size;
    return true;
  }

 private:
  size_t left_ = 64 << 20;
};

}  // namespace

void FuzzOneInput(const uint8_t* data, size_t size) {
  static const char* const kCommandLines[] = {
      "romscope -data image.bin",
      "romscope -obj -sym -checkfiles image.bin",
      "romscope -toc image.bin",
  };
  for (const char* commandLine : kCommandLines) {
    FuzzHost host(data, size);
    BudgetSink outSink;
    NullSink errSink;
    Writer out(outSink, 1 << 16);
    Diagnostics diag(out, errSink);
    RunRomscope(commandLine, host, out, diag);
  }
}

}  // namespace romscope
