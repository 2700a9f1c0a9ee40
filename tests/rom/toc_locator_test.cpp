// The search for each table of contents: signature records, candidate
// headers and the progress lines, written out by hand from their formats.
// Record addresses other than table addresses are covered by the whole
// reports in header_report_test.cpp.
#include <gtest/gtest.h>

#include <string>

#include "support/run_harness.h"
#include "support/toc_builder.h"

namespace romscope::testing {
namespace {

Bytes Signature(uint32_t pTOC) {
  return SignatureRecordData(pTOC);
}
Bytes Header(uint32_t physFirst, uint32_t physLast, uint32_t dllFirst = 0, uint32_t dllLast = 0) {
  return CandidateHeader(physFirst, physLast, dllFirst, dllLast);
}

const std::string kImage = Banner() + "Image Start = 0x00001000, length = 0x00001000\n";
const std::string kCheck0 = "Checking record #0 for potential TOC (ROMOFFSET = 0x00000000)\n";

std::string Notice(const std::string& what, const char* first, const char* last) {
  return "NOTICE! Record 0 looked like a TOC except " + what + " first = 0x" + first + ", and " +
         what + " last = 0x" + last + "\r\n";
}

// The candidate is record 0 and pTOC is its address, 0x1A00, inside an image
// of 0x1000..0x2000. The terminator's entry address, its length field, is 84,
// so a pass that finds nothing also tries it (as record 2, whose read fails).
TEST(TocLocatorTest, CandidateTests) {
  const std::string check2 = "Checking record #2 for potential TOC (ROMOFFSET = 0xFFFFE600)\n";
  const std::string found = "Found pTOC  = 0x00001a00\nROMOFFSET = 0x00000000\n";
  const struct {
    uint32_t physFirst, physLast, dllFirst, dllLast;
    std::string lines;
  } cases[] = {
      {0x1A00, 0x1A00, 0, 0, found},                    // both ends at pTOC
      {0x1000, 0x2000, 0x00010002, 0x00020000, found},  // both ends at the image's
      {0x1000, 0x2000, 0x00010002, 0x0001FFFF, Notice("DLL", "00010002", "0001FFFF") + check2},
      {0x1000, 0x2000, 0x00030001, 0x00020000, Notice("DLL", "00030001", "00020000") + check2},
      // Outside the image: the DLL test is not reached.
      {0x0FFF, 0x2000, 0x00010002, 0x0001FFFF, Notice("Phys", "00000FFF", "00002000") + check2},
      {0x1000, 0x2001, 0, 0, Notice("Phys", "00001000", "00002001") + check2},
      // pTOC outside the range: silent, before the image test.
      {0x1A01, 0x2000, 0, 0, check2},
      {0x0800, 0x19FF, 0, 0, check2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.lines);
    Bytes image = BinBuilder()
                      .Header(0x1000, 0x1000)
                      .Record(0x1A00, Header(c.physFirst, c.physLast, c.dllFirst, c.dllLast))
                      .Record(0x00F00000, Signature(0x1A00))
                      .Terminator(84)
                      .Build();
    EXPECT_EQ(CleanRunOutput("romscope image.bin", image),
              kImage + "\t\tStart address = 0x00000054\n" + kCheck0 + c.lines + "Done.\n");
  }
}

TEST(TocLocatorTest, FailedPassesResumeAfterTheirSignatureRecord) {
  // The signature record naming 0 is passed over. The pass for 0x9000 ends
  // at the last record and the search resumes after its signature record,
  // with the next one, whose header lies before it in the file.
  Bytes image = BinBuilder()
                    .Header(0x1000, 0x1000)
                    .Record(0x3000, Signature(0))
                    .Record(0x3008, Signature(0x9000))
                    .Record(0x1000, Header(0x1000, 0x1100))
                    .Record(0x3010, Signature(0x1000))
                    .Record(0x2000, Header(0x7000, 0x7100))
                    .Build();
  EXPECT_EQ(CleanRunOutput("romscope image.bin", image),
            kImage + "Checking record #2 for potential TOC (ROMOFFSET = 0xFFFF8000)\n" +
                "Checking record #4 for potential TOC (ROMOFFSET = 0xFFFF9000)\n" +
                "Checking record #2 for potential TOC (ROMOFFSET = 0x00000000)\n" +
                "Found pTOC  = 0x00001000\nROMOFFSET = 0x00000000\nDone.\n");

  // A signature record at the last index whose pass finds nothing. Before it,
  // records of 83 and 85 bytes, no signature word, and the word in a record
  // of 12 bytes: none of them is tried.
  Bytes header = Header(0x1000, 0x1100);
  Bytes twelve = Signature(0x1000);
  AppendLe32(twelve, 0);
  Bytes longer = header;
  longer.push_back(0);
  Bytes last = BinBuilder()
                   .Header(0x1000, 0x1000)
                   .Record(0x1000, header)
                   .Record(0x2000, Bytes(header.begin(), header.end() - 1))
                   .Record(0x2100, longer)
                   .Record(0x3000, Bytes{'K', 'R', 'K', 'S', 0, 0x10, 0, 0})
                   .Record(0x3100, twelve)
                   .Record(0x3200, Signature(0x5000))
                   .Build();
  EXPECT_EQ(CleanRunOutput("romscope image.bin", last),
            kImage + "Checking record #0 for potential TOC (ROMOFFSET = 0xFFFFC000)\nDone.\n");
}

}  // namespace
}  // namespace romscope::testing
