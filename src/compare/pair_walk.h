// The fields of two matched items, side by side. One walk per kind of item
// names, for the pair, every field the comparison looks at, in the order of
// the item's entry in the -json document: the structures' own fields from
// their field lists (fields.h), then the members of the tool's own. The same
// walk serves the comparison (which fields differ, and whether only
// addresses did), the text (each change as "field: old -> new") and the JSON
// document (each change as {"old", "new"}).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <variant>

#include "compare/change.h"
#include "rom/collector.h"
#include "rom/fields.h"

namespace romscope {

// Where a field stands in its item's entry of the -json document, written
// as jq would reach it from there: group[element].member.name[arrayIndex],
// e.g. "TOCentry.nFileSize", "sections[1].o32_rom.o32_psize", "PID[9]".
struct FieldPath {
  static constexpr uint32_t kNoIndex = UINT32_MAX;
  const char* group = nullptr;
  uint32_t element = kNoIndex;
  const char* member = nullptr;
  const char* name = nullptr;
  uint32_t arrayIndex = kNoIndex;

  std::string Text() const;
  // The path of a field `name` beside this one (a reading beside its raw value).
  FieldPath Beside(const char* sibling) const;
};

// A structure on one side: read, not there at all, or there but not
// readable. The structure itself goes with it, for a printer to show.
struct StructureSide {
  enum State : uint8_t { kRead, kNone, kUnreadable };
  using Value = std::variant<std::monostate, const ROMHDR*, const ExtensionHead*, const e32_rom*,
                             const o32_rom*>;
  State state = kNone;
  Value value;

  template <typename T>
  static StructureSide Of(const std::optional<T>& structure, State missing = kUnreadable) {
    if (!structure) return {missing, {}};
    return {kRead, &*structure};
  }
};

class PairVisitor {
 public:
  virtual ~PairVisitor() = default;
  // A number; none when that side lacks it. `address` marks the fields
  // whose change alone makes an item moved rather than changed.
  virtual void Number(const FieldPath& path, FieldForm form, bool address,
                      std::optional<uint64_t> oldValue, std::optional<uint64_t> newValue) = 0;
  virtual void Flag(const FieldPath& path, bool oldValue, bool newValue) = 0;
  // The number of entries of a list, none when it could not be read; the
  // walks give it only where the lists themselves are not compared.
  virtual void Count(const FieldPath& path, std::optional<uint64_t> oldCount,
                     std::optional<uint64_t> newCount) = 0;
  virtual void Structure(const FieldPath& path, const StructureSide& oldSide,
                         const StructureSide& newSide) = 0;
};

// The tables of a table of contents whose readability the toc's entry tells.
enum TocTable : uint8_t {
  kRomHeaderTable,
  kExtensionTable,
  kCopyTable,
  kModuleTable,
  kFileTable,
  kProfileTable,
  kTocTables
};
const char* TocTableName(TocTable table);
// The number of items the table lists, or none when it could not be read in
// full (or was not reached: nothing is, after a header that cannot be read).
std::optional<uint64_t> ListedCount(const CollectedToc& toc, TocTable table);

// The walks, one per kind of change. Each takes the two items of a pair.
void WalkImage(const Inspection& o, const Inspection& n, PairVisitor& v);
void WalkRecord(const RecordInfo& o, uint8_t oldFlags, const RecordInfo& n, uint8_t newFlags,
                PairVisitor& v);
// Which tables of one side are not compared because a cut inspection left
// them out (see compare.h) is the caller's to leave out: `skip` bit per table.
void WalkToc(const CollectedToc& o, const CollectedToc& n, unsigned skip, PairVisitor& v);
void WalkHeader(const CollectedToc& o, const CollectedToc& n, PairVisitor& v);
void WalkExtension(const ExtensionStepItem& o, const ExtensionStepItem& n, PairVisitor& v);
void WalkCopySection(const CopySection& o, const CopySection& n, PairVisitor& v);
void WalkModule(const CollectedToc& ot, const CollectedModule& o, const CollectedToc& nt,
                const CollectedModule& n, PairVisitor& v);
void WalkFile(const FileItem& o, const FileItem& n, PairVisitor& v);
void WalkSymbol(const CollectedSymbol& o, const CollectedSymbol& n, PairVisitor& v);
// A module's symbols, when one side could read its hit table and the other not.
void WalkSymbolList(const CollectedProfile& o, const CollectedProfile& n, PairVisitor& v);

}  // namespace romscope
