// -flat, -srec and -ihex: records and checksums written by hand from the two
// formats, the 64 KiB boundary and the 2^32 edge, overlaps, gaps and cut
// records; then both formats read back by a reader of their own, on many
// random images, against a loader that writes byte by byte.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <nlohmann/json.hpp>
#include <random>
#include <string>

#include "support/run_harness.h"

namespace romscope::testing {
namespace {

Bytes Counting(uint8_t first, size_t count) {
  Bytes bytes;
  for (size_t i = 0; i < count; ++i) bytes.push_back(static_cast<uint8_t>(first + i));
  return bytes;
}

std::string Text(const Bytes& bytes) {
  return std::string(bytes.begin(), bytes.end());
}

TEST(ExportTest, OneBlockInEachFormat) {
  BinBuilder bin;
  bin.Header(0x80000000, 0x10).Record(0x80000000, "ABCDEFGHIJKLMNOP").Terminator(0x80000000);
  const Bytes image = bin.Build();
  EXPECT_EQ(CleanRunOutput("romscope -srec image.bin", image),
            "S00B0000726F6D73636F70658C\n"
            "S315800000004142434445464748494A4B4C4D4E4F50E2\n"
            "S705800000007A\n");
  EXPECT_EQ(CleanRunOutput("romscope image.bin -ihex", image),
            ":0200000480007A\n"
            ":100000004142434445464748494A4B4C4D4E4F5068\n"
            ":040000058000000077\n"
            ":00000001FF\n");
  EXPECT_EQ(CleanRunOutput("romscope -flat image.bin", image), "ABCDEFGHIJKLMNOP");
}

TEST(ExportTest, BlocksAreAlignedAndNeverCrossA64KiBBoundary) {
  // 24 bytes from 0x1FFF4: 12 below 0x20000 and 12 above. No terminator: no
  // start address record, and S7 gives 0.
  BinBuilder bin;
  bin.Header(0x1FFF0, 0x20).Record(0x1FFF4, Counting(0, 24));
  const Bytes image = bin.Build();
  EXPECT_EQ(CleanRunOutput("romscope -ihex image.bin", image),
            ":020000040001F9\n"
            ":0CFFF400000102030405060708090A0BBF\n"
            ":020000040002F8\n"
            ":0C0000000C0D0E0F101112131415161722\n"
            ":00000001FF\n");
  EXPECT_EQ(CleanRunOutput("romscope -srec image.bin", image),
            "S00B0000726F6D73636F70658C\n"
            "S3110001FFF4000102030405060708090A0BB8\n"
            "S311000200000C0D0E0F10111213141516171A\n"
            "S70500000000FA\n");
  EXPECT_EQ(CleanRunOutput("romscope -flat -fill=0xA5 image.bin", image),
            "\xA5\xA5\xA5\xA5" + Text(Counting(0, 24)) + "\xA5\xA5\xA5\xA5");
}

TEST(ExportTest, TheTopOfTheAddressSpace) {
  // Twelve bytes from 0xFFFFFFF8: the four from 2^32 on are left out, and
  // still counted in the checksum, which holds.
  BinBuilder bin;
  bin.Header(0xFFFFFFF8, 8).Record(0xFFFFFFF8, Counting(1, 12));
  const Bytes image = bin.Build();
  const std::string cut =
      "romscope: record 0: runs past 0xFFFFFFFF; its bytes from 2^32 on are "
      "left out\n";
  EXPECT_EQ(CleanRunOutput("romscope -srec image.bin", image, cut),
            "S00B0000726F6D73636F70658C\n"
            "S30DFFFFFFF80102030405060708D9\n"
            "S70500000000FA\n");
  EXPECT_EQ(CleanRunOutput("romscope -ihex image.bin", image, cut),
            ":02000004FFFFFC\n"
            ":08FFF8000102030405060708DD\n"
            ":00000001FF\n");
  // An image that runs past 2^32 is filled there.
  BinBuilder wide;
  wide.Header(0xFFFFFFFC, 8).Record(0xFFFFFFFC, "abcd");
  EXPECT_EQ(CleanRunOutput("romscope -flat image.bin", wide.Build(),
                           "romscope: -flat: the image (0x00000008 bytes from 0xFFFFFFFC) runs "
                           "past 0xFFFFFFFF; its bytes from 2^32 on are fill bytes\n"),
            std::string("abcd\0\0\0\0", 8));
}

TEST(ExportTest, LaterRecordsWinAndDifferingOverlapsAreTold) {
  BinBuilder bin;
  bin.Header(0x1000, 6)
      .Record(0x1000, "aaaa")
      .Record(0x1002, "bb")  // differs from what record 0 put there
      .Record(0x1000, "a")   // the same byte again: nothing to tell
      .Terminator(0x1000);
  EXPECT_EQ(CleanRunOutput("romscope -flat -fill=0xee image.bin", bin.Build(),
                           "romscope: overlap at 0x00001002-0x00001003: record 1 overwrites "
                           "record 0 with different bytes\n"),
            "aabb\xEE\xEE");
}

// A read that fails while the overlaps are compared ends every mode with one
// line on standard error; the extraction's listing ends with the same words.
TEST(ExportTest, AFileThatCannotBeReadIsToldOnce) {
  FakeHost host;
  host.files["image.bin"] =
      BinBuilder().Header(0x1000, 4).Record(0x1000, "aaaa").Record(0x1002, "bb").Build();
  host.failFrom["image.bin"] = host.files["image.bin"].size() - 2;  // record 1's bytes
  const std::string told = "romscope: image.bin: the image file could not be read\n";
  for (const char* option : {"-flat", "-srec", "-ihex", "-extract=out"}) {
    const RunResult run = RunWithHost(std::string("romscope ") + option + " image.bin", host);
    EXPECT_EQ(run.status, 1) << option;
    EXPECT_EQ(run.out, "") << option;
    EXPECT_EQ(run.err, told) << option;
  }
  const RunResult run = RunWithHost("romscope -json -extract=out image.bin", host);
  EXPECT_EQ(run.err, told);
  EXPECT_EQ(nlohmann::json::parse(run.out)["error"], "image.bin: the image file could not be read");
  EXPECT_TRUE(host.tree.entries.empty());
}

TEST(ExportTest, AFewOverlapsAndThenACount) {
  BinBuilder bin;
  bin.Header(0x10, 1);
  for (int i = 0; i < 9; ++i) bin.Record(0x10, Bytes{static_cast<uint8_t>(i)});
  std::string err;
  for (int i = 1; i <= 5; ++i) {
    err += "romscope: overlap at 0x00000010-0x00000010: record " + std::to_string(i) +
           " overwrites record " + std::to_string(i - 1) + " with different bytes\n";
  }
  err += "romscope: 3 more overlaps with different bytes\n";
  EXPECT_EQ(CleanRunOutput("romscope -flat image.bin", bin.Build(), err), "\x08");
}

TEST(ExportTest, FlatLeavesOutWhatLiesOutsideTheImageAndChecksEverySum) {
  BinBuilder bin;
  bin.Header(0x2000, 0x10)
      .Record(0x1FF8, Counting(0x30, 16))
      .RecordWithChecksum(0x3000, BytesOf("wxyz"), 1)
      .RecordWithChecksum(0x2008, Counting(1, 4), 0)
      .Terminator(0x2000);
  const RunResult run = RunOnImage("romscope -flat image.bin", bin.Build());
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, Text(Counting(0x38, 8)) + Text(Counting(1, 4)) + std::string(4, '\0'));
  EXPECT_EQ(run.err,
            "romscope: -flat: record 0 (0x00001FF8-0x00002007) lies partly outside the image "
            "0x00002000-0x0000200F; the bytes outside are left out\n"
            "romscope: -flat: record 1 (0x00003000-0x00003003) lies outside the image "
            "0x00002000-0x0000200F; left out\n"
            "romscope: record 1: checksum 0x00000001 does not hold\n"
            "romscope: record 2: checksum 0x00000000 does not hold\n");
}

TEST(ExportTest, ARecordCutByTheEndOfTheFileGivesTheBytesItHas) {
  BinBuilder bin;
  bin.Header(0x100, 0x10).Record(0x100, Counting(0x41, 16));
  const Bytes image = bin.BuildTruncated(bin.Size() - 6);
  EXPECT_EQ(CleanRunOutput("romscope -srec image.bin", image,
                           "romscope: record 0: cut by the end of the file: 0xA of its 0x00000010 "
                           "bytes are there\n"),
            "S00B0000726F6D73636F70658C\n"
            "S30F000001004142434445464748494A38\n"
            "S70500000000FA\n");
}

TEST(ExportTest, RefusesATerminalAndAnImageThatCannotBeUsed) {
  FakeHost host;
  host.files["image.bin"] = BinBuilder().Header(0, 1).Record(0, "x").Build();
  host.outputIsTerminal = true;
  for (const char* option : {"-flat", "-srec", "-ihex"}) {
    const RunResult run = RunWithHost(std::string("romscope ") + option + " image.bin", host);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find("romscope: refusing to write "), std::string::npos) << run.err;
  }
  const RunResult missing = RunOnImage("romscope -srec missing.bin", {});
  EXPECT_EQ(missing.status, 1);
  EXPECT_EQ(missing.out, "");
  EXPECT_EQ(missing.err, "romscope: cannot open 'missing.bin': No such file or directory\n");
}

