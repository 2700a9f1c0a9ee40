// The options of one run, set once from the command line and read-only after.
#pragma once

#include <cstdint>
#include <string>

namespace romscope {

// What a run does with its image: the report (the text or the JSON
// document), or one of the tools built on the whole inspection.
enum class RunMode : uint8_t {
  kReport,
  kDiff,     // -diff OLD NEW: what changed between two images
  kMap,      // -map: an SVG picture of the address space
  kFlat,     // -flat: the memory image, byte for byte
  kSrec,     // -srec: the memory image as Motorola S-records
  kIhex,     // -ihex: the memory image as Intel HEX
  kExtract,  // -extract=DIR: the files and module sections, into DIR
};

struct RunOptions {
  int printData = 0;    // -data, -d: dump every record's bytes and checksum
  int printToc = 0;     // -toc, -t: report each table of contents
  int printObj = 0;     // -obj, -o: the report, with each module's headers
  int printRec = 0;     // -rec, -r: list the records
  int printSym = 0;     // -sym: the profiling symbols, inside the report
  int checkFiles = 0;   // -checkfiles, -c: test that each file lies in one record
  int printJson = 0;    // -json: the whole inspection as one JSON document
  int showHelp = 0;     // --help: the usage text and the lines it leaves out
  int showVersion = 0;  // --version
  RunMode mode = RunMode::kReport;
  uint8_t fillByte = 0;     // -fill=0xHH: what -flat puts where no record lies
  std::string extractDir;   // -extract=DIR
  std::string inputPath;    // the last file name
  std::string earlierPath;  // the file name before it: -diff's old image
};

}  // namespace romscope
