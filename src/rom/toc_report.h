// The report of each table of contents found: the ROM header, the header
// extensions, the copy sections, the modules, the files and the profiling
// symbols, in this fixed order. Each section reads its structures through
// the address reader, decodes them into items and hands them on; each lives
// in a file of its own.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "base/stop_signal.h"
#include "image/image.h"
#include "rom/consumer.h"
#include "rom/items.h"

namespace romscope {

// What an inspection reads beyond what it always reads: the text report asks
// for it by option; the JSON document and the collected inspection take all.
struct InspectPlan {
  bool readData = false;    // every record's data: the dump, the checksum verdicts
  bool reports = false;     // the report of each table of contents found
  bool details = false;     // each module's e32_rom and o32_rom headers
  bool symbols = false;     // the profiling symbols
  bool checkFiles = false;  // whether each file's data lies inside one record
  // The whole search first, every candidate handed over, then the reports
  // (the search runs again for them, handing nothing over): for output that
  // lists the notices before the tables of contents without keeping them.
  bool searchFirst = false;

  static InspectPlan Everything() { return InspectPlan{true, true, true, true, true, false}; }
};

class TocReport {
 public:
  TocReport(const InspectPlan& plan, Image& image, InspectionConsumer& consumer,
            const StopSignal& stop);

  // The report for the table of contents at toc.pTOC, read with the bias
  // toc.romOffset. A pTOC of 0 names none: nothing is reported.
  void ReportToc(const TocLocation& toc, size_t index);

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

  // False only when a chain buffer could not be had: the report ends there.
  bool ReadExtensions(uint32_t ulExtensions);
  bool ReadChainData(ExtensionStepItem& step);
  ProfileLocation ReadCopySections(const SavedHeader& saved);
  void ReadModules(const SavedHeader& saved);
  void ReadModuleDetails(ModuleItem& module);
  void ReadFiles(const SavedHeader& saved);
  void ReadSymbols(const SavedHeader& saved, const ProfileLocation& profile);
  void ReadProfile(ProfileItem& item, const ProfileLocation& profile);
  // Hands over the name at *address as the one-byte-at-a-time reading gives
  // it, and moves *address to where the next name starts.
  void ReadSymbolName(SymbolItem& symbol, uint32_t* address);

  // Reads at a table address; a read above the reader's limit is refused
  // with a problem of its own.
  bool Read(uint8_t* dst, uint32_t address, uint64_t size, Problems& problems);
  // Reads a whole table of `count` entries into the scratch buffer.
  TableItem ReadTable(TableItem::Kind kind, uint32_t address, uint32_t count, uint32_t entrySize);
  // Notes a section reached, with the problems it leaves to the table of
  // contents as a whole.
  void Reached(ReportSection section, const Problems& problems = {});
  // The end of a table's entries, when they were listed.
  void CloseTable(const TableItem& table);
  // A module's or file's name; a problem of its own when it cannot be read.
  void ReadName(uint32_t address, ItemName* name, Problems* problems);

  InspectPlan plan_;
  Image& image_;
  InspectionConsumer& consumer_;
  const StopSignal& stop_;
  uint8_t* scratch_;

  uint32_t pTOC_ = 0;
  uint32_t romOffset_ = 0;
  // The report's end: the problems of the table of contents as a whole and
  // the sections reached (a few of each, whatever the image).
  ScopeEnd end_{ScopeEnd::kToc};

  // Kept from one entry to the next, so that a long list costs no allocation
  // per entry.
  ModuleItem module_;
  FileItem file_;
  ExtensionStepItem step_;
  char name_[ItemName::kCapacity] = {};
  std::vector<uint8_t> hitTable_;  // one module's hit table, 64 KiB
};

}  // namespace romscope
