// What the map says about each shape: its tooltip (kind, name, start and end
// address, size, what is wrong with it, and for a merged shape the ranges it
// holds) and the short label drawn inside it when there is room; and the
// names of the lanes and their kinds for the legend.
#pragma once

#include <string>

#include "map/merge.h"
#include "map/ranges.h"
#include "rom/collector.h"

namespace romscope {

class ShapeText {
 public:
  // An image of fewer items than this (records, modules, sections, files,
  // copy sections) is small: its merged shapes list all their ranges.
  static constexpr uint64_t kSmallImage = 1000;

  ShapeText(const Inspection& inspection, const MapRanges& ranges);

  // A merged shape lists up to `listed` of its ranges (all, in a small
  // image), the troubled ones first, and how many more it holds.
  std::string Tooltip(const Lane& lane, const Shape& shape, size_t listed) const;
  // The name or the kind of a shape of one range; for merged ones, how many.
  std::string Label(const Lane& lane, const Shape& shape) const;

 private:
  // What one range is, with its name (image bytes made visible), on one
  // line; `alone`: the range is a shape of its own, and a cut record tells
  // on a second line how much of it the file holds.
  std::string What(const Lane& lane, RangeKind kind, uint32_t ref, bool alone) const;
  std::string RecordWhat(uint32_t index, bool alone) const;
  std::string ModuleWhat(const CollectedToc& toc, RangeKind kind, uint32_t ref) const;
  std::string OtherWhat(const CollectedToc& toc, RangeKind kind, uint32_t ref) const;
  // The messages the structure behind a range came with.
  const Problems* ProblemsOf(const Lane& lane, RangeKind kind, uint32_t ref) const;
  std::string Trouble(const Lane& lane, const Shape& shape) const;
  // A range that overlaps, runs past 2^32, came with messages, has a wrong
  // checksum or lies in part outside the records.
  bool Troubled(const Lane& lane, const RangeItem& item) const;
  // The lines that name a merged shape's ranges.
  std::string Members(const Lane& lane, const Shape& shape, size_t listed) const;

  const Inspection& inspection_;
  const MapRanges& ranges_;
  bool small_ = false;
};

// The lane's title: "records", or "TOC 0: module sections".
std::string LaneTitle(const Lane& lane);
// The legend's text for a lane kind, and a range of it merged ("sections").
const char* ClassName(RangeClass rangeClass);
const char* ClassPlural(RangeClass rangeClass);

}  // namespace romscope
