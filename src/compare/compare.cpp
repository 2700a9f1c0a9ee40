// The comparison's frame: the image, the records, and the tables of contents
// as wholes; compare_toc.cpp compares what is inside a pair of them.
#include "compare/compare.h"

#include <algorithm>

#include "compare/classify.h"
#include "compare/compare_toc.h"
#include "compare/pair_walk.h"

namespace romscope {
namespace {

uint64_t RomBytes(const Inspection& inspection) {
  const RecordTable& records = inspection.opened.image->records;
  uint64_t bytes = 0;
  for (size_t i = 0; i < records.Count(); ++i) {
    if (!records.IsTerminator(i)) bytes += records[i].length;
  }
  return bytes;
}

void CompareImage(ComparedImages& images, Comparison* result) {
  Classifier classifier;
  WalkImage(images.oldSide, images.newSide, classifier);
  if (const auto type = classifier.Verdict(Content::kNone)) {
    Change change;
    change.kind = ChangeKind::kImage;
    change.type = *type;
    result->Add(change);
  }
}

void CompareRecords(ComparedImages& images, Comparison* result) {
  const RecordTable& oldRecords = images.oldSide.opened.image->records;
  const RecordTable& newRecords = images.newSide.opened.image->records;
  const RecordPass& pass = images.records;
  const std::vector<uint8_t>& oldFlags = pass.OldFlags();
  const std::vector<uint8_t>& newFlags = pass.NewFlags();
  const Matching& pairs = pass.Pairs();
  const size_t first = result->changes.size();
  Change change;
  change.kind = ChangeKind::kRecord;
  for (uint32_t i = 0; i < pass.OldCount(); ++i) {
    change.oldItem = i;
    change.newItem = pairs.NewOf(i);
    if (change.newItem == Change::kNone) {
      change.type = ChangeType::kRemoved;
      change.content = Content::kNone;
      result->Add(change);
      continue;
    }
    Classifier classifier;
    WalkRecord(oldRecords[i], oldFlags[i], newRecords[change.newItem], newFlags[change.newItem],
               classifier);
    change.content = pass.PairContent(i);
    if (const auto type = classifier.Verdict(change.content)) {
      change.type = *type;
      result->Add(change);
    }
  }
  change.oldItem = Change::kNone;
  change.content = Content::kNone;
  change.type = ChangeType::kAdded;
  for (uint32_t j = 0; j < pass.NewCount(); ++j) {
    if (pairs.OldOf(j) != Change::kNone) continue;
    change.newItem = j;
    result->Add(change);
  }
  NumberOccurrences(
      result->changes, first, pass.OldCount(), pass.NewCount(),
      [&](uint32_t i) { return ItemKey::Number(oldRecords[i].start); },
      [&](uint32_t j) { return ItemKey::Number(newRecords[j].start); },
      [](const Change& c) { return c.oldItem; }, [](const Change& c) { return c.newItem; });
}

void CompareTocs(ComparedImages& images, ContentComparer& content, Comparison* result) {
  const std::vector<CollectedToc>& oldTocs = images.oldSide.collected.tocs;
  const std::vector<CollectedToc>& newTocs = images.newSide.collected.tocs;
  const size_t common = std::min(oldTocs.size(), newTocs.size());
  for (size_t k = 0; k < common; ++k) CompareToc(images, static_cast<uint32_t>(k), content, result);
  // Tables of contents that a cut collection lacks may be there all the same.
  Change change;
  change.kind = ChangeKind::kToc;
  if (images.newSide.collected.complete) {
    change.type = ChangeType::kRemoved;
    for (size_t k = common; k < oldTocs.size(); ++k) {
      change.toc = change.oldItem = static_cast<uint32_t>(k);
      result->Add(change);
    }
  }
  change.oldItem = Change::kNone;
  if (images.oldSide.collected.complete) {
    change.type = ChangeType::kAdded;
    for (size_t k = common; k < newTocs.size(); ++k) {
      change.toc = change.newItem = static_cast<uint32_t>(k);
      result->Add(change);
    }
  }
}

bool CutAt(const Inspection& inspection, uint32_t toc) {
  return !inspection.collected.complete && toc + 1 == inspection.collected.tocs.size();
}

}  // namespace

InspectPlan ComparisonPlan() {
  InspectPlan plan = InspectPlan::Everything();
  plan.readData = false;  // the record pass reads it, for both images at once
  return plan;
}

bool CutOld(const ComparedImages& images, uint32_t toc) {
  return CutAt(images.oldSide, toc);
}

bool CutNew(const ComparedImages& images, uint32_t toc) {
  return CutAt(images.newSide, toc);
}

unsigned CutTables(const ComparedImages& images, uint32_t toc) {
  const CollectedToc& o = images.oldSide.collected.tocs[toc];
  const CollectedToc& n = images.newSide.collected.tocs[toc];
  unsigned skip = 0;
  for (unsigned t = 0; t < kTocTables; ++t) {
    const TocTable table = static_cast<TocTable>(t);
    if ((CutOld(images, toc) && !ListedCount(o, table)) ||
        (CutNew(images, toc) && !ListedCount(n, table))) {
      skip |= 1u << t;
    }
  }
  return skip;
}

void CompareInspections(ComparedImages& images, Comparison* result, bool usePass) {
  images.records.Run(images.oldSide, images.newSide);
  result->oldBytes = RomBytes(images.oldSide);
  result->newBytes = RomBytes(images.newSide);
  CompareImage(images, result);
  CompareRecords(images, result);
  ContentComparer content(images.oldSide, images.newSide, images.records, usePass);
  CompareTocs(images, content, result);
  for (const bool newImage : {false, true}) {
    const Inspection& side = newImage ? images.newSide : images.oldSide;
    if (!side.collected.complete) {
      result->problems.push_back({ComparisonProblem::kIncomplete, newImage});
    }
  }
}

}  // namespace romscope
