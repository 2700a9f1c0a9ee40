// The memory image against a loader written the slow way, byte by byte, on
// many random layouts; the 2^32 edge; the layouts that make it work hardest.
#include "image/memory_image.h"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <tuple>
#include <vector>

namespace romscope {
namespace {

RecordTable TableOf(const std::vector<RecordInfo>& records, bool terminator = false) {
  RecordTable table;
  for (const RecordInfo& record : records) table.Add(record);
  if (terminator) {
    table.Add({0, 0x1234, 0, 0});
    table.MarkTerminator();
  }
  return table;
}

// Addresses -> (record, file offset), the way a loader writes them; and each
// byte overwritten as (address, earlier record, later record).
struct SlowLoad {
  std::map<uint64_t, std::pair<uint32_t, uint64_t>> bytes;
  std::vector<std::tuple<uint64_t, uint32_t, uint32_t>> overwritten;
};

SlowLoad LoadSlowly(const std::vector<RecordInfo>& records, uint64_t fileSize) {
  SlowLoad load;
  for (uint32_t i = 0; i < records.size(); ++i) {
    const RecordInfo& r = records[i];
    for (uint64_t k = 0; k < r.length; ++k) {
      const uint64_t address = uint64_t{r.start} + k;
      if (r.dataOffset + k >= fileSize || address >= (uint64_t{1} << 32)) break;
      auto found = load.bytes.find(address);
      if (found != load.bytes.end()) load.overwritten.emplace_back(address, found->second.first, i);
      load.bytes[address] = {i, r.dataOffset + k};
    }
  }
  return load;
}

void ExpectSameAsSlowLoad(const std::vector<RecordInfo>& records, uint64_t fileSize) {
  const MemoryImage memory = MemoryImage::Build(TableOf(records), fileSize);
  const SlowLoad slow = LoadSlowly(records, fileSize);
  std::map<uint64_t, std::pair<uint32_t, uint64_t>> bytes;
  uint64_t last = 0;
  for (const MemoryRun& run : memory.Runs()) {
    ASSERT_LT(run.start, run.end);
    ASSERT_GE(run.start, last) << "runs overlap or are out of order";
    last = run.end;
    for (uint64_t a = run.start; a < run.end; ++a) {
      bytes[a] = {run.record, run.fileOffset + (a - run.start)};
    }
  }
  EXPECT_EQ(bytes, slow.bytes);
  std::vector<std::tuple<uint64_t, uint32_t, uint32_t>> overwritten;
  for (const MemoryOverlap& o : memory.Overlaps()) {
    ASSERT_LT(o.start, o.end);
    EXPECT_EQ(o.earlierOffset,
              records[o.earlier].dataOffset + (o.start - records[o.earlier].start));
    EXPECT_EQ(o.laterOffset, records[o.later].dataOffset + (o.start - records[o.later].start));
    for (uint64_t a = o.start; a < o.end; ++a) overwritten.emplace_back(a, o.earlier, o.later);
  }
  // The loader meets the overwritten bytes record by record.
  std::stable_sort(overwritten.begin(), overwritten.end(), [](const auto& x, const auto& y) {
    return std::tie(std::get<2>(x), std::get<0>(x)) < std::tie(std::get<2>(y), std::get<0>(y));
  });
  EXPECT_EQ(overwritten, slow.overwritten);
  // Every address between the lowest and the highest held is a gap or held.
  for (const auto& [start, end] : memory.Gaps()) {
    for (uint64_t a = start; a < end; ++a) EXPECT_EQ(slow.bytes.count(a), 0u);
  }
}

TEST(MemoryImageTest, EveryLayoutLoadsAsALoaderWritingByteByByte) {
  std::mt19937 random(20261209);
  for (int round = 0; round < 400; ++round) {
    std::vector<RecordInfo> records;
    const int count = 1 + static_cast<int>(random() % 12);
    // Small windows make overlaps likely; some rounds sit at the top of the
    // address space, so that records run past 2^32.
    const uint64_t base = (round % 4 == 3) ? 0xFFFFFFC0u : (round % 4) * 0x10000u;
    uint64_t offset = 27;
    for (int i = 0; i < count; ++i) {
      RecordInfo r;
      r.start = static_cast<uint32_t>(base + random() % 64);
      r.length = random() % 5 == 0 ? 0 : 1 + static_cast<uint32_t>(random() % 40);
      r.dataOffset = offset;
      offset += r.length + 12;
      records.push_back(r);
    }
    // Sometimes the file ends inside the last record.
    const uint64_t fileSize = round % 3 == 0 ? offset - 12 - random() % 8 : offset;
    SCOPED_TRACE(round);
    ExpectSameAsSlowLoad(records, fileSize);
  }
}

TEST(MemoryImageTest, TheTopOfTheAddressSpace) {
  // Ends exactly at 2^32: whole. One byte more: cut there, and told.
  const std::vector<RecordInfo> records = {{0xFFFFFFF0u, 16, 0, 100}, {0xFFFFFFF8u, 9, 0, 200}};
  const MemoryImage memory = MemoryImage::Build(TableOf(records, true), 1000);
  ASSERT_EQ(memory.Runs().size(), 2u);
  EXPECT_EQ(memory.Runs()[0].start, 0xFFFFFFF0u);
  EXPECT_EQ(memory.Runs()[0].end, 0xFFFFFFF8u);
  EXPECT_EQ(memory.Runs()[1].start, 0xFFFFFFF8u);
  EXPECT_EQ(memory.Runs()[1].end, uint64_t{1} << 32);
  EXPECT_EQ(memory.Runs()[1].fileOffset, 200u);
  EXPECT_EQ(memory.CutAtTop(), std::vector<uint32_t>{1});
  EXPECT_TRUE(memory.CutByFile().empty());
  ASSERT_EQ(memory.Overlaps().size(), 1u);
  EXPECT_EQ(memory.Overlaps()[0].start, 0xFFFFFFF8u);
  EXPECT_EQ(memory.Overlaps()[0].end, uint64_t{1} << 32);
  EXPECT_TRUE(memory.Holds(0xFFFFFFF0u, 16));
  EXPECT_FALSE(memory.Holds(0xFFFFFFF0u, 17));
  EXPECT_FALSE(memory.Holds(0xFFFFFFEFu, 2));
  EXPECT_EQ(memory.FindRun(0xFFFFFFFFu), 1u);
  EXPECT_EQ(memory.FindRun(0xFFFFFFEFu), MemoryImage::npos);
}

TEST(MemoryImageTest, TheTerminatorAndEmptyRecordsHoldNothing) {
  const std::vector<RecordInfo> records = {{0x100, 0, 0, 27}, {0x200, 4, 0, 39}};
  const MemoryImage memory = MemoryImage::Build(TableOf(records, true), 43);
  ASSERT_EQ(memory.Runs().size(), 1u);
  EXPECT_EQ(memory.Runs()[0].record, 1u);
  EXPECT_TRUE(memory.Holds(0x200, 4));
  EXPECT_TRUE(memory.Holds(0x100, 0));
  EXPECT_FALSE(memory.Holds(0x1FF, 2));
  EXPECT_FALSE(memory.Holds(0x203, 2));
}

// A million records: the map of pieces stays O(n log n) whatever the order.
TEST(MemoryImageTest, AMillionRecordsInHardLayouts) {
  constexpr uint32_t kCount = 1000000;
  std::vector<RecordInfo> sameStartGrowing;
  std::vector<RecordInfo> sameStartShrinking;
  std::vector<RecordInfo> descending;
  for (uint32_t i = 0; i < kCount; ++i) {
    const uint64_t offset = uint64_t{i} * 64;
    sameStartGrowing.push_back({0x1000, 1 + i % 50000, 0, offset});
    sameStartShrinking.push_back({0x1000, kCount - i, 0, offset});
    descending.push_back({(kCount - 1 - i) * 16, 16, 0, offset});
  }
  const uint64_t fileSize = uint64_t{kCount} * 64 + (uint64_t{1} << 32);
  const MemoryImage growing = MemoryImage::Build(TableOf(sameStartGrowing), fileSize);
  EXPECT_EQ(growing.Runs().front().start, 0x1000u);
  EXPECT_EQ(growing.Runs().back().end, 0x1000u + 50000);
  const MemoryImage shrinking = MemoryImage::Build(TableOf(sameStartShrinking), fileSize);
  ASSERT_EQ(shrinking.Runs().size(), kCount);
  EXPECT_EQ(shrinking.Runs()[0].record, kCount - 1);
  EXPECT_EQ(shrinking.Runs()[kCount - 1].record, 0u);
  EXPECT_EQ(shrinking.Overlaps().size(), kCount - 1);
  const MemoryImage down = MemoryImage::Build(TableOf(descending), fileSize);
  ASSERT_EQ(down.Runs().size(), kCount);
  EXPECT_TRUE(down.Overlaps().empty());
  EXPECT_TRUE(down.Holds(0, uint64_t{kCount} * 16));
}

}  // namespace
}  // namespace romscope
