#include "map/ranges.h"

#include <algorithm>
#include <array>

#include "rom/extents.h"
#include "rom/rom_header.h"

namespace romscope {
namespace {

// Records whose data the file holds only in part: the first ones have their
// present bytes looked up; any more count as holding nothing.
constexpr size_t kCutRecordsLooked = 64;

// A total order, so that the same ranges always come in the same order.
bool ByStart(const RangeItem& a, const RangeItem& b) {
  if (a.start != b.start) return a.start < b.start;
  if (a.End() != b.End()) return a.End() < b.End();
  if (a.kind != b.kind) return a.kind < b.kind;
  return a.ref < b.ref;
}

// Marks every item that shares a byte with another, the items given in
// ascending order of start (`item(i)` is the i-th). An item overlaps an
// earlier one exactly when it starts before the furthest end so far; the
// item that reaches that end is marked with it.
template <typename Item>
void MarkOverlaps(size_t count, Item item) {
  RangeItem* furthest = nullptr;
  for (size_t i = 0; i < count; ++i) {
    RangeItem& next = item(i);
    if (furthest != nullptr && next.start < furthest->End()) {
      next.flags |= RangeItem::kOverlaps;
      furthest->flags |= RangeItem::kOverlaps;
    }
    if (furthest == nullptr || next.End() > furthest->End()) furthest = &next;
  }
}

// Most lanes come in order already: they are only checked then.
void SortByStart(std::vector<RangeItem>& items) {
  if (!std::is_sorted(items.begin(), items.end(), ByStart)) {
    std::sort(items.begin(), items.end(), ByStart);
  }
}

uint8_t ProblemFlag(const Problems& problems) {
  return problems.empty() ? 0 : RangeItem::kHasProblems;
}

// The ranges of one table of contents, by class.
class TocRanges {
 public:
  TocRanges(const CollectedToc& toc, const RecordTable& records) : toc_(toc), records_(records) {}

  std::array<std::vector<RangeItem>, kRangeClasses> Gather() {
    Frame();
    Modules();
    Files();
    Copies();
    Profiles();
    return std::move(byClass_);
  }

 private:
  // A range at a table address, moved to its record address.
  void Add(RangeKind kind, uint32_t tableAddress, uint64_t size, size_t ref, uint8_t flags = 0) {
    AddAt(kind, tableAddress + toc_.toc.location.romOffset, size, ref, flags);
  }
  void Add(RangeKind kind, const Extent& extent, size_t ref, uint8_t flags = 0) {
    AddAt(kind, extent.start, extent.size, ref, flags);
  }
  void AddAt(RangeKind kind, uint32_t address, uint64_t size, size_t ref, uint8_t flags = 0) {
    if (size == 0) return;
    RangeItem item;
    item.start = address;
    item.ref = static_cast<uint32_t>(ref);
    item.size = size;
    item.kind = kind;
    item.flags = flags;
    byClass_[static_cast<size_t>(ClassOf(kind))].push_back(item);
  }
  void Table(RangeKind kind, TableItem::Kind which) {
    const std::optional<TableItem>& table = toc_.TableOf(which);
    if (table) Add(kind, TableExtent(toc_, *table), 0, ProblemFlag(table->problems));
  }

  void Frame() {
    const TocLocation& at = toc_.toc.location;
    if (at.signatureRecord < records_.Count()) {
      AddAt(RangeKind::kSignature, records_[at.signatureRecord].start, RomSignatureRecord::kSize,
            0);
    }
    Add(RangeKind::kRomHeader, at.pTOC, ROMHDR::kSize, 0, ProblemFlag(toc_.toc.problems));
    Table(RangeKind::kModuleTable, TableItem::kModules);
    Table(RangeKind::kFileTable, TableItem::kFiles);
    Table(RangeKind::kProfileTable, TableItem::kProfiles);
    if (toc_.copySections) {
      const CopySectionsItem& copies = *toc_.copySections;
      Add(RangeKind::kCopyTable, CopyTableExtent(toc_, copies), 0, ProblemFlag(copies.problems));
    }
    if (toc_.extensionHead) {
      Add(RangeKind::kExtensionHead, toc_.extensionHead->address, ExtensionHead::kSize, 0,
          ProblemFlag(toc_.extensionHead->problems));
    }
    for (size_t i = 0; i < toc_.extensionSteps.size(); ++i) {
      const ExtensionStepItem& step = toc_.extensionSteps[i];
      // A step back into the chain reads nothing new.
      if (step.outcome == ExtensionStepItem::kRepeat) continue;
      Add(RangeKind::kExtensionRecord, step.location, ExtensionRecord::kSize, i,
          ProblemFlag(step.problems));
      if (step.chainInformation) {
        Add(RangeKind::kChainData, step.record.pData, step.record.Length, i,
            step.chainRead ? 0 : RangeItem::kHasProblems);
      }
    }
    if (toc_.toc.header) {
      const ROMHDR& h = *toc_.toc.header;
      if (h.ulRamFree > h.ulRamStart) {
        AddAt(RangeKind::kRamTaken, h.ulRamStart, h.ulRamFree - h.ulRamStart, 0);
      }
      if (h.ulRamEnd > h.ulRamFree) {
        AddAt(RangeKind::kRamFree, h.ulRamFree, h.ulRamEnd - h.ulRamFree, 0);
      }
    }
  }

