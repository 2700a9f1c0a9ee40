// -map: the shapes and tooltips of small images written out by hand, the
// totals, the axis breaks, the shape budget over large images, and the
// failures. The documents are read back with the tests' own XML check.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "support/run_harness.h"
#include "support/toc_builder.h"
#include "support/xml_check.h"

namespace romscope::testing {
namespace {

// One shape as a person sees it: its lane, its style and its tooltip.
struct Row {
  std::string lane;
  std::string style;  // the classes, less "w", the thin edge of wide shapes
  std::string tooltip;
  bool operator==(const Row& o) const {
    return lane == o.lane && style == o.style && tooltip == o.tooltip;
  }
};

std::ostream& operator<<(std::ostream& os, const Row& row) {
  return os << "{" << row.lane << " | " << row.style << " | " << row.tooltip << "}";
}

struct Picture {
  XmlDocument doc;
  std::vector<Row> shapes;          // lanes' shapes, lane after lane
  std::vector<std::string> breaks;  // the axis breaks' tooltips
  std::vector<std::string> texts;   // every <text>, in order
};

std::string StyleOf(const XmlElement& rect) {
  std::string style = rect.Attribute("class");
  const size_t w = style.find(" w");
  if (w != std::string::npos && (w + 2 == style.size() || style[w + 2] == ' ')) {
    style.erase(w, 2);
  }
  return style;
}

// Reads a map back: its lanes by their titles (a shape's top lies 14 pixels
// above its lane title's baseline), the shapes with a tooltip in each.
Picture Read(const std::string& svg) {
  Picture picture;
  picture.doc = ParseXml(svg);
  EXPECT_EQ(picture.doc.error, "") << "at byte " << picture.doc.errorOffset;
  std::map<std::string, std::string> laneAt;  // y of a lane's shapes -> title
  for (const XmlElement& e : picture.doc.elements) {
    if (e.name != "text") continue;
    picture.texts.push_back(e.text);
    if (e.Attribute("class").empty() && e.Attribute("x") == "8") {
      laneAt[std::to_string(std::stol(e.Attribute("y")) - 14)] = e.text;
    }
  }
  for (const XmlElement& e : picture.doc.elements) {
    if (e.name != "rect" || e.children.empty()) continue;
    const XmlElement& title = picture.doc.elements[e.children[0]];
    if (title.name != "title") continue;
    if (e.Attribute("class") == "brk") {
      picture.breaks.push_back(title.text);
    } else {
      picture.shapes.push_back({laneAt[e.Attribute("y")], StyleOf(e), title.text});
    }
  }
  return picture;
}

Bytes Filled(size_t size, uint8_t value) {
  return Bytes(size, value);
}

// A table of contents at 0x10000 whose every table address is chosen here,
// so that each range of the map is known: one module of one section that
// the records hold half of, a file held by a record with a wrong checksum
// (and overlapped by another record), a file no record holds, a copy section
// whose source no record holds, a profile of one symbol, and RAM.
Bytes SmallImage() {
  TocBuilder toc(0x10000);
  toc.header.ramStart = 0x80000000;
  toc.header.ramFree = 0x80001000;
  toc.header.ramEnd = 0x80010000;
  // The names, headers and the copy table follow one another from 0x10100,
  // each at a multiple of 4 (the builder fills the bytes between with zeros).
  toc.dataStart = 0x10100;
  ModuleSpec module;
  module.name = "k.exe";
  module.sections = {{0x100, 0x1000, 0x100, 0x11000, 0x20000, 0x60000020}};
  toc.modules = {module};
  toc.files.resize(2);
  toc.files[0].name = "a.txt";
  toc.files[0].size = 0x10;
  toc.files[0].loadOffset = 0x12000;
  toc.files[1].name = std::string("b\x01<&\xE9", 5);
  toc.files[1].size = 0x20;
  toc.files[1].loadOffset = 0x13000;
  toc.copies = {{0x11080, 0x80000000, 0x80, 0x100}};
  toc.profileAddress = 0x10400;
  toc.profiles.resize(1);
  toc.profiles[0].hits = {0x5};
  toc.profiles[0].names = {"f"};
  toc.profiles[0].hitsAt = 0x10420;
  toc.profiles[0].symAddr = 0x10430;
  TocMemory memory;
  toc.Build(memory);
  BinBuilder bin;
  bin.Header(0x10000, 0x10000);
  AddTocRecords(bin, memory, toc.pTOC(), 0, 0x00F00000);  // records 0 to 5
  bin.Record(0x11000, Filled(0x80, 0x11));
  bin.RecordWithChecksum(0x12000, Filled(0x10, 0x22), 0xBAD);
  bin.Record(0x12008, Filled(0x10, 0x33));
  return bin.Terminator(0x10000).Build();
}

TEST(MapTest, SmallImageShapesAndTooltips) {
  const std::string svg = CleanRunOutput("romscope -map image.bin", SmallImage());
  const Picture picture = Read(svg);
  const std::string toc = "TOC 0: ";
  const std::vector<Row> expected = {
      {"records", "c0",
       "record 6, checksum 0x00000880 (valid)\n0x00011000..0x00011080, 128 bytes (0x80)"},
      {"records", "c0 bad ovl",
       "record 7, checksum 0x00000BAD (wrong: the data sums otherwise)\n"
       "0x00012000..0x00012010, 16 bytes (0x10)\noverlaps another record"},
      {"records", "c0 ovl",
       "record 8, checksum 0x00000330 (valid)\n0x00012008..0x00012018, 16 bytes (0x10)\n"
       "overlaps another record"},
      {toc + "ROM header and tables", "c1",
       "TOC 0: ROM header (ROMHDR) at pTOC 0x00010000, ROMOFFSET 0x00000000\n"
       "0x00010000..0x00010054, 84 bytes (0x54)"},
      {toc + "ROM header and tables", "c1",
       "TOC 0: module table: 1 entry\n0x00010054..0x00010074, 32 bytes (0x20)"},
      {toc + "ROM header and tables", "c1",
       "TOC 0: file table: 2 entries\n0x00010074..0x000100AC, 56 bytes (0x38)"},
      {toc + "ROM header and tables", "c1",
       "TOC 0: copy table: 1 entry\n0x000101A0..0x000101B0, 16 bytes (0x10)"},
      {toc + "ROM header and tables", "c1",
       "TOC 0: profiling table: 1 entry\n0x00010400..0x00010420, 32 bytes (0x20)"},
      {toc + "ROM header and tables", "c1",
       "TOC 0: signature record (names pTOC 0x00010000)\n0x00F00000..0x00F00008, 8 bytes (0x8)"},
      {toc + "module headers and names", "c3",
       "TOC 0: name of module 0 \"k.exe\"\n0x00010100..0x00010106, 6 bytes (0x6)"},
      {toc + "module headers and names", "c3",
       "TOC 0: e32_rom of module 0 \"k.exe\"\n0x00010108..0x00010178, 112 bytes (0x70)"},
      {toc + "module headers and names", "c3",
       "TOC 0: o32_rom headers of module 0 \"k.exe\"\n0x00010178..0x00010190, 24 bytes (0x18)"},
      {toc + "module headers and names", "c3",
       "TOC 0: name of file 0 \"a.txt\"\n0x00010190..0x00010196, 6 bytes (0x6)"},
      {toc + "module headers and names", "c3",
       "TOC 0: name of file 1 \"b\\x01<&\u00E9\"\n0x00010198..0x0001019E, 6 bytes (0x6)"},
      {toc + "module sections", "c4 part",
       "TOC 0: module 0 \"k.exe\", section 0 of 1 (o32_dataptr; o32_realaddr 0x00020000)\n"
       "0x00011000..0x00011100, 256 bytes (0x100)\n"
       "128 bytes (0x80) of these lie in no record: missing from the image"},
      {toc + "file data", "c5", "TOC 0: file 0 \"a.txt\"\n0x00012000..0x00012010, 16 bytes (0x10)"},
      {toc + "file data", "c5 miss",
       "TOC 0: file 1 \"b\\x01<&\u00E9\"\n0x00013000..0x00013020, 32 bytes (0x20)\n"
       "no record holds any of these bytes: missing from the image\n"
       "File not in record space. Potentially truncated file!"},
      {toc + "copy sources", "c6 miss",
       "TOC 0: copy section 0: source (Src), copied to Dest 0x80000000\n"
       "0x00011080..0x00011100, 128 bytes (0x80)\n"
       "no record holds any of these bytes: missing from the image"},
      {toc + "profiling hit tables and names", "c7",
       "TOC 0: hit table of profile 0: 1 symbol\n0x00010420..0x00010428, 8 bytes (0x8)"},
      {toc + "profiling hit tables and names", "c7",
       "TOC 0: symbol names of profile 0: 1 name\n0x00010430..0x00010432, 2 bytes (0x2)"},
      {toc + "copy destinations (RAM)", "c8",
       "TOC 0: copy section 0: destination (Dest, DLen), copied from Src 0x00011080 (CLen 0x80)\n"
       "0x80000000..0x80000100, 256 bytes (0x100)"},
      {toc + "RAM start, free and end", "c9",
       "TOC 0: RAM from RAM start to RAM free (ulRamStart, ulRamFree)\n"
       "0x80000000..0x80001000, 4096 bytes (0x1000)"},
      {toc + "RAM start, free and end", "c9",
       "TOC 0: RAM from RAM free to RAM end (ulRamFree, ulRamEnd)\n"
       "0x80001000..0x80010000, 61440 bytes (0xF000)"},
  };
  // Records 0 to 5 hold the table of contents, each with its checksum right.
  std::vector<Row> shapes;
  const std::vector<std::string> tocRecords = {
      "0x00010000..0x00010054, 84 bytes (0x54)",  "0x00010054..0x000100AC, 88 bytes (0x58)",
      "0x00010100..0x000101B0, 176 bytes (0xB0)", "0x00010400..0x00010428, 40 bytes (0x28)",
      "0x00010430..0x00010432, 2 bytes (0x2)",    "0x00F00000..0x00F00008, 8 bytes (0x8)"};
  size_t tocRecord = 0;
  for (const Row& row : picture.shapes) {
    const std::string head = "record " + std::to_string(tocRecord) + ", checksum 0x";
    if (tocRecord < tocRecords.size() && row.tooltip.rfind(head, 0) == 0) {
      EXPECT_EQ(row.style, "c0");
      EXPECT_EQ(row.tooltip.substr(head.size() + 8), " (valid)\n" + tocRecords[tocRecord]);
      ++tocRecord;
    } else {
      shapes.push_back(row);
    }
  }
  EXPECT_EQ(tocRecord, tocRecords.size());
  EXPECT_EQ(shapes, expected);

  // Gaps far longer than the stretches on either side of them.
  EXPECT_EQ(
      picture.breaks,
      (std::vector<std::string>{
          "axis break: a gap of 592 bytes (0x250), 0x000101B0..0x00010400, where nothing lies",
          "axis break: a gap of 3022 bytes (0xBCE), 0x00010432..0x00011000, where nothing lies",
          "axis break: a gap of 3840 bytes (0xF00), 0x00011100..0x00012000, where nothing lies",
          "axis break: a gap of 4072 bytes (0xFE8), 0x00012018..0x00013000, where nothing lies",
          "axis break: a gap of 15650784 bytes (0xEECFE0), 0x00013020..0x00F00000, where "
          "nothing lies",
          "axis break: a gap of 2131755000 bytes (0x7F0FFFF8), 0x00F00008..0x80000000, where "
          "nothing lies"}));
  const auto has = [&](const std::string& text) {
    return std::find(picture.texts.begin(), picture.texts.end(), text) != picture.texts.end();
  };
  EXPECT_TRUE(has("1.9 GiB")) << "the label of the longest break";
  EXPECT_TRUE(has("romscope map of image.bin"));
  EXPECT_TRUE(
      has("BIN image start 0x00010000, length 0x00010000; 9 records and the terminator; "
          "1 table of contents"));
  // 550 bytes in records; the tables describe 696, 536 of them held; the
  // records' bytes nothing accounts for are those of record 8 past record 7
  // and the builder's 6 bytes of padding.
  EXPECT_TRUE(
      has("Records hold 550 bytes (0x226); the tables account for 536 bytes (0x218) of "
          "them; 14 bytes (0xE) in records nothing accounts for; 160 bytes (0xA0) that the "
          "tables describe lie in no record."));
  // Options other than -map change nothing.
  EXPECT_EQ(CleanRunOutput("romscope -toc -json -data -map -sym image.bin", SmallImage()), svg);
}

}  // namespace
}  // namespace romscope::testing
