// One run of the tool, from the command line to "Done.".
#pragma once

#include <string>

#include "base/diagnostics.h"
#include "base/writer.h"
#include "host/host_services.h"

namespace romscope {

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
