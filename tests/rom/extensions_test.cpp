// The header extensions: the head's PID words, the chain of named records,
// chain information entries, and every way a walk of the chain ends.
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

// One copy entry, then the head at 0x2000 and the chained records 44 bytes apart.
constexpr uint32_t kToc = 0x1000, kHead = 0x2000, kR1 = 0x202C, kR2 = 0x2058, kR3 = 0x2084;
constexpr uint32_t kBias = 0x80000000;  // record address = table address + kBias
const ChainEntryFields kA{0x80001000, 0x2000, 1, 0xBEEF, 7}, kB{~0u, 0x10, 0xFFFF, 0, 0xABCDEF12};
const std::string kEntryA =
    "      Addr:     80001000\n      MaxLenth: 00002000\n"
    "      Order:    0001\n      Flags:    beef\n      reserved: 00000007\n";
const std::string kEntryB =
    "      Addr:     ffffffff\n      MaxLenth: 00000010\n"
    "      Order:    ffff\n      Flags:    0000\n      reserved: abcdef12\n";
const std::string kHeadLines =
    "\nROMHDR Extensions -----------------------------\n    PID[0] = 0x00000000\n"
    "    PID[1] = 0x00000001\n    PID[2] = 0x0000000A\n    PID[3] = 0x000000FF\n"
    "    PID[4] = 0x00000100\n    PID[5] = 0xABCDEF01\n    PID[6] = 0x80000000\n"
    "    PID[7] = 0xFFFFFFFF\n    PID[8] = 0x12345678\n    PID[9] = 0x9ABCDEF0\n";
const std::string kToR1 = kHeadLines + "    Next: 0000202c\n";
const std::string kChainInfo = "chain information       ";

// A record whose Type's bytes spell ABCD, which a name read past its field would show.
ExtensionSpec Rec(const std::string& name, uint32_t length, uint32_t pData = 0x3000,
                  std::vector<ChainEntryFields> entries = {kA}) {
  return {name, {}, 0x44434241, 0, std::move(entries), length, pData};
}

// Runs -toc with the words `patches` written over the table of contents, expecting `err`
// on standard error; the output is cut to what lies between the header's Extensions line
// and the copy section.
std::string Walk(const std::vector<ExtensionSpec>& records,
                 const std::vector<std::pair<uint32_t, uint32_t>>& patches = {},
                 const std::string& err = "") {
  TocBuilder toc(kToc);
  toc.dataStart = kHead - 16;
  toc.copies = {{0x5000, 0x6000, 0x10, 0x20}};
  toc.withExtensions = true;
  toc.pids = {0, 1, 0xA, 0xFF, 0x100, 0xABCDEF01, 0x80000000, 0xFFFFFFFF, 0x12345678, 0x9ABCDEF0};
  toc.extensions = records;
  TocMemory memory;
  const RomHeaderFields h = toc.Build(memory).header;
  for (const auto& [address, value] : patches) memory.Put32(address, value);
  BinBuilder bin;
  bin.Header(h.physFirst + kBias, h.physLast - h.physFirst);
  AddTocRecords(bin, memory, kToc, kBias, 0x00F00000 + kBias);
  std::string out =
      CleanRunOutput("romscope -toc image.bin", bin.Terminator(kToc + kBias).Build(), err);
  size_t from = out.find("    Extensions          : 0x");
  size_t to = out.find("\nCOPY Sections ---------------------------------\n");
  if (from == std::string::npos || to == std::string::npos) return out;
  from = out.find('\n', from) + 1;
  return out.substr(from, to - from);
}

// A chained record's lines, with its values as they print.
std::string Record(const std::string& at, const std::string& name, const std::string& pData,
                   const std::string& length, const std::string& next,
                   const std::string& type = "44434241", const std::string& reserved = "00000000") {
  return "\n    -- Location: " + at + "\n    Name: " + name + "\n    Type:     " + type +
         "\n    pData:    " + pData + "\n    Length:   " + length + "\n    Reserved: " + reserved +
         "\n    Next:     " + next + "\n";
}

TEST(ExtensionsTest, RecordsAndChainInformation) {
  // A Length above 64 KiB, then a Length of 40 (the third entry lies past it).
  EXPECT_EQ(Walk({Rec("chain information", 0x10001),
                  {"chain information", {}, 0xAB, 0x34, {kA, kB, kA}, 40, 0x3100}}),
            kToR1 + Record("0000202c", kChainInfo, "00003000", "00010001", "00002058") +
                "Trying to read 65537 bytes (too big)\n" +
                Record("00002058", kChainInfo, "00003100", "00000028", "00000000", "000000ab",
                       "00000034") +
                kEntryA + kEntryB);
  const struct {
    ExtensionSpec record;
    std::string name, length, tail;
  } cases[] = {
      {Rec("Chain information", 16), "Chain information       ", "00000010", ""},
      {Rec("chain informationX", 16), "chain informationX      ", "00000010", ""},
      {Rec("chain information\0junk!!"s, 16), kChainInfo, "00000010", kEntryA},
      {Rec("ABCDEFGHIJKLMNOPQRSTUVWX", 16), "ABCDEFGHIJKLMNOPQRSTUVWX", "00000010", ""},
      {Rec("chain information", 15), kChainInfo, "0000000f", ""},
      {Rec("chain information", 0), kChainInfo, "00000000", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Walk({c.record}),
              kToR1 + Record("0000202c", c.name, "00003000", c.length, "00000000") + c.tail)
        << c.name << " length " << c.length;
  }
}

TEST(ExtensionsTest, CyclesAndUnreadableRecordsEndTheWalk) {
  auto record = [](const std::string& at, const std::string& name, const std::string& next) {
    return Record(at, name + std::string(24 - name.size(), ' '), "00000000", "00000000", next);
  };
  const std::string one = kToR1 + record("0000202c", "one", "00002058");
  const struct {
    uint32_t patchAt, value;  // the word at patchAt, a Next unless noted, is made `value`
    std::string chain;
  } cases[] = {
      {kHead + 40, 0, kHeadLines + "    Next: 00000000\n"},
      {kToc + 0x48, 0x00900000, "Couldn't locate TOC Extensions\n"},  // the header's ulExtensions
      {kR1 + 40, 0x00900000,
       kToR1 + record("0000202c", "one", "00900000") +
           "\n    -- Location: 00900000\nCouldn't locate TOC Extensions\n"},
      // Cycles: back to the head, a self-loop, back to the head and to a middle record.
      {kHead + 40, kHead, kHeadLines + "    Next: 00002000\n"},
      {kR1 + 40, kR1, kToR1 + record("0000202c", "one", "0000202c")},
      {kR2 + 40, kHead, one + record("00002058", "two", "00002000")},
      {kR3 + 40, kR2,
       one + record("00002058", "two", "00002084") + record("00002084", "three", "00002058")},
  };
  for (const auto& c : cases) {
    // A cycle is reported on standard error, naming the address read again.
    char cycle[96] = "";
    if (&c >= &cases[3]) {
      std::snprintf(cycle, sizeof cycle,
                    "romscope: the extension chain leads back to 0x%08X, which was read already\n",
                    c.value);
    }
    EXPECT_EQ(Walk({Rec("one", 0, 0, {}), Rec("two", 0, 0, {}), Rec("three", 0, 0, {})},
                   {{c.patchAt, c.value}}, cycle),
              c.chain)
        << "patch at " << c.patchAt;
  }
}

}  // namespace
}  // namespace romscope::testing
