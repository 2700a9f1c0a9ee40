// The SVG document of the map: a heading with the image and the totals, the
// legend, one lane per kind of range, the axis breaks and the address axis.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "map/axis.h"
#include "map/merge.h"
#include "map/ranges.h"
#include "report/map/describe.h"
#include "report/map/svg_writer.h"
#include "rom/collector.h"

namespace romscope {

// Where the parts of the picture go, in pixels.
struct MapLayout {
  static constexpr int64_t kWidth = 1640;
  static constexpr int64_t kPlotLeft = 250;
  static constexpr int64_t kPlotWidth = 1360;
  static constexpr int64_t kLaneHeight = 26;
  static constexpr int64_t kShapeHeight = 20;
  static constexpr int64_t kAxisRoom = 96;  // below the lanes, for the address labels
  // The shapes of all lanes together, the missing-byte marks on them, and
  // the labels inside shapes, each at most about this many.
  static constexpr size_t kShapes = 7500;
  static constexpr size_t kLaneShapes = 500;
  static constexpr size_t kMissingMarks = 1000;
  static constexpr size_t kMarksPerShape = 4;
  static constexpr int64_t kLabelMinWidth = 30;
  // Beyond a small image, a merged shape's tooltip lists at most this many of
  // its ranges, and all merged shapes together about kListedLines.
  static constexpr size_t kListedPerShape = 8;
  static constexpr size_t kListedLines = 4000;
  // Neighbouring shapes that together span no more pixels merge.
  static constexpr int64_t kNarrowest = 3;
};

class MapDocument {
 public:
  MapDocument(const Inspection& inspection, const MapRanges& ranges, SvgWriter& svg);
  void Write();

 private:
  void Style(int64_t height);
  void Heading();
  struct LegendEntry {
    int64_t x = 0;
    int64_t y = 0;
    std::string cssClass;
    std::string text;
  };
  // The legend's swatches from y = `top` on, in rows that fit the width.
  std::vector<LegendEntry> LegendLayout(int64_t top) const;
  void Legend(const std::vector<LegendEntry>& entries);
  void LaneShapes(size_t lane, int64_t top);
  void Shape1(const Lane& lane, const Shape& shape, int64_t top);
  void MissingMarks(const Shape& shape, int64_t top);
  void Breaks(int64_t top, int64_t bottom);
  void AxisLabels(int64_t bottom);

  const Inspection& inspection_;
  const MapRanges& ranges_;
  SvgWriter& svg_;
  ShapeText text_;
  std::vector<std::vector<Shape>> shapes_;  // per lane
  Axis axis_;
  size_t listed_ = 0;  // ranges a merged shape lists (see MapLayout)
  size_t marks_ = 0;
};

// The document for an image that could not be used: its path and `message`.
void WriteFailureDocument(SvgWriter& svg, const std::string& path, const std::string& message);

}  // namespace romscope
