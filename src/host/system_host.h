// The services of the system the tool runs on, and its standard streams.
#pragma once

#include "host/host_services.h"
#include "host/process.h"

namespace romscope {

class SystemHost : public HostServices {
 public:
  SystemHost() { PrepareStandardStreams(); }

  bool EnvironmentHas(const char* name) override { return romscope::EnvironmentHas(name); }
  void DebugBreak() override { RaiseDebugBreak(); }
  std::unique_ptr<ByteSource> OpenInput(const std::string& path, std::string* reason) override {
    return OpenFileSource(path, reason);
  }
  bool OutputIsTerminal() override { return IsTerminal(StandardStream::kOutput); }
  std::unique_ptr<OutputFolder> OpenOutputFolder(const std::string& path,
                                                 std::string* reason) override {
    return romscope::OpenOutputFolder(path, reason);
  }

  std::string CommandLine(int argc, const char* const* argv) const {
    return ProcessCommandLine(argc, argv);
  }
  OutputSink& StandardOutput() { return out_; }
  OutputSink& StandardError() { return err_; }

 private:
  StreamSink out_{StandardStream::kOutput};
  StreamSink err_{StandardStream::kError};
};

}  // namespace romscope
