// The report printed for each table of contents found: the ROM header, the
// header extensions, the copy sections, the modules, the files and the
// profiling symbols, in this fixed order. Each section lives in a file of its
// own; they share the state below.
#pragma once

#include <cstdint>
#include <vector>

#include "base/diagnostics.h"
#include "base/run_options.h"
#include "base/writer.h"
#include "host/file_time.h"
#include "image/image_reader.h"
#include "rom/rom_header.h"

namespace romscope {

// The header values the later sections need, copied out before the first
// table read replaces the header's bytes in the scratch buffer.
struct SavedHeader {
  uint32_t ulNumModules = 0;
  uint32_t ulNumFiles = 0;
  uint32_t ulNumCopyEntries = 0;
  uint32_t ulCopyEntriesOffset = 0;
  uint32_t ulProfSymbolOffset = 0;  // the current profile offset; copy sections may move it
};

// The text after the CPU line's code. "(Unknown)" has no line end, so the
// next line of the report continues it.
const char* CpuTypeName(uint16_t usCpu);

class Report {
 public:
  static constexpr size_t kNameCapacity = 260;

  Report(const RunOptions& options, ImageReader& reader, uint8_t* scratch, Writer& out,
         Diagnostics& diag);

  // Prints the report for the header at pTOC, read with the bias romOffset.
  void PrintToc(uint32_t pTOC, uint32_t romOffset);

  const SavedHeader& Saved() const { return saved_; }
  uint32_t ProfileDelta() const { return profileDelta_; }

 private:
  bool PrintRomHeader(ROMHDR* header);
  // False only when a chain buffer could not be had: the report ends there.
  bool PrintExtensions(uint32_t ulExtensions);
  void PrintCopySections();
  void PrintModules();
  void PrintFiles();
  void PrintSymbols();

  // Once standard output has failed nothing more can be shown: the long
  // loops of the report stop early.
  bool Stopped() const { return out_.Failed(); }
  // Reads at a table address.
  bool Read(uint8_t* dst, uint32_t address, uint64_t size) {
    return reader_.ReadImage(dst, address, size, romOffset_);
  }
  // A module's or file's name into name_; empty when it cannot be read.
  void ReadName(uint32_t address);
  // A file time into calendar_; all zeros when it cannot be converted.
  void ConvertTime(uint64_t fileTime);
  void PrintModuleDetails(const uint8_t* entry);
  // Prints the name at *address as the one-byte-at-a-time reading gives it,
  // and moves *address to where the next name starts.
  void PrintSymbolName(uint32_t* address);

  const RunOptions& options_;
  ImageReader& reader_;
  uint8_t* scratch_;
  Writer& out_;
  Diagnostics& diag_;

  uint32_t pTOC_ = 0;
  uint32_t romOffset_ = 0;
  SavedHeader saved_;
  uint32_t profileDelta_ = 0;

  char name_[kNameCapacity] = {};
  CalendarTime calendar_;
  std::vector<uint8_t> hitTable_;  // one module's hit table, 64 KiB
};

}  // namespace romscope
