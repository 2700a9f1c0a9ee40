#include "report/map/describe.h"

#include <algorithm>

#include "report/catalogue.h"
#include "report/map/map_text.h"
#include "report/map/svg_writer.h"

namespace romscope {
namespace {

// Names in tooltips keep their first kShownName characters.
constexpr size_t kShownName = 96;

std::string Quoted(const std::string& bytes) {
  std::string shown = VisibleLatin1(bytes.substr(0, kShownName));
  if (bytes.size() > kShownName) shown += "\xE2\x80\xA6";
  return "\"" + shown + "\"";
}

// "1 entry", "2 entries".
std::string Count(uint64_t count, const char* one, const char* many) {
  return MapDecimal(count) + " " + (count == 1 ? one : many);
}

std::string ModuleName(const CollectedModule& module) {
  return module.name.readable ? Quoted(module.name.text) : std::string("(name unreadable)");
}

std::string FileName(const FileItem& file) {
  return file.name.readable ? Quoted(file.name.text) : std::string("(name unreadable)");
}

std::string ExtensionName(const ExtensionRecord& record) {
  return Quoted(std::string(reinterpret_cast<const char*>(record.Name), record.NameLength()));
}

// "k of them ..." for a merged shape, "..." alone for a single range.
std::string Some(const Shape& shape, uint32_t count, const std::string& single,
                 const std::string& plural) {
  if (shape.count == 1) return single;
  return MapDecimal(count) + " of them " + plural;
}

// The module whose sections include the one at `section`.
const CollectedModule* ModuleOfSection(const CollectedToc& toc, uint32_t section) {
  const auto after =
      std::upper_bound(toc.modules.begin(), toc.modules.end(), section,
                       [](uint32_t s, const CollectedModule& m) { return s < m.firstSection; });
  if (after == toc.modules.begin()) return nullptr;
  const CollectedModule& module = *(after - 1);
  return section - module.firstSection < module.sectionCount ? &module : nullptr;
}

}  // namespace

ShapeText::ShapeText(const Inspection& inspection, const MapRanges& ranges)
    : inspection_(inspection), ranges_(ranges) {
  uint64_t items = ranges.recordCount;
  for (const CollectedToc& toc : inspection.collected.tocs) {
    items += toc.modules.size() + toc.sections.size() + toc.files.size() +
             (toc.copySections ? toc.copySections->sections.size() : 0);
  }
  small_ = items < kSmallImage;
}

const char* ClassName(RangeClass rangeClass) {
  static constexpr const char* kNames[kRangeClasses] = {"records",
                                                        "ROM header and tables",
                                                        "header extensions",
                                                        "module headers and names",
                                                        "module sections",
                                                        "file data",
                                                        "copy sources",
                                                        "profiling hit tables and names",
                                                        "copy destinations (RAM)",
                                                        "RAM start, free and end"};
  return kNames[static_cast<size_t>(rangeClass)];
}

const char* ClassPlural(RangeClass rangeClass) {
  static constexpr const char* kPlurals[kRangeClasses] = {
      "records", "tables",       "extension ranges", "headers and names", "sections",
      "files",   "copy sources", "profiling ranges", "copy destinations", "RAM ranges"};
  return kPlurals[static_cast<size_t>(rangeClass)];
}

std::string LaneTitle(const Lane& lane) {
  if (lane.rangeClass == RangeClass::kRecords) return "records";
  return "TOC " + MapDecimal(lane.toc) + ": " + ClassName(lane.rangeClass);
}

std::string ShapeText::RecordWhat(uint32_t index, bool alone) const {
  const RecordInfo record = inspection_.opened.image->records[index];
  std::string text = "record " + MapDecimal(index) + ", checksum " + MapAddress(record.checksum);
  switch (inspection_.collected.Verdict(index)) {
    case RecordVerdict::kNotVerified:
      return text + " (not verified)";
    case RecordVerdict::kCut: {
      text += " (not verified: the file ends inside its data)";
      if (!alone) return text;
      // In record order, as the ranges were gathered.
      const auto& cut = ranges_.cutRecords;
      const auto at = std::lower_bound(
          cut.begin(), cut.end(), index,
          [](const std::pair<size_t, uint64_t>& c, uint32_t i) { return c.first < i; });
      if (at != cut.end() && at->first == index) {
        text += "\nthe file holds " + MapBytes(at->second) + " of its data";
      }
      return text;
    }
    case RecordVerdict::kValid:
      return text + " (valid)";
    case RecordVerdict::kWrong:
      break;
  }
  return text + " (wrong: the data sums otherwise)";
}

std::string ShapeText::ModuleWhat(const CollectedToc& toc, RangeKind kind, uint32_t ref) const {
  if (kind == RangeKind::kSection) {
    const CollectedModule* module = ModuleOfSection(toc, ref);
    if (module == nullptr) return "section";
    const o32_rom& o32 = *toc.sections[ref].o32;
    return "module " + MapDecimal(module->index) + " " + ModuleName(*module) + ", section " +
           MapDecimal(ref - module->firstSection) + " of " + MapDecimal(module->sectionCount) +
           " (o32_dataptr; o32_realaddr " + MapAddress(o32.o32_realaddr) + ")";
  }
  const CollectedModule& module = toc.modules[ref];
  const std::string which = "module " + MapDecimal(module.index) + " " + ModuleName(module);
  switch (kind) {
    case RangeKind::kE32:
      return "e32_rom of " + which;
    case RangeKind::kO32:
      return "o32_rom headers of " + which;
    default:
      return "name of " + which;
  }
}

std::string ShapeText::OtherWhat(const CollectedToc& toc, RangeKind kind, uint32_t ref) const {
  const auto entries = [](const std::optional<TableItem>& table) {
    return table ? Count(table->count, "entry", "entries") : std::string();
  };
  const std::string pTOC = MapAddress(toc.toc.location.pTOC);
  switch (kind) {
    case RangeKind::kSignature:
      return "signature record (names pTOC " + pTOC + ")";
    case RangeKind::kRomHeader:
      return "ROM header (ROMHDR) at pTOC " + pTOC + ", ROMOFFSET " +
             MapAddress(toc.toc.location.romOffset);
    case RangeKind::kModuleTable:
      return "module table: " + entries(toc.TableOf(TableItem::kModules));
    case RangeKind::kFileTable:
      return "file table: " + entries(toc.TableOf(TableItem::kFiles));
    case RangeKind::kProfileTable:
      return "profiling table: " + entries(toc.TableOf(TableItem::kProfiles));
    case RangeKind::kCopyTable:
      return "copy table: " + Count(toc.copySections->count, "entry", "entries");
    case RangeKind::kExtensionHead:
      return "extension head (PID words and Next)";
    case RangeKind::kExtensionRecord:
      return "extension record " + ExtensionName(toc.extensionSteps[ref].record);
    case RangeKind::kChainData:
      return "chain information data of extension record " +
             ExtensionName(toc.extensionSteps[ref].record);
    case RangeKind::kFileName:
      return "name of file " + MapDecimal(ref) + " " + FileName(toc.files[ref]);
    case RangeKind::kFileData: {
      const FileEntry& entry = toc.files[ref].entry;
      return "file " + MapDecimal(ref) + " " + FileName(toc.files[ref]) +
             (entry.Compressed() ? ", compressed from " + MapBytes(entry.nFileSize) : "");
    }
    case RangeKind::kCopySource:
    case RangeKind::kCopyDestination: {
      const CopyEntry& entry = toc.copySections->sections[ref].entry;
      return kind == RangeKind::kCopySource
                 ? "copy section " + MapDecimal(ref) + ": source (Src), copied to Dest " +
                       MapAddress(entry.Dest)
                 : "copy section " + MapDecimal(ref) +
                       ": destination (Dest, DLen), copied from Src " + MapAddress(entry.Src) +
                       " (CLen " + MapHex(entry.CLen) + ")";
    }
    case RangeKind::kHitTable:
      return "hit table of profile " + MapDecimal(ref) + ": " +
             Count(toc.profiles[ref].item.entry.numsyms, "symbol", "symbols");
    case RangeKind::kSymbolNames:
      return "symbol names of profile " + MapDecimal(ref) + ": " +
             Count(toc.profiles[ref].symbolCount, "name", "names");
    case RangeKind::kRamTaken:
      return "RAM from RAM start to RAM free (ulRamStart, ulRamFree)";
    case RangeKind::kRamFree:
      return "RAM from RAM free to RAM end (ulRamFree, ulRamEnd)";
    default:
      return ModuleWhat(toc, kind, ref);
  }
}

std::string ShapeText::What(const Lane& lane, RangeKind kind, uint32_t ref, bool alone) const {
  if (kind == RangeKind::kRecord) return RecordWhat(ref, alone);
  return "TOC " + MapDecimal(lane.toc) + ": " +
         OtherWhat(inspection_.collected.tocs[lane.toc], kind, ref);
}

const Problems* ShapeText::ProblemsOf(const Lane& lane, RangeKind kind, uint32_t ref) const {
  if (kind == RangeKind::kRecord) return nullptr;
  const CollectedToc& toc = inspection_.collected.tocs[lane.toc];
  const auto table = [](const std::optional<TableItem>& t) { return t ? &t->problems : nullptr; };
  switch (kind) {
    case RangeKind::kRomHeader:
      return &toc.toc.problems;
    case RangeKind::kModuleTable:
      return table(toc.TableOf(TableItem::kModules));
    case RangeKind::kFileTable:
      return table(toc.TableOf(TableItem::kFiles));
    case RangeKind::kProfileTable:
      return table(toc.TableOf(TableItem::kProfiles));
    case RangeKind::kCopyTable:
      return &toc.copySections->problems;
    case RangeKind::kExtensionHead:
      return &toc.extensionHead->problems;
    case RangeKind::kExtensionRecord:
    case RangeKind::kChainData:
      return &toc.extensionSteps[ref].problems;
    case RangeKind::kE32:
    case RangeKind::kO32:
    case RangeKind::kModuleName:
      return &toc.modules[ref].problems;
    case RangeKind::kFileName:
    case RangeKind::kFileData:
      return &toc.files[ref].problems;
    case RangeKind::kHitTable:
      return &toc.profiles[ref].item.problems;
    default:
      return nullptr;
  }
}

std::string ShapeText::Trouble(const Lane& lane, const Shape& shape) const {
  std::string text;
  const auto line = [&](const std::string& more) { text += "\n" + more; };
  const bool records = lane.rangeClass == RangeClass::kRecords;
  if (shape.clipped != 0) {
    line(Some(shape, shape.clipped,
              "runs past 0xFFFFFFFF: drawn up to the end of the address space",
              "run past 0xFFFFFFFF: drawn up to the end of the address space"));
  }
  if ((records || IsContents(lane.rangeClass)) && shape.Missing() != 0) {
    if (records) {
      line("the file lacks " + MapBytes(shape.Missing()) + " of the data");
    } else if (shape.held == 0) {
      line("no record holds any of these bytes: missing from the image");
    } else {
      line(MapBytes(shape.Missing()) + " of these lie in no record: missing from the image");
    }
  }
  if (shape.overlapping != 0) {
    line(records
             ? Some(shape, shape.overlapping, "overlaps another record", "overlap other records")
             : Some(shape, shape.overlapping, "overlaps other contents of the table of contents",
                    "overlap other contents of the table of contents"));
  }
  if (shape.badChecksums != 0 && shape.count > 1) {
    line(MapDecimal(shape.badChecksums) + " of them with a wrong checksum");
  }
  if (shape.withProblems != 0) {
    const Problems* problems = shape.count == 1 ? ProblemsOf(lane, shape.kind, shape.ref) : nullptr;
    if (problems != nullptr && !problems->empty()) {
      for (const Problem& problem : *problems) line(ProblemText(problem));
    } else {
      line(Some(shape, shape.withProblems, "could not be read whole", "could not be read whole"));
    }
  }
  return text;
}

bool ShapeText::Troubled(const Lane& lane, const RangeItem& item) const {
  if (item.flags != 0 || item.Clipped()) return true;
  const bool missing = lane.rangeClass == RangeClass::kRecords || IsContents(lane.rangeClass);
  return missing && ranges_.held.Held(item.start, item.End()) < item.End() - item.start;
}

std::string ShapeText::Members(const Lane& lane, const Shape& shape, size_t listed) const {
  // In a small image every range is listed, so that each record, module and
  // file can be found; a lane of many ranges all the same (the profiles of
  // many) keeps to the bound.
  if (small_ && lane.items.size() <= 4 * kSmallImage) listed = shape.count;
  std::string text;
  size_t shown = 0;
  // The troubled ones first, then the others, each group in address order.
  for (const bool troubled : {true, false}) {
    for (size_t i = shape.first; i < shape.first + shape.count && shown < listed; ++i) {
      const RangeItem& item = lane.items[i];
      if (Troubled(lane, item) != troubled) continue;
      text += "\n" + What(lane, item.kind, item.ref, false);
      ++shown;
    }
  }
  if (shown < shape.count) text += "\nand " + MapDecimal(shape.count - shown) + " more";
  return text;
}

std::string ShapeText::Tooltip(const Lane& lane, const Shape& shape, size_t listed) const {
  std::string text;
  if (shape.count == 1) {
    text = What(lane, shape.kind, shape.ref, true) + "\n" + MapRange(shape.start, shape.end) +
           ", " + MapBytes(shape.bytes);
  } else {
    text = MapDecimal(shape.count) + " " + ClassPlural(lane.rangeClass) + ", merged" +
           (lane.rangeClass == RangeClass::kRecords ? std::string()
                                                    : " (TOC " + MapDecimal(lane.toc) + ")") +
           "\n" + MapRange(shape.start, shape.end) + ", " + MapBytes(shape.bytes) + " in all" +
           Members(lane, shape, listed);
  }
  return text + Trouble(lane, shape);
}

std::string ShapeText::Label(const Lane& lane, const Shape& shape) const {
  if (shape.count > 1) return MapDecimal(shape.count) + " " + ClassPlural(lane.rangeClass);
  if (shape.kind == RangeKind::kRecord) return "record " + MapDecimal(shape.ref);
  const CollectedToc& toc = inspection_.collected.tocs[lane.toc];
  switch (shape.kind) {
    case RangeKind::kSignature:
      return "signature";
    case RangeKind::kRomHeader:
      return "ROMHDR";
    case RangeKind::kModuleTable:
      return "modules";
    case RangeKind::kFileTable:
      return "files";
    case RangeKind::kCopyTable:
      return "copies";
    case RangeKind::kProfileTable:
      return "profiles";
    case RangeKind::kExtensionHead:
      return "head";
    case RangeKind::kExtensionRecord:
    case RangeKind::kChainData:
      return VisibleLatin1(
          std::string(reinterpret_cast<const char*>(toc.extensionSteps[shape.ref].record.Name),
                      toc.extensionSteps[shape.ref].record.NameLength()));
    case RangeKind::kSection: {
      const CollectedModule* module = ModuleOfSection(toc, shape.ref);
      return module != nullptr ? VisibleLatin1(module->name.text) : std::string("section");
    }
    case RangeKind::kE32:
    case RangeKind::kO32:
    case RangeKind::kModuleName:
      return VisibleLatin1(toc.modules[shape.ref].name.text);
    case RangeKind::kFileName:
    case RangeKind::kFileData:
      return VisibleLatin1(toc.files[shape.ref].name.text);
    case RangeKind::kCopySource:
    case RangeKind::kCopyDestination:
      return "copy " + MapDecimal(shape.ref);
    case RangeKind::kHitTable:
      return "hits " + MapDecimal(shape.ref);
    case RangeKind::kSymbolNames:
      return "names " + MapDecimal(shape.ref);
    case RangeKind::kRamTaken:
      return "RAM taken";
    case RangeKind::kRamFree:
      return "RAM free";
    default:
      return {};
  }
}

}  // namespace romscope
