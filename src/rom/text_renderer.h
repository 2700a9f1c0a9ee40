// The text report: every line exactly as the tool has always printed it,
// chosen by the options. This file and its two sources hold every format
// string of the report.
#pragma once

#include <cstdint>
#include <string>

#include "cli/run_options.h"
#include "base/writer.h"
#include "base/file_time.h"
#include "rom/renderer.h"

namespace romscope {

// The text after the CPU line's code. "(Unknown)" has no line end, so the
// next line of the report continues it.
const char* CpuTypeName(uint16_t usCpu);

class TextRenderer : public Renderer {
 public:
  TextRenderer(Writer& out, const RunOptions& options);

  bool Stopped() const override { return out_.Failed(); }
  void ReadTooBig(uint64_t size) override;

  void Begin(const std::string& path) override;
  void OpenFailed(const std::string& path, const std::string& reason) override;
  void BinHeaderFailed(BinHeaderStatus status, const std::string& path) override;
  void BinHeaderRead(const BinHeader& header) override;
  void Record(size_t index, const RecordInfo& record) override;
  void Terminator(const RecordInfo& record) override;
  void RecordData(uint32_t address, const uint8_t* data, size_t size) override;
  void RecordDataEnd(const RecordInfo& record, uint32_t sum, bool complete) override;
  void ScanEnd() override {}
  bool SearchFirst() const override { return false; }
  void SearchEnd() override {}
  void End() override;

  void CheckingRecord(const TocLocation& candidate) override;
  void TocNotice(Notice notice, const TocLocation& candidate, const ROMHDR& header) override;
  void TocFound(const TocLocation& toc) override;

  void TocBegin(const TocLocation&) override {}
  void RomHeader(const ROMHDR* header) override;
  void ExtensionHeadRead(uint32_t address, const ExtensionHead* head) override;
  void ExtensionRecordRead(uint32_t address, const ExtensionRecord* record) override;
  void ChainData(uint32_t, uint32_t, bool) override {}
  void ChainEntryRead(uint32_t index, const ChainEntry& entry) override;
  void ExtensionChainCycle(uint32_t) override {}
  void ExtensionBufferFailed(uint32_t length) override;
  void ExtensionsEnd() override {}
  void CopySectionsBegin(uint32_t count, bool readable) override;
  void CopySection(uint32_t index, const CopyEntry& entry, bool movesProfileTable) override;
  void CopySectionsEnd(const ProfileLocation&) override {}
  void ModulesBegin(uint32_t count, bool readable) override;
  void Module(uint32_t index, const TOCentry& entry, const char* name) override;
  void ModuleE32(const e32_rom* e32) override;
  void ModuleO32(uint32_t index, uint32_t address, const o32_rom* o32) override;
  void ModuleEnd() override;
  void ModulesEnd() override {}
  void FilesBegin(uint32_t count, bool readable) override;
  void File(uint32_t index, const FileEntry& entry, const char* name,
            const bool* inRecordSpace) override;
  void FilesEnd() override {}
  void ProfilesBegin(uint32_t count, bool readable) override;
  void Profile(uint32_t index, const ProfileEntry& entry) override;
  void HitTable(uint32_t, bool) override {}
  void SymbolBegin(uint32_t index, const HitEntry& hit) override;
  void SymbolName(const uint8_t* bytes, size_t size) override;
  void SymbolEnd(bool endedAtNul, uint32_t stopAddress) override;
  void ProfileEnd() override {}
  void ProfilesEnd() override {}
  void TocEnd() override {}

 private:
  // A file time into calendar_; all zeros when it cannot be converted.
  void ConvertTime(uint64_t fileTime);

  Writer& out_;
  const bool listRecords_;  // -rec or -data
  const bool dump_;         // -data
  const bool details_;      // -obj
  const bool checkFiles_;   // -checkfiles
  // The module whose detailed block is being printed.
  std::string moduleName_;
  bool e32Read_ = false;
  CalendarTime calendar_;
};

}  // namespace romscope
