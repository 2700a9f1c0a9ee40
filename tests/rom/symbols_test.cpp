// The profiling symbols: the MOD lines, the hit tables, and names read as
// one-byte reads through the address reader would read them.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "support/run_harness.h"
#include "support/toc_builder.h"

namespace romscope::testing {
namespace {

using namespace std::string_literals;

constexpr uint32_t kToc = 0x1000, kN = 0x00100000;  // kN: where name lists lie
const std::string kHeading = "\nSYMBOLS ---------------------------------------\n";

struct Image {
  std::vector<ProfileSpec> modules;
  std::vector<std::pair<uint32_t, std::string>> records;  // after the table of contents
  bool cutLast = false;  // the last record declares 16 bytes more than the file holds
};

// The output of `romscope options image.bin` after the file section, or all of it when
// it has none.
std::string Section(const Image& image, const std::string& options = "-toc -sym",
                    uint32_t numModules = ~0u, uint32_t profSymbolOffset = 0) {
  TocBuilder toc(kToc);
  toc.dataStart = 0x2000;
  toc.keepCounts = true;
  toc.header.numModules = numModules != ~0u ? numModules : uint32_t(image.modules.size());
  toc.header.profSymbolOffset = profSymbolOffset;
  toc.profiles = image.modules;
  TocMemory memory;
  const RomHeaderFields h = toc.Build(memory).header;
  BinBuilder bin;
  AddTocRecords(bin.Header(h.physFirst, h.physLast - h.physFirst), memory, kToc, 0, 0x00F00000);
  for (const auto& [address, text] : image.records) {
    bool cut = image.cutLast && &text == &image.records.back().second;
    bin.RawRecord(address, static_cast<uint32_t>(text.size() + (cut ? 16 : 0)), 0, BytesOf(text));
  }
  if (!image.cutLast) bin.Terminator(kToc);
  const std::string out = CleanRunOutput("romscope " + options + " image.bin", bin.Build());
  const std::string files = "\nFILES ----------------------------------------\n";
  size_t from = out.find(files);
  return from == std::string::npos ? out : out.substr(from + files.size());
}

// A MOD line with its values as they print.
std::string Mod(const std::string& mods, const std::string& range, const std::string& numsyms,
                const std::string& hitAddr, const std::string& symAddr) {
  return " MOD " + mods + ", " + range + ", numsyms  = " + numsyms + ", HitAddr = 0x" + hitAddr +
         ", SymAddr = 0x" + symAddr + "\n";
}
const std::string kZero = "0x00000000 - 0x00000000";

TEST(SymbolsTest, ModuleLinesAndHitTables) {
  Image image;
  image.modules = {
      {1, 2, 0x10000, 0x1FFFF, {0xA, 0xDEADBEEF, 0xC}, {"a", "bc", "d"}, {}, {}, 0x3000, 0x4000},
      {10, 100, 0x80000000, 0xFFFFFFFF, {}, {}, {}, {}, 0x3100, 0x4100},
      {~0u, ~0u, 0, 0, {}, {}, ~0u, {}, 0x3000, 0x4000},
      {0, 0, 0, 0, {}, {}, 8193, {}, 0x3000, 0x4000},
      {0, 0, 0, 0, {}, {}, 1, {}, 0x00900000, 0x4000},  // no hit table there
      {0, 0, 0, 0, {0x1, 0x2}, {"", "x"}, {}, {}, 0x3200, 0x4200},
      {0, 0, 0, 0, {}, {}, {}, {}, 0x00200000, kN},
  };
  // The names a, bc and d are the bytes 61 00 62 63 00 64 00.
  std::string expected =
      kHeading + Mod("( 1,  2)", "0x00010000 - 0x0001FFFF", "   3", "00003000", "00004000") +
      "       0x0000000A : a\n       0xDEADBEEF : bc\n       0x0000000C : d\n" +
      Mod("(10, 100)", "0x80000000 - 0xFFFFFFFF", "   0", "00003100", "00004100") +
      Mod("(-1, -1)", kZero, "  -1", "00003000", "00004000") +
      "Trying to read 34359738360 bytes (too big)\n" +
      Mod("( 0,  0)", kZero, "8193", "00003000", "00004000") +
      "Trying to read 65544 bytes (too big)\n" +
      Mod("( 0,  0)", kZero, "   1", "00900000", "00004000") +
      Mod("( 0,  0)", kZero, "   2", "00003200", "00004200") +
      "       0x00000001 : \n       0x00000002 : x\n" +
      Mod("( 0,  0)", kZero, "8192", "00200000", "00100000");
  // The largest hit table, 65536 bytes, and a name list over two records.
  for (uint32_t k = 0; k < 8192; ++k) {
    char hex[5];
    std::snprintf(hex, sizeof hex, "%04X", k);
    image.modules.back().hits.push_back(k << 16 | k);
    image.modules.back().names.push_back("n"s + hex + hex + hex);
    expected += "       0x"s + hex + hex + " : n" + hex + hex + hex + "\n";
  }
  ExpectSameText(Section(image), expected + "Done.\n");
}

TEST(SymbolsTest, ProfilingTableOutcomes) {
  const std::string error = "ERROR: Couldn't locate Modules data\nDone.\n";
  EXPECT_EQ(Section({}, "-toc -sym", 1, 0), error);  // no record at 0
  EXPECT_EQ(Section({}, "-toc -sym", 1, 0x00900000), error);
  EXPECT_EQ(Section({}, "-toc -sym", 2049, 0x2000),
            "Trying to read 65568 bytes (too big)\n" + error);
  EXPECT_EQ(Section({}, "-toc -sym", 0, 0x00900000), kHeading + "Done.\n");
  const Image one{{{1, 2, 3, 4, {1}, {"a"}, {}, {}, 0x3000, 0x4000}}, {}};
  EXPECT_EQ(Section(one, "-toc"), "Done.\n");
  const std::string plain = Section(one, "");  // a run without the report
  EXPECT_NE(plain.find("Found pTOC  = 0x00001000\n"), std::string::npos) << plain;
  EXPECT_EQ(Section(one, "-sym"), plain);
}

TEST(SymbolsTest, NamesReadAsSingleBytesWouldBe) {
  const std::string nnn(70000, 'n');
  const std::pair<Image, std::vector<std::string>> cases[] = {
      // A name runs on into an adjacent record, stops at a gap or past the last record.
      {{{}, {{kN, "ab"}, {kN + 2, "cd\0ef\0"s}}}, {"abcd", "ef"}},
      {{{}, {{kN, "ab"}, {kN + 3, "cd\0"s}}}, {"ab", "cd"}},
      {{{}, {{kN, "xy\0zz"s}}}, {"xy", "zz", "", ""}},
      // Where records overlap, the one earlier in the table serves each byte.
      {{{}, {{kN, "AAAA\0"s}, {kN + 2, "bbbbbb\0"s}}}, {"AAAA", "bbb"}},
      {{{}, {{kN + 4, "XY"}, {kN, "abcdefgh\0"s}}}, {"abcdXYgh"}},
      // A record cut by the end of the file: each missing byte ends a name, and the
      // next name starts one address on.
      {{{}, {{kN + 2, "zz\0"s}, {kN + 7, "yz\0"s}, {kN, "pq"}}, true}, {"pqzz", "", "", "yz"}},
      // Longer than 64 KiB, over two records.
      {{{}, {{kN, nnn.substr(0, 40000)}, {kN + 40000, nnn.substr(40000) + "\0z\0"s}}}, {nnn, "z"}},
  };
  for (auto [image, names] : cases) {
    const std::string count = std::to_string(names.size());
    image.modules = {{0, 0, 0, 0, {1, 2, 3, 4}, {}, uint32_t(names.size()), {}, 0x3000, kN}};
    std::string expected = kHeading + Mod("( 0,  0)", kZero, "   " + count, "00003000", "00100000");
    for (size_t k = 0; k < names.size(); ++k) {
      expected += "       0x0000000" + std::to_string(k + 1) + " : " + names[k] + "\n";
    }
    ExpectSameText(Section(image), expected + "Done.\n");
  }
}

}  // namespace
}  // namespace romscope::testing
