#include "compare/pair_walk.h"

#include <algorithm>
#include <cstring>
#include <iterator>

namespace romscope {
namespace {

constexpr uint32_t kNoIndex = FieldPath::kNoIndex;

// A structure's numbers as its field list gives them, array elements one by
// one; its texts are the keys items are matched by, not fields.
class FlatFields {
 public:
  struct Entry {
    const char* name;
    uint32_t arrayIndex;
    FieldForm form;
    FieldRole role;
    uint64_t value;
  };

  template <typename U>
  void Field(const char* name, FieldForm form, const U& value, FieldRole role = FieldRole::kValue) {
    Add(name, kNoIndex, form, value, role);
  }
  template <typename U, size_t N>
  void Array(const char* name, FieldForm form, const U (&values)[N]) {
    for (size_t i = 0; i < N; ++i) Add(name, static_cast<uint32_t>(i), form, values[i]);
  }
  template <size_t N>
  void Text(const char*, const uint8_t (&)[N]) {}
  void Skip(size_t) {}

  const Entry* begin() const { return entries_; }
  const Entry* end() const { return entries_ + count_; }

 private:
  void Add(const char* name, uint32_t arrayIndex, FieldForm form, uint64_t value,
           FieldRole role = FieldRole::kValue) {
    if (count_ < std::size(entries_)) entries_[count_++] = {name, arrayIndex, form, role, value};
  }
  Entry entries_[32] = {};
  size_t count_ = 0;
};

// Both sides' fields of a structure, at `group` (and `element`, `member`).
template <typename T>
void WalkFields(FieldPath at, const T& a, const T& b, PairVisitor& v) {
  FlatFields oldFields;
  FlatFields newFields;
  T::Fields(a, oldFields);
  T::Fields(b, newFields);
  const FlatFields::Entry* n = newFields.begin();
  for (const FlatFields::Entry& o : oldFields) {
    at.name = o.name;
    at.arrayIndex = o.arrayIndex;
    v.Number(at, o.form, o.role == FieldRole::kAddress, o.value, n->value);
    ++n;
  }
}

FieldPath Named(const char* name) {
  FieldPath path;
  path.name = name;
  return path;
}

FieldPath Group(const char* group, uint32_t element = kNoIndex, const char* member = nullptr) {
  FieldPath path;
  path.group = group;
  path.element = element;
  path.member = member;
  return path;
}

std::optional<uint64_t> EntryAddress(const Inspection& inspection) {
  const RecordTable& records = inspection.opened.image->records;
  if (!records.HasTerminator()) return std::nullopt;
  return records[records.Count() - 1].length;
}

bool ExtensionsUnread(const CollectedToc& toc) {
  if (!toc.extensionHead || !toc.extensionHead->head) return true;
  for (const ExtensionStepItem& step : toc.extensionSteps) {
    if (step.outcome == ExtensionStepItem::kUnreadable) return true;
    for (const Problem& problem : step.problems) {
      if (problem.kind == ProblemKind::kExtensionBufferFailed) return true;
    }
  }
  return false;
}

}  // namespace

std::string FieldPath::Text() const {
  std::string text;
  auto part = [&text](const char* piece) {
    if (piece == nullptr) return;
    if (!text.empty()) text += '.';
    text += piece;
  };
  auto index = [&text](uint32_t i) {
    if (i != kNoIndex) text += '[' + std::to_string(i) + ']';
  };
  part(group);
  index(element);
  part(member);
  part(name);
  index(arrayIndex);
  return text;
}

FieldPath FieldPath::Beside(const char* sibling) const {
  FieldPath path = *this;
  path.name = sibling;
  path.arrayIndex = kNoIndex;
  return path;
}

const char* TocTableName(TocTable table) {
  static const char* const kNames[kTocTables] = {"ROMHDR",  "extensions", "copySections",
                                                 "modules", "files",      "profiles"};
  return kNames[table];
}

std::optional<uint64_t> ListedCount(const CollectedToc& toc, TocTable table) {
  if (!toc.toc.header) return std::nullopt;
  switch (table) {
    case kRomHeaderTable:
      return 1;
    case kExtensionTable:
      if (toc.toc.header->ulExtensions == 0) return 0;
      if (ExtensionsUnread(toc)) return std::nullopt;
      return static_cast<uint64_t>(std::count_if(
          toc.extensionSteps.begin(), toc.extensionSteps.end(),
          [](const ExtensionStepItem& step) { return step.outcome == ExtensionStepItem::kRead; }));
    case kCopyTable:
      if (!toc.copySections || !toc.copySections->readable) return std::nullopt;
      return toc.copySections->sections.size();
    case kModuleTable:
    case kFileTable:
    case kProfileTable:
      break;
    case kTocTables:
      return std::nullopt;
  }
  const auto& listed = toc.TableOf(static_cast<TableItem::Kind>(table - kModuleTable));
  if (!listed || !listed->readable) return std::nullopt;
  return table == kModuleTable ? toc.modules.size()
         : table == kFileTable ? toc.files.size()
                               : toc.profiles.size();
}

void WalkImage(const Inspection& o, const Inspection& n, PairVisitor& v) {
  const BinHeader& a = o.opened.item.header;
  const BinHeader& b = n.opened.item.header;
  FieldPath image = Group("image");
  image.name = "start";
  v.Number(image, FieldForm::kHex8, true, a.imageStart, b.imageStart);
  image.name = "length";
  v.Number(image, FieldForm::kHex8, false, a.imageLength, b.imageLength);
  v.Number(Named("entryAddress"), FieldForm::kHex8, true, EntryAddress(o), EntryAddress(n));
}

void WalkRecord(const RecordInfo& o, uint8_t oldFlags, const RecordInfo& n, uint8_t newFlags,
                PairVisitor& v) {
  v.Number(Named("length"), FieldForm::kHex8, false, o.length, n.length);
  v.Number(Named("checksum"), FieldForm::kHex8, false, o.checksum, n.checksum);
  v.Flag(Named("checksumValid"), (oldFlags & CollectedImage::kChecksumValid) != 0,
         (newFlags & CollectedImage::kChecksumValid) != 0);
  v.Flag(Named("dataComplete"), (oldFlags & CollectedImage::kDataComplete) != 0,
         (newFlags & CollectedImage::kDataComplete) != 0);
}

void WalkToc(const CollectedToc& o, const CollectedToc& n, unsigned skip, PairVisitor& v) {
  const TocLocation& a = o.toc.location;
  const TocLocation& b = n.toc.location;
  v.Number(Named("pTOC"), FieldForm::kHex8, true, a.pTOC, b.pTOC);
  v.Number(Named("romOffset"), FieldForm::kHex8, true, a.romOffset, b.romOffset);
  v.Number(Named("signatureRecord"), FieldForm::kDecimal, true, a.signatureRecord,
           b.signatureRecord);
  v.Number(Named("headerRecord"), FieldForm::kDecimal, true, a.headerRecord, b.headerRecord);
  for (unsigned t = 0; t < kTocTables; ++t) {
    if ((skip & (1u << t)) != 0) continue;
    const TocTable table = static_cast<TocTable>(t);
    const std::optional<uint64_t> before = ListedCount(o, table);
    const std::optional<uint64_t> after = ListedCount(n, table);
    if (before.has_value() == after.has_value()) continue;
    if (table == kRomHeaderTable) {
      v.Structure(Named("ROMHDR"), StructureSide::Of(o.toc.header),
                  StructureSide::Of(n.toc.header));
    } else {
      v.Count(Named(TocTableName(table)), before, after);
    }
  }
}

void WalkHeader(const CollectedToc& o, const CollectedToc& n, PairVisitor& v) {
  WalkFields(Group("ROMHDR"), *o.toc.header, *n.toc.header, v);
  const bool oldHead = o.extensionHead && o.extensionHead->head;
  const bool newHead = n.extensionHead && n.extensionHead->head;
  if (oldHead && newHead) {
    WalkFields(Group("extensions"), *o.extensionHead->head, *n.extensionHead->head, v);
  } else if (ListedCount(o, kExtensionTable) && ListedCount(n, kExtensionTable)) {
    // One header names no extensions, the other names a chain that was read.
    static const std::optional<ExtensionHead> kNoHead;
    v.Structure(Named("extensions"),
                StructureSide::Of(oldHead ? o.extensionHead->head : kNoHead, StructureSide::kNone),
                StructureSide::Of(newHead ? n.extensionHead->head : kNoHead, StructureSide::kNone));
  }
}

void WalkExtension(const ExtensionStepItem& o, const ExtensionStepItem& n, PairVisitor& v) {
  v.Number(Named("location"), FieldForm::kHexLower8, true, o.location, n.location);
  WalkFields(Group("ExtensionRecord"), o.record, n.record, v);
  v.Flag(Named("chainInformation"), o.chainInformation, n.chainInformation);
  if (!o.chainInformation || !n.chainInformation) return;
  if (o.chainRead && n.chainRead) {
    const size_t common = std::min(o.chain.size(), n.chain.size());
    for (size_t k = 0; k < common; ++k) {
      WalkFields(Group("chainEntries", static_cast<uint32_t>(k)), o.chain[k], n.chain[k], v);
    }
  }
  auto count = [](const ExtensionStepItem& step) {
    return step.chainRead ? std::optional<uint64_t>(step.chain.size()) : std::nullopt;
  };
  v.Count(Named("chainEntries"), count(o), count(n));
}

void WalkCopySection(const CopySection& o, const CopySection& n, PairVisitor& v) {
  WalkFields(FieldPath(), o.entry, n.entry, v);
  v.Flag(Named("movesProfileTable"), o.movesProfileTable, n.movesProfileTable);
}

void WalkModule(const CollectedToc& ot, const CollectedModule& o, const CollectedToc& nt,
                const CollectedModule& n, PairVisitor& v) {
  WalkFields(Group("TOCentry"), o.entry, n.entry, v);
  if (!o.e32 || !n.e32) {
    v.Structure(Named("e32_rom"), StructureSide::Of(o.e32), StructureSide::Of(n.e32));
    return;
  }
  WalkFields(Group("e32_rom"), *o.e32, *n.e32, v);
  const uint32_t common = std::min(o.sectionCount, n.sectionCount);
  for (uint32_t j = 0; j < common; ++j) {
    const SectionItem& a = ot.sections[o.firstSection + j];
    const SectionItem& b = nt.sections[n.firstSection + j];
    if (a.o32 && b.o32) {
      WalkFields(Group("sections", j, "o32_rom"), *a.o32, *b.o32, v);
    } else {
      FieldPath path = Group("sections", j);
      path.name = "o32_rom";
      v.Structure(path, StructureSide::Of(a.o32), StructureSide::Of(b.o32));
    }
  }
  v.Count(Named("sections"), o.sectionCount, n.sectionCount);
}

void WalkFile(const FileItem& o, const FileItem& n, PairVisitor& v) {
  WalkFields(Group("FileEntry"), o.entry, n.entry, v);
  v.Number(Named("romSize"), FieldForm::kSigned, false, o.entry.RomSize(), n.entry.RomSize());
  v.Flag(Named("inRecordSpace"), o.inRecordSpace.value_or(false), n.inRecordSpace.value_or(false));
}

void WalkSymbol(const CollectedSymbol& o, const CollectedSymbol& n, PairVisitor& v) {
  v.Number(Named("value"), FieldForm::kHex8, false, o.value, n.value);
}

void WalkSymbolList(const CollectedProfile& o, const CollectedProfile& n, PairVisitor& v) {
  auto count = [](const CollectedProfile& p) {
    return p.item.hitTableRead ? std::optional<uint64_t>(p.symbolCount) : std::nullopt;
  };
  v.Count(Named("symbols"), count(o), count(n));
}

}  // namespace romscope
