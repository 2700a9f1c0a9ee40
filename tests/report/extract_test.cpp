// -extract=DIR, whole runs into the test host's folder tree: hostile names,
// every name and byte written, the listing written by hand from its format,
// the JSON document of the same facts, refused folders and failed writes.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>
#include <utility>
#include <vector>

#include "support/run_harness.h"
#include "support/toc_builder.h"

namespace romscope::testing {
namespace {

constexpr uint32_t kRomOffset = 0x10000000;
constexpr uint32_t kFileData = 0x90000000;  // table address; file i's 4 bytes at + 16 i

std::string Repeat(const std::string& text, int count) {
  std::string all;
  for (int i = 0; i < count; ++i) all += text;
  return all;
}

// Image names, each with the name written and the listing's end of line.
struct NameCase {
  std::string image;
  std::string written;
  std::string renamed;
};
const std::vector<NameCase>& NameCases() {
  static const std::vector<NameCase> kCases = {
      {"../../etc/passwd", ".._.._etc_passwd", "characters not allowed in a name replaced"},
      {"C:evil", "C_evil", "a drive prefix neutralised"},
      {"CON.txt", "_CON.txt", "a reserved device name"},
      {"a/b\\c", "a_b_c", "characters not allowed in a name replaced"},
      {"end. ", "end__", "trailing dots or blanks replaced"},
      {"", "_", "an empty name"},
      {".", "_ (2)", "a name of dots only, the name was taken already"},
      {"..", "__", "a name of dots only"},
      {"Readme", "Readme", ""},
      {"README", "README (2)", "the name was taken already"},
      {"\x01x", "_x", "characters not allowed in a name replaced"},
      {"caf\xE9", "caf\xC3\xA9", ""},
      {"CAF\xC9", "CAF\xC3\x89 (2)", "the name was taken already"},
      {"COM\xB9", "_COM\xC2\xB9", "a reserved device name"},
      {std::string(150, '\xE9'), Repeat("\xC3\xA9", 100), "cut to 200 bytes"},
      {"nul.tar.gz", "_nul.tar.gz", "a reserved device name"},
      {"x\"q", "x_q", "characters not allowed in a name replaced"},
      {"notes.txt", "notes.txt", ""},
      {"NOTES.TXT", "NOTES (2).TXT", "the name was taken already"},
  };
  return kCases;
}

// The listing's quoted form of an image name, by its rules.
std::string Quoted(const std::string& name) {
  if (name == "a/b\\c") return "\"a/b\\\\c\"";
  if (name == "\x01x") return "\"\\x01x\"";
  if (name == "x\"q") return "\"x\\\"q\"";
  if (name == "caf\xE9") return "\"caf\xC3\xA9\"";
  if (name == "CAF\xC9") return "\"CAF\xC3\x89\"";
  if (name == "COM\xB9") return "\"COM\xC2\xB9\"";
  if (name == std::string(150, '\xE9')) return "\"" + Repeat("\xC3\xA9", 150) + "\"";
  return "\"" + name + "\"";
}

Bytes HostileImage() {
  TocBuilder toc(0x80000000);
  toc.header.cpu = 0x01C0;
  const std::vector<NameCase>& cases = NameCases();
  for (size_t i = 0; i < cases.size(); ++i) {
    FileSpec file;
    file.name = cases[i].image;
    file.size = 4;
    file.loadOffset = kFileData + 16 * static_cast<uint32_t>(i);
    toc.files.push_back(file);
  }
  FileSpec compressed;
  compressed.name = "pic.bmp";
  compressed.attributes = 0x800;
  compressed.size = 99;
  compressed.storedSize = 4;
  compressed.loadOffset = kFileData + 16 * static_cast<uint32_t>(cases.size());
  toc.files.push_back(compressed);
  FileSpec lost;
  lost.name = "lost.bin";
  lost.size = 4;
  lost.loadOffset = 0x90100000;
  toc.files.push_back(lost);

  ModuleSpec kern;
  kern.name = "kern.exe";
  kern.sections = {{0x1000, 0x1000, 8, 0x90001000, 0, 0}, {0x1000, 0x2000, 0x10, 0x90002000, 0, 0}};
  ModuleSpec up;
  up.name = "../x";
  up.sections = {{0x10, 0x1000, 4, 0x90001100, 0, 0}};
  ModuleSpec ghost;
  ghost.name = "ghost";
  ghost.placeE32 = false;
  ModuleSpec again;
  again.name = "KERN.EXE";
  again.sections = {{0x10, 0x1000, 2, 0x90001000, 0, 0}};
  toc.modules = {kern, up, ghost, again};

  Bytes data;
  for (size_t k = 0; k < 16 * (cases.size() + 1); ++k) data.push_back(static_cast<uint8_t>(k));
  return SingleTocImage(
      toc, kRomOffset,
      {{kFileData, data}, {0x90001000, BytesOf("KERNCODE")}, {0x90001100, BytesOf("XXXX")}});
}

std::string ExpectedListing() {
  std::string listing =
      "written 0/modules/kern.exe/0.bin \"kern.exe\" section 0, 8 bytes\n"
      "skipped 0/modules/kern.exe/1.bin \"kern.exe\" section 1, 16 bytes; not written: its 0x10 "
      "bytes from 0xA0002000 are not all held by records\n"
      "written 0/modules/.._x/0.bin \"../x\" section 0, 4 bytes; renamed: characters not allowed "
      "in a name replaced\n"
      "skipped 0/modules/ghost \"ghost\" module; not written: its e32_rom cannot be read\n"
      "written 0/modules/KERN (2).EXE/0.bin \"KERN.EXE\" section 0, 2 bytes; renamed: the name "
      "was taken already\n";
  for (const NameCase& c : NameCases()) {
    listing += "written 0/files/" + c.written + " " + Quoted(c.image) + " file, 4 bytes";
    if (!c.renamed.empty()) listing += "; renamed: " + c.renamed;
    listing += "\n";
  }
  listing +=
      "written 0/files/pic.bmp.stored \"pic.bmp\" file, 4 stored bytes of a compressed file\n"
      "skipped 0/files/lost.bin \"lost.bin\" file, 4 bytes; not written: its 0x4 bytes from "
      "0xA0100000 are not all held by records\n";
  return listing;
}

class ExtractTest : public ::testing::Test {
 protected:
  void SetUp() override { host.files["image.bin"] = HostileImage(); }
  FakeHost host;
};

TEST_F(ExtractTest, HostileNamesStayInsideTheFolder) {
  const RunResult run = RunWithHost("romscope -extract=out image.bin", host);
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(run.status, 1);  // two sections and a file were skipped
  ExpectSameText(run.out, ExpectedListing());

  std::map<std::string, std::optional<Bytes>> expected = {
      {"out", std::nullopt},
      {"out/0", std::nullopt},
      {"out/0/modules", std::nullopt},
      {"out/0/modules/kern.exe", std::nullopt},
      {"out/0/modules/kern.exe/0.bin", BytesOf("KERNCODE")},
      {"out/0/modules/.._x", std::nullopt},
      {"out/0/modules/.._x/0.bin", BytesOf("XXXX")},
      {"out/0/modules/KERN (2).EXE", std::nullopt},
      {"out/0/modules/KERN (2).EXE/0.bin", BytesOf("KE")},
      {"out/0/files", std::nullopt},
  };
  const std::vector<NameCase>& cases = NameCases();
  for (size_t i = 0; i <= cases.size(); ++i) {
    const uint8_t first = static_cast<uint8_t>(16 * i);
    const std::string name = i < cases.size() ? cases[i].written : "pic.bmp.stored";
    expected["out/0/files/" + name] =
        Bytes{first, static_cast<uint8_t>(first + 1), static_cast<uint8_t>(first + 2),
              static_cast<uint8_t>(first + 3)};
  }
  EXPECT_EQ(host.tree.entries, expected);
}

TEST_F(ExtractTest, TheJsonListingHoldsTheSameFacts) {
  const RunResult run = RunWithHost("romscope -json -extract=out image.bin", host);
  EXPECT_EQ(run.status, 1);
  const nlohmann::json doc = nlohmann::json::parse(run.out);
  EXPECT_EQ(doc["format"], "romscope-extract");
  EXPECT_EQ(doc["folder"], "out");
  EXPECT_EQ(doc["written"], 23);
  EXPECT_EQ(doc["skipped"], 3);
  EXPECT_EQ(doc["failed"], 0);
  EXPECT_TRUE(doc["error"].is_null());
  const nlohmann::json& entries = doc["entries"];
  ASSERT_EQ(entries.size(), 26u);
  EXPECT_EQ(entries[3]["kind"], "module");
  const nlohmann::json& caf = entries[5 + 12];
  EXPECT_EQ(caf["name"], "CAF\xC3\x89");
  EXPECT_EQ(caf["path"], "0/files/CAF\xC3\x89 (2)");
  EXPECT_EQ(caf["changes"], nlohmann::json::array({"numbered"}));
  EXPECT_EQ(caf["address"], 0xA0000000u + 16 * 12);
  EXPECT_EQ(entries[5 + 6]["changes"], nlohmann::json::array({"dots", "numbered"}));
  EXPECT_EQ(entries[25]["status"], "skipped");
  EXPECT_EQ(entries[24]["compressed"], true);
}

TEST_F(ExtractTest, AFolderThatIsNotEmptyOrNotAFolderIsRefused) {
  host.tree.entries["out"] = std::nullopt;
  host.tree.entries["out/old"] = Bytes{1};
  host.tree.entries["file"] = Bytes{2};
  const auto before = host.tree.entries;
  RunResult run = RunWithHost("romscope -extract=out image.bin", host);
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err, "romscope: -extract: cannot use the folder 'out': the folder is not empty\n");
  run = RunWithHost("romscope -extract=file -json image.bin", host);
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(nlohmann::json::parse(run.out)["error"],
            "-extract: cannot use the folder 'file': not a folder");
  EXPECT_EQ(host.tree.entries, before);
}

TEST_F(ExtractTest, AFailedWriteIsListedAndTheRestIsWritten) {
  host.tree.refused.insert("out/0/files/Readme");
  const RunResult run = RunWithHost("romscope -extract=out image.bin", host);
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.out.find("failed 0/files/Readme \"Readme\" file, 4 bytes; not written: No space "
                         "left on device\n"),
            std::string::npos);
  EXPECT_EQ(host.tree.entries.count("out/0/files/Readme"), 0u);
  EXPECT_EQ(host.tree.entries.count("out/0/files/README (2)"), 1u);
}

