// The comparison on collected inspections: the record pass gives the
// checksum verdicts the scan gives, the content verdicts are those the built
// images make true, whether every extent is read whole or the pass lets the
// comparison skip bytes, and a cut collection is never the same as anything.
#include <gtest/gtest.h>

#include <string>

#include "compare/compare.h"
#include "support/demo_image.h"
#include "support/run_harness.h"
#include "support/toc_builder.h"

namespace romscope::testing {
namespace {

std::string Changes(const Comparison& comparison) {
  std::string text;
  for (const Change& c : comparison.changes) {
    text += std::to_string(static_cast<int>(c.kind)) + "/" +
            std::to_string(static_cast<int>(c.type)) + "/" +
            std::to_string(static_cast<int>(c.content)) + "/" + std::to_string(c.oldItem) + "/" +
            std::to_string(c.newItem) + " ";
  }
  return text;
}

// The content verdicts on the changes of `kind`, each as its old item and a
// letter: Same, Changed, Unknown, Neither; an added item as '+'.
std::string Verdicts(const Comparison& comparison, ChangeKind kind) {
  std::string text;
  for (const Change& c : comparison.changes) {
    if (c.kind != kind) continue;
    if (!text.empty()) text += ' ';
    if (c.type == ChangeType::kAdded) {
      text += '+';
      continue;
    }
    text += std::to_string(c.oldItem) + "-SCUN"[static_cast<int>(c.content)];
  }
  return text;
}

// Compares old.bin with new.bin both ways the comparison can read content:
// both find `verdicts` on the changes of `kind`. Holds the record verdicts to
// those of a collection with the data.
void ExpectVerdicts(FakeHost& host, ChangeKind kind, const std::string& verdicts) {
  Inspection scannedOld;
  Inspection scannedNew;
  CollectInspection(host, "old.bin", &scannedOld);
  CollectInspection(host, "new.bin", &scannedNew);
  std::string found[2];
  for (const bool usePass : {true, false}) {
    Inspection o;
    Inspection n;
    CollectInspection(host, "old.bin", &o, ComparisonPlan());
    CollectInspection(host, "new.bin", &n, ComparisonPlan());
    const std::vector<uint8_t> collectedOld = o.collected.recordFlags;
    ComparedImages images(o, n);
    Comparison comparison;
    CompareInspections(images, &comparison, usePass);
    EXPECT_EQ(images.records.OldFlags(), scannedOld.collected.recordFlags);
    EXPECT_EQ(images.records.NewFlags(), scannedNew.collected.recordFlags);
    // The comparison reads the collections and leaves them as they were.
    EXPECT_EQ(o.collected.recordFlags, collectedOld);
    found[usePass ? 0 : 1] = Changes(comparison);
    EXPECT_EQ(Verdicts(comparison, kind), verdicts) << (usePass ? "with the pass" : "whole");
  }
  EXPECT_EQ(found[0], found[1]);
}

TEST(DiffCompareTest, ContentVerdictsWithAndWithoutTheRecordPass) {
  // Records of two chunks and more, wrong checksums, a record cut by the end
  // of the file, and a read error inside a record's second chunk.
  const Bytes big(100000, 0x11);
  Bytes bigChanged = big;
  bigChanged[70000] = 0x12;
  const Bytes a = BinBuilder()
                      .Header(0x1000, 0x10000)
                      .Record(0x100000, big)
                      .RecordWithChecksum(0x2000, BytesOf("xy"), 7)
                      .Record(0x3000, "AAAA")
                      .RawRecord(0x5000, 70000, 0, Bytes(65540, 1))
                      .Build();
  const Bytes b = BinBuilder()
                      .Header(0x1000, 0x10000)
                      .Record(0x100000, bigChanged)
                      .Record(0x2000, "xy")
                      .Record(0x3000, "AAAB")
                      .RawRecord(0x5000, 70000, 0, Bytes(65530, 1))
                      .Build();
  FakeHost host;
  host.files["old.bin"] = a;
  host.files["new.bin"] = b;
  // The first and third differ in a byte, the second only in its checksum,
  // the fourth's sides stop at different bytes.
  ExpectVerdicts(host, ChangeKind::kRecord, "0C 1S 2C 3U");
  // OLD cannot be read from the first record's differing byte on: its table
  // of records ends there too, so the others are added.
  host.failFrom["old.bin"] = 15 + 12 + 70000;
  ExpectVerdicts(host, ChangeKind::kRecord, "0U + + +");

  // Files and module sections held by records of all sizes, some cut.
  TocBuilder toc(0x10000);
  for (uint32_t i = 0; i < 6; ++i) {
    FileSpec file;
    file.name = "f" + std::to_string(i);
    file.size = 40000 * i;
    file.loadOffset = 0x200000 + 0x40000 * i;
    toc.files.push_back(file);
  }
  ModuleSpec module;
  module.name = "m.dll";
  module.sections = {{0, 0, 90000, 0x200000, 0, 0}, {0, 0, 10, 0x380000, 0, 0}};
  toc.modules = {module};
  std::vector<std::pair<uint32_t, Bytes>> oldData;
  std::vector<std::pair<uint32_t, Bytes>> newData;
  for (uint32_t i = 0; i < 6; ++i) {
    Bytes data(size_t{40000} * i, static_cast<uint8_t>(i));
    oldData.push_back({0x200000 + 0x40000 * i, data});
    if (i % 2 == 1 && !data.empty()) data[data.size() - 1] ^= 1;
    newData.push_back({0x200000 + 0x40000 * i, data});
  }
  host.files["old.bin"] = SingleTocImage(toc, 0, oldData);
  Bytes cut = SingleTocImage(toc, 0, newData);
  host.files["new.bin"] = Bytes(cut.begin(), cut.end() - 100000);  // the last files cut
  host.failFrom.clear();
  // The odd files' last byte differs, and NEW lacks the last of f5; the
  // module's sections lie where no record holds them.
  ExpectVerdicts(host, ChangeKind::kFile, "1C 3C 5U");
  ExpectVerdicts(host, ChangeKind::kModule, "");
}

// The collection of NEW stopped inside its table of contents: the modules
// it did not keep are not removed, the tables it never reached are not
// unreadable, and with nothing else to tell, the comparison is trouble, not
// sameness. What it did keep is compared.
TEST(DiffCompareTest, ACutCollectionIsNeverTheSame) {
  FakeHost host;
  host.files["image.bin"] = DemoImage();
  Inspection o;
  Inspection n;
  CollectInspection(host, "image.bin", &o, ComparisonPlan());
  CollectInspection(host, "image.bin", &n, ComparisonPlan());
  CollectedToc& cut = n.collected.tocs[0];
  ASSERT_EQ(cut.modules.size(), 2u);
  n.collected.complete = false;
  cut.sections.resize(cut.modules[1].firstSection);
  cut.modules.pop_back();
  cut.tables[TableItem::kFiles].reset();
  cut.tables[TableItem::kProfiles].reset();
  cut.files.clear();
  cut.profiles.clear();
  cut.symbols.clear();
  {
    ComparedImages images(o, n);
    Comparison comparison;
    CompareInspections(images, &comparison);
    EXPECT_EQ(Changes(comparison), "");
    ASSERT_EQ(comparison.problems.size(), 1u);
    EXPECT_TRUE(comparison.problems[0].newImage);
    EXPECT_EQ(comparison.ExitStatus(), 2);
  }
  {
    // Cut on the old side: the module it lacks is not added either.
    ComparedImages images(n, o);
    Comparison comparison;
    CompareInspections(images, &comparison);
    EXPECT_EQ(Changes(comparison), "");
    EXPECT_EQ(comparison.ExitStatus(), 2);
  }
  cut.modules[0].entry.nFileSize += 1;
  ComparedImages images(o, n);
  Comparison comparison;
  CompareInspections(images, &comparison);
  ASSERT_EQ(comparison.changes.size(), 1u);
  EXPECT_EQ(comparison.changes[0].kind, ChangeKind::kModule);
  EXPECT_EQ(comparison.ExitStatus(), 1);
}

}  // namespace
}  // namespace romscope::testing
