#include "report/map/map_document.h"

#include <algorithm>

#include "base/text.h"
#include "report/map/map_text.h"

namespace romscope {
namespace {

using L = MapLayout;

// One fill per lane kind, in the order of RangeClass.
constexpr const char* kFills[kRangeClasses] = {"#9fb0c4", "#4e79a7", "#76b7b2", "#b07aa1",
                                               "#59a14f", "#9c755f", "#edc948", "#ff9da7",
                                               "#c9a227", "#bab0ac"};

// Styles only: no script, no external reference, fonts every system has.
constexpr char kStyle[] =
    "<style>"
    "text{font-family:Verdana,'DejaVu Sans',Arial,Helvetica,sans-serif;font-size:11px;fill:#222}"
    ".h{font-size:16px;font-weight:bold}.n{fill:#555}"
    ".a{font-family:Consolas,'DejaVu Sans Mono',Menlo,monospace;font-size:10px}"
    ".l{pointer-events:none;paint-order:stroke;stroke:#ffffff;stroke-width:3px;stroke-linejoin:"
    "round}.bl{font-size:10px;fill:#a33;text-anchor:middle}"
    ".s0{fill:#ffffff}.s1{fill:#f2f4f7}.ax{stroke:#444;stroke-width:1}"
    ".brk{fill:#ffffff;stroke:#a33;stroke-width:1;stroke-dasharray:2 2}"
    ".w{stroke:#ffffff;stroke-width:0.5}.k{stroke:#333;stroke-width:0.5;fill:#ffffff}";
// After the fills, so that the marks of trouble win over them.
constexpr char kTroubleStyle[] =
    ".miss{fill:url(#miss)}.mk{fill:url(#miss);pointer-events:none}"
    ".part{stroke:#e8710a;stroke-width:2}"
    ".ovl{stroke:#d62728;stroke-width:2;stroke-dasharray:4 2}"
    ".bad{fill:#d62728}";

std::string Fill(size_t c) {
  return ".c" + MapDecimal(c) + "{fill:" + kFills[c] + "}";
}

// At most `room` pixels of label, at an estimated 7 pixels a character; a
// shortened label ends in an ellipsis. Counted in characters, not bytes.
std::string Fit(const std::string& label, int64_t room) {
  const int64_t fits = room / 7;
  int64_t characters = 0;
  for (const char c : label) characters += (static_cast<uint8_t>(c) & 0xC0) != 0x80 ? 1 : 0;
  if (characters <= fits) return label;
  if (fits < 2) return {};
  std::string shown;
  int64_t kept = 0;
  for (const char c : label) {
    const bool lead = (static_cast<uint8_t>(c) & 0xC0) != 0x80;
    if (lead && ++kept > fits - 1) break;
    shown.push_back(c);
  }
  return shown + "\xE2\x80\xA6";
}

std::vector<std::vector<Shape>> MergeAll(const MapRanges& ranges) {
  std::vector<std::vector<Shape>> shapes;
  const size_t lanes = std::max<size_t>(ranges.lanes.size(), 1);
  const size_t budget = std::min(L::kLaneShapes, L::kShapes / lanes);
  for (const Lane& lane : ranges.lanes) shapes.push_back(MergeLane(lane, ranges.held, budget));
  return shapes;
}

int64_t LanesTop(int64_t legendBottom) {
  return legendBottom + 24;
}

}  // namespace

MapDocument::MapDocument(const Inspection& inspection, const MapRanges& ranges, SvgWriter& svg)
    : inspection_(inspection),
      ranges_(ranges),
      svg_(svg),
      text_(inspection, ranges),
      shapes_(MergeAll(ranges)),
      axis_(shapes_, L::kPlotLeft, L::kPlotWidth) {
  size_t merged = 0;
  for (std::vector<Shape>& lane : shapes_) {
    lane = MergeNarrow(lane, axis_, L::kNarrowest);
    for (const Shape& shape : lane) merged += shape.count > 1 ? 1 : 0;
  }
  listed_ =
      std::clamp<size_t>(L::kListedLines / std::max<size_t>(merged, 1), 1, L::kListedPerShape);
}

void MapDocument::Style(int64_t height) {
  svg_.Raw(
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<svg xmlns=\"http://www.w3.org/2000/svg\" "
      "width=\"");
  svg_.Number(L::kWidth);
  svg_.Raw("\" height=\"");
  svg_.Number(height);
  svg_.Raw("\" viewBox=\"0 0 ");
  svg_.Number(L::kWidth);
  svg_.Raw(" ");
  svg_.Number(height);
  svg_.Raw("\">\n");
  svg_.Raw(kStyle);
  for (size_t c = 0; c < kRangeClasses; ++c) svg_.Raw(Fill(c));
  svg_.Raw(kTroubleStyle);
  svg_.Raw(
      "</style>\n<defs><pattern id=\"miss\" width=\"6\" height=\"6\" "
      "patternUnits=\"userSpaceOnUse\""
      " patternTransform=\"rotate(45)\"><rect width=\"6\" height=\"6\" fill=\"#fff1d6\"/>"
      "<rect width=\"3\" height=\"6\" fill=\"#e8710a\"/></pattern></defs>\n");
  svg_.OpenRect(0, 0, L::kWidth, height, "s0");
  svg_.Raw("/>\n");
}

void MapDocument::Heading() {
  const ImageItem& image = inspection_.opened.item;
  svg_.Label(8, 22, "h", "romscope map of " + CommandLineText(image.path));
  std::string facts = "BIN image start " + MapAddress(image.header.imageStart) + ", length " +
                      MapAddress(image.header.imageLength) + "; " +
                      MapDecimal(ranges_.recordCount) + " records and the terminator; " +
                      MapDecimal(ranges_.tocCount) +
                      (ranges_.tocCount == 1 ? " table of contents" : " tables of contents");
  svg_.Label(8, 40, "", facts);
  const uint64_t held = ranges_.held.Bytes();
  const uint64_t accounted = ranges_.held.HeldOf(ranges_.described);
  const uint64_t described = ranges_.described.Bytes();
  svg_.Label(8, 58, "",
             "Records hold " + MapBytes(held) + "; the tables account for " + MapBytes(accounted) +
                 " of them; " + MapBytes(held - accounted) + " in records nothing accounts for; " +
                 MapBytes(described - accounted) + " that the tables describe lie in no record.");
  std::string note =
      "The axis is not to scale: each stretch between two boundaries widens with the square of the "
      "logarithm of its length, and long gaps become breaks. Hover over a shape for its addresses "
      "and size.";
  if (ranges_.tocCount > MapRanges::kTocsDrawn) {
    note += " Lanes for the first " + MapDecimal(MapRanges::kTocsDrawn) +
            " tables of contents only; the totals count all.";
  }
  if (!inspection_.collected.complete) {
    note += " The inspection stopped at its limit of items: what came after is left out.";
  }
  svg_.Label(8, 76, "n", note);
}

std::vector<MapDocument::LegendEntry> MapDocument::LegendLayout(int64_t top) const {
  std::vector<LegendEntry> entries;
  bool present[kRangeClasses] = {};
  for (const Lane& lane : ranges_.lanes) present[static_cast<size_t>(lane.rangeClass)] = true;
  for (size_t c = 0; c < kRangeClasses; ++c) {
    if (present[c]) {
      entries.push_back({0, 0, "k c" + MapDecimal(c), ClassName(static_cast<RangeClass>(c))});
    }
  }
  entries.push_back({0, 0, "k miss", "bytes no record holds"});
  entries.push_back({0, 0, "k part", "partly held"});
  entries.push_back({0, 0, "k ovl", "overlaps other contents"});
  entries.push_back({0, 0, "k bad", "checksum wrong"});
  entries.push_back({0, 0, "brk", "axis break over a long gap"});
  int64_t x = 8;
  int64_t y = top;
  for (LegendEntry& entry : entries) {
    const int64_t width = 22 + 7 * static_cast<int64_t>(entry.text.size()) + 16;
    if (x + width > L::kWidth - 8) {
      x = 8;
      y += 20;
    }
    entry.x = x;
    entry.y = y;
    x += width;
  }
  return entries;
}

void MapDocument::Legend(const std::vector<LegendEntry>& entries) {
  for (const LegendEntry& entry : entries) {
    svg_.OpenRect(entry.x, entry.y, 14, 14, entry.cssClass.c_str());
    svg_.Raw("/>");
    svg_.Label(entry.x + 20, entry.y + 11, "", entry.text);
  }
  svg_.Raw("\n");
}

void MapDocument::MissingMarks(const Shape& shape, int64_t top) {
  if (marks_ >= L::kMissingMarks) return;
  for (const Span& piece : ranges_.held.Missing(shape.start, shape.end, L::kMarksPerShape)) {
    if (marks_++ >= L::kMissingMarks) return;
    const int64_t x0 = axis_.X(piece.start);
    svg_.OpenRect(x0, top + 3, std::max<int64_t>(1, axis_.X(piece.end) - x0), L::kShapeHeight,
                  "mk");
    svg_.Raw("/>");
  }
}

void MapDocument::Shape1(const Lane& lane, const Shape& shape, int64_t top) {
  const bool trouble = lane.rangeClass == RangeClass::kRecords || IsContents(lane.rangeClass);
  std::string cssClass = "c" + MapDecimal(static_cast<size_t>(lane.rangeClass));
  const bool none = trouble && shape.held == 0;
  const bool part = trouble && !none && shape.Missing() != 0;
  if (none) cssClass += " miss";
  if (part) cssClass += " part";
  if (shape.badChecksums != 0) cssClass += " bad";
  if (shape.overlapping != 0) cssClass += " ovl";
  const int64_t x0 = axis_.X(shape.start);
  const int64_t width = std::max<int64_t>(1, axis_.X(shape.end) - x0);
  // A thin white edge parts neighbours that are wide enough to keep it.
  if (width >= 4) cssClass += " w";
  svg_.OpenRect(x0, top + 3, width, L::kShapeHeight, cssClass.c_str());
  svg_.Raw(">");
  svg_.Title(text_.Tooltip(lane, shape, listed_));
  svg_.Raw("</rect>");
  if (part && shape.count == 1) MissingMarks(shape, top);
  if (width >= L::kLabelMinWidth) {
    const std::string label = Fit(text_.Label(lane, shape), width - 6);
    if (!label.empty()) svg_.Label(x0 + 3, top + 17, "l", label);
  }
  svg_.Raw("\n");
}

void MapDocument::LaneShapes(size_t lane, int64_t top) {
  svg_.OpenRect(0, top, L::kWidth, L::kLaneHeight, lane % 2 == 0 ? "s1" : "s0");
  svg_.Raw("/>");
  svg_.Label(8, top + 17, "", LaneTitle(ranges_.lanes[lane]));
  svg_.Raw("\n");
  for (const Shape& shape : shapes_[lane]) Shape1(ranges_.lanes[lane], shape, top);
}

void MapDocument::Breaks(int64_t top, int64_t bottom) {
  int64_t lastLabel = INT64_MIN / 2;
  for (const Axis::Break& gap : axis_.Breaks()) {
    svg_.OpenRect(gap.x0 + 2, top, std::max<int64_t>(1, gap.x1 - gap.x0 - 4), bottom - top, "brk");
    svg_.Raw(">");
    svg_.Title("axis break: a gap of " + MapBytes(gap.end - gap.start) + ", " +
               MapRange(gap.start, gap.end) + ", where nothing lies");
    svg_.Raw("</rect>");
    const int64_t middle = (gap.x0 + gap.x1) / 2;
    const std::string size = MapSize(gap.end - gap.start);
    if (middle - lastLabel >= 7 * static_cast<int64_t>(size.size()) + 8) {
      svg_.Label(middle, top - 4, "bl", size);
      lastLabel = middle;
    }
    svg_.Raw("\n");
  }
}

void MapDocument::AxisLabels(int64_t bottom) {
  svg_.Raw("<line x1=\"");
  svg_.Number(L::kPlotLeft);
  svg_.Raw("\" y1=\"");
  svg_.Number(bottom);
  svg_.Raw("\" x2=\"");
  svg_.Number(L::kPlotLeft + L::kPlotWidth);
  svg_.Raw("\" y2=\"");
  svg_.Number(bottom);
  svg_.Raw("\" class=\"ax\"/>\n");
  int64_t last = INT64_MIN / 2;
  const std::vector<uint64_t>& bounds = axis_.Boundaries();
  const std::vector<int64_t>& xs = axis_.Positions();
  for (size_t i = 0; i < bounds.size(); ++i) {
    if (xs[i] - last < 13) continue;
    last = xs[i];
    svg_.Raw("<line x1=\"");
    svg_.Number(xs[i]);
    svg_.Raw("\" y1=\"");
    svg_.Number(bottom);
    svg_.Raw("\" x2=\"");
    svg_.Number(xs[i]);
    svg_.Raw("\" y2=\"");
    svg_.Number(bottom + 4);
    svg_.Raw("\" class=\"ax\"/><text class=\"a\" text-anchor=\"end\" transform=\"translate(");
    svg_.Number(xs[i] + 4);
    svg_.Raw(" ");
    svg_.Number(bottom + 7);
    svg_.Raw(") rotate(-90)\">");
    svg_.Text(MapAddress(bounds[i]));
    svg_.Raw("</text>\n");
  }
}

void MapDocument::Write() {
  const std::vector<LegendEntry> legend = LegendLayout(88);
  const int64_t lanesTop = LanesTop(legend.back().y + 14);
  const int64_t lanesBottom =
      lanesTop + L::kLaneHeight * static_cast<int64_t>(ranges_.lanes.size());
  Style(lanesBottom + L::kAxisRoom);
  Heading();
  Legend(legend);
  for (size_t lane = 0; lane < ranges_.lanes.size(); ++lane) {
    LaneShapes(lane, lanesTop + L::kLaneHeight * static_cast<int64_t>(lane));
  }
  Breaks(lanesTop, lanesBottom);
  AxisLabels(lanesBottom);
  svg_.Raw("</svg>\n");
}

void WriteFailureDocument(SvgWriter& svg, const std::string& path, const std::string& message) {
  svg.Raw(
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<svg xmlns=\"http://www.w3.org/2000/svg\" "
      "width=\"800\" height=\"64\" viewBox=\"0 0 800 64\">\n");
  svg.Raw(kStyle);
  svg.Raw("</style>\n");
  svg.Label(8, 22, "h", "romscope map of " + CommandLineText(path));
  svg.Label(8, 44, "", message);
  svg.Raw("\n</svg>\n");
}

}  // namespace romscope
