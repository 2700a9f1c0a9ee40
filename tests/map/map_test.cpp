// -map: the shapes and tooltips of small images written out by hand, the
// totals, the axis breaks, the shape budget over large images, and the
// failures. The documents are read back with the tests' own XML check.
#include <gtest/gtest.h>

#include <map>
#include <sstream>
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
  toc.files[1].name = "b\n<&\xE9";  // a line feed, markup and a byte above 0x7F
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
       "TOC 0: name of file 1 \"b\\x0A<&\u00E9\"\n0x00010198..0x0001019E, 6 bytes (0x6)"},
      {toc + "module sections", "c4 part",
       "TOC 0: module 0 \"k.exe\", section 0 of 1 (o32_dataptr; o32_realaddr 0x00020000)\n"
       "0x00011000..0x00011100, 256 bytes (0x100)\n"
       "128 bytes (0x80) of these lie in no record: missing from the image"},
      {toc + "file data", "c5", "TOC 0: file 0 \"a.txt\"\n0x00012000..0x00012010, 16 bytes (0x10)"},
      {toc + "file data", "c5 miss",
       "TOC 0: file 1 \"b\\x0A<&\u00E9\"\n0x00013000..0x00013020, 32 bytes (0x20)\n"
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
  const auto gap = [](const std::string& bytes, const std::string& range) {
    return "axis break: a gap of " + bytes + ", " + range + ", where nothing lies";
  };
  EXPECT_EQ(picture.breaks, (std::vector<std::string>{
                                gap("592 bytes (0x250)", "0x000101B0..0x00010400"),
                                gap("3022 bytes (0xBCE)", "0x00010432..0x00011000"),
                                gap("3840 bytes (0xF00)", "0x00011100..0x00012000"),
                                gap("4072 bytes (0xFE8)", "0x00012018..0x00013000"),
                                gap("15650784 bytes (0xEECFE0)", "0x00013020..0x00F00000"),
                                gap("2131755000 bytes (0x7F0FFFF8)", "0x00F00008..0x80000000"),
                            }));
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

// Table addresses move by ROMOFFSET and wrap at 2^32; a range that runs
// past 2^32 is drawn up to it; a record cut by the end of the file holds
// only what the file has.
TEST(MapTest, EdgesOfTheAddressSpaceAndOfTheFile) {
  TocBuilder toc(0x10000);
  toc.files.resize(2);
  toc.files[0].name = "wrap";
  toc.files[0].size = 0x20;
  toc.files[0].loadOffset = 0x9FFFFFF0;  // + 0x70000000: 0x0FFFFFF0
  toc.files[1].name = "top";
  toc.files[1].size = 0x20;
  toc.files[1].loadOffset = 0x8FFFFFF0;  // + 0x70000000: 0xFFFFFFF0
  TocMemory memory;
  const RomHeaderFields h = toc.Build(memory).header;
  BinBuilder bin;
  bin.Header(h.physFirst + 0x70000000, h.physLast - h.physFirst);
  AddTocRecords(bin, memory, toc.pTOC(), 0x70000000, 0x00F00000);
  bin.Record(0x0FFFFFF0, Filled(0x10, 1));
  bin.RawRecord(0x20000000, 0x100, 0x1234, Filled(0x40, 2));  // the file ends 64 bytes in
  const Picture picture = Read(CleanRunOutput("romscope -map image.bin", bin.Build()));
  std::vector<Row> files;
  std::vector<Row> cut;
  for (const Row& row : picture.shapes) {
    if (row.lane == "TOC 0: file data") files.push_back(row);
    if (row.tooltip.find("0x20000000..") != std::string::npos) cut.push_back(row);
  }
  EXPECT_EQ(files,
            (std::vector<Row>{{"TOC 0: file data", "c5 part",
                               "TOC 0: file 0 \"wrap\"\n0x0FFFFFF0..0x10000010, 32 bytes (0x20)\n"
                               "16 bytes (0x10) of these lie in no record: missing from the image\n"
                               "File not in record space. Potentially truncated file!"},
                              {"TOC 0: file data", "c5 miss",
                               "TOC 0: file 1 \"top\"\n0xFFFFFFF0..0x100000000, 32 bytes (0x20)\n"
                               "runs past 0xFFFFFFFF: drawn up to the end of the address space\n"
                               "no record holds any of these bytes: missing from the image\n"
                               "File not in record space. Potentially truncated file!"}}));
  EXPECT_EQ(cut,
            (std::vector<Row>{
                {"records", "c0 part",
                 "record 4, checksum 0x00001234 (not verified: the file ends inside its data)\n"
                 "the file holds 64 bytes (0x40) of its data\n"
                 "0x20000000..0x20000100, 256 bytes (0x100)\n"
                 "the file lacks 192 bytes (0xC0) of the data"}}));
  const auto has = [&](const std::string& text) {
    return std::find(picture.texts.begin(), picture.texts.end(), text) != picture.texts.end();
  };
  EXPECT_TRUE(has("0x100000000")) << "the axis ends at 2^32";
  EXPECT_TRUE(has("0x70010000")) << "the header's record address";
}

// The tooltip of a shape: how many ranges it stands for, and their bytes.
std::pair<uint64_t, uint64_t> CountAndBytes(const std::string& tooltip) {
  const size_t lineEnd = tooltip.find('\n');
  const bool merged = tooltip.find(", merged") < lineEnd;
  const uint64_t count = merged ? std::stoull(tooltip) : 1;
  const size_t comma = tooltip.find(", ", lineEnd);
  return {count, std::stoull(tooltip.substr(comma + 2))};
}

// However many ranges an image has, the picture keeps to its budget of
// shapes and stays small, and every range is in exactly one shape.
TEST(MapTest, LargeImagesKeepToTheBudget) {
  TocBuilder toc(0x10000);
  ModuleSpec module;
  module.name = "big.dll";
  module.sections.resize(65535);
  for (uint32_t j = 0; j < 65535; ++j) {
    module.sections[j] = {0x10, 0, 0x10, 0x40000000 + 0x40 * j, 0, 0};
  }
  toc.modules = {module};
  toc.files.resize(2340);
  for (uint32_t i = 0; i < 2340; ++i) {
    toc.files[i].name = "f" + std::to_string(i);
    toc.files[i].size = 0x100 + i;
    toc.files[i].loadOffset = 0x50000000 + 0x1000 * i;
  }
  TocMemory memory;
  const RomHeaderFields h = toc.Build(memory).header;
  BinBuilder bin;
  bin.Header(h.physFirst, h.physLast - h.physFirst);
  // Records large enough that no table straddles two.
  AddTocRecords(bin, memory, toc.pTOC(), 0, 0x00F00000, 0x400000);
  const uint32_t records = 100000;
  for (uint32_t i = 0; i < records; ++i) bin.Record(0x60000000 + 4 * i, Filled(4, 0x5A));
  const std::string svg = CleanRunOutput("romscope -map image.bin", bin.Terminator(0).Build());
  EXPECT_LE(svg.size(), size_t{4} << 20);
  const Picture picture = Read(svg);
  EXPECT_LE(picture.doc.elements.size(), 10000u);
  std::map<std::string, std::pair<uint64_t, uint64_t>> sums;  // per lane: ranges, bytes
  for (const Row& row : picture.shapes) {
    const auto [count, bytes] = CountAndBytes(row.tooltip);
    sums[row.lane].first += count;
    sums[row.lane].second += bytes;
    if (count == 1) continue;
    // A merged shape names a few of its ranges and counts the rest.
    uint64_t named = 0;
    uint64_t more = 0;
    std::istringstream lines(row.tooltip);
    for (std::string line; std::getline(lines, line);) {
      if (line.rfind("record ", 0) == 0 || line.rfind("TOC 0: ", 0) == 0) ++named;
      if (line.rfind("and ", 0) == 0) more = std::stoull(line.substr(4));
    }
    EXPECT_GE(named, 1u) << row.tooltip;
    EXPECT_LE(named, 8u) << row.tooltip;
    EXPECT_EQ(named + more, count) << row.tooltip;
  }
  uint64_t fileBytes = 0;
  for (uint32_t i = 0; i < 2340; ++i) fileBytes += 0x100 + i;
  EXPECT_EQ(sums["TOC 0: module sections"], std::make_pair(uint64_t{65535}, uint64_t{65535} * 16));
  EXPECT_EQ(sums["TOC 0: file data"], std::make_pair(uint64_t{2340}, fileBytes));
  EXPECT_EQ(sums["records"],
            std::make_pair(uint64_t{records} + 3,
                           uint64_t{records} * 4 + 84 + (h.physLast - h.physFirst - 84) + 8))
      << "the table of contents' header, the rest of it and the signature besides";
}

// Neighbours the axis draws narrower than a few pixels merge into one shape,
// whose tooltip still names every record, those with trouble first: six
// one-byte records beside a gibibyte of RAM, the fourth with a wrong
// checksum, the last two overlapping.
TEST(MapTest, MergedShapesNameAllTheirRanges) {
  TocBuilder toc(0x10000);
  toc.header.ramStart = 0x80000000;
  toc.header.ramFree = 0xC0000000;
  toc.header.ramEnd = 0xFFFF0000;
  TocMemory memory;
  toc.Build(memory);
  BinBuilder bin;
  bin.Header(0x10000, 0x10000);
  bin.Record(0x20000, Filled(1, 0x41));
  bin.Record(0x20001, Filled(1, 0x42));
  bin.Record(0x20002, Filled(1, 0x43));
  bin.RecordWithChecksum(0x20003, Filled(1, 0x44), 0xBAD);
  bin.Record(0x20004, Filled(1, 0x45));
  bin.Record(0x20004, Filled(2, 0x23));
  AddTocRecords(bin, memory, toc.pTOC(), 0, 0x00F00000);
  const Picture picture =
      Read(CleanRunOutput("romscope -map image.bin", bin.Terminator(0x10000).Build()));
  std::vector<Row> merged;
  for (const Row& row : picture.shapes) {
    if (row.tooltip.find(", merged") != std::string::npos) merged.push_back(row);
  }
  const std::vector<Row> expected = {
      {"records", "c0 bad ovl",
       "6 records, merged\n0x00020000..0x00020006, 7 bytes (0x7) in all\n"
       "record 3, checksum 0x00000BAD (wrong: the data sums otherwise)\n"
       "record 4, checksum 0x00000045 (valid)\n"
       "record 5, checksum 0x00000046 (valid)\n"
       "record 0, checksum 0x00000041 (valid)\n"
       "record 1, checksum 0x00000042 (valid)\n"
       "record 2, checksum 0x00000043 (valid)\n"
       "2 of them overlap other records\n"
       "1 of them with a wrong checksum"},
  };
  EXPECT_EQ(merged, expected);
}

// What the tool cannot use gives a message on standard error, status 1, and
// a document that says so.
TEST(MapTest, ImagesThatCannotBeUsed) {
  const struct {
    std::string path;
    Bytes image;
    std::string message;
  } cases[] = {
      {"missing.bin", {}, "cannot open 'missing.bin': No such file or directory"},
      {"image.bin", BytesOf("not a BIN file"),
       "image.bin: not a BIN file (it does not start with its signature)"},
      {"image.bin", BytesOf("B000"),
       "image.bin: not a BIN file (too short for its signature, or unreadable)"},
      {"image.bin", BytesOf("B000FF\n\x01\x02"),
       "image.bin: the BIN header is truncated (no image start and length)"},
  };
  for (const auto& c : cases) {
    FakeHost host;
    if (c.path == "image.bin") host.files["image.bin"] = c.image;
    const RunResult run = RunWithHost("romscope -map " + c.path, host);
    EXPECT_EQ(run.status, 1) << c.message;
    EXPECT_EQ(run.err, "romscope: " + c.message + "\n");
    const Picture picture = Read(run.out);
    EXPECT_EQ(picture.texts, (std::vector<std::string>{"romscope map of " + c.path, c.message}));
  }
}

// The check the fuzz runs rely on refuses what is not well-formed.
TEST(MapTest, XmlCheckRefusesBrokenDocuments) {
  EXPECT_EQ(ParseXml("<?xml version=\"1.0\"?>\n<a b='1'><c/>x &amp; &#233;</a>\n").error, "");
  for (const char* broken :
       {"", "<a>", "<a></b>", "<a>&nbsp;</a>", "<a>\x01</a>", "<a>\xC3</a>", "<a b='1' b='2'/>",
        "<a>]]></a>", "<a><</a>", "<a/><b/>", "<!DOCTYPE a><a/>", "<a b=1/>", "<a>&#1;</a>",
        "<a><!-- x -- y --></a>", "<a>\xEF\xBF\xBE</a>", "<a/ >"}) {
    EXPECT_NE(ParseXml(broken).error, "") << broken;
  }
}

}  // namespace
}  // namespace romscope::testing
