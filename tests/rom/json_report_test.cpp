// The JSON document: one written out by hand for a small image, and, on the
// demo image and on hostile ones, its messages and checksum verdicts held
// against those of the text report, so that none is missing from either.
#include <gtest/gtest.h>

#include <map>
#include <nlohmann/json.hpp>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "support/demo_image.h"
#include "support/run_harness.h"
#include "support/toc_builder.h"

namespace romscope::testing {
namespace {

using Json = nlohmann::ordered_json;

// The problem kinds whose text the text report prints as a line of its own.
const std::set<std::string> kReportKinds = {"openFailed",
                                            "signatureUnreadable",
                                            "signatureMismatch",
                                            "tocNoticePhys",
                                            "tocNoticeDll",
                                            "readTooBig",
                                            "tocHeaderUnreadable",
                                            "extensionsUnreadable",
                                            "extensionBufferFailed",
                                            "copySectionsUnreadable",
                                            "modulesUnreadable",
                                            "e32Unreadable",
                                            "o32Unreadable",
                                            "filesUnreadable",
                                            "fileNotInRecordSpace",
                                            "profilesUnreadable"};

// The report's message lines that carry no number.
const std::set<std::string> kFixedLines = {"Couldn't locate TOC data",
                                           "Couldn't locate TOC Extensions",
                                           "Error: failed allocating extention buffer",
                                           "Couldn't locate copy secitons",
                                           "ERROR: Couldn't locate Modules data",
                                           "ERROR: Couldn't locate e32_rom data",
                                           "ERROR: Couldn't locate o32_rom data",
                                           "Couldn't locate Files data",
                                           "File not in record space. Potentially truncated file!"};

// The texts of the document's problems that the text report shows as lines.
std::multiset<std::string> ReportTexts(const Json& doc) {
  std::multiset<std::string> texts;
  std::vector<const Json*> open = {&doc};
  while (!open.empty()) {
    const Json& value = *open.back();
    open.pop_back();
    if (value.is_object() && value.contains("kind") && value.contains("text") &&
        value["kind"].is_string()) {
      if (kReportKinds.count(value["kind"].get<std::string>()) != 0) {
        texts.insert(value["text"].get<std::string>());
      }
    }
    if (value.is_structured()) {
      for (const auto& member : value.items()) open.push_back(&member.value());
    }
  }
  return texts;
}

// The document of -json against the text of the same image: every message
// line of the text report is a problem of the document, as often; the
// checksum verdicts of -data are the document's; the diagnostics and the
// status are the same.
void ExpectSameFacts(const Bytes& image) {
  const RunResult json = RunOnImage("romscope -json image.bin", image);
  const RunResult text = RunOnImage("romscope -rec -obj -sym -checkfiles image.bin", image);
  const RunResult data = RunOnImage("romscope -data image.bin", image);
  // Other options change nothing in the document.
  EXPECT_EQ(RunOnImage("romscope -toc -d -json -sym image.bin", image).out, json.out);
  EXPECT_EQ(json.status, text.status);
  EXPECT_EQ(json.err, text.err);
  ASSERT_EQ(json.out.find('\n'), json.out.size() - 1) << "one line, ending in its line break";
  const Json doc = Json::parse(json.out);  // throws, and fails the test, on an invalid document

  const std::multiset<std::string> documented = ReportTexts(doc);
  // The message lines of the text: the messages without numbers, the
  // refused reads and the search's notices.
  std::multiset<std::string> printed;
  std::istringstream lines(text.out);
  for (std::string line; std::getline(lines, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (kFixedLines.count(line) != 0 || line.rfind("Trying to read ", 0) == 0 ||
        line.rfind("NOTICE! Record ", 0) == 0) {
      printed.insert(line);
    }
  }
  EXPECT_EQ(printed, documented);

  std::string verdicts;
  for (size_t at = data.out.find("\n Chksum "); at != std::string::npos;
       at = data.out.find("\n Chksum ", at + 1)) {
    verdicts += data.out.compare(at, 15, "\n Chksum valid\n") == 0 ? 'v' : 'e';
  }
  std::string claimed;
  for (const Json& r : doc["records"]) {
    if (!r["checksumValid"].is_null()) claimed += r["checksumValid"] == true ? 'v' : 'e';
  }
  EXPECT_EQ(claimed, verdicts);
}

Bytes Signature(uint32_t pTOC) {
  return SignatureRecordData(pTOC);
}
Bytes Header(uint32_t physFirst, uint32_t physLast, uint32_t dllFirst = 0, uint32_t dllLast = 0) {
  return CandidateHeader(physFirst, physLast, dllFirst, dllLast, 0x01A6);
}

// An image of `toc` with the words `patches` written over it, and records of
// their own at the table addresses `extra`.
Bytes TocImage(const TocBuilder& toc, const std::vector<std::pair<uint32_t, uint32_t>>& patches,
               const std::vector<std::pair<uint32_t, std::string>>& extra) {
  TocMemory memory;
  const RomHeaderFields h = toc.Build(memory).header;
  for (const auto& [address, value] : patches) memory.Put32(address, value);
  BinBuilder bin;
  AddTocRecords(bin.Header(h.physFirst, h.physLast - h.physFirst), memory, toc.pTOC(), 0,
                0x00F00000);
  for (const auto& [address, bytes] : extra) bin.Record(address, bytes);
  return bin.Terminator(toc.pTOC()).Build();
}

// A small image: its document written out by hand, member by member in the
// order the tool writes them.
TEST(JsonReportTest, SmallImageDocument) {
  // The header's bytes sum to 2 + 3 + 1 + 0x34 + 0x12, and 12 x 0xA5 + 8 x 0x5A that the
  // builder puts where nothing is interpreted: 2776.
  RomHeaderFields h;
  h.physFirst = 0x10100, h.physLast = 0x10200, h.numModules = 1, h.cpu = 0x1234;
  Bytes modules;  // one TOCentry, then its name
  for (uint32_t v : {7u, 0xB02F8600u, 0x01C0A6E5u, 0x1000u, 0x10174u, 0x20000u, 0u, 0x30000u}) {
    AppendLe32(modules, v);
  }
  for (uint8_t b : {0x61, 0xE9, 0x22, 0x00}) modules.push_back(b);  // a, e acute, quote
  const Bytes image = BinBuilder()
                          .Header(0x10000, 0x1000)
                          .Record(0x10000, Signature(0x10100))
                          .Record(0x10100, EncodeRomHeader(h))
                          .RecordWithChecksum(0x10154, modules, 0x12345678)
                          .Terminator(0x10000)
                          .Build();
  const RunResult run = RunOnImage("romscope -json image.bin", image);
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.err, "");
  const Json expected = Json::parse(R"({
    "format": "romscope-json", "version": 1, "file": "image.bin",
    "image": {"start": 65536, "length": 4096},
    "records": [
      {"index": 0, "start": 65536, "length": 8, "checksum": 316, "dataOffset": 27,
       "terminator": false, "checksumValid": true, "dataComplete": true},
      {"index": 1, "start": 65792, "length": 84, "checksum": 2776, "dataOffset": 47,
       "terminator": false, "checksumValid": true, "dataComplete": true},
      {"index": 2, "start": 65876, "length": 36, "checksum": 305419896, "dataOffset": 143,
       "terminator": false, "checksumValid": false, "dataComplete": true},
      {"index": 3, "start": 0, "length": 65536, "checksum": 0, "dataOffset": 191,
       "terminator": true, "checksumValid": null, "dataComplete": null, "entryAddress": 65536}
    ],
    "problems": [],
    "tocs": [{
      "pTOC": 65792, "romOffset": 0, "signatureRecord": 0, "headerRecord": 1,
      "ROMHDR": {"ulDllFirst": 0, "ulDllLast": 0, "ulPhysFirst": 65792, "ulPhysLast": 66048,
                 "ulNumModules": 1, "ulRamStart": 0, "ulRamFree": 0, "ulRamEnd": 0,
                 "ulNumCopyEntries": 0, "ulCopyEntriesOffset": 0, "ulProfSymbolOffset": 0,
                 "ulNumFiles": 0, "ulKernelFlags": 0, "usCpu": 4660, "cpuName": null,
                 "usMiscFlags": 0, "ulExtensions": 0},
      "extensions": null,
      "copySections": [],
      "profileTable": {"address": 0, "delta": 0},
      "modules": [{
        "index": 0, "name": "a\u00e9\"",
        "TOCentry": {"dwFileAttributes": 7, "ftTime": "126284295000000000",
                     "ftTimeUtc": "2001-03-07T09:05:00Z", "nFileSize": 4096,
                     "ulNameOffset": 65908, "ulE32Offset": 131072, "ulO32Offset": 0,
                     "ulLoadOffset": 196608},
        "e32_rom": null,
        "sections": null,
        "problems": [{"kind": "e32Unreadable", "text": "ERROR: Couldn't locate e32_rom data"}]
      }],
      "files": [],
      "profiles": null,
      "problems": [{"kind": "profilesUnreadable", "text": "ERROR: Couldn't locate Modules data"}]
    }]
  })");
  ASSERT_EQ(run.out.find('\n'), run.out.size() - 1);
  EXPECT_EQ(Json::parse(run.out), expected) << run.out;
}

TEST(JsonReportTest, DemoImageHasEveryFactOfTheTextReport) {
  ExpectSameFacts(DemoImage());
}

// Two tables of contents, and notices before, between and after them.
TEST(JsonReportTest, SearchNoticesAndSeveralTables) {
  const Bytes image = BinBuilder()
                          .Header(0x1000, 0x10000)
                          .Record(0x1A00, Header(0, 0xFFFFFFFF))  // outside the image for all
                          .Record(0x2000, Header(0x2000, 0x2100))
                          .Record(0x100, Signature(0x2000))
                          .Record(0x3000, Header(0x3000, 0x3100, 0x00010002, 0x0001FFFF))
                          .Record(0x108, Signature(0x3000))  // no header but NOTICEs
                          .Record(0x4000, Header(0x4000, 0x4000))
                          .Record(0x110, Signature(0x4000))
                          .Record(0x118, Signature(0x3000))
                          .Terminator(0x1000)
                          .Build();
  ExpectSameFacts(image);
  const Json doc = Json::parse(RunOnImage("romscope -json image.bin", image).out);
  ASSERT_EQ(doc["tocs"].size(), 2u);
  EXPECT_EQ(doc["problems"].size(), 6u);
}

// Every table too large for one read or lying nowhere, and an unknown processor.
TEST(JsonReportTest, TablesThatCannotBeRead) {
  TocBuilder toc(0x10000);
  toc.keepCounts = true;
  toc.header.cpu = 0x1234;
  toc.header.extensions = 0x00BAD000;
  toc.header.numModules = 2049;  // 65568 bytes of module table, and of profiling table
  toc.header.numFiles = 1;       // behind the module table, where nothing lies
  toc.header.numCopyEntries = 4097;
  ExpectSameFacts(TocImage(toc, {}, {}));

  toc.header.numModules = 0x08000000;  // a table size that needs more than 32 bits
  toc.header.numFiles = 2341;
  toc.header.numCopyEntries = 1;
  toc.header.copyEntriesOffset = 0x00BAD000;
  toc.header.extensions = 0;
  ExpectSameFacts(TocImage(toc, {}, {}));
}

// Entries that fail one at a time; names of any bytes; an extension chain
// that leads back to itself.
TEST(JsonReportTest, EntriesThatCannotBeRead) {
  TocBuilder toc(0x10000);
  toc.header.cpu = 0x01C2;
  ModuleSpec a;
  a.name = "q\"\\\x01\x7F\x80\xE9\xFF.dll";
  a.fileTime = FileTimeOf(1999, 12, 31, 23, 59, 59) + 1234567;
  a.size = 0x80000000;
  a.e32.objcnt = 3;  // one section header in a record of its own, two nowhere
  a.o32Offset = 0x50000;
  ModuleSpec b;
  b.name = "b";
  b.nameOffset = 0x00BAD000;
  b.placeE32 = false;
  b.fileTime = ~0ull;  // no calendar date
  ModuleSpec c;        // its profile entry has a hit table that lies nowhere
  c.name = "c";
  c.placeE32 = false;
  toc.modules = {a, b, c};
  toc.files.resize(3);
  toc.files[0].name = "\xC0\xFF tab\t";
  toc.files[0].attributes = 0x807;
  toc.files[0].size = 10;
  toc.files[0].storedSize = 4;
  toc.files[0].loadOffset = 0x10000;
  toc.files[1].nameOffset = 0x00BAD000;
  toc.files[1].loadOffset = 0x00BAD000;
  toc.files[1].size = 0xFFFFFFFF;
  toc.files[2].name = std::string(300, 'n');  // shown cut to 259 bytes
  toc.copies = {{0x40000, 0x9000, 1, 2}, {0x40000, 0x40000, 3, 4}};
  toc.header.profSymbolOffset = 0x9000;
  toc.profileAddress = 0x40000;
  toc.profiles.resize(3);
  toc.profiles[0].hits = {5, 6, 7};
  toc.profiles[0].symAddr = 0x60000;  // "ab" and no NUL: the record ends the names
  toc.profiles[1].numsyms = 8193;
  toc.profiles[2].hits = {1};
  toc.profiles[2].hitAddr = 0x00BAD000;
  toc.withExtensions = true;
  ExtensionSpec big{"chain information", {}, 1, 0, {}, 0x10001, 0x3000};
  ExtensionSpec nowhere{"chain information", {}, 2, 0, {}, 16, 0x00BAD000};
  ExtensionSpec named{"\xFFnamed\"", {}, 3, 0, {{1, 2, 3, 4, 5}}, std::nullopt, std::nullopt};
  toc.extensions = {big, nowhere, named};
  TocMemory memory;
  const std::vector<uint32_t> records = toc.Build(memory).extensionRecords;
  // The last record's Next leads back to the second one.
  ExpectSameFacts(TocImage(toc, {{records.back() + 40, records[2]}},
                           {{0x50000, std::string(24, '\x11')}, {0x60000, "ab"}}));
}

}  // namespace
}  // namespace romscope::testing
