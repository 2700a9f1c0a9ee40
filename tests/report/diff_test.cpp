// -diff OLD NEW as whole runs on built image pairs; every expected text is
// written from the layout romscope(1) gives for the comparison.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>

#include "report/diff/diff_text.h"
#include "support/demo_image.h"
#include "support/run_harness.h"
#include "support/toc_builder.h"

namespace romscope::testing {
namespace {

using Json = nlohmann::ordered_json;

RunResult RunPair(const std::string& options, const Bytes& oldImage, const Bytes& newImage) {
  FakeHost host;
  host.files["old.bin"] = oldImage;
  host.files["new.bin"] = newImage;
  return RunWithHost("romscope -diff " + options + " old.bin new.bin", host);
}

const char kHeading[] = "         old          new        delta  change   toc  name\n";

// Records at the same and at other starts, a failing checksum, cut data.
Bytes OldRecordsImage() {
  return BinBuilder()
      .Header(0x1000, 0x10000)
      .Record(0x1000, "abcd")
      .RecordWithChecksum(0x2000, BytesOf("xy"), 0x1234)
      .Record(0x3000, "AAAA")
      .Record(0x3000, "BBBB")
      .RawRecord(0x5000, 16, 0x50, BytesOf("CCCC"))  // cut: no terminator
      .Build();
}

Bytes NewRecordsImage() {
  return BinBuilder()
      .Header(0x1000, 0x10000)
      .Record(0x1000, "abce")
      .Record(0x2000, "xy")
      .Record(0x3000, "BBBB")
      .Record(0x6000, "new!")
      .RawRecord(0x5000, 16, 0x50, BytesOf(std::string(16, 'C')))
      .Terminator(0x1000)
      .Build();
}

// Records matched by start address, the second record at a start with the
// second; checksums, their verdicts, cut data and the bytes themselves.
TEST(DiffTest, RecordsByStartAddressWithTheirVerdictsAndBytes) {
  const RunResult run = RunPair("", OldRecordsImage(), NewRecordsImage());
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(run.status, 1);
  ExpectSameText(run.out,
                 "Summary: image: 1 changed; records: 1 added, 1 removed, 4 changed; "
                 "ROM bytes: 30 -> 30 (+0)\n"
                 "\n"
                 "image:\n" +
                     std::string(kHeading) +
                     "           -            -            -  changed    -  BIN\n"
                     "        entryAddress: none -> 0x00001000\n"
                     "\n"
                     "records:\n" +
                     kHeading +
                     "           4            -           -4  removed    -  0x00003000#2\n"
                     "           -            4           +4  added      -  0x00006000\n"
                     "           4            4           +0  changed    -  0x00001000\n"
                     "        checksum: 0x0000018A -> 0x0000018B\n"
                     "        content: changed\n"
                     "           2            2           +0  changed    -  0x00002000\n"
                     "        checksum: 0x00001234 -> 0x000000F1\n"
                     "        checksumValid: false -> true\n"
                     "        content: same\n"
                     "           4            4           +0  changed    -  0x00003000\n"
                     "        checksum: 0x00000104 -> 0x00000108\n"
                     "        content: changed\n"
                     "          16           16           +0  changed    -  0x00005000\n"
                     "        dataComplete: false -> true\n"
                     "        content: unknown\n");
}

// The pair of tables of contents below: three modules, two files and the
// profiling symbols of OLD, and NEW with one module grown (and a byte of its
// section changed), one moved whole (its section's bytes the same at a new
// address), one swapped for another, a file's bytes changed in place, a file
// removed, a symbol's value changed and a symbol added. The data area starts
// at a fixed address, so that the items placed in it keep their addresses.
struct TocPair {
  Bytes oldImage;
  Bytes newImage;
  // The three records of each table of contents: the header, the module
  // and file tables, the data area; each as (length, checksum).
  std::vector<std::pair<uint32_t, uint32_t>> oldToc, newToc;
};

TocBuilder PairToc(bool grown) {
  TocBuilder toc(0x10000);
  toc.dataStart = 0x10400;
  ModuleSpec kern;
  kern.name = "kern.exe";
  kern.size = grown ? 0x2400 : 0x2000;
  kern.loadOffset = 0x20000;
  kern.sections = {{0x100, 0x1000, 0x100, 0x20000, 0x20000, 0x60000020}};
  ModuleSpec move;
  move.name = "move.dll";
  move.size = 0x1000;
  move.loadOffset = grown ? 0x21800 : 0x21000;
  move.sections = {{0x80, 0x1000, 0x80, move.loadOffset, move.loadOffset, 0x60000020}};
  ModuleSpec third;
  third.name = grown ? "news.dll" : "gone.dll";
  third.size = grown ? 0x900 : 0x800;
  toc.modules = {kern, move, third};
  toc.files.resize(grown ? 1 : 2);
  toc.files[0].name = "cfg.txt";
  toc.files[0].size = 16;
  toc.files[0].loadOffset = 0x22000;
  if (!grown) {
    toc.files[1].name = "old.txt";
    toc.files[1].size = 8;
    toc.files[1].loadOffset = 0x22100;
  }
  toc.profiles.resize(3);
  toc.profiles[0].hits = {0x10, grown ? 0x21u : 0x20u};
  toc.profiles[0].names = {"Start", "Loop"};
  if (grown) {
    toc.profiles[0].hits.push_back(0x30);
    toc.profiles[0].names.push_back("Exit");
  }
  toc.profiles[1].hits = {0x5};
  toc.profiles[1].names = {"Init"};
  return toc;
}

Bytes PairImage(bool grown, std::vector<std::pair<uint32_t, uint32_t>>* tocRecords) {
  TocMemory memory;
  PairToc(grown).Build(memory);
  for (const auto& [start, bytes] : memory.Extents()) {
    // The header is a record of its own (AddTocRecords).
    if (start == 0x10000) {
      const Bytes header(bytes.begin(), bytes.begin() + 84);
      const Bytes tables(bytes.begin() + 84, bytes.end());
      tocRecords->push_back({84u, SumOf(header)});
      tocRecords->push_back({static_cast<uint32_t>(tables.size()), SumOf(tables)});
    } else {
      tocRecords->push_back({static_cast<uint32_t>(bytes.size()), SumOf(bytes)});
    }
  }
  Bytes kernData(256);
  for (size_t i = 0; i < kernData.size(); ++i) kernData[i] = static_cast<uint8_t>(i);
  if (grown) kernData[7] = 8;
  BinBuilder bin;
  bin.Header(0x10000, 0x20000);
  AddTocRecords(bin, memory, 0x10000, 0, 0x10800);
  bin.Record(0x20000, kernData);
  bin.Record(grown ? 0x21800 : 0x21000, Bytes(128, 0xAB));
  bin.Record(0x22000, grown ? "1023456789abcdef" : "0123456789abcdef");
  if (!grown) bin.Record(0x22100, "oldfile!");
  return bin.Terminator(0x20000).Build();
}

TocPair MakeTocPair() {
  TocPair pair;
  pair.oldImage = PairImage(false, &pair.oldToc);
  pair.newImage = PairImage(true, &pair.newToc);
  return pair;
}

std::string Hex8(uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", value);
  return text;
}

TEST(DiffTest, EveryKindOfItemInATableOfContents) {
  const TocPair pair = MakeTocPair();
  ASSERT_EQ(pair.oldToc.size(), 3u);
  ASSERT_EQ(pair.newToc.size(), 3u);
  // The table records: the file table lost an entry of 28 bytes; the data
  // area (profiling table and names) grew by 4 bytes.
  EXPECT_EQ(pair.oldToc[1].first, 152u);
  EXPECT_EQ(pair.newToc[1].first, 124u);
  EXPECT_EQ(pair.oldToc[2].first, 0x240u);
  EXPECT_EQ(pair.newToc[2].first, 0x244u);
  auto checksum = [&](size_t k) {
    return "        checksum: " + Hex8(pair.oldToc[k].second) + " -> " +
           Hex8(pair.newToc[k].second) + "\n";
  };
  const RunResult run = RunPair("-toc", pair.oldImage, pair.newImage);
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(run.status, 1);
  ExpectSameText(
      run.out,
      "Summary: records: 1 added, 2 removed, 5 changed; headers: 1 changed; modules: 1 added, "
      "1 removed, 1 changed, 1 moved; files: 1 removed, 1 changed; symbols: 1 added, 1 "
      "changed; ROM bytes: 1228 -> 1196 (-32)\n"
      "\n"
      "records:\n" +
          std::string(kHeading) +
          "         128            -         -128  removed    -  0x00021000\n"
          "           -          128         +128  added      -  0x00021800\n"
          "         152          124          -28  changed    -  0x00010054\n"
          "        length: 0x00000098 -> 0x0000007C\n" +
          checksum(1) +
          "        content: changed\n"
          "           8            -           -8  removed    -  0x00022100\n"
          "         576          580           +4  changed    -  0x00010400\n"
          "        length: 0x00000240 -> 0x00000244\n" +
          checksum(2) +
          "        content: changed\n"
          "          84           84           +0  changed    -  0x00010000\n" +
          checksum(0) +
          "        content: changed\n"
          "         256          256           +0  changed    -  0x00020000\n"
          "        checksum: 0x00007F80 -> 0x00007F81\n"
          "        content: changed\n"
          "          16           16           +0  changed    -  0x00022000\n"
          "        content: changed\n"
          "\n"
          "headers:\n" +
          kHeading +
          "           -            -            -  changed    0  ROMHDR\n"
          "        ROMHDR.ulPhysLast: 0x00010640 -> 0x00010644\n"
          "        ROMHDR.ulProfSymbolOffset: 0x000105B4 -> 0x000105AC\n"
          "        ROMHDR.ulNumFiles: 2 -> 1\n"
          "\n"
          "modules:\n" +
          kHeading +
          "           -         2304        +2304  added      0  news.dll\n"
          "        2048            -        -2048  removed    0  gone.dll\n"
          "        8192         9216        +1024  changed    0  kern.exe\n"
          "        TOCentry.nFileSize: 8192 -> 9216\n"
          "        content: changed\n"
          "\n"
          "files:\n" +
          kHeading +
          "           8            -           -8  removed    0  old.txt\n"
          "          16           16           +0  changed    0  cfg.txt\n"
          "        content: changed\n"
          "\n"
          "symbols:\n"
          "         old          new        delta  change   toc  module name\n"
          "           -            -            -  added      0  kern.exe Exit\n"
          "           -            -            -  changed    0  kern.exe Loop\n"
          "        value: 0x00000020 -> 0x00000021\n");
}

// The document of the records pair above, member by member.
TEST(DiffTest, RecordsDocument) {
  const RunResult run = RunPair("-json", OldRecordsImage(), NewRecordsImage());
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(run.status, 1);
  ASSERT_EQ(run.out.find('\n'), run.out.size() - 1);
  auto none = [] { return R"({"added":0,"removed":0,"changed":0,"moved":0})"; };
  const Json expected =
      Json::parse(std::string(R"({
    "format": "romscope-diff", "version": 1, "old": "old.bin", "new": "new.bin",
    "identical": false,
    "summary": {"romBytes": {"old": 30, "new": 30, "delta": 0},
                "added": 1, "removed": 1, "changed": 5, "moved": 0,
                "kinds": {"image": {"added": 0, "removed": 0, "changed": 1, "moved": 0},
                          "toc": )") +
                  none() + R"(,
                          "record": {"added": 1, "removed": 1, "changed": 4, "moved": 0},
                          "header": )" +
                  none() + R"(, "extension": )" + none() + R"(, "copySection": )" + none() +
                  R"(, "module": )" + none() + R"(, "file": )" + none() + R"(,
                          "symbol": )" +
                  none() + R"(}},
    "changes": [
      {"kind": "image", "toc": null, "key": null, "occurrence": 1, "change": "changed",
       "oldIndex": null, "newIndex": null, "oldSize": null, "newSize": null, "delta": null,
       "fields": {"entryAddress": {"old": null, "new": 4096}}, "content": null},
      {"kind": "record", "toc": null, "key": 4096, "occurrence": 1, "change": "changed",
       "oldIndex": 0, "newIndex": 0, "oldSize": 4, "newSize": 4, "delta": 0,
       "fields": {"checksum": {"old": 394, "new": 395}}, "content": "changed"},
      {"kind": "record", "toc": null, "key": 8192, "occurrence": 1, "change": "changed",
       "oldIndex": 1, "newIndex": 1, "oldSize": 2, "newSize": 2, "delta": 0,
       "fields": {"checksum": {"old": 4660, "new": 241},
                  "checksumValid": {"old": false, "new": true}}, "content": "same"},
      {"kind": "record", "toc": null, "key": 12288, "occurrence": 1, "change": "changed",
       "oldIndex": 2, "newIndex": 2, "oldSize": 4, "newSize": 4, "delta": 0,
       "fields": {"checksum": {"old": 260, "new": 264}}, "content": "changed"},
      {"kind": "record", "toc": null, "key": 12288, "occurrence": 2, "change": "removed",
       "oldIndex": 3, "newIndex": null, "oldSize": 4, "newSize": null, "delta": -4,
       "fields": {}, "content": null},
      {"kind": "record", "toc": null, "key": 20480, "occurrence": 1, "change": "changed",
       "oldIndex": 4, "newIndex": 4, "oldSize": 16, "newSize": 16, "delta": 0,
       "fields": {"dataComplete": {"old": false, "new": true}}, "content": "unknown"},
      {"kind": "record", "toc": null, "key": 24576, "occurrence": 1, "change": "added",
       "oldIndex": null, "newIndex": 3, "oldSize": null, "newSize": 4, "delta": 4,
       "fields": {}, "content": null}],
    "problems": []})");
  EXPECT_EQ(Json::parse(run.out), expected);
  // The library compares 2^64 - 4 equal to -4: the text shows the sign.
  EXPECT_NE(run.out.find(R"("oldSize":4,"newSize":null,"delta":-4,)"), std::string::npos);
}

// In the document a moved item is listed with the addresses that moved; an
// added symbol names its module.
TEST(DiffTest, MovedItemsAreListedInTheDocument) {
  const TocPair pair = MakeTocPair();
  const RunResult run = RunPair("-json", pair.oldImage, pair.newImage);
  EXPECT_EQ(run.status, 1);
  const Json doc = Json::parse(run.out);
  const Json moved = Json::parse(R"(
    {"kind": "module", "toc": 0, "key": "move.dll", "occurrence": 1, "change": "moved",
     "oldIndex": 1, "newIndex": 1, "oldSize": 4096, "newSize": 4096, "delta": 0,
     "fields": {"TOCentry.ulLoadOffset": {"old": 135168, "new": 137216},
                "sections[0].o32_rom.o32_dataptr": {"old": 135168, "new": 137216},
                "sections[0].o32_rom.o32_realaddr": {"old": 135168, "new": 137216}},
     "content": "same"})");
  const Json added = Json::parse(R"(
    {"kind": "symbol", "toc": 0, "key": "Exit", "occurrence": 1, "change": "added",
     "oldIndex": null, "newIndex": 2, "module": "kern.exe", "moduleOccurrence": 1,
     "oldSize": null, "newSize": null, "delta": null, "fields": {}, "content": null})");
  int found = 0;
  for (const Json& change : doc["changes"]) found += (change == moved) + (change == added);
  EXPECT_EQ(found, 2);
  EXPECT_EQ(doc["summary"]["kinds"]["module"]["moved"], 1);
}

// The k-th file of a name goes with the k-th of that name: with the first
// of three gone, the other two pair with the wrong partners, and the third
// is removed. Nothing holds their data, but contents of different sizes
// differ.
TEST(DiffTest, DuplicateNamesPairInTurn) {
  auto image = [](const std::vector<uint32_t>& sizes) {
    TocBuilder toc(0x10000);
    toc.dataStart = 0x10400;
    for (const uint32_t size : sizes) {
      FileSpec file;
      file.name = "dup.txt";
      file.size = size;
      file.loadOffset = 0x30000 + 0x10 * (size - 1);
      toc.files.push_back(file);
    }
    return SingleTocImage(toc);
  };
  const RunResult run = RunPair("", image({1, 2, 3}), image({2, 3}));
  EXPECT_EQ(run.status, 1);
  const size_t files = run.out.find("\nfiles:\n");
  ASSERT_NE(files, std::string::npos);
  ExpectSameText(run.out.substr(files),
                 "\nfiles:\n" + std::string(kHeading) +
                     "           3            -           -3  removed    0  dup.txt#3\n"
                     "           1            2           +1  changed    0  dup.txt\n"
                     "        FileEntry.nFileSize: 1 -> 2\n"
                     "        FileEntry.ulLoadOffset: 0x00030000 -> 0x00030010\n"
                     "        romSize: 1 -> 2\n"
                     "        content: changed\n"
                     "           2            3           +1  changed    0  dup.txt#2\n"
                     "        FileEntry.nFileSize: 2 -> 3\n"
                     "        FileEntry.ulLoadOffset: 0x00030010 -> 0x00030020\n"
                     "        romSize: 2 -> 3\n"
                     "        content: changed\n");
}

// A file table that one image cannot read (it would take more than one read
// of 64 KiB) is not compared file by file: its table of contents says so.
// Unreadable in both, it is the same.
TEST(DiffTest, ATableOneImageCannotReadIsNotCompared) {
  TocBuilder toc = PairToc(false);
  TocMemory memory;
  toc.Build(memory);
  toc.keepCounts = true;
  toc.header.numModules = 3;
  toc.header.numFiles = 3000;
  const Bytes unreadable = SingleTocImage(toc);
  const RunResult run = RunPair("", SingleTocImage(PairToc(false)), unreadable);
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(run.out.find("\nfiles:\n"), std::string::npos);
  EXPECT_EQ(run.out.substr(0, run.out.find("\nrecords:\n")),
            "Summary: tocs: 1 changed; records: 1 changed; headers: 1 changed; "
            "ROM bytes: 820 -> 820 (+0)\n"
            "\n"
            "tocs:\n" +
                std::string(kHeading) +
                "           -            -            -  changed    0  0x00010000\n"
                "        files: 2 -> unreadable\n");
  const RunResult same = RunPair("", unreadable, unreadable);
  EXPECT_EQ(same.status, 0);
  EXPECT_EQ(same.out, "Summary: no difference; ROM bytes: 820 -> 820 (+0)\n");
}

// An image compared with itself: no difference, though a file's data is cut
// in both. With the data there in one of them, the file's content cannot be
// compared: it is unknown, never the same.
TEST(DiffTest, AnImageAgainstItselfAndAgainstItsCutFileRestored) {
  const Bytes demo = DemoImage();
  const RunResult same = RunPair("", demo, demo);
  EXPECT_EQ(same.err, "");
  EXPECT_EQ(same.status, 0);
  EXPECT_EQ(same.out, "Summary: no difference; ROM bytes: 1464 -> 1464 (+0)\n");
  const RunResult json = RunPair("-json", demo, demo);
  EXPECT_EQ(json.status, 0);
  const Json doc = Json::parse(json.out);
  EXPECT_EQ(doc["identical"], true);
  EXPECT_EQ(doc["changes"], Json::array());

  // splash.bmp: 0x2A10 bytes in ROM at 0x802A0000, before the terminator.
  Bytes restored(demo.begin(), demo.end() - 12);
  const Bytes splash(0x2A10, 0x5A);
  AppendLe32(restored, 0x802A0000);
  AppendLe32(restored, 0x2A10);
  AppendLe32(restored, SumOf(splash));
  restored.insert(restored.end(), splash.begin(), splash.end());
  restored.insert(restored.end(), demo.end() - 12, demo.end());
  const RunResult run = RunPair("", demo, restored);
  EXPECT_EQ(run.status, 1);
  ExpectSameText(run.out,
                 "Summary: records: 1 added; files: 1 changed; "
                 "ROM bytes: 1464 -> 12232 (+10768)\n"
                 "\n"
                 "records:\n" +
                     std::string(kHeading) +
                     "           -        10768       +10768  added      -  0x802A0000\n"
                     "\n"
                     "files:\n" +
                     kHeading +
                     "       10768        10768           +0  changed    0  splash.bmp\n"
                     "        inRecordSpace: false -> true\n"
                     "        content: unknown\n");
}

// An image that cannot be compared is trouble: a message, status 2, and with
// -json the document all the same, its error naming the image.
TEST(DiffTest, AnImageThatCannotBeComparedIsTrouble) {
  FakeHost host;
  host.files["old.bin"] = DemoImage();
  RunResult run = RunWithHost("romscope -diff old.bin new.bin", host);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err, "romscope: cannot open 'new.bin': No such file or directory\n");
  EXPECT_EQ(run.status, 2);
  run = RunWithHost("romscope -diff -json old.bin new.bin", host);
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.err, "romscope: cannot open 'new.bin': No such file or directory\n");
  const Json doc = Json::parse(run.out);
  EXPECT_EQ(doc["identical"], false);
  EXPECT_EQ(doc["changes"], Json::array());
  EXPECT_EQ(doc["problems"], Json::parse(R"([{"kind": "openFailed", "image": "new",
                                              "text": "Error opening new.bin"}])"));
  EXPECT_EQ(doc["error"], Json::parse(R"({"image": "new", "kind": "openFailed",
                                          "text": "Error opening new.bin",
                                          "reason": "No such file or directory"})"));
  host.files["new.bin"] = BytesOf("not an image at all");
  run = RunWithHost("romscope -diff new.bin old.bin", host);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err, "romscope: new.bin: not a BIN file (it does not start with its signature)\n");
  EXPECT_EQ(run.status, 2);
}

