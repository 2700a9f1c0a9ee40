#include "report/map/map.h"

#include "map/ranges.h"
#include "report/catalogue.h"
#include "report/map/map_document.h"
#include "report/map/svg_writer.h"
#include "rom/collector.h"

namespace romscope {

int DrawMap(HostServices& host, const std::string& path, Writer& out, Diagnostics& diag) {
  Inspection inspection;
  CollectInspection(host, path, &inspection);
  SvgWriter svg(out);
  const ImageItem& image = inspection.opened.item;
  if (!inspection.opened.Usable()) {
    const std::string message = UnusableImageText(image);
    WriteFailureDocument(svg, image.path, message);
    diag.Warn("%s", message.c_str());
    return 1;
  }
  const MapRanges ranges = GatherRanges(inspection);
  MapDocument(inspection, ranges, svg).Write();
  return 0;
}

}  // namespace romscope
