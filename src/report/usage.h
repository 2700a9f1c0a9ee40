// What a run prints about its own command line: the usage text, the help,
// the version, and the message of a command line it cannot run.
#pragma once

#include <cstdint>
#include <string>

#include "base/diagnostics.h"
#include "base/writer.h"

namespace romscope {

enum class CommandLineError : uint8_t {
  kNone,
  kUnknownOption,     // a token that starts with '-' and is no option
  kBadFill,           // -fill without a byte 0x0..0xFF in hexadecimal
  kFolderRequired,    // -extract without a folder
  kToolConflict,      // two of -diff, -map, -flat, -srec, -ihex, -extract
  kFilenameRequired,  // no file name
  kTwoFilenames,      // -diff with fewer than two file names
};

// The usage text, as printed after a command-line error.
void PrintUsage(Writer& out);
// The usage text and the lines for the options it does not show.
void PrintHelp(Writer& out);
void PrintVersion(Writer& out, const char* version);
// The error's message (naming `token` where there is one), then the usage text.
void PrintCommandLineError(Writer& out, CommandLineError error, const std::string& token);

// Standard output could not be written: a diagnostic, unless its reader went
// away (a closed pipe), which is not worth one.
void WarnOutputFailed(const Writer& out, Diagnostics& diag);

}  // namespace romscope
