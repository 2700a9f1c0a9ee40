// What the fuzz runs share: the input as the only file, and sinks for the
// output with a budget.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/output_sink.h"
#include "host/host_services.h"

namespace romscope {

// Every path opens the fuzz input; the environment is empty.
class FuzzHost : public HostServices {
 public:
  FuzzHost(const uint8_t* data, size_t size) : bytes_(data, data + size) {}
  bool EnvironmentHas(const char*) override { return false; }
  void DebugBreak() override {}
  std::unique_ptr<ByteSource> OpenInput(const std::string&, std::string*) override {
    return std::make_unique<MemorySource>(bytes_);
  }
  bool OutputIsTerminal() override { return false; }
  // The real folder service, with a quota of files and bytes (quota.h), so
  // that a hostile image extracts quickly.
  std::unique_ptr<OutputFolder> OpenOutputFolder(const std::string& path,
                                                 std::string* reason) override;

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

// Keeps the output up to a budget, for a document to be checked.
class KeepingSink : public OutputSink {
 public:
  explicit KeepingSink(size_t budget = 4 << 20) : budget_(budget) {}
  bool Write(const char* data, size_t size) override {
    if (size > budget_ - text.size()) {
      cut = true;
      return false;
    }
    text.append(data, size);
    return true;
  }
  std::string text;
  bool cut = false;

 private:
  size_t budget_;
};

// Reports a finding with the start of the output it is about, and aborts.
[[noreturn]] void Finding(const char* what, const std::string& output);

// The fuzz runs of each tool built on the whole inspection.
void FuzzDiff(const uint8_t* data, size_t size);
void FuzzMap(const uint8_t* data, size_t size);
void FuzzExport(const uint8_t* data, size_t size);

}  // namespace romscope