  // A name runs to its NUL; one that could not be read is marked by its first byte.
  void Name(RangeKind kind, uint32_t address, const ItemName& name, size_t ref) {
    Add(kind, address, name.readable ? name.text.size() + 1 : 1, ref,
        name.readable ? 0 : RangeItem::kHasProblems);
  }

  void Modules() {
    for (size_t m = 0; m < toc_.modules.size(); ++m) {
      const CollectedModule& module = toc_.modules[m];
      const uint8_t flags = ProblemFlag(module.problems);
      Name(RangeKind::kModuleName, module.entry.ulNameOffset, module.name, m);
      Add(RangeKind::kE32, module.entry.ulE32Offset, e32_rom::kSize, m,
          module.e32 ? 0 : RangeItem::kHasProblems);
      if (module.e32) {
        Add(RangeKind::kO32, module.entry.ulO32Offset,
            uint64_t{o32_rom::kSize} * module.e32->e32_objcnt, m, flags);
      }
      for (uint32_t s = 0; s < module.sectionCount; ++s) {
        const size_t index = size_t{module.firstSection} + s;
        if (index >= toc_.sections.size()) break;
        const std::optional<Extent> bytes = SectionBytes(toc_, toc_.sections[index]);
        if (bytes) Add(RangeKind::kSection, *bytes, index);
      }
    }
  }

  void Files() {
    for (size_t f = 0; f < toc_.files.size(); ++f) {
      const FileItem& file = toc_.files[f];
      Name(RangeKind::kFileName, file.entry.ulNameOffset, file.name, f);
      Add(RangeKind::kFileData, FileData(toc_, file), f, ProblemFlag(file.problems));
    }
  }

  void Copies() {
    if (!toc_.copySections) return;
    const std::vector<CopySection>& sections = toc_.copySections->sections;
    for (size_t i = 0; i < sections.size(); ++i) {
      const CopyEntry& entry = sections[i].entry;
      Add(RangeKind::kCopySource, entry.Src, entry.CLen, i);
      AddAt(RangeKind::kCopyDestination, entry.Dest, entry.DLen, i);
    }
  }

  void Profiles() {
    for (size_t p = 0; p < toc_.profiles.size(); ++p) {
      const CollectedProfile& profile = toc_.profiles[p];
      const ProfileItem& item = profile.item;
      Add(RangeKind::kHitTable, item.hitTableAddress,
          TableBytes(item.entry.numsyms, HitEntry::kSize), p,
          item.hitTableRead ? 0 : RangeItem::kHasProblems);
      // The names lie back to back from SymAddr, each ended by its NUL or by
      // the byte that could not be read.
      uint64_t bytes = 0;
      uint8_t flags = 0;
      for (uint32_t k = 0; k < profile.symbolCount; ++k) {
        const size_t index = size_t{profile.firstSymbol} + k;
        if (index >= toc_.symbols.size()) break;
        const CollectedSymbol& symbol = toc_.symbols[index];
        bytes += uint64_t{symbol.nameLength} + 1;
        if (!symbol.EndedAtNul()) flags = RangeItem::kHasProblems;
      }
      Add(RangeKind::kSymbolNames, item.entry.SymAddr, bytes, p, flags);
    }
  }

