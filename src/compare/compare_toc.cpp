#include "compare/compare_toc.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "compare/classify.h"
#include "compare/matching.h"
#include "compare/pair_walk.h"
#include "rom/extents.h"

namespace romscope {
namespace {

constexpr uint32_t kNone = Change::kNone;

uint32_t Count32(size_t size) {
  return static_cast<uint32_t>(std::min<size_t>(size, kNone - 1));
}

// One pair of tables of contents being compared.
class TocPair {
 public:
  TocPair(ComparedImages& images, uint32_t toc, ContentComparer& content, Comparison* result)
      : images_(images),
        o_(images.oldSide.collected.tocs[toc]),
        n_(images.newSide.collected.tocs[toc]),
        toc_(toc),
        cutOld_(CutOld(images, toc)),
        cutNew_(CutNew(images, toc)),
        content_(content),
        result_(result) {}

  void Run();

 private:
  // Whether a table's items are compared: both sides read it alike, or a cut
  // side may have left out what makes the difference.
  bool Compared(TocTable table) const {
    return ListedCount(o_, table).has_value() == ListedCount(n_, table).has_value() || cutOld_ ||
           cutNew_;
  }
  void Emit(Change change) {
    change.toc = toc_;
    result_->Add(change);
  }

  // Matches the lists by key and adds a change for every item added or
  // removed, and for every pair that `pair(i, j, &content)` finds changed or
  // moved. `oldItem(i)` and `newItem(j)` give the items' indices as changes
  // keep them.
  template <typename OldKey, typename NewKey, typename OldItem, typename NewItem, typename Pair>
  void CompareList(ChangeKind kind, uint32_t oldCount, uint32_t newCount, const OldKey& oldKey,
                   const NewKey& newKey, const OldItem& oldItem, const NewItem& newItem,
                   const Pair& pair, Matching* m, uint32_t moduleOccurrence = 1);

  void Extensions();
  void CopySections();
  void Modules();
  void Files();
  void Symbols();
  void SymbolsOf(uint32_t oldProfile, uint32_t newProfile, uint32_t moduleOccurrence);

