// The copy sections: the entry lines, the size limit of the table, and how
// the entries move the profiling table that the symbol section then reads.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "support/run_harness.h"
#include "support/toc_builder.h"

namespace romscope::testing {
namespace {

constexpr uint32_t kToc = 0x1000, kBias = 0x80000000;  // record address = table address + kBias
// The profiling table, the hit table and the names, as the header and profile entry say.
constexpr uint32_t kP = 0x00400000, kHit = 0x00600000, kSym = 0x00700000;
const std::string kHeading = "\nCOPY Sections ---------------------------------\n";
const std::string kSymbols =
    "\nSYMBOLS ---------------------------------------\n MOD ( 1,  2), 0x00000000 - 0x00000000, "
    "numsyms  =    2, HitAddr = 0x00600000, SymAddr = 0x00700000\n"
    "       0x00000001 : f\n       0x00000002 : gh\n";

// A table of contents with `copies` and, when `table` is not 0, one module's profile there
// whose entry names its hit table at kHit and whose image holds it `delta` bytes on.
TocBuilder Toc(const std::vector<CopyFields>& copies, uint32_t table = 0, uint32_t delta = 0,
               uint32_t pTOC = kToc, uint32_t mod = 1) {
  TocBuilder toc(pTOC);
  toc.dataStart = pTOC + 0x1000;
  toc.keepCounts = true;
  toc.header.numCopyEntries = static_cast<uint32_t>(copies.size());
  toc.copies = copies;
  if (table == 0) return toc;
  toc.header.numModules = 1;
  toc.header.profSymbolOffset = kP;
  toc.profileAddress = table;
  toc.profiles = {{mod, mod + 1, 0, 0, {mod, mod * 2}, {"f", "gh"}, {}, kHit, kHit + delta, kSym}};
  return toc;
}

// The output of `romscope options image.bin`, `patch` applied to each table of contents.
std::string RunTocs(const std::vector<TocBuilder>& tocs, const char* options = "-toc",
                    const std::function<void(TocMemory&)>& patch = nullptr) {
  BinBuilder bin;
  bin.Header(kToc + kBias, 0x01000000);
  for (uint32_t i = 0; i < tocs.size(); ++i) {
    TocMemory memory;
    tocs[i].Build(memory);
    if (patch) patch(memory);
    AddTocRecords(bin, memory, tocs[i].pTOC(), kBias, 0x00F00000 + 0x100 * i + kBias);
  }
  const std::string command = std::string("romscope ") + options + " image.bin";
  return CleanRunOutput(command, bin.Terminator(kToc + kBias).Build());
}

// The text from the line after the first (or last) line holding `from` up to `to`.
std::string Slice(const std::string& text, const std::string& from, const std::string& to,
                  bool last = false) {
  size_t at = last ? text.rfind(from) : text.find(from);
  size_t end = at == std::string::npos ? at : text.find(to, at);
  if (end == std::string::npos) return "(no " + from + " ... " + to + " in)\n" + text;
  at = text.find('\n', at + 1) + 1;
  return text.substr(at, end - at);
}

TEST(CopySectionsTest, EntryLinesAndUnreadableTables) {
  std::vector<CopyFields> copies(4096, {0x11111111, 0x22222222, 0x33, 0x44});
  copies[0] = {0x00012340, 0x8C000000, 0x1A0, 0x1A0};
  copies[1] = {0xFFFFFFFF, 0x00000000, 0x0, 0xABCDEF};
  copies[4095] = {0x0000ABCD, 0x00000001, 0x12345678, 0x1234567};
  std::string expected =
      kHeading + "    Src: 0x00012340   Dest: 0x8C000000   CLen: 0x1A0      DLen: 0x1A0   \n" +
      "    Src: 0xFFFFFFFF   Dest: 0x00000000   CLen: 0x0        DLen: 0xABCDEF\n";
  for (int i = 2; i < 4095; ++i) {
    expected += "    Src: 0x11111111   Dest: 0x22222222   CLen: 0x33       DLen: 0x44    \n";
  }
  expected += "    Src: 0x0000ABCD   Dest: 0x00000001   CLen: 0x12345678   DLen: 0x1234567\n";
  const std::string before = "    Extensions          : 0x";  // the line before the section
  ExpectSameText(Slice(RunTocs({Toc(copies)}), before, "\nMODULES"), expected);  // one read
  const struct {
    uint32_t count, offset;
    std::string message;
  } cases[] = {
      {4097, 0, "Trying to read 65552 bytes (too big)\n"},
      {0x08000000, 0, "Trying to read -2147483648 bytes (too big)\n"},
      {0xFFFFFFFF, 0, "Trying to read 68719476720 bytes (too big)\n"},
      {2, 0, ""},           // runs past the record of its one entry
      {1, 0x00900000, ""},  // no record there
  };
  for (const auto& c : cases) {
    TocBuilder toc = Toc({{1, 2, 3, 4}});
    toc.header.numCopyEntries = c.count;
    toc.header.copyEntriesOffset = c.offset;
    EXPECT_EQ(Slice(RunTocs({toc}), before, "\nMODULES"),
              c.message + "Couldn't locate copy secitons\n")
        << c.count;
  }
}

// Each case places the profiling table where the entries should leave it, and the hit
// table the delta they should leave away from kHit; nothing lies at any other address
// the entries name. A second table of contents then starts from its own header.
TEST(CopySectionsTest, EntriesMoveTheProfilingTable) {
  const struct {
    std::vector<CopyFields> copies;
    uint32_t table, delta;
  } cases[] = {
      {{{0x00410000, 0x00420000}}, kP, 0},                          // no match
      {{{0x00300000, kP}}, 0x00300000, 0xFFF00000},                 // Src below Dest
      {{{0x00410000, kP}, {0x00420000, kP}}, 0x00410000, 0x10000},  // the first one only
      {{{kP, kP}, {0x00420000, kP}}, 0x00420000, 0x20000},          // ... unless Src = Dest
      {{{1, 2}, {0x410000, kP}, {3, 4}, {5, 6}, {0x380000, 0x410000}}, 0x380000, 0xFFF70000},
      {{{0x00440000, 0x00430000}, {0x00430000, kP}}, 0x00430000, 0x30000},  // no second look
      {{{0x00450000, 0}}, 0x00450000, 0x00450000},                          // offset 0
  };
  for (const auto& c : cases) {
    auto zeroOffset = [&c](TocMemory& memory) {
      if (c.copies[0].dest == 0) memory.Put32(kToc + 0x2C, 0);  // the header's ulProfSymbolOffset
    };
    EXPECT_EQ(Slice(RunTocs({Toc(c.copies, c.table, c.delta)}, "-toc -sym", zeroOffset), "\nFILES",
                    "Done.\n"),
              kSymbols)
        << "case " << &c - cases;
  }
  // The second header names the address that the first one's entries moved away from.
  std::string out = RunTocs(
      {Toc({{0x00410000, kP}}, 0x00410000, 0x10000), Toc({}, kP, 0, 0x00800000, 3)}, "-toc -sym");
  EXPECT_EQ(Slice(out, "\nFILES", "Checking record"), kSymbols);
  EXPECT_EQ(Slice(out, "\nFILES", "Done.\n", true),
            "\nSYMBOLS ---------------------------------------\n MOD ( 3,  4), 0x00000000 - "
            "0x00000000, numsyms  =    2, HitAddr = 0x00600000, SymAddr = 0x00700000\n"
            "       0x00000003 : f\n       0x00000006 : gh\n");
}

}  // namespace
}  // namespace romscope::testing
