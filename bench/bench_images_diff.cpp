// The image pairs for -diff's benchmarks (see bench_images.h).
#include <algorithm>
#include <cstring>
#include <string>

#include "bench_images.h"
#include "support/toc_builder.h"

namespace romscope::bench {
namespace {

constexpr uint32_t kFileBase = 0x90000000u;

uint64_t Mix(uint64_t& state) {
  uint64_t z = (state += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

bool Write(std::FILE* file, const testing::Bytes& bytes) {
  return std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
}

// The table of contents at kImageBase in records of its own, its signature
// record first; the BIN header spans `length` bytes, and at least the
// table's physical range, as the search wants it.
testing::BinBuilder TocRecords(const testing::TocBuilder& toc, uint32_t length) {
  testing::TocMemory memory;
  const testing::TocBuilder::Placement placed = toc.Build(memory);
  testing::BinBuilder bin;
  bin.Header(kImageBase, std::max(length, placed.header.physLast - kImageBase));
  testing::AddTocRecords(bin, memory, toc.pTOC(), 0, 0x7FFFFFF0u, 1u << 30, true);
  return bin;
}

}  // namespace

bool WriteFilesImage(std::FILE* file, uint32_t files, uint32_t fileSize, bool changed) {
  testing::TocBuilder toc(kImageBase);
  toc.files.resize(files);
  for (uint32_t i = 0; i < files; ++i) {
    toc.files[i].name = "file" + std::to_string(i) + ".bin";
    toc.files[i].size = fileSize;
    toc.files[i].loadOffset = kFileBase + i * fileSize;
  }
  if (!Write(file, TocRecords(toc, files * fileSize).Build())) return false;
  uint64_t state = 0xF11E5EEDu;
  testing::Bytes data(fileSize);
  for (uint32_t i = 0; i < files; ++i) {
    for (size_t k = 0; k + 8 <= data.size(); k += 8) {
      const uint64_t word = Mix(state);
      std::memcpy(data.data() + k, &word, 8);
    }
    if (changed && i == files / 2) data[fileSize / 2] ^= 0x01;
    testing::Bytes header;
    testing::AppendLe32(header, kFileBase + i * fileSize);
    testing::AppendLe32(header, fileSize);
    testing::AppendLe32(header, testing::SumOf(data));
    if (!Write(file, header) || !Write(file, data)) return false;
  }
  testing::Bytes terminator;
  for (uint32_t v : {0u, kImageBase, 0u}) testing::AppendLe32(terminator, v);
  return Write(file, terminator);
}

testing::Bytes DiffRecordsImage(uint32_t count, bool changed) {
  testing::BinBuilder builder;
  builder.Header(kImageBase, count * 16u);
  testing::Bytes data(16);
  for (uint32_t i = 0; i < count; ++i) {
    for (size_t k = 0; k < data.size(); ++k) data[k] = static_cast<uint8_t>(size_t{i} * 16 + k);
    if (changed && i % 100 == 0) data[0] ^= 0x80;
    builder.Record(kImageBase + i * 16u, data);
  }
  builder.Record(kImageBase + count * 16u, testing::Bytes(8, 0x5A));
  builder.Terminator(kImageBase);
  return builder.Build();
}

testing::Bytes DiffSymbolsImage(uint32_t modules, uint32_t symbols, bool changed) {
  testing::TocBuilder toc(kImageBase);
  toc.modules.resize(modules);
  toc.profiles.resize(modules);
  uint64_t n = 0;
  for (uint32_t i = 0; i < modules; ++i) {
    toc.modules[i].name = "module" + std::to_string(i) + ".dll";
    testing::ProfileSpec& p = toc.profiles[i];
    p.modA = i;
    p.startAddr = 0x90000000u + i * 0x10000;
    p.endAddr = p.startAddr + 0xFFFF;
    p.hits.resize(symbols);
    p.names.resize(symbols);
    for (uint32_t k = 0; k < symbols; ++k, ++n) {
      p.hits[k] = k * 7 + i;
      p.names[k] = "Function_" + std::to_string(i) + "_" + std::to_string(k) + "_xyz";
      if (!changed || n % 100 != 0) continue;
      if (n % 200 == 0) {
        p.hits[k] += 1;
      } else {
        p.names[k] += "2";
      }
    }
  }
  testing::TocMemory memory;
  const testing::TocBuilder::Placement placed = toc.Build(memory);
  testing::BinBuilder bin;
  bin.Header(placed.header.physFirst, placed.header.physLast - placed.header.physFirst);
  testing::AddTocRecords(bin, memory, toc.pTOC(), 0, 0x7FFFFFF0u, 1u << 30, true);
  bin.Terminator(kImageBase);
  return bin.Build();
}

bool IsDiffLayout(const std::string& layout) {
  return layout == "files" || layout == "sections" || layout == "records";
}

testing::Bytes DiffHostileImage(const std::string& layout, bool sameKey, bool dropFirst) {
  const uint32_t skip = dropFirst ? 1 : 0;
  if (layout == "records") {
    constexpr uint32_t kRecords = 1000000;
    testing::BinBuilder builder;
    builder.Header(kImageBase, kRecords * 16u);
    const testing::Bytes data(16, 0x3C);
    for (uint32_t i = skip; i < kRecords; ++i) {
      builder.Record(sameKey ? kImageBase : kImageBase + i * 16u, data);
    }
    builder.Record(kImageBase + kRecords * 16u, testing::Bytes(8, 0x5A));
    builder.Terminator(kImageBase);
    return builder.Build();
  }
  testing::TocBuilder toc(kImageBase);
  // The content every item points into: one record.
  constexpr uint32_t kData = 0xA0000000u;
  testing::Bytes content;
  if (layout == "files") {
    constexpr uint32_t kFiles = 2340;  // as many as one read of the file table takes
    for (uint32_t i = skip; i < kFiles; ++i) {
      testing::FileSpec file;
      file.name = sameKey ? "same.bin" : "file" + std::to_string(i) + ".bin";
      file.size = 64;
      file.loadOffset = kData + i * 64;
      toc.files.push_back(file);
    }
    content.assign(size_t{kFiles} * 64, 0x42);
  } else {
    const uint32_t modules = sameKey ? 1 : 2048;
    const uint32_t sections = sameKey ? 65535 : 32;
    toc.modules.resize(modules);
    for (uint32_t m = 0; m < modules; ++m) {
      testing::ModuleSpec& module = toc.modules[m];
      module.name = "module" + std::to_string(m) + ".dll";
      for (uint32_t j = skip; j < sections; ++j) {
        const uint32_t at = kData + (m * sections + j) * 16;
        module.sections.push_back({16, 0x1000 * j, 16, at, at, 0x60000020});
      }
    }
    content.assign(size_t{modules} * sections * 16, 0x42);
  }
  testing::BinBuilder bin = TocRecords(toc, static_cast<uint32_t>(content.size()));
  bin.Record(kData, content);
  bin.Terminator(kImageBase);
  return bin.Build();
}

}  // namespace romscope::bench
