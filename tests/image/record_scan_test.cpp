// The record scan, through whole runs and on the record table it fills.
#include "image/record_scan.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "report/text/text_printer.h"
#include "support/run_harness.h"

namespace romscope::testing {
namespace {

const std::string kHeaderLine = "Image Start = 0x00010000, length = 0x00002000\n";

BinBuilder Start() {
  return BinBuilder().Header(0x10000, 0x2000);
}

// Runs the scan alone on `image` and returns the table it filled; `output`
// gets the record lines.
RecordTable Scan(const Bytes& image, std::string* output = nullptr, bool listRecords = false) {
  MemorySource source(image);
  ImageFile file(source);
  StringSink sink;
  StringSink errors;
  RecordTable table;
  {
    Writer out(sink);
    Diagnostics diag(out, errors);
    TextPrinter printer(out, diag, listRecords);
    BinHeader header;
    EXPECT_EQ(ReadBinHeader(file, &header), BinHeaderStatus::kOk);
    std::vector<uint8_t> scratch(kScratchSize);
    ScanRecords(file, false, printer, NeverStopped(), scratch.data(), &table);
  }
  if (output) *output = sink.text;
  return table;
}

TEST(RecordScanTest, ListsEveryRecordThenTheTerminatorsStartAddress) {
  Bytes image = Start()
                    .Record(0x10000, "abc")
                    .RecordWithChecksum(0, BytesOf("xy"), 0x1234)  // start 0, checksum not 0
                    .RawRecord(0x10010, 0, 0)                      // checksum 0, start not 0
                    .Terminator(0x10004)
                    .Append(BytesOf("ignored after the terminator"))
                    .Build();
  RunResult result = RunOnImage("romscope -rec image.bin", image);
  EXPECT_EQ(result.out, Banner() + kHeaderLine +
                            "Record [  0] : Start = 0x00010000, Length = 0x00000003, Chksum = "
                            "0x00000126\n"
                            "Record [  1] : Start = 0x00000000, Length = 0x00000002, Chksum = "
                            "0x00001234\n"
                            "Record [  2] : Start = 0x00010010, Length = 0x00000000, Chksum = "
                            "0x00000000\n"
                            "Record [  3] : Start = 0x00000000, Length = 0x00010004, Chksum = "
                            "0x00000000\n"
                            "\t\tStart address = 0x00010004\n"
                            "Done.\n");
  EXPECT_EQ(result.status, 0);

  RunResult quiet = RunOnImage("romscope image.bin", image);
  EXPECT_EQ(quiet.out, Banner() + kHeaderLine + "\t\tStart address = 0x00010004\nDone.\n");
}

TEST(RecordScanTest, EndsAtTheEndOfTheFileWithoutATerminator) {
  Bytes image = Start().Record(0x10000, "abcd").Build();
  RunResult result = RunOnImage("romscope -r image.bin", image);
  EXPECT_EQ(result.out, Banner() + kHeaderLine +
                            "Record [  0] : Start = 0x00010000, Length = 0x00000004, Chksum = "
                            "0x0000018A\n"
                            "Done.\n");
}

TEST(RecordScanTest, PartialRecordHeaderMakesNoEntry) {
  BinBuilder builder = Start().Record(0x10000, "abcd").Record(0x20000, "efgh");
  const size_t secondHeader = 15 + 12 + 4;
  for (size_t cut = 1; cut <= 11; ++cut) {
    RecordTable table = Scan(builder.BuildTruncated(secondHeader + cut));
    ASSERT_EQ(table.Count(), 1u) << cut;
    EXPECT_EQ(table[0].start, 0x10000u);
  }
  EXPECT_EQ(Scan(builder.BuildTruncated(secondHeader + 12)).Count(), 2u);
}

TEST(RecordScanTest, TableEntriesHoldWhereEachRecordsDataLies) {
  Bytes image = Start()
                    .Record(0x10000, "abcd")
                    .Record(0x10004, "")
                    .Record(0x10004, "ef")
                    .Terminator(0x10000)
                    .Build();
  RecordTable table = Scan(image);
  ASSERT_EQ(table.Count(), 4u);
  EXPECT_EQ(table[0].dataOffset, 27u);
  EXPECT_EQ(table[1].dataOffset, 43u);  // empty: the next header follows at once
  EXPECT_EQ(table[2].dataOffset, 55u);
  EXPECT_EQ(table[3].dataOffset, 69u);
  EXPECT_EQ(table[3].length, 0x10000u);
  EXPECT_TRUE(table.HasTerminator());
  EXPECT_TRUE(table.IsTerminator(3));
  EXPECT_FALSE(table.IsTerminator(2));
  EXPECT_FALSE(Scan(Start().Record(1, "a").Build()).HasTerminator());
}

// Files past 4 GiB: data offsets keep all 64 bits, whether the offsets of a
// run of entries share their upper half or not.
TEST(RecordScanTest, TableKeepsDataOffsetsPast4GiB) {
  RecordTable table;
  auto offsetOf = [](uint32_t i) {
    return i < 6000 ? 0xFFFF0000ull + 0x10000ull * i : 0x700000000ull + 0xFFFF0000ull * (i - 6000);
  };
  for (uint32_t i = 0; i < 9000; ++i) {
    table.Add({0x1000 + i, 0xFFFFFFFFu - i, i * 7, offsetOf(i)});
  }
  table.Add({0, 0x80000000u, 0, offsetOf(9000)});
  table.MarkTerminator();
  ASSERT_EQ(table.Count(), 9001u);
  for (uint32_t i = 0; i < 9000; ++i) {
    const RecordInfo entry = table[i];
    ASSERT_EQ(entry.start, 0x1000 + i);
    ASSERT_EQ(entry.length, 0xFFFFFFFFu - i);
    ASSERT_EQ(entry.checksum, i * 7);
    ASSERT_EQ(entry.dataOffset, offsetOf(i)) << i;
  }
  EXPECT_EQ(table[9000].dataOffset, offsetOf(9000));
  EXPECT_TRUE(table.IsTerminator(9000));
}

TEST(RecordScanTest, LengthPastTheEndOfTheFileMovesForwardOnly) {
  for (uint32_t length : {5u, 0x7FFFFFFFu, 0xFFFFFFF0u, 0xFFFFFFFFu}) {
    Bytes image = Start().RawRecord(0x10000, length, 7, BytesOf("abc")).Terminator(1).Build();
    std::string output;
    RecordTable table = Scan(image, &output, true);
    ASSERT_EQ(table.Count(), 1u) << length;
    EXPECT_EQ(table[0].length, length);
    char line[100];
    std::snprintf(line, sizeof line,
                  "Record [  0] : Start = 0x00010000, Length = 0x%08X, Chksum = 0x00000007\n",
                  length);
    EXPECT_EQ(output, line);  // nothing more: the next header read ends the scan
  }
}

TEST(RecordScanTest, WithoutDataOnlyHeadersAreRead) {
  Bytes big(4 << 20, 0x55);
  Bytes image = Start().Record(0x10000, big).Record(0x500000, big).Terminator(1).Build();
  MemorySource source(image);
  ImageFile file(source);
  BinHeader header;
  ReadBinHeader(file, &header);
  RecordTable table;
  std::vector<uint8_t> scratch(kScratchSize);
  class Count : public RecordConsumer {
   public:
    void RecordData(const RecordItem&, uint32_t, const uint8_t*, size_t) override {}
    void Record(const RecordItem&) override {}
  } ignore;
  ScanRecords(file, false, ignore, NeverStopped(), scratch.data(), &table);
  EXPECT_EQ(table.Count(), 3u);
  EXPECT_LT(source.bytesRead, 3u * ImageFile::kBlockSize);
}

TEST(RecordScanTest, IndexWidensPastThreeDigitsAndTheTableHasNoLimit) {
  BinBuilder builder = Start();
  for (uint32_t i = 0; i < 3000; ++i) builder.Record(0x10000 + i, Bytes{static_cast<uint8_t>(i)});
  std::string output;
  RecordTable table = Scan(builder.Build(), &output, true);
  EXPECT_EQ(table.Count(), 3000u);
  EXPECT_NE(output.find("\nRecord [999] : Start = 0x000103E7, Length = 0x00000001, Chksum = "
                        "0x000000E7\nRecord [1000] : Start = 0x000103E8,"),
            std::string::npos);
  EXPECT_NE(output.find("\nRecord [2999] : Start = 0x00010BB7"), std::string::npos);
}

TEST(RecordScanTest, ReadErrorAtARecordHeaderEndsTheScanQuietly) {
  FakeHost host;
  host.files["image.bin"] = Start().Record(0x10000, "abcd").Record(0x20000, "efgh").Build();
  host.failFrom["image.bin"] = 15 + 16 + 2;  // inside the second record's header
  RunResult result = RunWithHost("romscope -r image.bin", host);
  EXPECT_EQ(result.out, Banner() + kHeaderLine +
                            "Record [  0] : Start = 0x00010000, Length = 0x00000004, Chksum = "
                            "0x0000018A\n"
                            "Done.\n");
  EXPECT_EQ(result.status, 0);
}

// A read error inside a record's data ends the reading of that record only:
// the scan goes on from the record's end, as it does when it skips the data,
// so -data lists the records -rec lists and never takes data for a header.
TEST(RecordScanTest, ReadErrorInsideRecordDataLeavesTheRecordListAsWithoutData) {
  FakeHost host;
  host.files["image.bin"] = Start()
                                .Record(0x10000, Bytes(100000, 0x01))
                                .Record(0x30000, "efgh")
                                .Terminator(0x10000)
                                .Build();
  host.failFrom["image.bin"] = 15 + 12 + 70000;  // in the record's second chunk
  const std::string recordLine =
      "Record [  0] : Start = 0x00010000, Length = 0x000186A0, Chksum = 0x000186A0\n";
  const RunResult rec = RunWithHost("romscope -r image.bin", host);
  EXPECT_EQ(rec.out, Banner() + kHeaderLine + recordLine + "Done.\n");
  const RunResult data = RunWithHost("romscope -d image.bin", host);
  const std::string firstChunk = data.out.substr(0, data.out.find("\n Chksum error"));
  EXPECT_EQ(data.out, firstChunk + "\n Chksum error found in this record\nDone.\n");
  EXPECT_EQ(data.out.rfind("Record ["), data.out.find("Record ["));
}

}  // namespace
}  // namespace romscope::testing
