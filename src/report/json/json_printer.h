// The JSON document: the whole inspection as one JSON value on standard
// output, streamed item by item. doc/romscope.schema.json describes every
// member. Messages become problem entries ({"kind", "text", ...}) in the
// "problems" of the object where they occur; their "text" is the line the
// text report prints, without its line end. The search's notices are the
// document's own problems: they are kept, small, while the reports stream,
// and written after them.
#pragma once

#include <cstddef>
#include <cstdint>

#include "base/diagnostics.h"
#include "base/writer.h"
#include "report/json/json_writer.h"
#include "rom/consumer.h"
#include "rom/toc_report.h"

namespace romscope {

class JsonPrinter : public InspectionConsumer {
 public:
  static constexpr int kFormatVersion = 1;

  JsonPrinter(Writer& out, Diagnostics& diag);

  // What the document takes: everything, the search first.
  static InspectPlan Plan();

  void Begin(const ImageItem& image) override;
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
  void Close(const ScopeEnd& end) override;
  void End() override;

 private:
  void WriteProblems(const romscope::Problems& problems);
  void ProblemObject(const Problem& problem);
  void NoticeObject(const TocCandidate& notice, const Problem& problem);
  void OpenSymbol(const SymbolItem& symbol);
  void Name(const ItemName& name);
  void Warn(const romscope::Problems& problems);

  Writer& out_;
  Diagnostics& diag_;
  JsonWriter json_;
};

}  // namespace romscope
