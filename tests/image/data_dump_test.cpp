// The data dump, written out by hand from its line layout.
#include <gtest/gtest.h>

#include <string>

#include "support/run_harness.h"

namespace romscope::testing {
namespace {

const std::string kHead = Banner() + "Image Start = 0x00000000, length = 0x00000000\n";

std::string RecordLine(const char* start, const char* length, const char* checksum) {
  return std::string("Record [  0] : Start = 0x") + start + ", Length = 0x" + length +
         ", Chksum = 0x" + checksum + "\n";
}

Bytes Sequence(size_t size, uint8_t first = 0) {
  Bytes bytes(size);
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>(first + i);
  return bytes;
}

TEST(DataDumpTest, WorkedExample) {
  Bytes data = BytesOf("ROM image test");
  for (uint8_t b : {0x00, 0x01, 0x02, 0x7F, 0x80, 0xFF}) data.push_back(b);
  RunResult result =
      RunOnImage("romscope -data image.bin", BinBuilder().Record(0x200000, data).Build());
  EXPECT_EQ(result.out, kHead + RecordLine("00200000", "00000014", "000006F2") +
                            " 0x00200000 : 524F4D20 696D6167 65207465 73740001 ROM image test.. \n"
                            " 0x00200010 : 027F80FF                            ....             \n"
                            "\n"
                            " Chksum valid\n"
                            "Done.\n");
}

TEST(DataDumpTest, SixteenBytesMakeOneFullLineAndAWrongChecksumIsReported) {
  Bytes data = Sequence(16, 0x1E);  // 0x1E..0x2D: two below the blank, the rest printable
  RunResult result = RunOnImage("romscope -d image.bin",
                                BinBuilder().RecordWithChecksum(0x10, data, 0x2E6).Build());
  EXPECT_EQ(result.out, kHead + RecordLine("00000010", "00000010", "000002E6") +
                            " 0x00000010 : 1E1F2021 22232425 26272829 2A2B2C2D .. !\"#$%&'()*+,- \n"
                            "\n"
                            " Chksum error found in this record\n"
                            "Done.\n");
}

TEST(DataDumpTest, ColumnBoundsAndAllByteValues) {
  Bytes data = {0x1F, 0x20, 0x7E, 0x7F, 0x00, 0xFF, 0x41, 0x61};
  RunResult result =
      RunOnImage("romscope -d image.bin", BinBuilder().Record(0xFFFFFFF8, data).Build());
  EXPECT_EQ(result.out, kHead + RecordLine("FFFFFFF8", "00000008", "000002DD") +
                            " 0xFFFFFFF8 : 1F207E7F 00FF4161                   . ~...Aa         \n"
                            "\n"
                            " Chksum valid\n"
                            "Done.\n");
}

TEST(DataDumpTest, EveryByteValueInFullLines) {
  // Full lines take a faster path than partial ones; both must agree with
  // the layout for every byte value.
  RunResult result =
      RunOnImage("romscope -d image.bin", BinBuilder().Record(0x7FFFFFF8, Sequence(256)).Build());
  std::string expected = kHead + RecordLine("7FFFFFF8", "00000100", "00007F80");
  for (int line = 0; line < 16; ++line) {
    char text[80];
    int at = std::snprintf(text, sizeof text, " 0x%08X :", 0x7FFFFFF8u + line * 16);
    for (int i = 0; i < 16; ++i) {
      if (i % 4 == 0) text[at++] = ' ';
      at += std::snprintf(text + at, sizeof text - at, "%02X", line * 16 + i);
    }
    text[at++] = ' ';
    for (int i = 0; i < 16; ++i) {
      int b = line * 16 + i;
      text[at++] = (b >= 0x20 && b <= 0x7E) ? static_cast<char>(b) : '.';
    }
    expected += std::string(text, at) + " \n";
  }
  expected += "\n Chksum valid\nDone.\n";
  ExpectSameText(result.out, expected);
}

TEST(DataDumpTest, LengthZeroPrintsOnlyTheVerdict) {
  Bytes image = BinBuilder()
                    .RecordWithChecksum(0x100, {}, 0)
                    .RecordWithChecksum(0x200, {}, 1)
                    .Terminator(0x100)
                    .Build();
  RunResult result = RunOnImage("romscope -d image.bin", image);
  EXPECT_EQ(result.out, kHead + RecordLine("00000100", "00000000", "00000000") +
                            "\n Chksum valid\n" +
                            "Record [  1] : Start = 0x00000200, Length = 0x00000000, Chksum = "
                            "0x00000001\n"
                            "\n Chksum error found in this record\n"
                            "Record [  2] : Start = 0x00000000, Length = 0x00000100, Chksum = "
                            "0x00000000\n"
                            "\t\tStart address = 0x00000100\n"
                            "Done.\n");
}

TEST(DataDumpTest, ChecksumIsAFullThirtyTwoBitSum) {
  // 0x10000 bytes of 0xFF sum to 0x00FF0000, which no 8- or 16-bit sum gives.
  Bytes data(0x10000, 0xFF);
  RunResult wide = RunOnImage("romscope -d image.bin",
                              BinBuilder().RecordWithChecksum(0, data, 0x00FF0000).Build());
  EXPECT_NE(wide.out.find("\n\n Chksum valid\nDone.\n"), std::string::npos);
  RunResult narrow = RunOnImage("romscope -d image.bin",
                                BinBuilder().RecordWithChecksum(0x100, data, 0x0000).Build());
  EXPECT_NE(narrow.out.find("\n\n Chksum error found in this record\nDone.\n"), std::string::npos);
  RunResult abc = RunOnImage("romscope -d image.bin",
                             BinBuilder().RecordWithChecksum(0, BytesOf("abc"), 0x126).Build());
  EXPECT_NE(abc.out.find(" Chksum valid\n"), std::string::npos);
}

TEST(DataDumpTest, LinesRunOnAcrossChunks) {
  // 65537 bytes: a chunk of 65536 and one of a single byte.
  Bytes data(65537, 0x41);
  data[65535] = 0x42;
  data[65536] = 0x43;
  RunResult result =
      RunOnImage("romscope -d image.bin", BinBuilder().Record(0x01000000, data).Build());
  const std::string full = " : 41414141 41414141 41414141 41414141 AAAAAAAAAAAAAAAA \n";
  std::string expected = kHead + RecordLine("01000000", "00010001", "00410044");
  char address[16];
  for (uint32_t line = 0; line < 4095; ++line) {
    std::snprintf(address, sizeof address, " 0x%08X", 0x01000000 + line * 16);
    expected += address + full;
  }
  expected += " 0x0100FFF0 : 41414141 41414141 41414141 41414142 AAAAAAAAAAAAAAAB \n";
  expected += " 0x01010000 : 43                                  C                \n";
  expected += "\n Chksum valid\nDone.\n";
  ExpectSameText(result.out, expected);
}

TEST(DataDumpTest, ShortLastChunkIsNeitherPrintedNorSummed) {
  // The record declares 20 bytes; the file ends after 17 of them.
  Bytes image = BinBuilder().RawRecord(0x300, 20, 1, Sequence(17, 0x30)).Build();
  RunResult result = RunOnImage("romscope -d image.bin", image);
  EXPECT_EQ(result.out, kHead + RecordLine("00000300", "00000014", "00000001") +
                            "\n Chksum error found in this record\nDone.\n");

  // Past one full chunk: the first 65536 bytes print, the short rest does not.
  Bytes data(65536 + 100, 0x01);
  Bytes longer = BinBuilder().RawRecord(0x0, 65536 + 200, 65536, data).Build();
  RunResult partial = RunOnImage("romscope -d image.bin", longer);
  EXPECT_NE(partial.out.find(" 0x0000FFF0 : 01010101 01010101 01010101 01010101 ................ \n"
                             "\n Chksum valid\nDone.\n"),
            std::string::npos);
  EXPECT_EQ(partial.out.find(" 0x00010000 :"), std::string::npos);
}

TEST(DataDumpTest, ScanGoesOnAfterEachDump) {
  Bytes image = BinBuilder()
                    .Record(0x10, BytesOf("0123"))
                    .Record(0x20, BytesOf("456789abcdefghijk"))
                    .Terminator(0x10)
                    .Build();
  RunResult result = RunOnImage("romscope -data image.bin", image);
  EXPECT_EQ(result.out,
            kHead + RecordLine("00000010", "00000004", "000000C6") +
                " 0x00000010 : 30313233                            0123             \n"
                "\n Chksum valid\n"
                "Record [  1] : Start = 0x00000020, Length = 0x00000011, Chksum = 0x000005A9\n"
                " 0x00000020 : 34353637 38396162 63646566 6768696A 456789abcdefghij \n"
                " 0x00000030 : 6B                                  k                \n"
                "\n Chksum valid\n"
                "Record [  2] : Start = 0x00000000, Length = 0x00000010, Chksum = 0x00000000\n"
                "\t\tStart address = 0x00000010\n"
                "Done.\n");
}

}  // namespace
}  // namespace romscope::testing
