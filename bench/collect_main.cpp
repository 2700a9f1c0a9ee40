// Collects the whole inspection of an image in memory, as the comparison, the
// map and the extraction do, and prints how much it holds; bench/run.sh
// measures the process's peak memory around it.
//
//   collect_image PATH
#include <cstdio>

#include "host/system_host.h"
#include "rom/collector.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: collect_image PATH\n");
    return 2;
  }
  romscope::SystemHost host;
  romscope::Inspection inspection;
  romscope::CollectInspection(host, argv[1], &inspection);
  if (!inspection.opened.Usable()) {
    std::fprintf(stderr, "collect_image: %s cannot be inspected\n", argv[1]);
    return 1;
  }
  const romscope::CollectedImage& c = inspection.collected;
  size_t modules = 0;
  size_t sections = 0;
  size_t files = 0;
  size_t symbols = 0;
  for (const romscope::CollectedToc& toc : c.tocs) {
    modules += toc.modules.size();
    sections += toc.sections.size();
    files += toc.files.size();
    symbols += toc.symbols.size();
  }
  std::printf(
      "records %zu, tables of contents %zu, modules %zu, sections %zu, files %zu, symbols %zu, "
      "name pool %zu bytes, %s\n",
      c.recordFlags.size(), c.tocs.size(), modules, sections, files, symbols, c.namePool.size(),
      c.complete ? "complete" : "incomplete");
  return 0;
}
