// The command line's options and the usage text.
#pragma once

#include <string>

#include "cli/run_options.h"
#include "report/usage.h"

namespace romscope {

// Reads the options and the file names from `commandLine` (modified in place
// while it runs, restored when it returns). Returns what is wrong with it,
// and in `wrongToken` the token that is, or kNone when the run is to go on.
// "--help" and "--version" end the reading where they stand, with showHelp or
// showVersion set, whether or not a file name was given.
CommandLineError ParseCommandLine(char* commandLine, RunOptions* options, std::string* wrongToken);

}  // namespace romscope
