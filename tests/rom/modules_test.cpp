// The module section, written out by hand from its line layouts: short lines,
// -obj blocks with unreadable headers, names and dates that cannot be had, and
// the table's size limit.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "support/run_harness.h"
#include "support/toc_builder.h"

namespace romscope::testing {
namespace {

const std::string kModules = "\nMODULES ---------------------------------------\n";
const std::string kFiles = "\nFILES ----------------------------------------\n";
const std::string kFilesDone = kFiles + "Done.\n";

ModuleSpec Module(const std::string& name, uint64_t fileTime, uint32_t size,
                  uint32_t attributes = 0, uint32_t loadOffset = 0) {
  ModuleSpec m;
  m.name = name;
  m.fileTime = fileTime;
  m.size = size;
  m.attributes = attributes;
  m.loadOffset = loadOffset;
  return m;
}

TEST(ModulesTest, ShortLinesAndDetailedBlocks) {
  TocBuilder toc(0x80000000);
  ModuleSpec kernel = Module("os.exe", FileTimeOf(2001, 3, 7, 9, 5, 0), 4096, 0x7, 0x8C000000);
  kernel.e32 = {std::nullopt, 0x10F, 0x1234, 0x8C000000, 4, 0x14, 0x10000, 0x2A000, 0x3AA5F00D};
  kernel.e32Offset = 0x80100000;
  kernel.o32Offset = 0x80200000;
  ModuleSpec gone = Module("gone.dll", uint64_t{1} << 63, 0x80000000);
  gone.placeE32 = false;
  gone.e32Offset = 0x90000000;
  gone.o32Offset = 0x80200000;
  // 65535 section headers, of which only [1] is in the image.
  ModuleSpec holes =
      Module("holes.dll", FileTimeOf(2010, 10, 10, 10, 10, 10), 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF);
  holes.e32 = kernel.e32;
  holes.e32.objcnt = 0xFFFF;
  holes.e32.imageflags = 0xFFFF;
  holes.e32Offset = 0x80100100;
  holes.o32Offset = 0x80300000;
  toc.modules = {kernel, gone, holes};
  Bytes o32;
  for (uint32_t v = 1; v <= 6; ++v) AppendLe32(o32, v);
  const Bytes image = SingleTocImage(toc, 0x01000000, {{0x80300018, o32}});

  EXPECT_EQ(AfterRomHeader("romscope -toc image.bin", image),
            kModules + "     3/07/2001  09:05:00        4096  os.exe \n" +
                "     0/00/0000  00:00:00  -2147483648  gone.dll \n" +
                "    10/10/2010  10:10:10          -1  holes.dll \n" + kFilesDone);

  const std::string e32Rest =
      "        e32_entryrva        : 0x1234\n"
      "        e32_vbase           : 0x8C000000\n"
      "        e32_subsysmajor     : 0x4\n"
      "        e32_subsysminor     : 0x14\n"
      "        e32_stackmax        : 0x10000\n"
      "        e32_vsize           : 0x2A000\n"
      "        e32_timestamp       : 0x3AA5F00D\n";
  std::string expected = kModules +
                         "    ==== os.exe ===============================\n"
                         "    TOCentry (os.exe) -------------------------\n"
                         "        dwFileAttributes    : 0x7\n"
                         "        ftTime              :  3/07/2001  09:05:00\n"
                         "        nFileSize           : 0x1000 (4096)\n"
                         "        ulE32Offset         : 0x80100000\n"
                         "        ulO32Offset         : 0x80200000\n"
                         "        ulLoadOffset        : 0x8C000000\n"
                         "    e32_rom (os.exe) --------------------------\n"
                         "        e32_objcnt          : 0\n"
                         "        e32_imageflags      : 0x10F\n" +
                         e32Rest + "\n" +
                         "    ==== gone.dll ===============================\n"
                         "    TOCentry (gone.dll) -------------------------\n"
                         "        dwFileAttributes    : 0x0\n"
                         "        ftTime              :  0/00/0000  00:00:00\n"
                         "        nFileSize           : 0x80000000 (-2147483648)\n"
                         "        ulE32Offset         : 0x90000000\n"
                         "        ulO32Offset         : 0x80200000\n"
                         "        ulLoadOffset        : 0x0\n"
                         "ERROR: Couldn't locate e32_rom data\n"
                         "    ==== holes.dll ===============================\n"
                         "    TOCentry (holes.dll) -------------------------\n"
                         "        dwFileAttributes    : 0xFFFFFFFF\n"
                         "        ftTime              : 10/10/2010  10:10:10\n"
                         "        nFileSize           : 0xFFFFFFFF (-1)\n"
                         "        ulE32Offset         : 0x80100100\n"
                         "        ulO32Offset         : 0x80300000\n"
                         "        ulLoadOffset        : 0xFFFFFFFF\n"
                         "    e32_rom (holes.dll) --------------------------\n"
                         "        e32_objcnt          : 65535\n"
                         "        e32_imageflags      : 0xFFFF\n" +
                         e32Rest;
  for (int j = 0; j < 65535; ++j) {
    expected += "    o32_rom[" + std::to_string(j) + "] (holes.dll) ------------------------\n";
    expected += j != 1 ? "ERROR: Couldn't locate o32_rom data\n"
                       : "        o32_vsize           : 0x1\n"
                         "        o32_rva             : 0x2\n"
                         "        o32_psize           : 0x3\n"
                         "        o32_dataptr         : 0x4\n"
                         "        o32_realaddr        : 0x5\n"
                         "        o32_flags           : 0x6\n";
  }
  ExpectSameText(AfterRomHeader("romscope -obj image.bin", image), expected + "\n" + kFilesDone);
}

TEST(ModulesTest, NamesAndTimesThatCannotBeHad) {
  TocBuilder toc(0x80000000);
  const std::string n259(259, 'n');
  ModuleSpec unnamed = Module("", uint64_t{1} << 63, 2);
  unnamed.nameOffset = 0xA0000000;  // nothing there
  ModuleSpec runaway = Module("", ~uint64_t{0}, 3);
  runaway.nameOffset = 0xA0001000;  // a record that ends before the name's NUL
  toc.modules = {Module("first.dll", FileTimeOf(2001, 3, 7, 9, 5, 0), 1),
                 unnamed,
                 runaway,
                 Module("max.dll", 0x7FFFFFFFFFFFFFFF, 4),
                 Module(n259, 0, 5),
                 Module(n259 + "X", 0, 6),
                 Module(n259 + std::string(41, 'Y'), 0, 7)};
  const Bytes image = SingleTocImage(toc, 0x100, {{0xA0001000, BytesOf("abc")}});
  EXPECT_EQ(AfterRomHeader("romscope -t image.bin", image),
            kModules + "     3/07/2001  09:05:00           1  first.dll \n" +
                "     0/00/0000  00:00:00           2   \n" +
                "     0/00/0000  00:00:00           3   \n" +
                "     9/14/30828  02:48:05           4  max.dll \n" +
                "     1/01/1601  00:00:00           5  " + n259 + " \n" +
                "     1/01/1601  00:00:00           6  " + n259 + " \n" +
                "     1/01/1601  00:00:00           7  " + n259 + " \n" + kFilesDone);
}

TEST(ModulesTest, TableOfAtMost2048Entries) {
  TocBuilder toc(0x80000000);
  toc.dataStart = 0x80100000;
  std::string expected = kModules;
  for (uint32_t i = 0; i < 2048; ++i) {
    toc.modules.push_back(Module("m" + std::to_string(i), 0, 1000000 + i));
    toc.modules.back().placeE32 = false;
    expected += "     1/01/1601  00:00:00     " + std::to_string(1000000 + i) + "  m" +
                std::to_string(i) + " \n";
  }
  ExpectSameText(AfterRomHeader("romscope -toc image.bin", SingleTocImage(toc)),
                 expected + kFilesDone);

  // One more is refused; the file table is still sought behind all 2049.
  toc.modules.push_back(Module("m2048", 0, 2048));
  toc.files.resize(1);
  toc.files[0].name = "after.txt";
  toc.files[0].size = 7;
  toc.files[0].loadOffset = 0x8C000000;
  EXPECT_EQ(AfterRomHeader("romscope -toc image.bin", SingleTocImage(toc)),
            "Trying to read 65568 bytes (too big)\nERROR: Couldn't locate Modules data\n" + kFiles +
                "      1/01/1601  00:00:00  ____          0          7                 after.txt "
                "(ROM 0x8C000000)\nDone.\n");
}

TEST(ModulesTest, EmptyAndOversizedCounts) {
  EXPECT_EQ(AfterRomHeader("romscope -toc image.bin", SingleTocImage(TocBuilder(0x80000000))),
            kModules + kFilesDone);
  // Byte sizes of 2^31 and 0xFFFFFFFF * 28: the one past 32 bits is shown whole.
  TocBuilder toc(0x80000000);
  toc.keepCounts = true;
  toc.header.numModules = 0x04000000;
  toc.header.numFiles = 0xFFFFFFFF;
  EXPECT_EQ(AfterRomHeader("romscope -toc image.bin", SingleTocImage(toc)),
            "Trying to read -2147483648 bytes (too big)\nERROR: Couldn't locate Modules data\n"
            "Trying to read 120259084260 bytes (too big)\nCouldn't locate Files data\nDone.\n");
}

}  // namespace
}  // namespace romscope::testing
