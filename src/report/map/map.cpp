#include "report/map/map.h"

#include "map/ranges.h"
#include "report/catalogue.h"
#include "report/map/map_document.h"
#include "report/map/svg_writer.h"
#include "rom/collector.h"

namespace romscope {
namespace {

// What standard error and the document say when the image cannot be used:
// the diagnostic the other outputs give, or the map's own where they have
// none (the text report prints those problems on standard output).
std::string FailureText(const ImageItem& image) {
  const Problem& failure = *image.failure;
  std::string diagnostic = DiagnosticText(failure, image.path, image.openReason);
  if (!diagnostic.empty()) return diagnostic;
  if (failure.kind == ProblemKind::kSignatureMismatch) {
    return image.path + ": not a BIN file (it does not start with its signature)";
  }
  return image.path + ": too short for a BIN file, or unreadable";
}

}  // namespace

int DrawMap(HostServices& host, const std::string& path, Writer& out, Diagnostics& diag) {
  Inspection inspection;
  CollectInspection(host, path, &inspection);
  SvgWriter svg(out);
  const ImageItem& image = inspection.opened.item;
  if (!inspection.opened.Usable()) {
    const std::string message = FailureText(image);
    WriteFailureDocument(svg, image.path, message);
    diag.Warn("%s", message.c_str());
    return 1;
  }
  const MapRanges ranges = GatherRanges(inspection);
  MapDocument(inspection, ranges, svg).Write();
  return 0;
}

}  // namespace romscope