  ComparedImages& images_;
  const CollectedToc& o_;
  const CollectedToc& n_;
  const uint32_t toc_;
  const bool cutOld_;
  const bool cutNew_;
  ContentComparer& content_;
  Comparison* result_;
  Matching symbolMatching_;  // kept from one module to the next
};

template <typename OldKey, typename NewKey, typename OldItem, typename NewItem, typename Pair>
void TocPair::CompareList(ChangeKind kind, uint32_t oldCount, uint32_t newCount,
                          const OldKey& oldKey, const NewKey& newKey, const OldItem& oldItem,
                          const NewItem& newItem, const Pair& pair, Matching* m,
                          uint32_t moduleOccurrence) {
  MatchByKey(oldCount, newCount, oldKey, newKey, m);
  const size_t first = result_->changes.size();
  // The list positions, while the changes are being made: the occurrences
  // take their place at the end.
  std::vector<uint32_t> positions;
  Change change;
  change.kind = kind;
  change.moduleOccurrence = moduleOccurrence;
  for (uint32_t i = 0; i < oldCount; ++i) {
    const uint32_t j = m->NewOf(i);
    change.oldItem = oldItem(i);
    change.newItem = j == kNone ? kNone : newItem(j);
    change.content = Content::kNone;
    change.occurrence = i;
    if (j == kNone) {
      change.type = ChangeType::kRemoved;
      if (!cutNew_) Emit(change);
    } else if (const std::optional<ChangeType> type = pair(i, j, &change.content)) {
      change.type = *type;
      Emit(change);
    }
  }
  if (!cutOld_) {
    change.oldItem = kNone;
    change.content = Content::kNone;
    change.type = ChangeType::kAdded;
    for (uint32_t j = 0; j < newCount; ++j) {
      if (m->OldOf(j) != kNone) continue;
      change.newItem = newItem(j);
      change.occurrence = j;
      Emit(change);
    }
  }
  auto position = [](const Change& c) { return c.occurrence; };
  NumberOccurrences(result_->changes, first, oldCount, newCount, oldKey, newKey, position,
                    position);
}

void TocPair::Run() {
  Classifier toc;
  WalkToc(o_, n_, CutTables(images_, toc_), toc);
  Change change;
  change.oldItem = change.newItem = toc_;
  if (const auto type = toc.Verdict(Content::kNone)) {
    change.kind = ChangeKind::kToc;
    change.type = *type;
    Emit(change);
  }
  if (o_.toc.header && n_.toc.header) {
    Classifier header;
    WalkHeader(o_, n_, header);
    if (const auto type = header.Verdict(Content::kNone)) {
      change.kind = ChangeKind::kHeader;
      change.type = *type;
      Emit(change);
    }
  }
  if (Compared(kExtensionTable)) Extensions();
  if (Compared(kCopyTable)) CopySections();
  if (Compared(kModuleTable)) Modules();
  if (Compared(kFileTable)) Files();
  if (Compared(kProfileTable)) Symbols();
}

void TocPair::Extensions() {
  // The records read; a step that could not be read or leads back is none.
  auto reads = [](const CollectedToc& toc) {
    std::vector<uint32_t> steps;
    for (size_t s = 0; s < toc.extensionSteps.size(); ++s) {
      if (toc.extensionSteps[s].outcome == ExtensionStepItem::kRead) {
        steps.push_back(static_cast<uint32_t>(s));
      }
    }
    return steps;
  };
  const std::vector<uint32_t> a = reads(o_);
  const std::vector<uint32_t> b = reads(n_);
  Matching m;
  CompareList(
      ChangeKind::kExtension, Count32(a.size()), Count32(b.size()),
      [&](uint32_t i) { return ExtensionKey(o_.extensionSteps[a[i]]); },
      [&](uint32_t j) { return ExtensionKey(n_.extensionSteps[b[j]]); },
      [&](uint32_t i) { return a[i]; }, [&](uint32_t j) { return b[j]; },
      [&](uint32_t i, uint32_t j, Content*) {
        Classifier classifier;
        WalkExtension(o_.extensionSteps[a[i]], n_.extensionSteps[b[j]], classifier);
        return classifier.Verdict(Content::kNone);
      },
      &m);
}

void TocPair::CopySections() {
  static const std::vector<CopySection> kNoSections;
  const std::vector<CopySection>& a = o_.copySections ? o_.copySections->sections : kNoSections;
  const std::vector<CopySection>& b = n_.copySections ? n_.copySections->sections : kNoSections;
  Matching m;
  auto index = [](uint32_t i) { return i; };
  auto key = [](uint32_t i) { return ItemKey::Number(i); };
  CompareList(
      ChangeKind::kCopySection, Count32(a.size()), Count32(b.size()), key, key, index, index,
      [&](uint32_t i, uint32_t j, Content*) {
        Classifier classifier;
        WalkCopySection(a[i], b[j], classifier);
        return classifier.Verdict(Content::kNone);
      },
      &m);
}

void TocPair::Modules() {
  Matching m;
  auto index = [](uint32_t i) { return i; };
  CompareList(
      ChangeKind::kModule, Count32(o_.modules.size()), Count32(n_.modules.size()),
      [&](uint32_t i) { return NameKey(o_.modules[i].name); },
      [&](uint32_t j) { return NameKey(n_.modules[j].name); }, index, index,
      [&](uint32_t i, uint32_t j, Content* content) {
        Classifier classifier;
        WalkModule(o_, o_.modules[i], n_, n_.modules[j], classifier);
        *content = ModuleContent(content_, o_, o_.modules[i], n_, n_.modules[j]);
        return classifier.Verdict(*content);
      },
      &m);
}

void TocPair::Files() {
  Matching m;
  auto index = [](uint32_t i) { return i; };
  CompareList(
      ChangeKind::kFile, Count32(o_.files.size()), Count32(n_.files.size()),
      [&](uint32_t i) { return NameKey(o_.files[i].name); },
      [&](uint32_t j) { return NameKey(n_.files[j].name); }, index, index,
      [&](uint32_t i, uint32_t j, Content* content) {
        Classifier classifier;
        WalkFile(o_.files[i], n_.files[j], classifier);
        *content = FileContent(content_, o_, o_.files[i], n_, n_.files[j]);
        return classifier.Verdict(*content);
      },
      &m);
}

// The profiles, then the symbols of each pair of profiles (compare.h).
void TocPair::Symbols() {
  const uint32_t count = Count32(o_.profiles.size());
  auto oldKey = [&](uint32_t i) { return ProfileKey(o_, i); };
  Matching profiles;
  MatchByKey(
      count, Count32(n_.profiles.size()), oldKey, [&](uint32_t j) { return ProfileKey(n_, j); },
      &profiles);
  std::vector<uint32_t> all(count);
  for (uint32_t i = 0; i < count; ++i) all[i] = i;
  const std::vector<uint32_t> occurrence = Occurrences(count, oldKey, all);
  for (uint32_t i = 0; i < count; ++i) {
    const uint32_t j = profiles.NewOf(i);
    if (j != kNone) SymbolsOf(i, j, occurrence[i]);
  }
}

void TocPair::SymbolsOf(uint32_t oldProfile, uint32_t newProfile, uint32_t moduleOccurrence) {
  const CollectedProfile& a = o_.profiles[oldProfile];
  const CollectedProfile& b = n_.profiles[newProfile];
  if (a.item.hitTableRead != b.item.hitTableRead) {
    Change change;
    change.kind = ChangeKind::kSymbol;
    change.type = ChangeType::kChanged;
    change.wholeList = true;
    change.oldItem = oldProfile;
    change.newItem = newProfile;
    change.moduleOccurrence = moduleOccurrence;
    Emit(change);
    return;
  }
  const CollectedImage& oldImage = images_.oldSide.collected;
  const CollectedImage& newImage = images_.newSide.collected;
  CompareList(
      ChangeKind::kSymbol, a.symbolCount, b.symbolCount,
      [&](uint32_t i) { return SymbolKey(oldImage, o_.symbols[a.firstSymbol + i]); },
      [&](uint32_t j) { return SymbolKey(newImage, n_.symbols[b.firstSymbol + j]); },
      [&](uint32_t i) { return a.firstSymbol + i; }, [&](uint32_t j) { return b.firstSymbol + j; },
      [&](uint32_t i, uint32_t j, Content*) {
        Classifier classifier;
        WalkSymbol(o_.symbols[a.firstSymbol + i], n_.symbols[b.firstSymbol + j], classifier);
        return classifier.Verdict(Content::kNone);
      },
      &symbolMatching_, moduleOccurrence);
}

}  // namespace

void CompareToc(ComparedImages& images, uint32_t toc, ContentComparer& content,
                Comparison* result) {
  TocPair(images, toc, content, result).Run();
}

Content ModuleContent(ContentComparer& content, const CollectedToc& ot, const CollectedModule& o,
                      const CollectedToc& nt, const CollectedModule& n) {
  if (!o.e32 || !n.e32) return !o.e32 && !n.e32 ? Content::kNeither : Content::kUnknown;
  if (o.sectionCount != n.sectionCount) return Content::kChanged;
  Content verdict = Content::kSame;
  for (uint32_t j = 0; j < o.sectionCount && verdict != Content::kChanged; ++j) {
    const SectionItem& a = ot.sections[o.firstSection + j];
    const SectionItem& b = nt.sections[n.firstSection + j];
    const std::optional<Extent> oldBytes = SectionBytes(ot, a);
    const std::optional<Extent> newBytes = SectionBytes(nt, b);
    Content part = Content::kNeither;
    if (oldBytes && newBytes) {
      part = content.Compare(*oldBytes, *newBytes);
    } else if (oldBytes || newBytes) {
      part = Content::kUnknown;
    }
    verdict = CombineContent(verdict, part);
  }
  return verdict;
}

Content FileContent(ContentComparer& content, const CollectedToc& ot, const FileItem& o,
                    const CollectedToc& nt, const FileItem& n) {
  return content.Compare(FileData(ot, o), FileData(nt, n));
}

ItemKey NameKey(const ItemName& name) {
  return name.readable ? ItemKey::Name(name.text) : ItemKey{};
}

ItemKey ExtensionKey(const ExtensionStepItem& step) {
  const ExtensionRecord& r = step.record;
  return ItemKey::Name(std::string_view(reinterpret_cast<const char*>(r.Name), r.NameLength()));
}

ItemKey SymbolKey(const CollectedImage& image, const CollectedSymbol& symbol) {
  ItemKey key;
  key.type = symbol.EndedAtNul() ? ItemKey::kName : ItemKey::kUnreadable;
  key.text = image.SymbolName(symbol);
  return key;
}

ItemKey ProfileKey(const CollectedToc& toc, uint32_t profile) {
  if (profile < toc.modules.size()) return NameKey(toc.modules[profile].name);
  return ItemKey::Number(profile);
}

}  // namespace romscope
