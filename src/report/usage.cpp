#include "report/usage.h"

namespace romscope {

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

void PrintVersion(Writer& out, const char* version) {
  out.Printf("romscope %s\n", version);
}

void PrintCommandLineError(Writer& out, CommandLineError error, const std::string& token) {
  const char* message = nullptr;
  switch (error) {
    case CommandLineError::kNone:
      return;
    case CommandLineError::kUnknownOption:
      message = "Unknown option";
      break;
    case CommandLineError::kBadFill:
      message = "Bad fill byte";
      break;
    case CommandLineError::kFolderRequired:
      message = "Folder required";
      break;
    case CommandLineError::kToolConflict:
      message = "Only one of -diff, -map, -flat, -srec, -ihex, -extract";
      break;
    case CommandLineError::kFilenameRequired:
      out.Put("Filename required\n");
      break;
    case CommandLineError::kTwoFilenames:
      out.Put("Two filenames required: -diff OLD NEW\n");
      break;
  }
  if (message != nullptr) out.Printf("%s... %s\n", message, token.c_str());
  PrintUsage(out);
}

void WarnOutputFailed(const Writer& out, Diagnostics& diag) {
  if (!out.Sink().ReaderGone()) {
    diag.Warn("error writing standard output: %s", out.Sink().ErrorText().c_str());
  }
}

}  // namespace romscope
