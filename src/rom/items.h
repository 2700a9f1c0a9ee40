// The decoded inspection of an image, item by item: plain values, each with
// the problems met while reading it. The inspection (inspect.h) hands them to
// a consumer (consumer.h) in the order the image is read; the report layer
// prints them, the collector keeps them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "image/bin_format.h"
#include "image/record_scan.h"
#include "rom/model.h"

namespace romscope {

// Every message an inspection can meet. Their texts, and which output shows
// each, are the report layer's catalogue.
enum class ProblemKind : uint8_t {
  // The image as a whole; each ends the inspection.
  kOpenFailed,
  kSignatureUnreadable,
  kSignatureMismatch,
  kHeaderTruncated,
  // A candidate header of the search.
  kTocNoticePhys,
  kTocNoticeDll,
  // Inside a report.
  kReadTooBig,
  kTocHeaderUnreadable,
  kExtensionsUnreadable,
  kExtensionBufferFailed,
  kExtensionChainCycle,
  kChainDataUnreadable,
  kCopySectionsUnreadable,
  kModulesUnreadable,
  kE32Unreadable,
  kO32Unreadable,
  kNameUnreadable,
  kFilesUnreadable,
  kFileNotInRecordSpace,
  kProfilesUnreadable,
  kHitTableUnreadable,
  kSymbolNameUnreadable,
};

// One message with the numbers its text shows: a size (readTooBig, and the
// lengths of unreadable or unallocated data) and an address.
struct Problem {
  ProblemKind kind;
  uint64_t size = 0;
  uint32_t address = 0;
};
using Problems = std::vector<Problem>;

// The image: its path, whether it could be opened and what its BIN header
// holds. Anything but kOk ends the inspection here.
struct ImageItem {
  std::string path;
  std::optional<Problem> failure;  // kOpenFailed .. kHeaderTruncated
  std::string openReason;          // the system's words, with kOpenFailed
  BinHeader header;
};

// Where a table of contents lies, as the search tried or found it.
struct TocLocation {
  uint32_t pTOC = 0;
  uint32_t romOffset = 0;      // record address = table address + romOffset
  size_t signatureRecord = 0;  // the record that named pTOC
  size_t headerRecord = 0;     // the record tried as the header
};

// One step of the search: an 84-byte record tried as the header that a
// signature record names, and how the try ended.
struct TocCandidate {
  enum Outcome : uint8_t {
    kUnreadable,    // its bytes cannot be read
    kOutsideRange,  // pTOC lies outside its physical range (no message)
    kPhysNotice,    // its physical range lies outside the image
    kDllNotice,     // a half of ulDllFirst passes ulDllLast
    kFound,
  };
  TocLocation location;
  Outcome outcome = kUnreadable;
  // With a notice: the bounds the test failed on (ulPhysFirst and
  // ulPhysLast, or ulDllFirst and ulDllLast).
  uint32_t first = 0;
  uint32_t last = 0;
  // The notice itself (kTocNoticePhys or kTocNoticeDll), when the try ended
  // with one: the candidate's location and bounds are its numbers.
  Problems problems;
};

// The start of one table of contents' report: where it lies and its header,
// or none when the header cannot be read.
struct TocItem {
  size_t index = 0;  // counted from 0 in the order found
  TocLocation location;
  std::optional<ROMHDR> header;
  Problems problems;
};

// The head of the header extensions at `address`, or none when it cannot be
// read. Only a header that names extensions has one.
struct ExtensionHeadItem {
  uint32_t address = 0;
  std::optional<ExtensionHead> head;
  Problems problems;
};

// One step of the walk along the extension chain: the record at `location`
// was read, or could not be read (the walk ends), or was read already (the
// chain leads back: the walk ends without reading it). A "chain information"
// record comes with its data's entries, when they could be read.
struct ExtensionStepItem {
  enum Outcome : uint8_t { kRead, kUnreadable, kRepeat };
  uint32_t location = 0;
  Outcome outcome = kRead;
  ExtensionRecord record;
  bool chainInformation = false;
  bool chainRead = false;  // its data was read (only for chain information)
  std::vector<ChainEntry> chain;
  Problems problems;
};

struct CopySection {
  CopyEntry entry;
  bool movesProfileTable = false;  // its Dest was where the profiling table was sought
};

// Where the profiling table is read, as the copy sections leave it: the
// header's ulProfSymbolOffset, or the source of the copy entry that moved it,
// with the difference that moves each module's hit table along.
struct ProfileLocation {
  uint32_t address = 0;
  uint32_t delta = 0;
};

// The copy table, whole (at most 4096 entries fit one read).
struct CopySectionsItem {
  uint32_t count = 0;
  uint32_t address = 0;
  bool readable = false;  // a count of 0 reads nothing and counts as read
  std::vector<CopySection> sections;
  ProfileLocation profile;
  Problems problems;
};

// The table a list section reads before its entries follow: the module
// table, the file table or the profiling table.
struct TableItem {
  enum Kind : uint8_t { kModules, kFiles, kProfiles };
  Kind kind = kModules;
  uint32_t count = 0;
  uint32_t address = 0;
  bool readable = false;  // a count of 0 reads nothing and counts as read
  Problems problems;
};

// A module's or file's name, cut to kCapacity - 1 bytes; `readable` false
// when it cannot be read (it is then empty).
struct ItemName {
  static constexpr size_t kCapacity = 260;
  std::string text;
  bool readable = false;
};

// One section header of a module, or none when it cannot be read (its
// problem then says so).
struct SectionItem {
  uint32_t address = 0;
  std::optional<o32_rom> o32;
  Problems problems;
};

// One module: its table entry and name, and with the details its e32_rom
// (none when it cannot be read) and section headers.
struct ModuleItem {
  uint32_t index = 0;
  TOCentry entry;
  ItemName name;
  bool details = false;
  std::optional<e32_rom> e32;
  std::vector<SectionItem> sections;
  Problems problems;
};

// One file of the file table; `inRecordSpace` is set when the test was made.
struct FileItem {
  uint32_t index = 0;
  FileEntry entry;
  ItemName name;
  std::optional<bool> inRecordSpace;
  Problems problems;
};

// One module's profiling entry and its hit table; its symbols follow.
struct ProfileItem {
  uint32_t index = 0;
  ProfileEntry entry;
  uint32_t hitTableAddress = 0;  // HitAddr moved by the profile delta
  bool hitTableRead = false;     // numsyms 0 reads nothing and counts as read
  Problems problems;
};

// One profiling symbol: its hit value and its name, which starts at
// `nameAddress` and runs `nameLength` bytes, up to its NUL or to the byte at
// `stopAddress` that could not be read. Its bytes come a piece at a time.
struct SymbolItem {
  uint32_t index = 0;
  uint32_t value = 0;
  uint32_t nameAddress = 0;
  uint64_t nameLength = 0;
  bool endedAtNul = true;
  uint32_t stopAddress = 0;
  Problems problems;  // the byte that ended the name could not be read
};

// The sections of a table of contents' report, in their fixed order.
enum ReportSection : uint8_t {
  kHeaderSection,
  kExtensionsSection,
  kCopySectionsSection,
  kModulesSection,
  kFilesSection,
  kProfilesSection,
  kReportSections
};

// The end of a scope that earlier items opened, with what only its end
// knows. The scopes: the records (after the last one); the search's notices
// (when the search runs before the reports, see InspectPlan::searchFirst);
// the extension chain (after its last step, when the head was read); a
// table's entries (after the last one, when the table could be read); a
// profile's symbols (after each profile); a table of contents' report.
struct ScopeEnd {
  enum Scope : uint8_t { kRecords, kSearch, kExtensions, kTable, kProfile, kToc };
  explicit ScopeEnd(Scope s, Problems p = {}, bool l = false, unsigned r = 0)
      : scope(s), problems(std::move(p)), listed(l), reached(r) {}

  Scope scope;
  // kExtensions: the chain's own problems (the head's, and a cycle's);
  // kProfile: the profile's; kToc: those of the table of contents as a whole:
  // its header's, and those of the sections that have no entry of their own.
  Problems problems;
  // kProfile: whether its symbols were listed (its hit table was read).
  bool listed;
  // kToc: the sections the report reached, a bit per ReportSection.
  unsigned reached;
};

}  // namespace romscope
