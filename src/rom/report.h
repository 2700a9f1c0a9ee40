// The report for each table of contents found: the ROM header, the header
// extensions, the copy sections, the modules, the files and the profiling
// symbols, in this fixed order. Each section reads its structures through
// the address reader, decodes them and hands them to the renderer; each
// lives in a file of its own.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "base/diagnostics.h"
#include "image/image_reader.h"
#include "rom/model.h"
#include "rom/renderer.h"

namespace romscope {

// What the report reads beyond what it always reads: the text report asks
// for it by option, the JSON document always.
struct ReportPlan {
  bool details = false;     // each module's e32_rom and o32_rom headers
  bool symbols = false;     // the profiling symbols
  bool checkFiles = false;  // whether each file's data lies inside one record
};

class Report {
 public:
  static constexpr size_t kNameCapacity = 260;

  Report(const ReportPlan& plan, ImageReader& reader, uint8_t* scratch, Renderer& renderer,
         Diagnostics& diag);

  // The report for the table of contents at toc.pTOC, read with the bias
  // toc.romOffset. A pTOC of 0 names none: nothing is reported.
  void PrintToc(const TocLocation& toc);

 private:
  // The header values the later sections work from: those of the header
  // just read, or zeros when it could not be read.
  struct SavedHeader {
    uint32_t ulNumModules = 0;
    uint32_t ulNumFiles = 0;
    uint32_t ulNumCopyEntries = 0;
    uint32_t ulCopyEntriesOffset = 0;
    uint32_t ulProfSymbolOffset = 0;
  };

  bool PrintRomHeader(ROMHDR* header);
  // False only when a chain buffer could not be had: the report ends there.
  bool PrintExtensions(uint32_t ulExtensions);
  bool PrintChainData(const ExtensionRecord& record);
  ProfileLocation PrintCopySections(const SavedHeader& saved);
  void PrintModules(const SavedHeader& saved);
  void PrintModuleDetails(const TOCentry& entry);
  void PrintFiles(const SavedHeader& saved);
  void PrintSymbols(const SavedHeader& saved, const ProfileLocation& profile);
  void PrintProfile(const ProfileEntry& entry, const ProfileLocation& profile);
  // Hands over the name at *address as the one-byte-at-a-time reading gives
  // it, and moves *address to where the next name starts. False when an
  // unreadable byte ended the name; *address is then one past that byte.
  bool PrintSymbolName(uint32_t* address);

  bool Stopped() const { return renderer_.Stopped(); }
  // Reads at a table address.
  bool Read(uint8_t* dst, uint32_t address, uint64_t size) {
    return reader_.ReadImage(dst, address, size, romOffset_);
  }
  // A module's or file's name, cut to kNameCapacity - 1 bytes; null when it
  // cannot be read.
  const char* ReadName(uint32_t address);

  ReportPlan plan_;
  ImageReader& reader_;
  uint8_t* scratch_;
  Renderer& renderer_;
  Diagnostics& diag_;

  uint32_t pTOC_ = 0;
  uint32_t romOffset_ = 0;

  char name_[kNameCapacity] = {};
  std::vector<uint8_t> hitTable_;  // one module's hit table, 64 KiB
};

}  // namespace romscope
