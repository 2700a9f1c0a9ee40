#include "fuzz/fuzz_run.h"

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <nlohmann/json.hpp>
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

// Keeps the output up to a budget, for the JSON document to be parsed.
class KeepingSink : public OutputSink {
 public:
  bool Write(const char* data, size_t size) override {
    if (size > kBudget - text.size()) {
      cut = true;
      return false;
    }
    text.append(data, size);
    return true;
  }
  static constexpr size_t kBudget = 4 << 20;
  std::string text;
  bool cut = false;
};

[[noreturn]] void Finding(const char* what, const std::string& document) {
  std::fprintf(stderr, "-json: %s; the document (%zu bytes) begins: %.300s\n", what,
               document.size(), document.c_str());
  std::abort();
}

// The document must be valid JSON on every input: anything else is a finding.
void RunJson(const uint8_t* data, size_t size) {
  FuzzHost host(data, size);
  KeepingSink outSink;
  NullSink errSink;
  {
    Writer out(outSink, 1 << 16);
    Diagnostics diag(out, errSink);
    RunRomscope("romscope -json image.bin", host, out, diag);
  }
  if (outSink.cut) return;  // a document cut at the budget proves nothing
  const std::string& text = outSink.text;
  if (text.empty() || text.find('\n') != text.size() - 1) {
    Finding("not one line ending in its line break", text);
  }
  // The library's parser, without building the document in memory.
  if (!nlohmann::json::accept(text)) Finding("not valid JSON", text);
  if (text.compare(0, 26, "{\"format\":\"romscope-json\",") != 0) {
    Finding("no romscope-json document", text);
  }
}

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
  RunJson(data, size);
}

}  // namespace romscope
