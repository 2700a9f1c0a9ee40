// One run of the tool, from the command line to "Done.".
#pragma once

#include <memory>
#include <string>

#include "base/diagnostics.h"
#include "base/writer.h"
#include "host/byte_source.h"

namespace romscope {

// What a run needs from its host; tests and the fuzzer provide their own.
class HostServices {
 public:
  virtual ~HostServices() = default;
  virtual bool EnvironmentHas(const char* name) = 0;
  virtual void DebugBreak() = 0;
  virtual std::unique_ptr<ByteSource> OpenInput(const std::string& path, std::string* reason) = 0;
};

enum ExitStatus : int {
  kExitOk = 0,       // the run reached "Done."
  kExitFailure = 1,  // the input could not be opened or is no BIN file, or output failed
  kExitUsage = 2,    // unknown option or no file name
};

// Runs the tool on `commandLine` (program name first). Everything for
// standard output goes through `out`, which is flushed before the return;
// the result is the process exit status.
int RunRomscope(std::string commandLine, HostServices& host, Writer& out, Diagnostics& diag);

}  // namespace romscope
