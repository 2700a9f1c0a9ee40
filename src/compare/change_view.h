// What the output shows of a change: the key its items were matched by, their
// sizes (for the kinds that have one), and for a symbol its module; and the
// walk over the fields of a changed or moved pair.
#pragma once

#include <cstdint>
#include <optional>

#include "compare/change.h"
#include "compare/compare.h"
#include "compare/matching.h"
#include "compare/pair_walk.h"

namespace romscope {

struct ChangeView {
  // The key: none for the image, a header, and a module's whole symbol list.
  std::optional<ItemKey> key;
  bool keyCut = false;  // a symbol name the collection kept only the start of
  // Sizes in bytes; none for the kinds without one (the image, a table of
  // contents, a header, a symbol), and on the side without the item.
  bool sized = false;
  std::optional<uint64_t> oldSize;
  std::optional<uint64_t> newSize;
  // A symbol's module (a profile without one in the list: its index).
  ItemKey module;
  // The table of contents' address, for a toc change.
  uint32_t pTOC = 0;

  int64_t Delta() const {
    return static_cast<int64_t>(newSize.value_or(0)) - static_cast<int64_t>(oldSize.value_or(0));
  }
};

ChangeView ViewOf(const ComparedImages& images, const Change& change);

// The profile whose symbols include the toc's symbol `index` (of its flat
// list): the last one whose symbols start at or before it.
uint32_t ProfileOfSymbol(const CollectedToc& toc, uint32_t index);

// The fields of a change whose items both exist (changed or moved).
void WalkChange(const ComparedImages& images, const Change& change, PairVisitor& v);

}  // namespace romscope
