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
      "  -json       Prints everything as one JSON document (see romscope(1))\r\n"
      "  -diff OLD NEW  Prints what changed from image OLD to image NEW\r\n"
      "  -map        Prints an SVG picture of the image's address space\r\n"
      "  -flat       Writes the memory image, from its start, to standard output\r\n"
      "  -fill=0xHH  The byte -flat writes where no record lies (0x00)\r\n"
      "  -srec       Writes the memory image as Motorola S-records\r\n"
      "  -ihex       Writes the memory image as Intel HEX\r\n"
      "  -extract=DIR  Writes every file and module section into folder DIR\r\n");
}

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

// What is wrong with an option that takes a value, or null when it is
// right (or is no such option: `*taken` tells).
const char* ValueOption(const char* token, RunOptions* options, RunMode* mode, bool* taken) {
  *taken = true;
  if (std::strncmp(token, "-fill=", 6) == 0) {
    return ParseFill(token + 6, &options->fillByte) ? nullptr : "Bad fill byte";
  }
  if (std::strcmp(token, "-fill") == 0) return "Bad fill byte";
  if (std::strncmp(token, "-extract=", 9) == 0) {
    if (token[9] == '\0') return "Folder required";
    options->extractDir = token + 9;
    *mode = RunMode::kExtract;
    return nullptr;
  }
  if (std::strcmp(token, "-extract") == 0) return "Folder required";
  *taken = false;
  return nullptr;
}

// Ends the reading with a message about `token` and the usage text.
int Refuse(Writer& out, const char* message, const char* token, char* cursor, char savedChar) {
  out.Printf("%s... %s\n", message, token);
  PrintUsage(out);
  *cursor = savedChar;  // leave the line as it was given
  return 0;
}

}  // namespace

int ParseCommandLine(char* commandLine, RunOptions* options, Writer& out) {
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
      return 1;
    }
    RunMode mode = options->mode;
    bool taken = false;
    if (const char* wrong = ValueOption(token, options, &mode, &taken)) {
      return Refuse(out, wrong, token, cursor, savedChar);
    }
    if (taken || ModeOption(token, &mode)) {
      // One tool a run: the report or one of the others.
      if (options->mode != RunMode::kReport && mode != options->mode) {
        return Refuse(out, "Only one of -diff, -map, -flat, -srec, -ihex, -extract", token, cursor,
                      savedChar);
      }
      options->mode = mode;
      continue;
    }
    if (token[0] == '-') return Refuse(out, "Unknown option", token, cursor, savedChar);
    options->earlierPath = std::move(options->inputPath);
    options->inputPath = token;
    ++names;
  }
  if (names == 0) {
    out.Put("Filename required\n");
    PrintUsage(out);
    return 0;
  }
  if (options->mode == RunMode::kDiff && names < 2) {
    out.Put("Two filenames required: -diff OLD NEW\n");
    PrintUsage(out);
    return 0;
  }
  return 1;
}

}  // namespace romscope