  const CollectedToc& toc_;
  const RecordTable& records_;
  std::array<std::vector<RangeItem>, kRangeClasses> byClass_;
};

// The records lane, and the bytes the file holds of each record.
Lane RecordLane(Inspection& inspection, MapRanges* ranges, std::vector<Span>* held) {
  Image& image = *inspection.opened.image;
  const RecordTable& records = image.records;
  size_t count = records.Count();
  if (records.HasTerminator()) --count;
  count = std::min<size_t>(count, UINT32_MAX);
  ranges->recordCount = count;
  Lane lane;
  lane.rangeClass = RangeClass::kRecords;
  lane.items.reserve(count);
  for (size_t i = 0; i < count; ++i) {
    const RecordInfo record = records[i];
    const Extent extent = RecordExtent(record);
    if (extent.size == 0) continue;
    RangeItem item;
    item.start = extent.start;
    item.ref = static_cast<uint32_t>(i);
    item.size = extent.size;
    uint64_t present = extent.size;
    // A record the file cuts short has no verdict: its sum is of what is there.
    const RecordVerdict verdict = inspection.collected.Verdict(i);
    if (verdict == RecordVerdict::kWrong) item.flags |= RangeItem::kBadChecksum;
    if (verdict == RecordVerdict::kCut) {
      present = ranges->cutRecords.size() < kCutRecordsLooked ? image.data.PresentBytes(record) : 0;
      ranges->cutRecords.emplace_back(i, present);
    }
    held->push_back(
        {item.start, std::min(uint64_t{item.start} + present, RangeItem::kAddressSpace)});
    lane.items.push_back(item);
  }
  return lane;
}

}  // namespace

RangeClass ClassOf(RangeKind kind) {
  switch (kind) {
    case RangeKind::kRecord:
      return RangeClass::kRecords;
    case RangeKind::kSignature:
    case RangeKind::kRomHeader:
    case RangeKind::kModuleTable:
    case RangeKind::kFileTable:
    case RangeKind::kCopyTable:
    case RangeKind::kProfileTable:
      return RangeClass::kTables;
    case RangeKind::kExtensionHead:
    case RangeKind::kExtensionRecord:
    case RangeKind::kChainData:
      return RangeClass::kExtensions;
    case RangeKind::kE32:
    case RangeKind::kO32:
    case RangeKind::kModuleName:
    case RangeKind::kFileName:
      return RangeClass::kHeaders;
    case RangeKind::kSection:
      return RangeClass::kSections;
    case RangeKind::kFileData:
      return RangeClass::kFiles;
    case RangeKind::kCopySource:
      return RangeClass::kCopySources;
    case RangeKind::kHitTable:
    case RangeKind::kSymbolNames:
      return RangeClass::kProfiling;
    case RangeKind::kCopyDestination:
      return RangeClass::kCopyDestinations;
    case RangeKind::kRamTaken:
    case RangeKind::kRamFree:
      return RangeClass::kRam;
  }
  return RangeClass::kRecords;
}

MapRanges GatherRanges(Inspection& inspection) {
  MapRanges ranges;
  std::vector<Span> held;
  Lane records = RecordLane(inspection, &ranges, &held);
  ranges.held = Coverage(std::move(held));
  SortByStart(records.items);
  MarkOverlaps(records.items.size(), [&](size_t i) -> RangeItem& { return records.items[i]; });
  if (!records.items.empty()) ranges.lanes.push_back(std::move(records));

  const std::vector<CollectedToc>& tocs = inspection.collected.tocs;
  ranges.tocCount = tocs.size();
  std::vector<Span> described;
  for (size_t t = 0; t < tocs.size(); ++t) {
    std::array<std::vector<RangeItem>, kRangeClasses> byClass =
        TocRanges(tocs[t], inspection.opened.image->records).Gather();
    std::vector<RangeItem*> contents;
    for (size_t c = 0; c < kRangeClasses; ++c) {
      // The copy sources hold what other contents are made of (the
      // profiling table, a module's data): they overlap by design.
      const auto rangeClass = static_cast<RangeClass>(c);
      if (!IsContents(rangeClass) || rangeClass == RangeClass::kCopySources) continue;
      for (RangeItem& item : byClass[c]) contents.push_back(&item);
    }
    std::sort(contents.begin(), contents.end(),
              [](const RangeItem* a, const RangeItem* b) { return ByStart(*a, *b); });
    MarkOverlaps(contents.size(), [&](size_t i) -> RangeItem& { return *contents[i]; });
    for (size_t c = 0; c < kRangeClasses; ++c) {
      if (IsContents(static_cast<RangeClass>(c))) {
        for (const RangeItem& item : byClass[c]) described.push_back({item.start, item.End()});
      }
      if (t >= MapRanges::kTocsDrawn || byClass[c].empty()) continue;
      Lane lane;
      lane.rangeClass = static_cast<RangeClass>(c);
      lane.toc = t;
      lane.items = std::move(byClass[c]);
      SortByStart(lane.items);
      ranges.lanes.push_back(std::move(lane));
    }
  }
  ranges.described = Coverage(std::move(described));
  return ranges;
}

}  // namespace romscope
