// The JSON document: the whole inspection as one JSON value on standard
// output, streamed entry by entry. doc/romscope.schema.json describes every
// member. Messages become problem entries ({"kind", "text", ...}) in the
// "problems" array of the object where they occur; their "text" is the line
// the text report prints, without its line end.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/printf_format.h"
#include "base/writer.h"
#include "rom/json_stream.h"
#include "rom/renderer.h"

namespace romscope {

class JsonRenderer : public Renderer {
 public:
  static constexpr int kFormatVersion = 1;

  explicit JsonRenderer(Writer& out);

  bool Stopped() const override { return out_.Failed(); }
  void ReadTooBig(uint64_t size) override;

  void Begin(const std::string& path) override;
  void OpenFailed(const std::string& path, const std::string& reason) override;
  void BinHeaderFailed(BinHeaderStatus status, const std::string& path) override;
  void BinHeaderRead(const BinHeader& header) override;
  void Record(size_t index, const RecordInfo& record) override;
  void Terminator(const RecordInfo& record) override;
  void RecordData(uint32_t, const uint8_t*, size_t) override {}
  void RecordDataEnd(const RecordInfo& record, uint32_t sum, bool complete) override;
  void ScanEnd() override;
  bool SearchFirst() const override { return true; }
  void SearchEnd() override;
  void End() override;

  void CheckingRecord(const TocLocation&) override {}
  void TocNotice(Notice notice, const TocLocation& candidate, const ROMHDR& header) override;
  void TocFound(const TocLocation&) override {}

  void TocBegin(const TocLocation& toc) override;
  void RomHeader(const ROMHDR* header) override;
  void ExtensionHeadRead(uint32_t address, const ExtensionHead* head) override;
  void ExtensionRecordRead(uint32_t address, const ExtensionRecord* record) override;
  void ChainData(uint32_t address, uint32_t length, bool readable) override;
  void ChainEntryRead(uint32_t index, const ChainEntry& entry) override;
  void ExtensionChainCycle(uint32_t address) override;
  void ExtensionBufferFailed(uint32_t length) override;
  void ExtensionsEnd() override;
  void CopySectionsBegin(uint32_t count, bool readable) override;
  void CopySection(uint32_t index, const CopyEntry& entry, bool movesProfileTable) override;
  void CopySectionsEnd(const ProfileLocation& profile) override;
  void ModulesBegin(uint32_t count, bool readable) override;
  void Module(uint32_t index, const TOCentry& entry, const char* name) override;
  void ModuleE32(const e32_rom* e32) override;
  void ModuleO32(uint32_t index, uint32_t address, const o32_rom* o32) override;
  void ModuleEnd() override;
  void ModulesEnd() override { EndList(); }
  void FilesBegin(uint32_t count, bool readable) override;
  void File(uint32_t index, const FileEntry& entry, const char* name,
            const bool* inRecordSpace) override;
  void FilesEnd() override { EndList(); }
  void ProfilesBegin(uint32_t count, bool readable) override;
  void Profile(uint32_t index, const ProfileEntry& entry) override;
  void HitTable(uint32_t address, bool readable) override;
  void SymbolBegin(uint32_t index, const HitEntry& hit) override;
  void SymbolName(const uint8_t* bytes, size_t size) override;
  void SymbolEnd(bool endedAtNul, uint32_t stopAddress) override;
  void ProfileEnd() override;
  void ProfilesEnd() override { EndList(); }
  void TocEnd() override;

 private:
  // The members of a table of contents' entry, in the order written. A
  // member whose section is not reached is written as null.
  enum TocMember {
    kHeader,
    kExtensions,
    kCopySections,
    kProfileTable,
    kModules,
    kFiles,
    kProfiles,
    kTocMembers
  };
  // An open object whose problems are written when it closes.
  struct Level {
    std::vector<Json> problems;
  };

  static std::string Format(const char* format, ...) ROMSCOPE_PRINTF_FORMAT(1, 2);

  // Writes the members before `member` that were not reached, then its name.
  void TocMemberAt(TocMember member);
  // The section's list, or null and its message when it could not be read.
  void BeginListOf(TocMember member, bool readable, const char* kind, const char* text);
  void EndList();
  // Opens an object that collects problems; EndLevel writes them and closes it.
  void BeginLevel();
  void EndLevel();
  // A problem of the innermost open level, written when it closes.
  void AddProblem(const char* kind, const std::string& text);
  // Opens a problem's object in the stream, with its kind and text.
  void BeginProblem(const char* kind, std::string_view text);
  void Name(const char* name, uint32_t address, std::vector<Json>* problems);
  void FlushRecord(bool terminator);
  void EndChainRecord();
  void FailedDocument(const char* kind, const std::string& text,
                      const std::string* reason = nullptr);

  Writer& out_;
  JsonStream json_;
  std::vector<Level> levels_;

  // The record entry being completed; -1: not known (yet).
  RecordInfo record_;
  size_t recordIndex_ = 0;
  int checksumValid_ = -1;
  int dataComplete_ = -1;
  bool recordPending_ = false;

  unsigned tocMember_ = kTocMembers;  // the next member of the open entry
  bool listOpen_ = false;             // the current section's list is open
  bool extensionsOpen_ = false;
  bool chainRecordOpen_ = false;
  bool chainDataGiven_ = false;
  bool chainListOpen_ = false;
  bool e32Given_ = false;
  bool sectionsOpen_ = false;
  bool symbolsGiven_ = false;
  bool symbolsOpen_ = false;
  uint32_t numsyms_ = 0;

  // The symbol entry being completed; its name collects in json_.Text().
  uint32_t symbolIndex_ = 0;
  uint32_t symbolValue_ = 0;
};

}  // namespace romscope
