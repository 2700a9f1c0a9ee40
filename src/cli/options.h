// The command line's options and the usage text.
#pragma once

#include "base/writer.h"
#include "cli/run_options.h"

namespace romscope {

// Reads the options and the file name from `commandLine` (modified in place
// while it runs, restored when it returns). Returns 1 when the run is to go
// on, 0 when it is to end; the message and the usage text are then printed.
// "--help" and "--version" end the reading where they stand and return 1
// with showHelp or showVersion set, whether or not a file name was given.
int ParseCommandLine(char* commandLine, RunOptions* options, Writer& out);

// The usage text, as printed after a command-line error.
void PrintUsage(Writer& out);
// The usage text and the lines for the options it does not show.
void PrintHelp(Writer& out);

}  // namespace romscope
