// The consumer of an inspection's items, one method per item kind, called in
// the order the image is read:
//
//   Begin, with the image item; then, when the image is usable, every record
//   (its data first, a chunk at a time, when the data is read), then the
//   search: each candidate header tried, and after each one found its report:
//   Toc, ExtensionHead and its ExtensionSteps (when the header names
//   extensions), CopySections, the module Table and its Modules, the file
//   Table and its Files, the profiling Table and its Profiles with their
//   Symbols (each symbol's name a piece at a time, then the symbol); last End.
//   Close marks where a scope ends (ScopeEnd): after the records, after the
//   search's notices when the search comes first, after an extension chain, a
//   listed table, each profile and each report; a consumer that writes
//   nested output opens and closes its scopes at these items alone.
//
// A report that ends early (no memory for a chain's data) sends nothing of
// the sections it did not reach; sections not asked for send nothing.
// Consumers only take: what is read, and in which order, is the inspection's.
#pragma once

#include <cstddef>
#include <cstdint>

#include "image/record_scan.h"
#include "rom/items.h"

namespace romscope {

class InspectionConsumer : public RecordConsumer {
 public:
  virtual void Begin(const ImageItem& image) = 0;
  void RecordData(const RecordItem&, uint32_t, const uint8_t*, size_t) override {}
  void Record(const RecordItem& record) override = 0;
  virtual void Candidate(const TocCandidate& candidate) = 0;
  virtual void Toc(const TocItem& toc) = 0;
  virtual void ExtensionHead(const ExtensionHeadItem& head) = 0;
  virtual void ExtensionStep(const ExtensionStepItem& step) = 0;
  virtual void CopySections(const CopySectionsItem& copies) = 0;
  virtual void Table(const TableItem& table) = 0;
  virtual void Module(const ModuleItem& module) = 0;
  virtual void File(const FileItem& file) = 0;
  virtual void Profile(const ProfileItem& profile) = 0;
  // A piece of the symbol's name, `offset` bytes into it.
  virtual void SymbolName(const SymbolItem&, uint64_t, const uint8_t*, size_t) {}
  virtual void Symbol(const SymbolItem& symbol) = 0;
  virtual void Close(const ScopeEnd&) {}
  virtual void End() = 0;
};

}  // namespace romscope
