// What the map says about each shape: its tooltip (kind, name, start and end
// address, size, and what is wrong with it) and the short label drawn inside
// it when there is room. Every text of the map's own stands here or in
// map_document.cpp, once.
#pragma once

#include <string>

#include "map/merge.h"
#include "map/ranges.h"
#include "rom/collector.h"

namespace romscope {

class ShapeText {
 public:
  ShapeText(const Inspection& inspection, const MapRanges& ranges)
      : inspection_(inspection), ranges_(ranges) {}

  std::string Tooltip(const Lane& lane, const Shape& shape) const;
  // The name or the kind of a shape of one range; for merged ones, how many.
  std::string Label(const Lane& lane, const Shape& shape) const;

 private:
  // What one range is, with its name (image bytes made visible).
  std::string What(const Lane& lane, RangeKind kind, uint32_t ref) const;
  std::string RecordWhat(uint32_t index) const;
  std::string ModuleWhat(const CollectedToc& toc, RangeKind kind, uint32_t ref) const;
  std::string OtherWhat(const CollectedToc& toc, RangeKind kind, uint32_t ref) const;
  // The messages the structure behind a range came with.
  const Problems* ProblemsOf(const Lane& lane, RangeKind kind, uint32_t ref) const;
  std::string Trouble(const Lane& lane, const Shape& shape) const;

  const Inspection& inspection_;
  const MapRanges& ranges_;
};

// The lane's title: "records", or "TOC 0: module sections".
std::string LaneTitle(const Lane& lane);
// The legend's text for a lane kind, and a range of it merged ("sections").
const char* ClassName(RangeClass rangeClass);
const char* ClassPlural(RangeClass rangeClass);

}  // namespace romscope
