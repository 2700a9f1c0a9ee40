// The address reader: which record serves a read, and what a read returns.
#include "image/image_reader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <map>
#include <memory>
#include <random>
#include <string>

#include "image/record_scan.h"
#include "report/catalogue.h"
#include "support/bin_builder.h"

namespace romscope::testing {
namespace {

class IgnoreRecords : public RecordConsumer {
 public:
  void RecordData(const RecordItem&, uint32_t, const uint8_t*, size_t) override {}
  void Record(const RecordItem&) override {}
};

// A scanned image with its reader.
class Loaded {
 public:
  explicit Loaded(const Bytes& image, uint64_t failFrom = UINT64_MAX)
      : source_(image, failFrom), file_(source_), data_(file_) {
    BinHeader header;
    ReadBinHeader(file_, &header);
    std::vector<uint8_t> scratch(kScratchSize);
    IgnoreRecords ignore;
    ScanRecords(file_, false, ignore, NeverStopped(), scratch.data(), &table_);
    reader_ = std::make_unique<ImageReader>(data_, table_);
  }
  ImageReader& reader() { return *reader_; }
  const RecordTable& table() const { return table_; }
  // The bytes of a fixed-size read, or "(failed)".
  std::string Read(uint32_t address, uint32_t size, uint32_t bias = 0) {
    std::string bytes(size, '?');
    if (!reader_->ReadImage(reinterpret_cast<uint8_t*>(bytes.data()), address, size, bias)) {
      return "(failed)";
    }
    return bytes;
  }
  std::string String(uint32_t address, size_t capacity = 260, uint32_t bias = 0) {
    std::string text(capacity, '?');
    if (!reader_->ReadString(text.data(), capacity, address, bias)) return "(failed)";
    return text.substr(0, text.find('\0'));  // the string, without the room after it
  }

