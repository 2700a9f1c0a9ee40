// The fuzz runs of -map: on every input the document must be well-formed XML
// with an <svg> root, hold no script and no reference to anything outside
// it, stay within its shape budget and come out the same on a second run.
#include <string>

#include "cli/driver.h"
#include "fuzz/fuzz_host.h"
#include "support/xml_check.h"

namespace romscope {
namespace {

// Far above what any map should need; a map this large is a finding.
constexpr size_t kLargestMap = 8 << 20;
constexpr size_t kMostElements = 12000;

std::string MapOf(const uint8_t* data, size_t size, int* status) {
  FuzzHost host(data, size);
  KeepingSink outSink(kLargestMap);
  NullSink errSink;
  {
    Writer out(outSink, 1 << 16);
    Diagnostics diag(out, errSink);
    *status = RunRomscope("romscope -map image.bin", host, out, diag);
  }
  if (outSink.cut) Finding("-map: more than 8 MiB of SVG", outSink.text);
  return std::move(outSink.text);
}

}  // namespace

void FuzzMap(const uint8_t* data, size_t size) {
  int status = 0;
  const std::string svg = MapOf(data, size, &status);
  const testing::XmlDocument doc = testing::ParseXml(svg);
  if (!doc.error.empty()) {
    Finding(("-map: not well-formed XML (" + doc.error + " at byte " +
             std::to_string(doc.errorOffset) + ")")
                .c_str(),
            svg);
  }
  if (doc.elements.empty() || doc.elements[0].name != "svg") Finding("-map: no <svg> root", svg);
  if (doc.elements.size() > kMostElements) Finding("-map: more elements than the budget", svg);
  for (const testing::XmlElement& element : doc.elements) {
    if (element.name == "script" || element.name == "image" || element.name == "a" ||
        element.name == "foreignObject") {
      Finding("-map: an element that runs or loads something", svg);
    }
    for (const auto& [name, value] : element.attributes) {
      if (name == "href" || name.compare(0, 2, "on") == 0 ||
          value.find("url(http") != std::string::npos) {
        Finding("-map: a reference out of the document", svg);
      }
    }
  }
  if (status != 0 && status != 1) Finding("-map: an exit status other than 0 or 1", svg);
  int again = 0;
  if (MapOf(data, size, &again) != svg || again != status) {
    Finding("-map: a second run drew another picture", svg);
  }
}

}  // namespace romscope
