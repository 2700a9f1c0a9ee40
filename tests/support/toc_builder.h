// Lays out whole tables of contents in table addresses and maps them into
// BIN records at record address = table address + ROMOFFSET.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "support/bin_builder.h"

namespace romscope::testing {

inline constexpr uint32_t kRomSignatureWord = 0x524B524B;  // "KRKR"

// Bytes placed at table addresses; later writes replace earlier ones.
class TocMemory {
 public:
  void Put(uint32_t address, const Bytes& bytes);
  void Put32(uint32_t address, uint32_t value);
  void PutString(uint32_t address, const std::string& text);  // with its NUL
  // The placed bytes as runs of consecutive addresses, lowest first.
  std::vector<std::pair<uint32_t, Bytes>> Extents() const;

 private:
  std::vector<std::pair<uint32_t, Bytes>> writes_;  // in the order made
};

struct RomHeaderFields {
  uint32_t dllFirst = 0;
  uint32_t dllLast = 0;
  uint32_t physFirst = 0;
  uint32_t physLast = 0;
  uint32_t numModules = 0;
  uint32_t ramStart = 0;
  uint32_t ramFree = 0;
  uint32_t ramEnd = 0;
  uint32_t numCopyEntries = 0;
  uint32_t copyEntriesOffset = 0;
  uint32_t uninterpreted28 = 0;
  uint32_t profSymbolOffset = 0;
  uint32_t numFiles = 0;
  uint32_t kernelFlags = 0;
  uint16_t cpu = 0;
  uint16_t miscFlags = 0;
  uint32_t extensions = 0;
};
Bytes EncodeRomHeader(const RomHeaderFields& h);

struct E32Fields {
  std::optional<uint16_t> objcnt;  // default: the number of sections
  uint16_t imageflags = 0;
  uint32_t entryrva = 0;
  uint32_t vbase = 0;
  uint16_t subsysmajor = 0;
  uint16_t subsysminor = 0;
  uint32_t stackmax = 0;
  uint32_t vsize = 0;
  uint32_t timestamp = 0;
};

struct O32Fields {
  uint32_t vsize = 0;
  uint32_t rva = 0;
  uint32_t psize = 0;
  uint32_t dataptr = 0;
  uint32_t realaddr = 0;
  uint32_t flags = 0;
};

struct ModuleSpec {
  std::string name;
  uint32_t attributes = 0;
  uint64_t fileTime = 0;
  uint32_t size = 0;
  uint32_t loadOffset = 0;
  E32Fields e32;
  std::vector<O32Fields> sections;
  bool placeE32 = true;  // false: ulE32Offset names an address nothing is placed at
  // Overrides of the addresses the builder would choose.
  std::optional<uint32_t> nameOffset;
  std::optional<uint32_t> e32Offset;
  std::optional<uint32_t> o32Offset;
};

struct FileSpec {
  std::string name;
  uint32_t attributes = 0;
  uint64_t fileTime = 0;
  uint32_t size = 0;
  uint32_t storedSize = 0;
  uint32_t loadOffset = 0;
  std::optional<uint32_t> nameOffset;
};

struct CopyFields {
  uint32_t src = 0;
  uint32_t dest = 0;
  uint32_t clen = 0;
  uint32_t dlen = 0;
};

struct ProfileSpec {
  uint32_t modA = 0;
  uint32_t modB = 0;
  uint32_t startAddr = 0;
  uint32_t endAddr = 0;
  std::vector<uint32_t> hits;       // first word of each hit-table entry
  std::vector<std::string> names;   // stored back to back, each with its NUL
  std::optional<uint32_t> numsyms;  // default: the number of hits
  std::optional<uint32_t> hitAddr;  // as stored in the entry; default: where the hits lie
  std::optional<uint32_t> hitsAt;   // where the hit table is placed; default: the data area
  std::optional<uint32_t> symAddr;  // where the names are placed and what the entry says
};

struct ChainEntryFields {
  uint32_t addr = 0;
  uint32_t maxLength = 0;
  uint16_t order = 0;
  uint16_t flags = 0;
  uint32_t reserved = 0;
};

struct ExtensionSpec {
  std::string name;  // up to 24 bytes; 24 fills the field without a NUL
  Bytes rawName;     // used instead of `name` when not empty (24 bytes)
  uint32_t type = 0;
  uint32_t reserved = 0;
  std::vector<ChainEntryFields> entries;  // the record's data
  std::optional<uint32_t> length;         // default: 16 per entry
  std::optional<uint32_t> pData;
};

// One table of contents. Build() places the header at pTOC, the module and
// file tables behind it, and everything else in a data area from `dataStart`
// (by default right behind the file table). The header's counts are filled in
// unless `keepCounts`; its table addresses (copy table, profiling table,
// extensions) unless `header` sets them to something other than 0; its
// physical range unless `keepPhys`.
class TocBuilder {
 public:
  explicit TocBuilder(uint32_t pTOC) : pTOC_(pTOC) {}

  RomHeaderFields header;
  std::vector<ModuleSpec> modules;
  std::vector<FileSpec> files;
  std::vector<CopyFields> copies;
  std::vector<ProfileSpec> profiles;
  std::optional<uint32_t> profileAddress;  // default: placed in the data area when profiles exist
  std::vector<uint32_t> pids = std::vector<uint32_t>(10, 0);
  std::vector<ExtensionSpec> extensions;  // chained from the head when pids/extensions are used
  bool withExtensions = false;
  std::optional<uint32_t> dataStart;
  bool keepCounts = false;
  bool keepPhys = false;

  // Where Build() put things, for tests that aim at them.
  struct Placement {
    RomHeaderFields header;
    uint32_t dataEnd = 0;  // one past the last byte placed
    std::vector<uint32_t> moduleNames, e32s, o32s, fileNames;
    std::vector<uint32_t> hitTables, nameLists;
    std::vector<uint32_t> extensionRecords;  // the head first
  };

  uint32_t pTOC() const { return pTOC_; }
  // Writes the table of contents into `memory`.
  Placement Build(TocMemory& memory) const;

 private:
  uint32_t pTOC_;
};

// Adds the records of `memory` to `bin`: the 84 bytes at pTOC as a record of
// their own, the rest as records of at most `maxRecord` bytes, all at record
// address = table address + romOffset; then the 8-byte signature record at
// `signatureRecordAddress`. Records come in address order unless
// `signatureFirst` puts the signature record before them.
void AddTocRecords(BinBuilder& bin, const TocMemory& memory, uint32_t pTOC, uint32_t romOffset,
                   uint32_t signatureRecordAddress, uint32_t maxRecord = 0x10000,
                   bool signatureFirst = false);

// A complete image holding one table of contents, with a BIN header whose
// range covers the header's physical range, `extra` records of their own at
// the table addresses given, and a terminator.
Bytes SingleTocImage(const TocBuilder& toc, uint32_t romOffset = 0,
                     const std::vector<std::pair<uint32_t, Bytes>>& extra = {});

// The 8 bytes of a signature record naming the header at pTOC.
Bytes SignatureRecordData(uint32_t pTOC);
// A header for the locator to try: its physical range and DLL bounds, the
// rest zero but for the processor.
Bytes CandidateHeader(uint32_t physFirst, uint32_t physLast, uint32_t dllFirst = 0,
                      uint32_t dllLast = 0, uint16_t cpu = 0);

// A file time for a calendar date and time (UTC).
uint64_t FileTimeOf(int year, int month, int day, int hour, int minute, int second);

}  // namespace romscope::testing
