// The one way out of a run: the driver, the scan, the address reader, the
// locator and the report hand every fact and every message they meet to a
// renderer, in the order they meet them, and the renderer alone decides what
// shows. Two renderers exist: the text report (text_renderer.h) and the JSON
// document (json_renderer.h).
//
// Values are handed over decoded; a null pointer stands for a structure or a
// name that could not be read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "image/bin_format.h"
#include "image/read_messages.h"
#include "image/record_scan.h"
#include "rom/model.h"
#include "rom/toc_locator.h"

namespace romscope {

class Renderer : public ReadMessages, public ScanEvents, public LocatorEvents {
 public:
  // Standard output failed: nothing more can be shown, long loops stop early.
  bool Stopped() const override = 0;

  // The run, in this order: Begin; then OpenFailed or BinHeaderFailed, which
  // end it; or BinHeaderRead, the scan's events, ScanEnd, the search's events
  // and reports, End.
  virtual void Begin(const std::string& path) = 0;
  virtual void OpenFailed(const std::string& path, const std::string& reason) = 0;
  virtual void BinHeaderFailed(BinHeaderStatus status, const std::string& path) = 0;
  virtual void BinHeaderRead(const BinHeader& header) = 0;
  virtual void ScanEnd() = 0;
  virtual void End() = 0;
  // True when the whole search is to run before the first report (the
  // reports then follow in the order found, after SearchEnd); false when each
  // report follows the search step that found its table of contents.
  virtual bool SearchFirst() const = 0;
  virtual void SearchEnd() = 0;

  // One report, for the table of contents at `toc`, from TocBegin to TocEnd.
  // Sections come in their fixed order; a section that is not reached (the
  // report ended early) sends nothing.
  virtual void TocBegin(const TocLocation& toc) = 0;
  virtual void RomHeader(const ROMHDR* header) = 0;

  // The header extensions, when the header names any: the head, then each
  // chained record at its address; a "chain information" record's data
  // follows its record (ChainData, then its entries).
  virtual void ExtensionHeadRead(uint32_t address, const ExtensionHead* head) = 0;
  virtual void ExtensionRecordRead(uint32_t address, const ExtensionRecord* record) = 0;
  virtual void ChainData(uint32_t address, uint32_t length, bool readable) = 0;
  virtual void ChainEntryRead(uint32_t index, const ChainEntry& entry) = 0;
  // The chain leads back to `address`, a record already shown: the walk ends.
  virtual void ExtensionChainCycle(uint32_t address) = 0;
  // No buffer for a chain record's data: the report ends after this.
  virtual void ExtensionBufferFailed(uint32_t length) = 0;
  virtual void ExtensionsEnd() = 0;

  // The copy sections; `count` 0 reads nothing and counts as readable. The
  // end hands on where the profiling table is then read.
  virtual void CopySectionsBegin(uint32_t count, bool readable) = 0;
  virtual void CopySection(uint32_t index, const CopyEntry& entry, bool movesProfileTable) = 0;
  virtual void CopySectionsEnd(const ProfileLocation& profile) = 0;

  // The modules. ModuleE32 and ModuleO32 come only for the detailed report;
  // the o32_rom headers only after a readable e32_rom.
  virtual void ModulesBegin(uint32_t count, bool readable) = 0;
  virtual void Module(uint32_t index, const TOCentry& entry, const char* name) = 0;
  virtual void ModuleE32(const e32_rom* e32) = 0;
  virtual void ModuleO32(uint32_t index, uint32_t address, const o32_rom* o32) = 0;
  virtual void ModuleEnd() = 0;
  virtual void ModulesEnd() = 0;

  // The files; `inRecordSpace` is null when the test was not made.
  virtual void FilesBegin(uint32_t count, bool readable) = 0;
  virtual void File(uint32_t index, const FileEntry& entry, const char* name,
                    const bool* inRecordSpace) = 0;
  virtual void FilesEnd() = 0;

  // The profiling symbols, when they are asked for. A module with symbols
  // has its hit table read (HitTable), then each symbol: its hit entry, its
  // name a piece at a time, and how the name ended: at its NUL, or at the
  // unreadable byte at `stopAddress` (a table address).
  virtual void ProfilesBegin(uint32_t count, bool readable) = 0;
  virtual void Profile(uint32_t index, const ProfileEntry& entry) = 0;
  virtual void HitTable(uint32_t address, bool readable) = 0;
  virtual void SymbolBegin(uint32_t index, const HitEntry& hit) = 0;
  virtual void SymbolName(const uint8_t* bytes, size_t size) = 0;
  virtual void SymbolEnd(bool endedAtNul, uint32_t stopAddress) = 0;
  virtual void ProfileEnd() = 0;
  virtual void ProfilesEnd() = 0;

  virtual void TocEnd() = 0;
};

}  // namespace romscope
