// The command line's options and the usage text.
#pragma once

#include "base/run_options.h"
#include "base/writer.h"

namespace romscope {

// Reads the options and the file name from `commandLine` (modified in place
// while it runs, restored when it returns). Returns 1 when the run is to go
// on, 0 when it is to end; the message and the usage text are then printed.
int ParseCommandLine(char* commandLine, RunOptions* options, Writer& out);

void PrintUsage(Writer& out);

}  // namespace romscope
