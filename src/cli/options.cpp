#include "cli/options.h"

#include <cstring>

#include "cli/tokenizer.h"

namespace romscope {
namespace {

// Sets the flag that `token` names; false when it names none. The match is
// exact: the listed long and short forms only, letter case included.
bool SetOption(const char* token, RunOptions* options) {
  struct Form {
    const char* text;
    int RunOptions::*flag;
  };
  static const Form kForms[] = {
      {"-data", &RunOptions::printData}, {"-d", &RunOptions::printData},
      {"-toc", &RunOptions::printToc},   {"-t", &RunOptions::printToc},
      {"-obj", &RunOptions::printObj},   {"-o", &RunOptions::printObj},
      {"-rec", &RunOptions::printRec},   {"-r", &RunOptions::printRec},
      {"-sym", &RunOptions::printSym},   {"-checkfiles", &RunOptions::checkFiles},
      {"-c", &RunOptions::checkFiles},   {"-json", &RunOptions::printJson},
  };
  for (const Form& form : kForms) {
    if (std::strcmp(token, form.text) == 0) {
      options->*form.flag = 1;
      return true;
    }
  }
  return false;
}

}  // namespace

void PrintUsage(Writer& out) {
  out.Put(
      "Usage: romscope [ options ] <filename>\r\n"
      "Options:\r\n"
      "  -d[ata]     Prints all data bytes (potentially huge output!)\r\n"
      "  -t[oc]      Prints Table of Contents\r\n"
      "  -o[bj]      Prints Table of Contents and Objects Information\r\n"
      "  -r[ec]      Prints Record Information\r\n"
      "  -sym        Prints Profiling Symbol Information\r\n");
}

void PrintHelp(Writer& out) {
  PrintUsage(out);
  out.Put(
      "  -c[heckfiles] Warns of each file whose data is not inside one record\r\n"
      "  -json       Prints everything as one JSON document (see romscope(1))\r\n");
}

int ParseCommandLine(char* commandLine, RunOptions* options, Writer& out) {
  char* cursor = commandLine;
  char savedChar = *commandLine;
  NextToken(cursor, savedChar);  // the program name
  bool haveName = false;
  while (char* token = NextToken(cursor, savedChar)) {
    if (SetOption(token, options)) continue;
    // Like an unknown option, these end the reading at once; no file name
    // is needed.
    if (std::strcmp(token, "--help") == 0 || std::strcmp(token, "--version") == 0) {
      (token[2] == 'h' ? options->showHelp : options->showVersion) = 1;
      *cursor = savedChar;
      return 1;
    }
    if (token[0] == '-') {
      out.Printf("Unknown option... %s\n", token);
      PrintUsage(out);
      *cursor = savedChar;  // leave the line as it was given
      return 0;
    }
    options->inputPath = token;
    haveName = true;
  }
  if (!haveName) {
    out.Put("Filename required\n");
    PrintUsage(out);
    return 0;
  }
  return 1;
}

}  // namespace romscope
