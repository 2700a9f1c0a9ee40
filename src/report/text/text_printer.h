// The text report: every line exactly as the tool has always printed it.
// It shows the items it is given, in their order: which ones come (the data
// dump, the module details, the file test, the symbols) is the inspection
// plan's choice; only the record listing is the printer's own.
#pragma once

#include <cstdint>
#include <string>

#include "base/diagnostics.h"
#include "base/file_time.h"
#include "base/writer.h"
#include "rom/consumer.h"

namespace romscope {

class TextPrinter : public InspectionConsumer {
 public:
  // `listRecords`: a line for every record (-rec, -data); a record whose
  // data is read (-data) gets its dump and its verdict after its line.
  TextPrinter(Writer& out, Diagnostics& diag, bool listRecords);

  void Begin(const ImageItem& image) override;
  void RecordData(const RecordItem& record, uint32_t offset, const uint8_t* data,
                  size_t size) override;
  void Record(const RecordItem& record) override;
  void Candidate(const TocCandidate& candidate) override;
  void Toc(const TocItem& toc) override;
  void ExtensionHead(const ExtensionHeadItem& head) override;
  void ExtensionStep(const ExtensionStepItem& step) override;
  void CopySections(const CopySectionsItem& copies) override;
  void Table(const TableItem& table) override;
  void Module(const ModuleItem& module) override;
  void File(const FileItem& file) override;
  void Profile(const ProfileItem& profile) override;
  void SymbolName(const SymbolItem& symbol, uint64_t offset, const uint8_t* bytes,
                  size_t size) override;
  void Symbol(const SymbolItem& symbol) override;
  void End() override;

 private:
  void RecordLine(const RecordItem& record);
  void SymbolStart(const SymbolItem& symbol);
  // The problems of an item that the report shows, each as a line of its
  // own; the diagnostics go to standard error.
  void PrintProblems(const Problems& problems);
  void ModuleDetails(const ModuleItem& module, const CalendarTime& t);
  // A file time as calendar fields; all zeros when it cannot be converted.
  static CalendarTime Calendar(uint64_t fileTime);

  Writer& out_;
  Diagnostics& diag_;
  const bool listRecords_;
};

}  // namespace romscope
