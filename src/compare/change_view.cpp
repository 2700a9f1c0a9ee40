#include "compare/change_view.h"

#include <algorithm>

#include "compare/compare_toc.h"

namespace romscope {
namespace {

// The item of `change` on the side that has it, the old one when both do.
struct Side {
  const Inspection& inspection;
  const CollectedToc* toc;
  uint32_t item;
};

Side SideOf(const ComparedImages& images, const Change& change, bool newSide) {
  const Inspection& inspection = newSide ? images.newSide : images.oldSide;
  const uint32_t item = newSide ? change.newItem : change.oldItem;
  const CollectedToc* toc = nullptr;
  if (change.toc != Change::kNone && item != Change::kNone) {
    toc = &inspection.collected.tocs[change.toc];
  }
  return {inspection, toc, item};
}

std::optional<uint64_t> SizeOf(const Change& change, const Side& side) {
  if (side.item == Change::kNone) return std::nullopt;
  if (change.kind == ChangeKind::kRecord) {
    return side.inspection.opened.image->records[side.item].length;
  }
  const CollectedToc* toc = side.toc;
  if (toc == nullptr) return std::nullopt;
  switch (change.kind) {
    case ChangeKind::kExtension:
      return toc->extensionSteps[side.item].record.Length;
    case ChangeKind::kCopySection:
      return toc->copySections->sections[side.item].entry.CLen;
    case ChangeKind::kModule:
      return toc->modules[side.item].entry.nFileSize;
    case ChangeKind::kFile:
      return toc->files[side.item].entry.RomSize();
    case ChangeKind::kImage:
    case ChangeKind::kToc:
    case ChangeKind::kRecord:
    case ChangeKind::kHeader:
    case ChangeKind::kSymbol:
      break;
  }
  return std::nullopt;
}

std::optional<ItemKey> KeyOf(const Change& change, const Side& side, bool* cut) {
  if (change.kind == ChangeKind::kToc) return ItemKey::Number(change.toc);
  if (change.kind == ChangeKind::kRecord) {
    return ItemKey::Number(side.inspection.opened.image->records[side.item].start);
  }
  const CollectedToc* toc = side.toc;
  if (toc == nullptr) return std::nullopt;
  switch (change.kind) {
    case ChangeKind::kExtension:
      return ExtensionKey(toc->extensionSteps[side.item]);
    case ChangeKind::kCopySection:
      return ItemKey::Number(side.item);
    case ChangeKind::kModule:
      return NameKey(toc->modules[side.item].name);
    case ChangeKind::kFile:
      return NameKey(toc->files[side.item].name);
    case ChangeKind::kSymbol: {
      if (change.wholeList) return std::nullopt;
      const CollectedSymbol& symbol = toc->symbols[side.item];
      *cut = (symbol.flags & CollectedSymbol::kCut) != 0;
      ItemKey key = SymbolKey(side.inspection.collected, symbol);
      // The pool keeps a hash after the start of a long name: not shown.
      if (*cut) key.text = key.text.substr(0, CollectedImage::kKeptName);
      return key;
    }
    case ChangeKind::kImage:
    case ChangeKind::kToc:
    case ChangeKind::kRecord:
    case ChangeKind::kHeader:
      break;
  }
  return std::nullopt;
}

}  // namespace

uint32_t ProfileOfSymbol(const CollectedToc& toc, uint32_t index) {
  const auto after =
      std::upper_bound(toc.profiles.begin(), toc.profiles.end(), index,
                       [](uint32_t i, const CollectedProfile& p) { return i < p.firstSymbol; });
  return static_cast<uint32_t>(after - toc.profiles.begin()) - 1;
}

ChangeView ViewOf(const ComparedImages& images, const Change& change) {
  ChangeView view;
  const Side oldSide = SideOf(images, change, false);
  const Side newSide = SideOf(images, change, true);
  const Side& shown = change.oldItem != Change::kNone ? oldSide : newSide;
  view.key = KeyOf(change, shown, &view.keyCut);
  view.oldSize = SizeOf(change, oldSide);
  view.newSize = SizeOf(change, newSide);
  view.sized = change.kind != ChangeKind::kImage && change.kind != ChangeKind::kToc &&
               change.kind != ChangeKind::kHeader && change.kind != ChangeKind::kSymbol;
  if (change.kind == ChangeKind::kToc) {
    view.pTOC = shown.inspection.collected.tocs[change.toc].toc.location.pTOC;
  }
  if (change.kind == ChangeKind::kSymbol && shown.toc != nullptr) {
    const uint32_t profile =
        change.wholeList ? shown.item : ProfileOfSymbol(*shown.toc, shown.item);
    view.module = ProfileKey(*shown.toc, profile);
  }
  return view;
}

void WalkChange(const ComparedImages& images, const Change& change, PairVisitor& v) {
  const Inspection& o = images.oldSide;
  const Inspection& n = images.newSide;
  const uint32_t i = change.oldItem;
  const uint32_t j = change.newItem;
  if (change.kind == ChangeKind::kImage) {
    WalkImage(o, n, v);
    return;
  }
  if (change.kind == ChangeKind::kRecord) {
    WalkRecord(o.opened.image->records[i], images.records.OldFlags()[i], n.opened.image->records[j],
               images.records.NewFlags()[j], v);
    return;
  }
  const CollectedToc& ot = o.collected.tocs[change.toc];
  const CollectedToc& nt = n.collected.tocs[change.toc];
  switch (change.kind) {
    case ChangeKind::kToc:
      WalkToc(ot, nt, CutTables(images, change.toc), v);
      break;
    case ChangeKind::kHeader:
      WalkHeader(ot, nt, v);
      break;
    case ChangeKind::kExtension:
      WalkExtension(ot.extensionSteps[i], nt.extensionSteps[j], v);
      break;
    case ChangeKind::kCopySection:
      WalkCopySection(ot.copySections->sections[i], nt.copySections->sections[j], v);
      break;
    case ChangeKind::kModule:
      WalkModule(ot, ot.modules[i], nt, nt.modules[j], v);
      break;
    case ChangeKind::kFile:
      WalkFile(ot.files[i], nt.files[j], v);
      break;
    case ChangeKind::kSymbol:
      if (change.wholeList) {
        WalkSymbolList(ot.profiles[i], nt.profiles[j], v);
      } else {
        WalkSymbol(ot.symbols[i], nt.symbols[j], v);
      }
      break;
    case ChangeKind::kImage:
    case ChangeKind::kRecord:
      break;
  }
}

}  // namespace romscope
