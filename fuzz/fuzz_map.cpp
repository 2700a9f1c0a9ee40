// The fuzz runs of -map: on every input the document must be well-formed XML
// with an <svg> root, hold no script and no reference to anything outside
// it, stay within its shape budget and come out the same on a second run;
// and in a small image every record, module and file must be named in some
// tooltip, however the shapes merge.
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "cli/driver.h"
#include "fuzz/fuzz_host.h"
#include "map/ranges.h"
#include "report/map/describe.h"
#include "report/map/svg_writer.h"
#include "rom/collector.h"
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

// A name as the tooltips quote it.
std::string Shown(const ItemName& name) {
  if (!name.readable) return "(name unreadable)";
  std::string shown = VisibleLatin1(name.text.substr(0, 96));
  if (name.text.size() > 96) shown += "\xE2\x80\xA6";
  return "\"" + shown + "\"";
}

// What must be named somewhere: each drawn record by its index, and for the
// tables of contents that have lanes, each module and file as "module 3
// \"k.exe\"" / "file 2 \"a.txt\"" on a line of that table of contents.
struct Wanted {
  std::vector<bool> records;  // by record index; true once named (or not drawn)
  std::map<std::pair<size_t, std::string>, bool> names;  // (TOC, "module 3 \"k.exe\"")
};

Wanted WantedOf(const Inspection& inspection) {
  Wanted wanted;
  const RecordTable& records = inspection.opened.image->records;
  const size_t count = records.Count() - (records.HasTerminator() ? 1 : 0);
  wanted.records.resize(count);
  for (size_t i = 0; i < count; ++i) wanted.records[i] = records[i].length == 0;
  const std::vector<CollectedToc>& tocs = inspection.collected.tocs;
  for (size_t t = 0; t < tocs.size() && t < MapRanges::kTocsDrawn; ++t) {
    for (const CollectedModule& module : tocs[t].modules) {
      wanted.names[{t, "module " + std::to_string(module.index) + " " + Shown(module.name)}] =
          false;
    }
    for (size_t f = 0; f < tocs[t].files.size(); ++f) {
      wanted.names[{t, "file " + std::to_string(f) + " " + Shown(tocs[t].files[f].name)}] = false;
    }
  }
  return wanted;
}

// Marks what the tooltip line `line` names.
void MarkNamed(const std::string& line, Wanted& wanted) {
  if (line.compare(0, 7, "record ") == 0) {
    size_t index = 0;
    size_t at = 7;
    for (; at < line.size() && line[at] >= '0' && line[at] <= '9'; ++at) {
      index = index * 10 + static_cast<size_t>(line[at] - '0');
    }
    if (line.compare(at, 11, ", checksum ") == 0 && index < wanted.records.size()) {
      wanted.records[index] = true;
    }
    return;
  }
  if (line.compare(0, 4, "TOC ") != 0) return;
  const size_t toc = std::strtoul(line.c_str() + 4, nullptr, 10);
  for (auto it = wanted.names.lower_bound({toc, ""});
       it != wanted.names.end() && it->first.first == toc; ++it) {
    if (!it->second && line.find(it->first.second) != std::string::npos) it->second = true;
  }
}

// In an image of fewer than 1000 items, every record, module and file is
// named in some tooltip.
void CheckAllNamed(const uint8_t* data, size_t size, const testing::XmlDocument& doc,
                   const std::string& svg) {
  FuzzHost host(data, size);
  Inspection inspection;
  CollectInspection(host, "image.bin", &inspection);
  if (!inspection.opened.Usable()) return;
  uint64_t items = inspection.opened.image->records.Count();
  for (const CollectedToc& toc : inspection.collected.tocs) {
    items += toc.modules.size() + toc.sections.size() + toc.files.size() +
             (toc.copySections ? toc.copySections->sections.size() : 0);
  }
  if (items >= ShapeText::kSmallImage) return;
  Wanted wanted = WantedOf(inspection);
  for (const testing::XmlElement& element : doc.elements) {
    if (element.name != "title") continue;
    size_t from = 0;
    while (from <= element.text.size()) {
      const size_t end = std::min(element.text.find('\n', from), element.text.size());
      MarkNamed(element.text.substr(from, end - from), wanted);
      from = end + 1;
    }
  }
  for (size_t i = 0; i < wanted.records.size(); ++i) {
    if (!wanted.records[i])
      Finding(("-map: record " + std::to_string(i) + " in no tooltip").c_str(), svg);
  }
  for (const auto& [which, named] : wanted.names) {
    if (!named) Finding(("-map: " + which.second + " in no tooltip").c_str(), svg);
  }
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
  if (doc.error.empty()) CheckAllNamed(data, size, doc, svg);
  int again = 0;
  if (MapOf(data, size, &again) != svg || again != status) {
    Finding("-map: a second run drew another picture", svg);
  }
}

}  // namespace romscope