// Names are one blank-free word each in the text: what is not a plain
// character, and the characters the layout itself uses, are written \xHH.
TEST(DiffTest, NamesAsWords) {
  struct Row {
    std::string name;
    std::string word;
  };
  const Row rows[] = {
      {"", "\"\""},
      {"os.exe", "os.exe"},
      {"!~", "!~"},
      {"my app.exe", "my\\x20app.exe"},
      {"a\"b#c*d\\e", "a\\x22b\\x23c\\x2Ad\\x5Ce"},
      {std::string("\t\x7F\x80\xE9\xFF", 5), "\\x09\\x7F\\x80\\xE9\\xFF"},
  };
  for (const Row& row : rows) EXPECT_EQ(NameToken(row.name), row.word) << row.name;
  // In a row: the second file of a name, with a blank in it.
  auto image = [](const std::vector<std::string>& names) {
    TocBuilder toc(0x10000);
    toc.dataStart = 0x10400;
    for (const std::string& name : names) {
      FileSpec file;
      file.name = name;
      toc.files.push_back(file);
    }
    return SingleTocImage(toc);
  };
  const RunResult run = RunPair("", image({"a b", "a b"}), image({"a b"}));
  EXPECT_NE(run.out.find("\n           0            -           +0  removed    0  a\\x20b#2\n"),
            std::string::npos)
      << run.out;
}

