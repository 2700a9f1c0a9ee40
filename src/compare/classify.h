// What a walk over a pair of items found: whether only addresses differ, or
// anything else, and so whether the pair is the same, moved or changed.
#pragma once

#include <optional>

#include "compare/pair_walk.h"

namespace romscope {

class Classifier : public PairVisitor {
 public:
  void Number(const FieldPath&, FieldForm, bool address, std::optional<uint64_t> oldValue,
              std::optional<uint64_t> newValue) override {
    if (oldValue == newValue) return;
    // A number that one side lacks is more than a move.
    (address && oldValue && newValue ? addresses_ : others_) = true;
  }
  void Flag(const FieldPath&, bool oldValue, bool newValue) override {
    others_ = others_ || oldValue != newValue;
  }
  void Count(const FieldPath&, std::optional<uint64_t> oldCount,
             std::optional<uint64_t> newCount) override {
    others_ = others_ || oldCount != newCount;
  }
  void Structure(const FieldPath&, const StructureSide& oldSide,
                 const StructureSide& newSide) override {
    others_ = others_ || oldSide.state != newSide.state;
  }

  // The change the walk and the content make of the pair, or none. A pair
  // whose content is unknown is no move: its bytes may have changed.
  std::optional<ChangeType> Verdict(Content content) const {
    if (others_ || content == Content::kChanged || content == Content::kUnknown) {
      return ChangeType::kChanged;
    }
    if (!addresses_) return std::nullopt;
    return content == Content::kNeither ? ChangeType::kChanged : ChangeType::kMoved;
  }

 private:
  bool addresses_ = false;
  bool others_ = false;
};

}  // namespace romscope
