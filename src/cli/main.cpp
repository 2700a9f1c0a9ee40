// The program entry: the host's services around one run.
#include <unistd.h>

#include "cli/driver.h"
#include "host/process.h"

namespace {

class SystemHost : public romscope::HostServices {
 public:
  bool EnvironmentHas(const char* name) override { return romscope::EnvironmentHas(name); }
  void DebugBreak() override { romscope::RaiseDebugBreak(); }
  std::unique_ptr<romscope::ByteSource> OpenInput(const std::string& path,
                                                  std::string* reason) override {
    return romscope::OpenFileSource(path, reason);
  }
};

}  // namespace

int main(int argc, char** argv) {
  romscope::UseDefaultBrokenPipeHandling();
  romscope::FdSink stdoutSink(STDOUT_FILENO);
  romscope::FdSink stderrSink(STDERR_FILENO);
  romscope::Writer out(stdoutSink);
  romscope::Diagnostics diag(out, stderrSink);
  SystemHost host;
  return romscope::RunRomscope(romscope::JoinCommandLine(argc, argv), host, out, diag);
}
