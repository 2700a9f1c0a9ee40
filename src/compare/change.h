// The comparison of two inspections as a list of changes, one per item that
// was added, removed, changed or moved. A change names its items by their
// positions in each inspection's lists; what changed in them is worked out
// again from the items when the change is shown (pair_walk.h), so that the
// list stays small however many fields differ.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace romscope {

// The kinds of item compared, in the order the output shows them (how each
// is matched: compare.h).
enum class ChangeKind : uint8_t {
  kImage,        // the BIN header and the entry address
  kToc,          // a table of contents: where it lies, which of its tables could be read
  kRecord,       // a record of the image's table
  kHeader,       // the ROM header and the head of its extensions
  kExtension,    // a record of the extension chain
  kCopySection,  // an entry of the copy table
  kModule,       // a module with its sections
  kFile,         // a file
  kSymbol,       // a profiling symbol of a module
};
inline constexpr size_t kChangeKinds = 9;

enum class ChangeType : uint8_t { kAdded, kRemoved, kChanged, kMoved };
inline constexpr size_t kChangeTypes = 4;

// What a byte-for-byte comparison of an item's content found. kNeither, the
// content neither image holds, shows as unknown; it is no change by itself,
// since both inspections say the same of it.
enum class Content : uint8_t { kNone, kSame, kChanged, kUnknown, kNeither };

struct Change {
  static constexpr uint32_t kNone = UINT32_MAX;
  ChangeKind kind = ChangeKind::kImage;
  ChangeType type = ChangeType::kChanged;
  Content content = Content::kNone;
  // A symbol change that stands for all the symbols of a module: its hit
  // table could be read in one image only. Its items are then profiles.
  bool wholeList = false;
  uint32_t toc = kNone;  // the pair of tables of contents, or kNone
  // The item's index in each inspection's list of its kind (for symbols:
  // the table of contents' flat list), or kNone in the image without it.
  uint32_t oldItem = kNone;
  uint32_t newItem = kNone;
  // Among the items with the same key in the list, the how-manieth (from 1);
  // for a symbol, also its module's among the modules.
  uint32_t occurrence = 1;
  uint32_t moduleOccurrence = 1;
};

// A comparison the two inspections could not support in full.
struct ComparisonProblem {
  enum Kind : uint8_t { kIncomplete };
  Kind kind = kIncomplete;
  bool newImage = false;
};

struct Comparison {
  std::vector<Change> changes;
  uint64_t counts[kChangeKinds][kChangeTypes] = {};
  // The data bytes of each image's records, the terminator not counted.
  uint64_t oldBytes = 0;
  uint64_t newBytes = 0;
  std::vector<ComparisonProblem> problems;

  void Add(const Change& change) {
    changes.push_back(change);
    ++counts[static_cast<size_t>(change.kind)][static_cast<size_t>(change.type)];
  }
  // Nothing differs and nothing was left out.
  bool Identical() const { return changes.empty() && problems.empty(); }
  // As diff and cmp have it: 0 the same, 1 different, 2 trouble. A
  // comparison that left something out can tell a difference, never sameness.
  int ExitStatus() const {
    if (Identical()) return 0;
    return changes.empty() ? 2 : 1;
  }
};

}  // namespace romscope