TEST(ExportTest, ALargeImageComesWholeThroughTheSecondThread) {
  // 3 MiB from 0x10000000, byte k being k mod 256: enough output for the
  // formatting to run beside the writing.
  Bytes data(3 << 20);
  for (size_t k = 0; k < data.size(); ++k) data[k] = static_cast<uint8_t>(k);
  BinBuilder bin;
  bin.Header(0x10000000, 0x300000).Record(0x10000000, data);
  const std::string out = CleanRunOutput("romscope -ihex image.bin", bin.Build());
  EXPECT_EQ(static_cast<size_t>(std::count(out.begin(), out.end(), '\n')), 196608u + 48 + 1);
  EXPECT_EQ(out.substr(0, 60),
            ":020000041000EA\n"
            ":10000000000102030405060708090A0B0C0D0E0F78\n");
  EXPECT_EQ(out.substr(out.size() - 56),
            ":10FFF000F0F1F2F3F4F5F6F7F8F9FAFBFCFDFEFF89\n"
            ":00000001FF\n");
  size_t segments = 0;
  for (size_t at = out.find(":02000004"); at != std::string::npos;
       at = out.find(":02000004", at + 1)) {
    ++segments;
  }
  EXPECT_EQ(segments, 48u);
}

// A reader of both formats that checks what the writers promise: each
// line's count and checksum, ascending addresses, at most 16 bytes a line,
// within one 16-byte block, and the 04 records of Intel HEX.
std::map<uint64_t, uint8_t> ReadBack(const std::string& text, bool srec) {
  std::map<uint64_t, uint8_t> bytes;
  uint64_t upper = 0;
  uint64_t last = 0;
  size_t at = 0;
  auto hex = [&](size_t pos, size_t digits) {
    return std::stoull(text.substr(pos, digits), nullptr, 16);
  };
  while (at < text.size()) {
    const size_t end = text.find('\n', at);
    EXPECT_NE(end, std::string::npos);
    if (end == std::string::npos) break;
    const std::string line = text.substr(at, end - at);
    EXPECT_EQ(line.find_first_not_of(srec ? "S0123456789ABCDEF" : ":0123456789ABCDEF"),
              std::string::npos)
        << line;
    const size_t first = srec ? 2 : 1;
    unsigned sum = 0;
    for (size_t i = first; i + 1 < line.size(); i += 2)
      sum += static_cast<unsigned>(hex(at + i, 2));
    const size_t count = hex(at + first, 2);
    if (srec) {
      EXPECT_EQ(sum & 0xFF, 0xFFu) << line;
      EXPECT_EQ(line.size(), 4 + 2 * count) << line;
      if (line[1] == '3') {
        const uint64_t address = hex(at + 4, 8);
        for (size_t i = 0; i + 5 < count; ++i) bytes[address + i] = hex(at + 12 + 2 * i, 2);
        EXPECT_LE(count - 5, 16u);
        EXPECT_EQ(address / 16, (address + count - 6) / 16) << line;
        EXPECT_GE(address, last) << line;
        last = address + count - 5;
      }
    } else {
      EXPECT_EQ(sum & 0xFF, 0u) << line;
      EXPECT_EQ(line.size(), 11 + 2 * count) << line;
      const std::string type = line.substr(7, 2);
      if (type == "04") upper = hex(at + 9, 4) << 16;
      if (type == "00") {
        const uint64_t address = upper + hex(at + 3, 4);
        for (size_t i = 0; i < count; ++i) bytes[address + i] = hex(at + 9 + 2 * i, 2);
        EXPECT_LE(count, 16u);
        EXPECT_EQ(address / 16, (address + count - 1) / 16) << line;
        EXPECT_GE(address, last) << line;
        last = address + count;
      }
    }
    at = end + 1;
  }
  return bytes;
}

