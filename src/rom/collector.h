// The whole inspection of an image kept in memory, for the work that needs
// all of it at once: the comparison of two images, the map of an image's
// address space, the extraction of its contents. It holds the items, not the
// data bytes: those stay in the image, read by address when they are wanted.
//
// Bounded: the records stay in the image's record table (the collection adds
// one byte a record), symbol names are pooled (names of more than
// kKeptName bytes keep that many and a hash of the rest), and the items of
// all tables of contents together stop at kMaxItems: past it the collection
// is marked incomplete.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/stop_signal.h"
#include "rom/consumer.h"
#include "rom/inspect.h"
#include "rom/items.h"

namespace romscope {

// A module as collected: its section headers lie in the table of contents'
// list of sections, from `firstSection` on.
struct CollectedModule {
  uint32_t index = 0;
  TOCentry entry;
  ItemName name;
  std::optional<e32_rom> e32;
  uint32_t firstSection = 0;
  uint32_t sectionCount = 0;
  Problems problems;
};

struct CollectedSymbol {
  static constexpr uint8_t kEndedAtNul = 1;
  static constexpr uint8_t kCut = 2;  // the pool keeps a prefix and a hash
  uint32_t value = 0;
  uint32_t nameAddress = 0;
  uint32_t poolOffset = 0;
  uint32_t nameLength = 0;  // saturates at UINT32_MAX
  uint8_t flags = 0;

  bool EndedAtNul() const { return (flags & kEndedAtNul) != 0; }
};

// A profile as collected: its symbols lie in the table of contents' list of
// symbols, from `firstSymbol` on.
struct CollectedProfile {
  ProfileItem item;
  uint32_t firstSymbol = 0;
  uint32_t symbolCount = 0;
};

struct CollectedToc {
  TocItem toc;
  std::optional<ExtensionHeadItem> extensionHead;
  std::vector<ExtensionStepItem> extensionSteps;
  std::optional<CopySectionsItem> copySections;
  // The three tables, when the report reached them.
  std::optional<TableItem> tables[3];
  std::vector<CollectedModule> modules;
  std::vector<SectionItem> sections;
  std::vector<FileItem> files;
  std::vector<CollectedProfile> profiles;
  std::vector<CollectedSymbol> symbols;

  const std::optional<TableItem>& TableOf(TableItem::Kind kind) const { return tables[kind]; }
};

// What the flags kept for a record say of its data.
enum class RecordVerdict : uint8_t {
  kNotVerified,  // the data was not read
  kCut,          // the file ends inside the data: its sum is of what is there, no verdict
  kValid,
  kWrong,  // the data sums otherwise
};

struct CollectedImage {
  static constexpr size_t kMaxItems = size_t{8} << 20;
  static constexpr size_t kKeptName = 4096;
  static constexpr uint8_t kDataRead = 1;
  static constexpr uint8_t kChecksumValid = 2;
  static constexpr uint8_t kDataComplete = 4;

  ImageItem image;
  std::vector<uint8_t> recordFlags;  // per record of the image's table
  std::vector<TocCandidate> notices;
  std::vector<CollectedToc> tocs;
  std::string namePool;
  bool complete = true;  // false: kMaxItems was reached and the rest left out

  // The symbol's name as the pool keeps it (for a cut name: its prefix and
  // the hash of the whole).
  std::string_view SymbolName(const CollectedSymbol& symbol) const;

  // The flags kept for a record as the scan hands it over.
  static uint8_t RecordFlags(const RecordItem& record);
  static RecordVerdict VerdictOf(uint8_t flags) {
    if ((flags & kDataRead) == 0) return RecordVerdict::kNotVerified;
    if ((flags & kDataComplete) == 0) return RecordVerdict::kCut;
    return (flags & kChecksumValid) != 0 ? RecordVerdict::kValid : RecordVerdict::kWrong;
  }
  // The verdict on record `index` of the image's table.
  RecordVerdict Verdict(size_t index) const {
    return index < recordFlags.size() ? VerdictOf(recordFlags[index]) : RecordVerdict::kNotVerified;
  }
};

class Collector : public InspectionConsumer {
 public:
  explicit Collector(CollectedImage& collected) : c_(collected) {}

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
  void End() override {}

 private:
  // Counts `count` more items; false once the budget is spent.
  bool Take(size_t count);
  CollectedToc& Current() { return c_.tocs.back(); }

  CollectedImage& c_;
  size_t items_ = 0;
  // The name being collected: where it starts in the pool, and its hash.
  size_t nameStart_ = 0;
  uint64_t nameHash_ = 0;
};

// An image opened and inspected whole, its items collected.
struct Inspection {
  OpenedImage opened;
  CollectedImage collected;
};

// Opens `path` and collects its whole inspection (`plan`: what to read; by
// default everything).
void CollectInspection(HostServices& host, const std::string& path, Inspection* inspection,
                       const InspectPlan& plan = InspectPlan::Everything());

}  // namespace romscope
