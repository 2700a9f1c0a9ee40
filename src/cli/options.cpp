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

namespace {

// The mode a token names, for the options that choose one.
bool ModeOption(const char* token, RunMode* mode) {
  struct Form {
    const char* text;
    RunMode mode;
  };
  static const Form kForms[] = {{"-diff", RunMode::kDiff},
                                {"-map", RunMode::kMap},
                                {"-flat", RunMode::kFlat},
                                {"-srec", RunMode::kSrec},
                                {"-ihex", RunMode::kIhex}};
  for (const Form& form : kForms) {
    if (std::strcmp(token, form.text) == 0) {
      *mode = form.mode;
      return true;
    }
  }
  return false;
}

// The value of "-fill=0xHH": one byte, in hexadecimal.
bool ParseFill(const char* value, uint8_t* fill) {
  if (value[0] != '0' || (value[1] != 'x' && value[1] != 'X')) return false;
  const char* digits = value + 2;
  const size_t count = std::strlen(digits);
  if (count < 1 || count > 2) return false;
  unsigned byte = 0;
  for (const char* p = digits; *p != '\0'; ++p) {
    const char c = *p;
    unsigned digit = 0;
    if (c >= '0' && c <= '9') {
      digit = static_cast<unsigned>(c - '0');
    } else if (c >= 'a' && c <= 'f') {
      digit = static_cast<unsigned>(c - 'a' + 10);
    } else if (c >= 'A' && c <= 'F') {
      digit = static_cast<unsigned>(c - 'A' + 10);
    } else {
      return false;
    }
    byte = byte * 16 + digit;
  }
  *fill = static_cast<uint8_t>(byte);
  return true;
}

// What is wrong with an option that takes a value (kNone when it is right,
// or is no such option: `*taken` tells).
CommandLineError ValueOption(const char* token, RunOptions* options, RunMode* mode, bool* taken) {
  *taken = true;
  if (std::strncmp(token, "-fill=", 6) == 0) {
    return ParseFill(token + 6, &options->fillByte) ? CommandLineError::kNone
                                                    : CommandLineError::kBadFill;
  }
  if (std::strcmp(token, "-fill") == 0) return CommandLineError::kBadFill;
  if (std::strncmp(token, "-extract=", 9) == 0) {
    if (token[9] == '\0') return CommandLineError::kFolderRequired;
    options->extractDir = token + 9;
    *mode = RunMode::kExtract;
    return CommandLineError::kNone;
  }
  if (std::strcmp(token, "-extract") == 0) return CommandLineError::kFolderRequired;
  *taken = false;
  return CommandLineError::kNone;
}

// Ends the reading at `token`, leaving the line as it was given.
CommandLineError Refuse(CommandLineError error, const char* token, char* cursor, char savedChar,
                        std::string* wrongToken) {
  *wrongToken = token;
  *cursor = savedChar;
  return error;
}

}  // namespace

CommandLineError ParseCommandLine(char* commandLine, RunOptions* options, std::string* wrongToken) {
  char* cursor = commandLine;
  char savedChar = *commandLine;
  NextToken(cursor, savedChar);  // the program name
  int names = 0;
  while (char* token = NextToken(cursor, savedChar)) {
    if (SetOption(token, options)) continue;
    // Like an unknown option, these end the reading at once; no file name
    // is needed.
    if (std::strcmp(token, "--help") == 0 || std::strcmp(token, "--version") == 0) {
      (token[2] == 'h' ? options->showHelp : options->showVersion) = 1;
      *cursor = savedChar;
      return CommandLineError::kNone;
    }
    RunMode mode = options->mode;
    bool taken = false;
    const CommandLineError wrong = ValueOption(token, options, &mode, &taken);
    if (wrong != CommandLineError::kNone) {
      return Refuse(wrong, token, cursor, savedChar, wrongToken);
    }
    if (taken || ModeOption(token, &mode)) {
      // One tool a run: the report or one of the others.
      if (options->mode != RunMode::kReport && mode != options->mode) {
        return Refuse(CommandLineError::kToolConflict, token, cursor, savedChar, wrongToken);
      }
      options->mode = mode;
      continue;
    }
    if (token[0] == '-') {
      return Refuse(CommandLineError::kUnknownOption, token, cursor, savedChar, wrongToken);
    }
    options->earlierPath = std::move(options->inputPath);
    options->inputPath = token;
    ++names;
  }
  if (names == 0) return CommandLineError::kFilenameRequired;
  if (options->mode == RunMode::kDiff && names < 2) return CommandLineError::kTwoFilenames;
  return CommandLineError::kNone;
}

}  // namespace romscope
