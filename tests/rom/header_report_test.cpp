// The report's frame and its ROM header block, written out by hand from the
// line formats.
#include <gtest/gtest.h>

#include <string>

#include "image/image.h"
#include "image/record_scan.h"
#include "report/catalogue.h"
#include "rom/collector.h"
#include "rom/toc_report.h"
#include "support/run_harness.h"
#include "support/toc_builder.h"

namespace romscope::testing {
namespace {

const std::string kModules = "\nMODULES ---------------------------------------\n";
const std::string kFiles = "\nFILES ----------------------------------------\n";
const std::string kSymbols = "\nSYMBOLS ---------------------------------------\n";

ModuleSpec Module(const char* name, uint64_t fileTime, uint32_t size) {
  ModuleSpec m;  // without e32_rom, which the plain listing does not read
  m.name = name, m.fileTime = fileTime, m.size = size, m.placeE32 = false;
  return m;
}

FileSpec File(const char* name, uint64_t fileTime, uint32_t size, uint32_t loadOffset) {
  FileSpec f;
  f.name = name, f.fileTime = fileTime, f.size = size, f.loadOffset = loadOffset;
  return f;
}

// Two tables of contents, each reported with its own header's values: the
// first with extensions, a copy table and no modules or files, its records
// 0x80000000 above its table addresses; the second with a module and a file,
// its records below its table addresses (ROMOFFSET wraps).
TEST(HeaderReportTest, SectionsInOrderForEachTable) {
  const uint64_t time = FileTimeOf(2003, 2, 1, 4, 5, 6);
  TocBuilder a(0x10000);
  // In record order (the word at 0x28, not interpreted, is all ones); the
  // builder fills in the physical range, the counts and the table addresses.
  a.header = {0x00010002, 0x00020000, 0,      0,      0,          0x00200000,
              0x0023C000, 0x00400000, 0,      0,      0xFFFFFFFF, 0x000ABCD0,
              0,          0xA0000001, 0x01C0, 0xABCD, 0};
  a.copies = {{0x00012000, 0x00300000, 0x1A0, 0x1A0}};  // the table lies at 0x10054
  a.withExtensions = true;                              // the head lies at 0x10064
  TocBuilder b(0x90000000);
  b.modules = {Module("c.dll", time, 3)};
  b.files = {File("c.txt", time, 10, 0x00012345)};
  TocMemory memoryA;
  TocMemory memoryB;
  a.Build(memoryA);  // physical range 0x10000..0x10090
  b.Build(memoryB);  // physical range 0x90000000..0x900000A0
  BinBuilder bin;
  bin.Header(0x80010000, 0x20000);
  AddTocRecords(bin, memoryA, 0x10000, 0x80000000, 0x80010100);     // records 0 to 2
  AddTocRecords(bin, memoryB, 0x90000000, 0xF0020000, 0x80030000);  // records 3 to 5
  const Bytes image = bin.Terminator(0x80010000).Build();

  const std::string scan = Banner() +
                           "Image Start = 0x80010000, length = 0x00020000\n"
                           "\t\tStart address = 0x80010000\n";
  const std::string locateA =
      "Checking record #0 for potential TOC (ROMOFFSET = 0x80000000)\n"
      "Found pTOC  = 0x00010000\n"
      "ROMOFFSET = 0x80000000\n";
  const std::string locateB =
      "Checking record #0 for potential TOC (ROMOFFSET = 0xF0010000)\n"
      "Checking record #3 for potential TOC (ROMOFFSET = 0xF0020000)\n"
      "Found pTOC  = 0x90000000\n"
      "ROMOFFSET = 0xF0020000\n";
  std::string reportA =
      "\n"
      "ROMHDR ----------------------------------------\n"
      "    DLL First           : 0x00010002  \n"
      "    DLL Last            : 0x00020000  \n"
      "    Physical First      : 0x00010000  \n"
      "    Physical Last       : 0x00010090  \n"
      "    RAM Start           : 0x00200000  \n"
      "    RAM Free            : 0x0023C000  \n"
      "    RAM End             : 0x00400000  \n"
      "    Kernel flags        : 0xA0000001  \n"
      "    Prof Symbol Offset  : 0x000ABCD0  \n"
      "    Num Copy Entries    :          1    \n"
      "    Copy Entries Offset : 0x00010054  \n"
      "    Num Modules         :          0    \n"
      "    Num Files           :          0    \n"
      "    MiscFlags           : 0x0000ABCD  \n"
      "    CPU                 :     0x01c0 (ARM)\n"
      "    Extensions          : 0x00010064\n"
      "\n"
      "ROMHDR Extensions -----------------------------\n";
  for (int i = 0; i < 10; ++i) reportA += "    PID[" + std::to_string(i) + "] = 0x00000000\n";
  reportA +=
      "    Next: 00000000\n"
      "\n"
      "COPY Sections ---------------------------------\n"
      "    Src: 0x00012000   Dest: 0x00300000   CLen: 0x1A0      DLen: 0x1A0   \n" +
      kModules + kFiles;
  const std::string reportB =
      "\n"
      "ROMHDR ----------------------------------------\n"
      "    DLL First           : 0x00000000  \n"
      "    DLL Last            : 0x00000000  \n"
      "    Physical First      : 0x90000000  \n"
      "    Physical Last       : 0x900000A0  \n"
      "    RAM Start           : 0x00000000  \n"
      "    RAM Free            : 0x00000000  \n"
      "    RAM End             : 0x00000000  \n"
      "    Kernel flags        : 0x00000000  \n"
      "    Prof Symbol Offset  : 0x00000000  \n"
      "    Num Copy Entries    :          0    \n"
      "    Copy Entries Offset : 0x00000000  \n"
      "    Num Modules         :          1    \n"
      "    Num Files           :          1    \n"
      "    MiscFlags           : 0x00000000  \n"
      "    CPU                 :     0x0000 (Unknown)    Extensions          : 0x00000000\n" +
      kModules + "     2/01/2003  04:05:06           3  c.dll \n" + kFiles +
      "      2/01/2003  04:05:06  ____          0         10                     c.txt (ROM "
      "0x00012345)\n";
  // The profiling table of the second lies at 0, where no record is.
  const std::string noProfile = "ERROR: Couldn't locate Modules data\n";

  const struct {
    const char* commandLine;
    std::string expected;
  } runs[] = {
      {"romscope image.bin", scan + locateA + locateB + "Done.\n"},
      {"romscope -toc image.bin", scan + locateA + reportA + locateB + reportB + "Done.\n"},
      {"romscope -t -sym image.bin",
       scan + locateA + reportA + kSymbols + locateB + reportB + noProfile + "Done.\n"},
  };
  for (const auto& run : runs) {
    SCOPED_TRACE(run.commandLine);
    RunResult result = RunOnImage(run.commandLine, image);
    ExpectSameText(result.out, run.expected);
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.status, 0);
  }
}

TEST(HeaderReportTest, CountsPrintSigned) {
  TocBuilder toc(0x10000);
  toc.keepCounts = true;
  toc.header.numCopyEntries = 0x80000000;
  toc.header.numFiles = 0xFFFFFFFF;
  const std::string out = CleanRunOutput("romscope -toc image.bin", SingleTocImage(toc));
  EXPECT_NE(out.find("    Num Copy Entries    : -2147483648    \n"
                     "    Copy Entries Offset : 0x00000000  \n"
                     "    Num Modules         :          0    \n"
                     "    Num Files           :         -1    \n"),
            std::string::npos);
}

TEST(HeaderReportTest, CpuNames) {
  const std::pair<uint16_t, const char*> names[] = {
      {0x014C, "x86"},   {0x0166, "R4000"},  {0x01A2, "SH3"},     {0x01A3, "SH3-DSP"},
      {0x01A4, "SH3e"},  {0x01A6, "SH4"},    {0x01C0, "ARM"},     {0x01C2, "Thumb"},
      {0x01F0, "PPC"},   {0x0266, "MIPS16"}, {0x0366, "MIPSFPU"}, {0x0466, "MIPSFPU16"},
      {0x0000, nullptr}, {0x01C1, nullptr},  {0x8664, nullptr},
  };
  for (const auto& [code, name] : names) {
    const char* known = CpuName(code);
    EXPECT_EQ(known == nullptr ? std::string("(none)") : known, name ? name : "(none)") << code;
  }
}

// A header that cannot be read again when its report starts (a file read
// error; a whole run cannot provoke one, since the locator has just read the
// same bytes): the later sections work from zeros, not from the last report.
TEST(HeaderReportTest, UnreadableHeaderLeavesNothingOfThePreviousReport) {
  TocBuilder toc(0x10000);
  toc.modules = {Module("a.dll", 0, 0)};
  toc.files = {File("a.txt", 0, 0, 0)};
  toc.header.profSymbolOffset = 0x60000;
  toc.copies = {{0x50000, 0x60000, 0x10, 0x10}};  // moves the profiling table to 0x50000
  MemorySource source(SingleTocImage(toc));
  Image image(source);
  ASSERT_EQ(ReadBinHeader(image.file, &image.header), BinHeaderStatus::kOk);
  CollectedImage collected;
  Collector collector(collected);
  ScanRecords(image.file, false, collector, NeverStopped(), image.scratch.data(), &image.records);
  InspectPlan plan;
  plan.symbols = true;
  const NeverStopped neverStopped;
  TocReport report(plan, image, collector, neverStopped);

  report.ReportToc(TocLocation{0x10000, 0, 0, 0}, 0);
  report.ReportToc(TocLocation{0x00BAD000, 0, 0, 0}, 1);
  report.ReportToc(TocLocation{0, 0, 0, 0}, 2);  // no header is current: nothing
  ASSERT_EQ(collected.tocs.size(), 2u);
  const CollectedToc& first = collected.tocs[0];
  ASSERT_TRUE(first.copySections);
  EXPECT_EQ(first.copySections->profile.address, 0x50000u);
  EXPECT_EQ(first.copySections->profile.delta, 0xFFFF0000u);
  EXPECT_EQ(first.modules.size(), 1u);

  const CollectedToc& second = collected.tocs[1];
  EXPECT_FALSE(second.toc.header);
  ASSERT_EQ(second.toc.problems.size(), 1u);
  EXPECT_EQ(second.toc.problems[0].kind, ProblemKind::kTocHeaderUnreadable);
  EXPECT_FALSE(second.extensionHead);
  ASSERT_TRUE(second.copySections);
  EXPECT_EQ(second.copySections->count, 0u);
  EXPECT_EQ(second.copySections->profile.address, 0u);
  EXPECT_EQ(second.copySections->profile.delta, 0u);
  for (const auto& table : second.tables) {
    ASSERT_TRUE(table);
    EXPECT_EQ(table->count, 0u);
    EXPECT_EQ(table->address, table->kind == TableItem::kProfiles ? 0u : 0x00BAD054u);
  }
}

}  // namespace
}  // namespace romscope::testing