 private:
  MemorySource source_;
  ImageFile file_;
  RecordReader data_;
  RecordTable table_;
  std::unique_ptr<ImageReader> reader_;
};

TEST(ImageReaderTest, EarliestRecordInTableOrderWins) {
  Loaded image(BinBuilder()
                   .Record(0x2000, "late-address")  // index 0 holds 0x2000..0x200B
                   .Record(0x1000, "0123456789abcdef0123456789abcdef")
                   .Record(0x1008, "XYZW")
                   .Build());
  EXPECT_EQ(image.Read(0x1008, 4), "89ab");  // record 1 comes before record 2
  EXPECT_EQ(image.Read(0x2000, 4), "late");
  EXPECT_EQ(image.Read(0x101C, 4), "cdef");  // ends exactly at the record's end
  EXPECT_EQ(image.Read(0x101D, 4), "(failed)");
  EXPECT_EQ(image.Read(0x0FFF, 2), "(failed)");
  EXPECT_EQ(image.Read(0x0800, 4, 0x800), "0123");
}

TEST(ImageReaderTest, RangeMustLieInOneRecordEvenWhenTheNextContinuesIt) {
  Loaded image(BinBuilder().Record(0x100, "abcd").Record(0x104, "efgh").Build());
  EXPECT_EQ(image.Read(0x100, 8), "(failed)");
  EXPECT_EQ(image.Read(0x102, 4), "(failed)");
  EXPECT_EQ(image.Read(0x102, 2), "cd");
  EXPECT_EQ(image.Read(0x104, 4), "efgh");
  EXPECT_FALSE(image.reader().InRecordSpace(0x100, 8, 0));
  EXPECT_TRUE(image.reader().InRecordSpace(0x100, 4, 0));
  EXPECT_TRUE(image.reader().InRecordSpace(0x104, 0, 0));  // length 0 at a record's end
  EXPECT_TRUE(image.reader().InRecordSpace(0x108, 0, 0));
  EXPECT_FALSE(image.reader().InRecordSpace(0x109, 0, 0));
  EXPECT_TRUE(image.reader().InRecordSpace(0x0F0, 4, 0x10));  // the bias is added
}

TEST(ImageReaderTest, FailedReadInTheFirstHolderIsNotRetriedInALaterOne) {
  // Both records hold 0x500..0x50F; the file fails from the middle of record
  // 0's data on, while record 1 could serve the read.
  Bytes bytes =
      BinBuilder().Record(0x500, "0123456789abcdef").Record(0x500, "ABCDEFGHIJKLMNOP").Build();
  Loaded image(bytes, 15 + 12 + 8);
  EXPECT_EQ(image.Read(0x500, 4), "0123");
  EXPECT_EQ(image.Read(0x508, 4), "(failed)");
}

// The refusal's message shows a size that fits 32 bits as a signed number.
TEST(ImageReaderTest, SizeLimitAndItsMessage) {
  Bytes big(65536 + 16, 'x');
  Loaded image(BinBuilder().Record(0x10000, big).Build());
  std::vector<uint8_t> buffer(65536);
  EXPECT_TRUE(image.reader().ReadImage(buffer.data(), 0x10000, 65536, 0));
  const std::pair<uint64_t, const char*> refused[] = {
      {65537, "Trying to read 65537 bytes (too big)"},
      {0x80000000u, "Trying to read -2147483648 bytes (too big)"},
      {0xFFFFFFFFu, "Trying to read -1 bytes (too big)"},
      {0x100000000ull * 32, "Trying to read 137438953472 bytes (too big)"}};
  for (const auto& [size, text] : refused) {
    EXPECT_FALSE(image.reader().ReadImage(nullptr, 0x10000, size, 0)) << size;
    EXPECT_EQ(ProblemText({ProblemKind::kReadTooBig, size}), text);
  }
}

TEST(ImageReaderTest, TerminatorHoldsNoImageData) {
  // The terminator's length field is the entry address 0x80000000: no address
  // below it may be read from what follows the terminator in the file.
  Loaded image(BinBuilder()
                   .Record(0x80000000, "data")
                   .Terminator(0x80000000)
                   .Append(BytesOf("trailing bytes after the terminator"))
                   .Build());
  EXPECT_EQ(image.Read(0x0, 4), "(failed)");
  EXPECT_EQ(image.Read(0x100, 1), "(failed)");
  EXPECT_EQ(image.String(0x0), "(failed)");
  EXPECT_FALSE(image.reader().InRecordSpace(0x100, 4, 0));
  EXPECT_FALSE(image.reader().InRecordSpace(0x0, 0, 0));
  EXPECT_EQ(image.Read(0x80000000, 4), "data");
}

TEST(ImageReaderTest, AddressesWrapButRangesDoNot) {
  Loaded image(BinBuilder()
                   .Record(0xFFFFFFF0, "0123456789abcdefGHIJ")  // reaches past 2^32
                   .Record(0x0, "low!")
                   .Build());
  EXPECT_EQ(image.Read(0xFFFFFFFF, 1), "f");
  EXPECT_EQ(image.Read(0xFFFFFFFC, 8), "cdefGHIJ");    // its own data past 2^32 is held
  EXPECT_EQ(image.Read(0x0, 4), "low!");               // not the wrapped tail of record 0
  EXPECT_EQ(image.Read(0x10, 4, 0xFFFFFFE0), "0123");  // address + bias wraps
  EXPECT_TRUE(image.reader().InRecordSpace(0xFFFFFFF0, 20, 0));
  EXPECT_FALSE(image.reader().InRecordSpace(0xFFFFFFF0, 21, 0));
}

TEST(ImageReaderTest, StringsMustEndInsideTheirRecord) {
  Loaded image(BinBuilder()
                   .Record(0x100, Bytes{'a', 'b', 'c', 0})  // NUL on the last byte
                   .Record(0x200, Bytes{'d', 'e', 'f'})     // NUL would be one past
                   .Record(0x300, Bytes{0})                 // keeps a 0 behind record 1
                   .Record(0x1FE, Bytes{'x', 'y', 'd', 'e', 'f', 'g', 0})  // holds 0x200 too
                   .Build());
  EXPECT_EQ(image.String(0x100), "abc");
  EXPECT_EQ(image.String(0x102), "c");
  EXPECT_EQ(image.String(0x103), "");
  EXPECT_EQ(image.String(0x104), "(failed)");  // starts at the record's end
  EXPECT_EQ(image.String(0x200), "defg");      // record 1 runs out; record 3 holds it
  EXPECT_EQ(image.String(0x1FE), "xydefg");
  EXPECT_EQ(image.String(0x201), "efg");
}

TEST(ImageReaderTest, LongStringIsCutToTheCapacityAndStillCounts) {
  Bytes name(300, 'n');
  name.push_back(0);
  Bytes unended(300, 'u');
  Loaded image(BinBuilder().Record(0x1000, name).Record(0x2000, unended).Build());
  std::string cut = image.String(0x1000);
  EXPECT_EQ(cut, std::string(259, 'n'));
  EXPECT_EQ(image.String(0x1000 + 296, 4), "nnn");
  EXPECT_EQ(image.String(0x1000 + 297, 4), "nnn");
  EXPECT_EQ(image.String(0x2000), "(failed)");  // meets the end of the file first
}

TEST(ImageReaderTest, ByteRunsFollowTheFirstHolder) {
  Loaded image(BinBuilder()
                   .Record(0x104, "WX")
                   .Record(0x100, "abcdefgh")
                   .Record(0x102, "------------")
                   .Build());
  auto run = [&](uint32_t address) {
    size_t count = 0;
    const uint8_t* bytes = image.reader().ReadByteRun(address, &count);
    return bytes == nullptr ? "(none)" : std::string(reinterpret_cast<const char*>(bytes), count);
  };
  EXPECT_EQ(run(0x101), "bcd");  // up to where record 0, earlier in the table, begins
  EXPECT_EQ(run(0x104), "WX");
  EXPECT_EQ(run(0x106), "gh");  // record 2 begins inside but comes later
  EXPECT_EQ(run(0x108), "------");
  EXPECT_EQ(run(0x10E), "(none)");
  EXPECT_EQ(run(0xFF), "(none)");
}

// A layout of records: each one's start and declared length, and the bytes
// the file holds for it (fewer than declared for a last record cut short).
struct Rec {
  uint32_t start;
  uint32_t length;
  Bytes data;
};

std::vector<Rec> RandomLayout(std::mt19937& random, int kind) {
  auto pick = [&](uint32_t n) { return static_cast<uint32_t>(random() % n); };
  const uint32_t base = 0xFFFFFE00u;  // 0x200 below 2^32: ends reach past it
  std::vector<Rec> records;
  const uint32_t count = 1 + pick(kind == 0 ? 200 : 120);
  for (uint32_t i = 0; i < count; ++i) {
    Rec r{base + pick(0x200), pick(40), {}};
    if (kind == 0 && pick(8) == 0) r.length = pick(0x300);       // overlapping
    if (kind == 1) r = {base + 0x100 - i, 2 * i + pick(3), {}};  // nested
    if (kind == 2 && i >= 4) r = records[pick(4)];               // duplicated
    if (kind >= 3) r = {base + 5 * i, pick(6), {}};              // disjoint, wrapping at 2^32
    if (kind < 4 && pick(16) == 0) r.start = pick(0x100);        // low addresses
    records.push_back(r);
  }
  if (kind == 1 || kind == 3) {
    // One big record over many others, last (holders late) or first.
    Rec big{base, 0x300, {}};
    records.insert(pick(2) ? records.end() : records.begin(), big);
  }
  if (kind == 5) {
    // A big record in the middle of the file: the records over the upper part
    // of it come before it, those over the lower part after it.
    const auto half = static_cast<ptrdiff_t>(records.size() / 2);
    std::reverse(records.begin(), records.end());
    records.insert(records.begin() + half, Rec{base, 5 * count, {}});
  } else if (kind != 0 && pick(2) == 0) {
    std::shuffle(records.begin(), records.end(), random);
  }
  for (Rec& r : records) {
    r.data.resize(r.length);
    for (uint8_t& byte : r.data) byte = pick(6) == 0 ? 0 : static_cast<uint8_t>(1 + pick(255));
  }
  return records;
}

// The first record in table order, from `from` on, whose start is at or below
// a and whose start + length is at or above a + size; -1 when none is.
int Holder(const std::vector<Rec>& records, uint64_t a, uint64_t size, size_t from = 0) {
  for (size_t i = from; i < records.size(); ++i) {
    if (records[i].start <= a && uint64_t{records[i].start} + records[i].length >= a + size) {
      return static_cast<int>(i);
    }
  }
  return -1;
}

// The reader answers as the walk of the table does: fixed-size reads, strings,
// ranges, and byte runs, over layouts that nest, overlap, repeat, wrap at 2^32
// and end past it, with the holder first or last in the file.
TEST(ImageReaderTest, EveryAnswerIsTheFirstHolderInTableOrder) {
  std::mt19937 random(7);
  for (int round = 0; round < 48; ++round) {
    std::vector<Rec> records = RandomLayout(random, round % 6);
    // The last record's data runs past the end of the file, or a terminator
    // follows, whose length field would cover every address.
    const bool cut = round % 3 == 1;
    if (cut) records.back().length += 8;
    BinBuilder builder;
    for (const Rec& r : records) builder.RawRecord(r.start, r.length, 1, r.data);
    if (round % 3 == 2) builder.Terminator(0xFFFFFFF0u);
    Loaded image(builder.Build());
    // What a one-byte read gives at each address, or -1.
    std::map<uint32_t, int> byteAt;
    for (uint64_t a = 0xFFFFFDF0u; a != 0x100000400u; ++a) {
      const uint32_t address = static_cast<uint32_t>(a);
      int i = Holder(records, address, 1);
      const uint32_t offset = i < 0 ? 0 : address - records[i].start;
      byteAt[address] = i < 0 || offset >= records[i].data.size() ? -1 : records[i].data[offset];
    }
    for (const auto& [a, byte] : byteAt) {
      const std::string where = std::to_string(round) + " at " + std::to_string(a);
      for (uint32_t size : {0u, 1u, 3u, 16u}) {
        std::string expected = "(failed)";
        int i = Holder(records, a, size);
        if (i >= 0 && size == 0) {
          expected.clear();
        } else if (i >= 0 && a - records[i].start + size <= records[i].data.size()) {
          expected.assign(records[i].data.begin() + (a - records[i].start),
                          records[i].data.begin() + (a - records[i].start) + size);
        }
        ASSERT_EQ(image.Read(a, size), expected) << where << " size " << size;
      }
      for (uint32_t length : {0u, 1u, 16u, 0x180u}) {
        ASSERT_EQ(image.reader().InRecordSpace(a, length, 0), Holder(records, a, length) >= 0)
            << where << " length " << length;
      }
      std::string expected = "(failed)";
      for (int i = Holder(records, a, 1); i >= 0; i = Holder(records, a, 1, i + 1)) {
        const Bytes& data = records[i].data;
        const size_t offset = a - records[i].start;
        if (offset >= data.size()) continue;  // the file holds none of it here
        auto from = data.begin() + static_cast<std::ptrdiff_t>(offset);
        auto nul = std::find(from, data.end(), 0);
        if (nul != data.end()) {
          // Cut to the capacity.
          expected.assign(from, from + std::min<std::ptrdiff_t>(nul - from, 259));
          break;
        }
      }
      ASSERT_EQ(image.String(a), expected) << where;
      size_t count = 0;
      const uint8_t* run = image.reader().ReadByteRun(a, &count);
      ASSERT_EQ(run != nullptr, byte >= 0) << where;
      if (run == nullptr) continue;
      ASSERT_GE(count, 1u) << where;
      ASSERT_LE(a + uint64_t{count}, uint64_t{1} << 32) << where;
      for (size_t k = 0; k < count; ++k) {
        ASSERT_EQ(run[k], byteAt.at(static_cast<uint32_t>(a + k))) << where << " + " << k;
      }
    }
  }
}

}  // namespace
}  // namespace romscope::testing