// The head of the extensions goes with the header; extension records pair
// by name, copy sections by position: one changed in size, one whose
// destination alone moved. The records: the header's 84 bytes, the data
// area's 196 (two copy entries, the head and two extension records, the
// chain's two entries) and the signature's 8.
TEST(DiffTest, ExtensionRecordsAndCopySections) {
  auto image = [](bool changed) {
    TocBuilder toc(0x10000);
    toc.withExtensions = true;
    toc.pids[0] = changed ? 2 : 1;
    ExtensionSpec chain;
    chain.name = "chain information";
    chain.type = 1;
    chain.entries = {{0x80000000, 0x02000000, 0, 1, 0},
                     {0x82000000, changed ? 0x01000001u : 0x01000000u, 1, 0, 0}};
    ExtensionSpec other;
    other.name = changed ? "new ext" : "build id";
    other.length = 0;
    other.pData = 0;
    toc.extensions = {chain, other};
    toc.copies = {{0x30000, 0x8C000000, changed ? 0x20u : 0x10u, 0x40},
                  {0x31000, changed ? 0x8C100000u : 0x8C200000u, 0x80, 0x80}};
    return SingleTocImage(toc);
  };
  const RunResult run = RunPair("", image(false), image(true));
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out.substr(0, run.out.find('\n')),
            "Summary: records: 1 changed; headers: 1 changed; extensions: 1 added, 1 removed, 1 "
            "changed; copySections: 1 changed, 1 moved; ROM bytes: 288 -> 288 (+0)");
  const size_t headers = run.out.find("\nheaders:\n");
  ASSERT_NE(headers, std::string::npos);
  ExpectSameText(run.out.substr(headers),
                 "\nheaders:\n" + std::string(kHeading) +
                     "           -            -            -  changed    0  ROMHDR\n"
                     "        extensions.PID[0]: 0x00000001 -> 0x00000002\n"
                     "\n"
                     "extensions:\n" +
                     kHeading +
                     "           0            -           +0  removed    0  build\\x20id\n"
                     "          32           32           +0  changed    0  chain\\x20information\n"
                     "        chainEntries[1].MaxLenth: 01000000 -> 01000001\n"
                     "           -            0           +0  added      0  new\\x20ext\n"
                     "\n"
                     "copySections:\n" +
                     kHeading +
                     "          16           32          +16  changed    0  0\n"
                     "        CLen: 0x10 -> 0x20\n");
}

