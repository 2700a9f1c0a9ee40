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
#include <vector>

#include "base/diagnostics.h"
#include "base/writer.h"
#include "report/json/json_writer.h"
#include "rom/consumer.h"

namespace romscope {

class JsonPrinter : public InspectionConsumer {
 public:
  static constexpr int kFormatVersion = 1;

  JsonPrinter(Writer& out, Diagnostics& diag);

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
  void End() override;

 private:
  // The members of a table of contents' entry, in the order written. A
  // member whose section is not reached is written as null.
  enum TocMember : uint8_t {
    kHeader,
    kExtensions,
    kCopySections,
    kProfileTable,
    kModules,
    kFiles,
    kProfiles,
    kTocMembers
  };
  // What is open inside the table of contents' entry being written.
  enum class Open : uint8_t { kNothing, kExtensions, kList };

  void WriteProblems(const romscope::Problems& problems);
  void ProblemObject(const Problem& problem);
  // Moves from the records to the tables of contents.
  void EnterTocs();
  // Writes null for the members before `member` that were not reached, then
  // its name; closes what the section before left open.
  void TocMemberAt(TocMember member);
  void CloseSection();
  void CloseToc();
  void CloseProfile();
  void OpenSymbol(const SymbolItem& symbol);
  void Name(const ItemName& name);
  void Warn(const romscope::Problems& problems);

  Writer& out_;
  Diagnostics& diag_;
  JsonWriter json_;

  bool inTocs_ = false;
  bool tocOpen_ = false;
  unsigned tocMember_ = kTocMembers;  // the next member of the open entry
  Open open_ = Open::kNothing;
  bool profileOpen_ = false;  // a profile's object, inside the list
  bool symbolsOpen_ = false;  // its list of symbols
  bool symbolOpen_ = false;   // a symbol whose name is being written
  // Problems of the open entry and of its open extensions, written when they close.
  romscope::Problems tocProblems_;
  romscope::Problems extensionProblems_;
  romscope::Problems profileProblems_;
  // The search's notices, for the document's own problems.
  std::vector<TocCandidate> notices_;
};

}  // namespace romscope
