// The file section, written out by hand from its line layout: attribute
// letters, the two size columns, names in their 24 places, names and times
// that cannot be had, the record test of -checkfiles and the table's size limit.
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

FileSpec File(const std::string& name, uint32_t attributes, uint32_t size, uint32_t storedSize,
              uint32_t loadOffset) {
  FileSpec f;
  f.name = name;
  f.attributes = attributes;
  f.size = size;
  f.storedSize = storedSize;
  f.loadOffset = loadOffset;
  return f;
}

TEST(FilesTest, LinesAndTheRecordTestOfCheckFiles) {
  // Two adjacent records of 0x100 bytes from d. Every file's data lies above
  // the image's entry address and below 2^32, clear of the terminator's range.
  const uint32_t d = 0x90000000;
  const struct {
    uint32_t attributes, size, storedSize, loadOffset;
    const char* name;
    bool inside;       // the file's data lies inside one record
    const char* line;  // after the date and time
  } cases[] = {
      {0x807, 4096, 2048, 0x8C000000, "os.bin", false,
       "CHRS       2048       4096                    os.bin (ROM 0x8C000000)"},
      {0x801, 10, 7, 0xC0000001, "abcde", false,
       "C_R_          7         10                     abcde (ROM 0xC0000001)"},
      {0x2, 3, 99, 0xFFE0ABCD, "a_name_of_thirty_characters.tx", false,
       "_H__          0          3  a_name_of_thirty_characters.tx (ROM 0xFFE0ABCD)"},
      {0x825, 0xFFFFFFFF, 0x80000000, 0x20, "neg", false,
       "C_RS -2147483648         -1                       neg (ROM 0x00000020)"},
      {0, 0x20, 0x5000, d + 0x10, "a", true,
       "____          0         32                         a (ROM 0x90000010)"},
      {0, 0x20, 0, d + 0xF0, "b", false,
       "____          0         32                         b (ROM 0x900000F0)"},
      {0, 4, 0, 0xA0000000, "c", false,
       "____          0          4                         c (ROM 0xA0000000)"},
      {0x800, 0x5000, 0x20, d + 0x10, "d", true,
       "C___         32      20480                         d (ROM 0x90000010)"},
      {0x800, 0x20, 0x101, d + 0x10, "e", false,
       "C___        257         32                         e (ROM 0x90000010)"},
      {0, 0x101, 0x20, d, "f", false,
       "____          0        257                         f (ROM 0x90000000)"},
      {0, 0x100, 0, d + 0x100, "g", true,
       "____          0        256                         g (ROM 0x90000100)"},
  };
  const std::string warning = "File not in record space. Potentially truncated file!\n";
  // The first file's name and time cannot be had: it shows neither the last
  // module's nor anything else, and the next file shows its own again.
  TocBuilder toc(0x80000000);
  toc.modules.resize(1);
  toc.modules[0].name = "last.dll";
  toc.modules[0].fileTime = FileTimeOf(2001, 3, 7, 9, 5, 0);
  toc.files.push_back(File("", 0, 0, 0, 0xC0000000));
  toc.files[0].nameOffset = 0xA0000000;
  toc.files[0].fileTime = uint64_t{1} << 63;
  std::string unchecked = kModules + "     3/07/2001  09:05:00           0  last.dll \n" + kFiles +
                          "      0/00/0000  00:00:00  ____          0          0  "
                          "                         (ROM 0xC0000000)\n";
  std::string checked = unchecked + warning;
  for (const auto& c : cases) {
    toc.files.push_back(File(c.name, c.attributes, c.size, c.storedSize, c.loadOffset));
    toc.files.back().fileTime = FileTimeOf(2004, 11, 2, 3, 4, 5);
    const std::string line = "     11/02/2004  03:04:05  " + std::string(c.line) + "\n";
    unchecked += line;
    checked += line + (c.inside ? "" : warning);
  }
  const Bytes image =
      SingleTocImage(toc, 0x00100000, {{d, Bytes(0x100, 0x11)}, {d + 0x100, Bytes(0x100, 0x22)}});
  EXPECT_EQ(AfterRomHeader("romscope -toc image.bin", image), unchecked + "Done.\n");
  EXPECT_EQ(AfterRomHeader("romscope -toc -checkfiles image.bin", image), checked + "Done.\n");
}

TEST(FilesTest, TableOfAtMost2340Entries) {
  TocBuilder toc(0x80000000);
  toc.dataStart = 0x80100000;
  std::string expected = kModules + kFiles;
  for (uint32_t i = 0; i < 2340; ++i) {
    toc.files.push_back(File("f" + std::to_string(1000 + i), 0x1, 1000000 + i, 0, 0));
    expected += "      1/01/1601  00:00:00  __R_          0    " + std::to_string(1000000 + i) +
                "                     f" + std::to_string(1000 + i) + " (ROM 0x00000000)\n";
  }
  ExpectSameText(AfterRomHeader("romscope -toc image.bin", SingleTocImage(toc)),
                 expected + "Done.\n");

  toc.files.push_back(File("f3340", 0, 0, 0, 0));
  EXPECT_EQ(AfterRomHeader("romscope -toc image.bin", SingleTocImage(toc)),
            kModules + "Trying to read 65548 bytes (too big)\nCouldn't locate Files data\nDone.\n");
}

}  // namespace
}  // namespace romscope::testing