// A header that names no extensions against one whose head was read, and one
// whose head was read against one whose head cannot be read (no record holds
// it). The second pair places the same bytes, a head of no records included.
TEST(DiffTest, AHeaderWithoutAHeadOfExtensions) {
  auto image = [](bool head, uint32_t extensions) {
    TocBuilder toc(0x10000);
    toc.withExtensions = head;
    toc.keepPhys = true;  // the same physical range on both sides
    toc.header.physFirst = 0x10000;
    toc.header.physLast = 0x10080;
    toc.header.extensions = extensions;
    return SingleTocImage(toc);
  };
  // The head lies at the start of the data area, right behind the header.
  const RunResult added = RunPair("", image(false, 0), image(true, 0));
  EXPECT_EQ(added.status, 1);
  const size_t headers = added.out.find("\nheaders:\n");
  ASSERT_NE(headers, std::string::npos) << added.out;
  ExpectSameText(added.out.substr(headers),
                 "\nheaders:\n" + std::string(kHeading) +
                     "           -            -            -  changed    0  ROMHDR\n"
                     "        ROMHDR.ulExtensions: 0x00000000 -> 0x00010054\n"
                     "        extensions: none -> present\n");

  const RunResult lost = RunPair("", image(true, 0), image(true, 0x00F00000));
  EXPECT_EQ(lost.status, 1);
  EXPECT_EQ(lost.out.substr(0, lost.out.find('\n')),
            "Summary: tocs: 1 changed; records: 1 changed; headers: 1 moved; ROM bytes: 136 -> "
            "136 (+0)");
  const size_t tocs = lost.out.find("\ntocs:\n");
  ASSERT_NE(tocs, std::string::npos) << lost.out;
  ExpectSameText(lost.out.substr(tocs, lost.out.find("\nrecords:\n") - tocs),
                 "\ntocs:\n" + std::string(kHeading) +
                     "           -            -            -  changed    0  0x00010000\n"
                     "        extensions: 0 -> unreadable\n");
}

}  // namespace
}  // namespace romscope::testing
