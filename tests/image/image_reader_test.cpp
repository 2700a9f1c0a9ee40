// The address reader: which record serves a read, and what a read returns.
#include "image/image_reader.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>

#include "image/record_scan.h"
#include "support/bin_builder.h"

namespace romscope::testing {
namespace {

// A scanned image with its reader; `out` collects what the reader prints.
class Loaded {
 public:
  explicit Loaded(const Bytes& image, uint64_t failFrom = UINT64_MAX)
      : source_(image, failFrom), file_(source_), writer_(out_) {
    BinHeader header;
    ReadBinHeader(file_, "image.bin", writer_, &header);
    RunOptions options;
    std::vector<uint8_t> scratch(kScratchSize);
    ScanRecords(file_, options, writer_, scratch.data(), &table_);
    reader_ = std::make_unique<ImageReader>(file_, table_, writer_);
    writer_.Flush();
    out_.text.clear();
  }
  ImageReader& reader() { return *reader_; }
  const RecordTable& table() const { return table_; }
  std::string Printed() {
    writer_.Flush();
    return out_.text;
  }
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
    return text.c_str();
  }

 private:
  MemorySource source_;
  ImageFile file_;
  StringSink out_;
  Writer writer_;
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

TEST(ImageReaderTest, SizeLimitAndItsMessage) {
  Bytes big(65536 + 16, 'x');
  Loaded image(BinBuilder().Record(0x10000, big).Build());
  std::vector<uint8_t> buffer(65536);
  EXPECT_TRUE(image.reader().ReadImage(buffer.data(), 0x10000, 65536, 0));
  EXPECT_EQ(image.Printed(), "");
  EXPECT_FALSE(image.reader().ReadImage(nullptr, 0x10000, 65537, 0));
  EXPECT_FALSE(image.reader().ReadImage(nullptr, 0x10000, 0x80000000u, 0));
  EXPECT_FALSE(image.reader().ReadImage(nullptr, 0x10000, 0xFFFFFFFFu, 0));
  EXPECT_FALSE(image.reader().ReadImage(nullptr, 0x10000, 0x100000000ull * 32, 0));
  EXPECT_EQ(image.Printed(),
            "Trying to read 65537 bytes (too big)\n"
            "Trying to read -2147483648 bytes (too big)\n"
            "Trying to read -1 bytes (too big)\n"
            "Trying to read 137438953472 bytes (too big)\n");
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
  Loaded image(BinBuilder().Record(0x100, "abcdefgh").Record(0x104, "WXYZ1234").Build());
  auto run = [&](uint32_t address) {
    size_t count = 0;
    const uint8_t* bytes = image.reader().ReadByteRun(address, &count);
    return bytes == nullptr ? "(none)" : std::string(reinterpret_cast<const char*>(bytes), count);
  };
  EXPECT_EQ(run(0x102), "cd");    // up to where record 1 begins to cover too
  EXPECT_EQ(run(0x104), "efgh");  // still record 0: it comes first
  EXPECT_EQ(run(0x108), "1234");
  EXPECT_EQ(run(0x10C), "(none)");
  EXPECT_EQ(run(0xFF), "(none)");
}

// The index must answer exactly as the plain walk of the table in order does.
TEST(ImageReaderTest, IndexAgreesWithAWalkOfTheTable) {
  std::mt19937 random(7);
  for (int round = 0; round < 20; ++round) {
    BinBuilder builder;
    int count = 1 + static_cast<int>(random() % 60);
    for (int i = 0; i < count; ++i) {
      uint32_t start = 0xFFFFFF00u + static_cast<uint32_t>(random() % 0x200);
      Bytes data(random() % 40, 0);
      for (size_t k = 0; k < data.size(); ++k) data[k] = static_cast<uint8_t>(i);
      builder.Record(start, data);
    }
    Loaded image(builder.Build());
    const RecordTable& table = image.table();
    for (uint64_t a = 0xFFFFFEF0u; a <= 0xFFFFFFFFu; ++a) {
      for (uint32_t size : {1u, 3u, 16u}) {
        int expected = -1;
        for (size_t i = 0; i < table.Count(); ++i) {
          if (table[i].start <= a && uint64_t{table[i].start} + table[i].length >= a + size) {
            expected = static_cast<int>(i);
            break;
          }
        }
        uint8_t bytes[16];
        bool ok = image.reader().ReadImage(bytes, static_cast<uint32_t>(a), size, 0);
        ASSERT_EQ(ok, expected >= 0) << round << " " << a << " " << size;
        if (ok) {
          ASSERT_EQ(bytes[0], expected) << round << " " << a << " " << size;
        }
        ASSERT_EQ(image.reader().InRecordSpace(static_cast<uint32_t>(a), size, 0), expected >= 0);
      }
    }
  }
}

}  // namespace
}  // namespace romscope::testing
