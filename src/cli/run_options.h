// The options of one run, set once from the command line and read-only after.
#pragma once

#include <string>

namespace romscope {

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
  std::string inputPath;
};

}  // namespace romscope
