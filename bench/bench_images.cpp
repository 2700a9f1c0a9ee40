#include "bench_images.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "support/toc_builder.h"

namespace romscope::bench {
namespace {

constexpr uint32_t kMinDataRecord = 64 * 1024;
constexpr uint32_t kMaxDataRecord = 1024 * 1024;

uint64_t SplitMix64(uint64_t& state) {
  uint64_t z = (state += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

void FillRandom(testing::Bytes& data, uint64_t& state) {
  size_t i = 0;
  for (; i + 8 <= data.size(); i += 8) {
    uint64_t word = SplitMix64(state);
    std::memcpy(data.data() + i, &word, 8);
  }
  uint64_t word = SplitMix64(state);
  for (; i < data.size(); ++i, word >>= 8) data[i] = static_cast<uint8_t>(word);
}

bool WriteAll(std::FILE* file, const testing::Bytes& bytes) {
  return std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
}

// A record header: start, length, checksum, little-endian.
testing::Bytes RecordHeader(uint32_t start, uint32_t length, uint32_t checksum) {
  testing::Bytes header;
  testing::AppendLe32(header, start);
  testing::AppendLe32(header, length);
  testing::AppendLe32(header, checksum);
  return header;
}

}  // namespace

testing::Bytes SmallRecordsImage(uint32_t count) {
  testing::BinBuilder builder;
  builder.Header(kImageBase, count * 16u);
  testing::Bytes data(16);
  for (uint32_t i = 0; i < count; ++i) {
    for (size_t k = 0; k < data.size(); ++k) data[k] = static_cast<uint8_t>(size_t{i} * 16 + k);
    builder.Record(kImageBase + i * 16u, data);
  }
  builder.Record(kImageBase + count * 16u, testing::Bytes(8, 0x5A));
  builder.Terminator(kImageBase);
  return builder.Build();
}

testing::Bytes OverlappingRecordsImage(uint32_t count) {
  testing::BinBuilder builder;
  builder.Header(kImageBase, count * 16u + 48u);
  testing::Bytes data(64);
  for (uint32_t i = 0; i < count; ++i) {
    for (size_t k = 0; k < data.size(); ++k) data[k] = static_cast<uint8_t>(size_t{i} * 16 + k);
    builder.Record(kImageBase + i * 16u, data);
  }
  builder.Record(kImageBase + count * 16u + 64u, testing::Bytes(8, 0x5A));
  builder.Terminator(kImageBase);
  return builder.Build();
}

testing::Bytes SpreadImage(uint32_t count, uint32_t recordSize) {
  testing::BinBuilder builder;
  builder.Header(kImageBase, count * recordSize);
  uint64_t state = 0x5EED0001u;
  testing::Bytes data(recordSize);
  for (uint32_t i = 0; i < count; ++i) {
    FillRandom(data, state);
    builder.Record(kImageBase + i * recordSize, data);
  }
  builder.Terminator(kImageBase);
  return builder.Build();
}

bool WriteDataImage(std::FILE* file, uint64_t dataBytes, uint64_t seed, DataImageFacts* facts) {
  *facts = DataImageFacts{};
  // The file header, alone: the builder with no records writes just that.
  testing::Bytes header =
      testing::BinBuilder().Header(kImageBase, static_cast<uint32_t>(dataBytes)).Build();
  if (!WriteAll(file, header)) return false;
  facts->fileBytes = header.size();

  uint64_t state = seed;
  uint32_t address = kImageBase;
  testing::Bytes data;
  data.reserve(kMaxDataRecord);
  uint64_t left = dataBytes;
  while (left > 0) {
    uint32_t length = kMinDataRecord + static_cast<uint32_t>(SplitMix64(state) %
                                                             (kMaxDataRecord - kMinDataRecord + 1));
    length = static_cast<uint32_t>(std::min<uint64_t>(length, left));
    data.resize(length);
    FillRandom(data, state);
    if (!WriteAll(file, RecordHeader(address, length, testing::SumOf(data))) ||
        !WriteAll(file, data)) {
      return false;
    }
    address += length;
    left -= length;
    facts->records += 1;
    facts->dataBytes += length;
    facts->fileBytes += 12u + length;
  }
  if (!WriteAll(file, RecordHeader(0, kImageBase, 0))) return false;
  facts->fileBytes += 12u;
  return true;
}

namespace {

testing::Bytes TocImage(const testing::TocBuilder& toc) {
  testing::TocMemory memory;
  testing::TocBuilder::Placement placed = toc.Build(memory);
  testing::BinBuilder bin;
  bin.Header(placed.header.physFirst, placed.header.physLast - placed.header.physFirst);
  // One record for all the tables, so that none of them straddles two.
  testing::AddTocRecords(bin, memory, toc.pTOC(), 0, 0x7FFFFFF0u, 1u << 30, true);
  bin.Terminator(kImageBase);
  return bin.Build();
}

}  // namespace

testing::Bytes ModulesImage(uint32_t modules, uint32_t sections) {
  testing::TocBuilder toc(kImageBase);
  toc.modules.resize(modules);
  for (uint32_t i = 0; i < modules; ++i) {
    testing::ModuleSpec& m = toc.modules[i];
    m.name = "module" + std::to_string(i) + ".dll";
    m.fileTime = testing::FileTimeOf(2001, 3, 7, 9, 5, 0) + i * 10000000ull;
    m.size = 0x10000 + i;
    m.loadOffset = 0x90000000u + i * 0x10000;
    m.e32.entryrva = 0x1000 + i;
    m.sections.resize(sections);
    for (uint32_t j = 0; j < sections; ++j) {
      m.sections[j] = {0x1000, 0x1000 * (j + 1), 0x800, 0x90000000u + j, 0x10000 + j, 0x60000020};
    }
  }
  return TocImage(toc);
}

testing::Bytes SymbolsImage(uint32_t modules, uint32_t symbols) {
  testing::TocBuilder toc(kImageBase);
  toc.modules.resize(modules);
  toc.profiles.resize(modules);
  for (uint32_t i = 0; i < modules; ++i) {
    toc.modules[i].name = "module" + std::to_string(i) + ".dll";
    testing::ProfileSpec& p = toc.profiles[i];
    p.modA = i;
    p.startAddr = 0x90000000u + i * 0x10000;
    p.endAddr = p.startAddr + 0xFFFF;
    p.hits.resize(symbols);
    p.names.resize(symbols);
    for (uint32_t k = 0; k < symbols; ++k) {
      p.hits[k] = k * 7 + i;
      p.names[k] = "Function_" + std::to_string(i) + "_" + std::to_string(k) + "_xyz";
    }
  }
  return TocImage(toc);
}

testing::Bytes FilesImage(uint32_t files) {
  testing::TocBuilder toc(kImageBase);
  std::vector<testing::Bytes> data(files);
  uint64_t state = 0xF11E5EEDu;
  uint32_t address = 0xA0000000u;
  toc.files.resize(files);
  for (uint32_t i = 0; i < files; ++i) {
    testing::FileSpec& f = toc.files[i];
    f.name = "file" + std::to_string(i) + ".dat";
    f.fileTime = testing::FileTimeOf(2001, 3, 7, 9, 5, 0);
    f.size = 1024 + static_cast<uint32_t>(SplitMix64(state) % (uint64_t{31} * 1024));
    f.loadOffset = address;
    data[i].resize(f.size);
    FillRandom(data[i], state);
    address += (f.size + 15) & ~15u;
  }
  testing::TocMemory memory;
  testing::TocBuilder::Placement placed = toc.Build(memory);
  testing::BinBuilder bin;
  bin.Header(placed.header.physFirst, placed.header.physLast - placed.header.physFirst);
  testing::AddTocRecords(bin, memory, toc.pTOC(), 0, 0x7FFFFFF0u, 1u << 30, true);
  for (uint32_t i = 0; i < files; ++i) bin.Record(toc.files[i].loadOffset, data[i]);
  bin.Terminator(kImageBase);
  return bin.Build();
}

namespace {

using Piece = std::pair<uint32_t, testing::Bytes>;

constexpr uint32_t kNameModules = 32;

// The records of one hostile layout, apart from the table of contents.
struct HostileRecords {
  std::vector<Piece> misses;   // hold no entry (names: serve one byte each)
  std::vector<Piece> holders;  // hold some entries, in worst order
  int bigCopies = 1;           // of the record holding the whole table
};

HostileRecords HostileLayout(const std::string& layout, const testing::Bytes& table) {
  const uint32_t size = static_cast<uint32_t>(table.size());
  const uint32_t entries = size / 24;
  auto piece = [&](uint32_t offset, uint32_t length) {
    length = std::min(length, size - offset);
    return Piece(kHostileTable + offset,
                 testing::Bytes(table.begin() + offset, table.begin() + offset + length));
  };
  HostileRecords r;
  if (layout == "names") {
    for (uint32_t at = 5; at < size; at += 12) r.misses.push_back(piece(at, 1));
    return r;
  }
  if (layout == "late") {
    uint64_t state = 0x1A7E;
    for (uint32_t j = 0; j < entries; ++j) {
      const uint32_t late = 23 + static_cast<uint32_t>(SplitMix64(state) % 24);
      const uint32_t short_ = 23 + static_cast<uint32_t>(SplitMix64(state) % 24);
      r.misses.push_back(piece(24 * j + 1, late));
      const uint32_t from = 24 * j + 23 > short_ ? 24 * j + 23 - short_ : 0;
      r.misses.push_back(piece(from, 24 * j + 23 - from));
      r.holders.push_back(piece(24 * j, 24));
    }
    r.bigCopies = 0;
    return r;
  }
  if (layout == "overlap") {
    for (uint32_t j = 0; j + 1 < entries; ++j) r.misses.push_back(piece(24 * j + 12, 35));
    for (uint32_t i = 0; 48 * i < size; ++i) r.holders.push_back(piece(48 * i, 72));
    std::reverse(r.holders.begin(), r.holders.end());
    return r;
  }
  for (uint32_t j = 0; j < entries; ++j) r.misses.push_back(piece(24 * j + 12, 1));
  if (layout == "nested") {
    const uint32_t middle = 24 * (entries / 2);
    for (uint32_t k = 1; k <= 256 && 24 * k <= middle; ++k) {
      r.holders.push_back(piece(middle - 24 * k, 48 * k));
    }
  } else if (layout == "duplicates") {
    std::vector<Piece> once = r.misses;
    for (int copy = 1; copy < 4; ++copy) r.misses.insert(r.misses.end(), once.begin(), once.end());
    r.bigCopies = 4;
  }
  return r;
}

}  // namespace

bool IsHostileLayout(const std::string& layout) {
  return layout == "issue" || layout == "nested" || layout == "overlap" || layout == "duplicates" ||
         layout == "late" || layout == "names";
}

testing::Bytes HostileImage(const std::string& layout, bool friendly, uint32_t entries) {
  testing::TocBuilder toc(kImageBase);
  if (layout == "names") {
    // Modules whose profiling symbols share one name list.
    const uint32_t symbols = std::min<uint32_t>(entries, 8192);
    toc.modules.resize(kNameModules);
    toc.profiles.resize(kNameModules);
    for (uint32_t i = 0; i < kNameModules; ++i) {
      toc.modules[i].name = "module" + std::to_string(i) + ".dll";
      testing::ProfileSpec& p = toc.profiles[i];
      p.symAddr = kHostileTable;
      for (uint32_t k = 0; k < symbols; ++k) {
        p.hits.push_back(k * 8 + i);
        p.names.push_back("Function_" + std::to_string(k) + "_xyz");
      }
    }
  } else {
    toc.modules.resize(1);
    testing::ModuleSpec& m = toc.modules[0];
    m.name = "hostile.dll";
    m.o32Offset = kHostileTable;
    m.sections.resize(entries);
    for (uint32_t j = 0; j < entries; ++j) m.sections[j] = {j, 0x1000 * j, 0x200, 0x400 + j, j, 7};
  }
  testing::TocMemory memory;
  testing::TocBuilder::Placement placed = toc.Build(memory);
  // The table of contents in records of its own, the o32_rom table apart.
  testing::TocMemory rest;
  testing::Bytes table;
  for (const auto& [start, bytes] : memory.Extents()) {
    if (start == kHostileTable) {
      table = bytes;
    } else {
      rest.Put(start, bytes);
    }
  }
  testing::BinBuilder bin;
  bin.Header(placed.header.physFirst, placed.header.physLast - placed.header.physFirst);
  testing::AddTocRecords(bin, rest, toc.pTOC(), 0, 0x7FFFFFF0u, 1u << 30, true);

  HostileRecords r = HostileLayout(layout, table);
  std::vector<Piece> order = r.misses;
  order.insert(order.end(), r.holders.begin(), r.holders.end());
  for (int copy = 0; copy < r.bigCopies; ++copy) order.push_back({kHostileTable, table});
  if (friendly) std::reverse(order.begin(), order.end());
  for (const auto& [start, bytes] : order) bin.Record(start, bytes);
  bin.Terminator(kImageBase);
  return bin.Build();
}

}  // namespace romscope::bench