TEST(ExtractLaterRecordsTest, AllHeldEntriesWrittenWithTheLaterBytesExitZero) {
  TocBuilder toc(0x80000000);
  FileSpec file;
  file.name = "f";
  file.size = 4;
  file.loadOffset = 0x90000000;
  toc.files = {file};
  const Bytes image =
      SingleTocImage(toc, 0, {{0x90000000, BytesOf("old!")}, {0x90000002, BytesOf("ew")}});
  FakeHost host;
  host.files["image.bin"] = image;
  const RunResult run = RunWithHost("romscope -extract=d image.bin", host);
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, "written 0/files/f \"f\" file, 4 bytes\n");
  EXPECT_EQ(run.err.rfind("romscope: overlap at 0x90000002-0x90000003: record ", 0), 0u) << run.err;
  EXPECT_NE(run.err.find(" with different bytes\n"), std::string::npos) << run.err;
  EXPECT_EQ(host.tree.entries["d/0/files/f"], BytesOf("olew"));
}

// A section table that is not there is told once for the run, however many
// sections the module claims; a lone one keeps its own line.
TEST(ExtractUnreadableSectionsTest, ARunOfUnreadableHeadersIsOneEntry) {
  TocBuilder toc(0x80000000);
  ModuleSpec blind;
  blind.name = "blind";
  blind.e32.objcnt = 40000;
  blind.o32Offset = 0x70000000;  // no record holds it
  ModuleSpec one;
  one.name = "one";
  one.e32.objcnt = 1;
  one.o32Offset = 0x70000000;
  toc.modules = {blind, one};
  FakeHost host;
  host.files["image.bin"] = SingleTocImage(toc);

  RunResult run = RunWithHost("romscope -extract=out image.bin", host);
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "");
  ExpectSameText(run.out,
                 "skipped 0/modules/blind \"blind\" sections 0-39999 (40000 sections); not "
                 "written: their o32_rom headers cannot be read\n"
                 "skipped 0/modules/one/0.bin \"one\" section 0, 0 bytes; not written: its "
                 "o32_rom cannot be read\n");

  run = RunWithHost("romscope -json -extract=json image.bin", host);
  const nlohmann::json doc = nlohmann::json::parse(run.out);
  EXPECT_EQ(doc["skipped"], 2);
  ASSERT_EQ(doc["entries"].size(), 2u);
  const nlohmann::json& entry = doc["entries"][0];
  EXPECT_EQ(entry["kind"], "sections");
  EXPECT_EQ(entry["section"], 0);
  EXPECT_EQ(entry["count"], 40000);
  EXPECT_EQ(entry["path"], "0/modules/blind");
  EXPECT_EQ(entry["reason"], "not written: their o32_rom headers cannot be read");
  EXPECT_EQ(doc["entries"][1]["kind"], "section");
  EXPECT_FALSE(doc["entries"][1].contains("count"));
  EXPECT_EQ(host.tree.entries.count("out/0"), 0u);  // nothing to write, no folder made
}

}  // namespace
}  // namespace romscope::testing