TEST(ExportTest, BothFormatsReadBackAsTheLoaderLeavesMemory) {
  std::mt19937 random(4096);
  for (int round = 0; round < 150; ++round) {
    BinBuilder bin;
    bin.Header(0, 0);
    std::map<uint64_t, uint8_t> memory;
    const uint64_t base = round % 3 == 2 ? 0xFFFFFF00u : (round % 3) * 0xFFF0u;
    for (int i = 0, n = 1 + static_cast<int>(random() % 10); i < n; ++i) {
      const uint32_t start = static_cast<uint32_t>(base + random() % 240);
      Bytes data(random() % 70);
      for (uint8_t& b : data) b = static_cast<uint8_t>(random());
      bin.Record(start, data);
      for (size_t k = 0; k < data.size() && start + uint64_t{k} < (uint64_t{1} << 32); ++k) {
        memory[start + uint64_t{k}] = data[k];
      }
    }
    const Bytes image = bin.Build();
    SCOPED_TRACE(round);
    const RunResult srec = RunOnImage("romscope -srec image.bin", image);
    const RunResult ihex = RunOnImage("romscope -ihex image.bin", image);
    EXPECT_EQ(srec.status, 0);
    EXPECT_EQ(ReadBack(srec.out, true), memory);
    EXPECT_EQ(ReadBack(ihex.out, false), memory);
    EXPECT_EQ(ihex.out.substr(ihex.out.size() - 12), ":00000001FF\n");
  }
}

}  // namespace
}  // namespace romscope::testing
