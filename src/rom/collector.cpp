#include "rom/collector.h"

#include <algorithm>

namespace romscope {
namespace {

constexpr uint64_t kHashStart = 0xCBF29CE484222325ull;  // FNV-1a, 64 bits

uint64_t HashOn(uint64_t hash, const uint8_t* bytes, size_t size) {
  for (size_t i = 0; i < size; ++i) hash = (hash ^ bytes[i]) * 0x100000001B3ull;
  return hash;
}

}  // namespace

std::string_view CollectedImage::SymbolName(const CollectedSymbol& symbol) const {
  const size_t kept = (symbol.flags & CollectedSymbol::kCut) != 0 ? kKeptName + sizeof(uint64_t)
                                                                  : symbol.nameLength;
  return std::string_view(namePool).substr(symbol.poolOffset, kept);
}

bool Collector::Take(size_t count) {
  if (!c_.complete || count > CollectedImage::kMaxItems - items_) {
    c_.complete = false;
    return false;
  }
  items_ += count;
  return true;
}

void Collector::Begin(const ImageItem& image) {
  c_.image = image;
}

uint8_t CollectedImage::RecordFlags(const RecordItem& record) {
  if (!record.dataRead) return 0;
  return kDataRead | (record.ChecksumValid() ? kChecksumValid : 0) |
         (record.dataComplete ? kDataComplete : 0);
}

void Collector::Record(const RecordItem& record) {
  c_.recordFlags.push_back(CollectedImage::RecordFlags(record));
}

void Collector::Candidate(const TocCandidate& candidate) {
  if (!candidate.problems.empty() && Take(1)) {
    c_.notices.push_back(candidate);
  }
}

void Collector::Toc(const TocItem& toc) {
  if (!Take(1)) return;
  c_.tocs.emplace_back();
  Current().toc = toc;
}

// Past the budget nothing more is kept of any table of contents: the tocs
// list ends with the last one begun.
void Collector::ExtensionHead(const ExtensionHeadItem& head) {
  if (Take(1)) Current().extensionHead = head;
}

void Collector::ExtensionStep(const ExtensionStepItem& step) {
  if (Take(1 + step.chain.size())) Current().extensionSteps.push_back(step);
}

void Collector::CopySections(const CopySectionsItem& copies) {
  if (Take(1 + copies.sections.size())) Current().copySections = copies;
}

void Collector::Table(const TableItem& table) {
  if (Take(1)) Current().tables[table.kind] = table;
}

void Collector::Module(const ModuleItem& module) {
  if (!Take(1 + module.sections.size())) return;
  CollectedToc& toc = Current();
  CollectedModule kept;
  kept.index = module.index;
  kept.entry = module.entry;
  kept.name = module.name;
  kept.e32 = module.e32;
  kept.firstSection = static_cast<uint32_t>(toc.sections.size());
  kept.sectionCount = static_cast<uint32_t>(module.sections.size());
  kept.problems = module.problems;
  toc.sections.insert(toc.sections.end(), module.sections.begin(), module.sections.end());
  toc.modules.push_back(std::move(kept));
}

void Collector::File(const FileItem& file) {
  if (Take(1)) Current().files.push_back(file);
}

void Collector::Profile(const ProfileItem& profile) {
  if (!Take(1)) return;
  CollectedToc& toc = Current();
  CollectedProfile kept;
  kept.item = profile;
  kept.firstSymbol = static_cast<uint32_t>(toc.symbols.size());
  toc.profiles.push_back(kept);
}

void Collector::SymbolName(const SymbolItem&, uint64_t offset, const uint8_t* bytes, size_t size) {
  if (!c_.complete) return;
  if (offset == 0) {
    nameStart_ = c_.namePool.size();
    nameHash_ = kHashStart;
  }
  nameHash_ = HashOn(nameHash_, bytes, size);
  if (offset < CollectedImage::kKeptName) {
    const size_t keep =
        static_cast<size_t>(std::min<uint64_t>(size, CollectedImage::kKeptName - offset));
    c_.namePool.append(reinterpret_cast<const char*>(bytes), keep);
  }
}

void Collector::Symbol(const SymbolItem& symbol) {
  if (!Take(1) || c_.namePool.size() > UINT32_MAX - CollectedImage::kKeptName) {
    c_.complete = false;
    return;
  }
  CollectedToc& toc = Current();
  CollectedSymbol kept;
  kept.value = symbol.value;
  kept.nameAddress = symbol.nameAddress;
  kept.nameLength = static_cast<uint32_t>(std::min<uint64_t>(symbol.nameLength, UINT32_MAX));
  kept.flags = symbol.endedAtNul ? CollectedSymbol::kEndedAtNul : 0;
  if (symbol.nameLength == 0) nameStart_ = c_.namePool.size();
  kept.poolOffset = static_cast<uint32_t>(nameStart_);
  if (symbol.nameLength > CollectedImage::kKeptName) {
    kept.flags |= CollectedSymbol::kCut;
    for (int i = 0; i < 8; ++i) c_.namePool.push_back(static_cast<char>(nameHash_ >> (8 * i)));
  }
  toc.symbols.push_back(kept);
  ++toc.profiles.back().symbolCount;
}

void CollectInspection(HostServices& host, const std::string& path, Inspection* inspection,
                       const InspectPlan& plan) {
  inspection->opened = OpenImage(host, path);
  Collector collector(inspection->collected);
  const NeverStopped neverStopped;
  Inspect(inspection->opened, plan, collector, neverStopped);
}

}  // namespace romscope
