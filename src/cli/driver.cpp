#include "cli/driver.h"

#include <vector>

#include "cli/options.h"
#include "image/image.h"
#include "image/image_reader.h"
#include "image/record_scan.h"
#include "rom/json_renderer.h"
#include "rom/report.h"
#include "rom/text_renderer.h"
#include "rom/toc_locator.h"

namespace romscope {
namespace {

int Finish(Writer& out, Diagnostics& diag, int status) {
  out.Flush();
  if (!out.Failed()) return status;
  if (!out.Sink().ReaderGone()) {
    diag.Warn("error writing standard output: %s", out.Sink().ErrorText().c_str());
  }
  return kExitFailure;
}

// The text report shows what the options ask for; the JSON document is the
// whole inspection whatever they are.
ReportPlan PlanFor(const RunOptions& options) {
  ReportPlan plan;
  const bool all = options.printJson != 0;
  plan.details = all || options.printObj;
  plan.symbols = all || options.printSym;
  plan.checkFiles = all || options.checkFiles;
  return plan;
}

// Finds every table of contents and reports each one found.
void InspectTocs(const RunOptions& options, Image& image, ImageReader& reader, Renderer& renderer,
                 Diagnostics& diag) {
  TocLocator locator;
  Report report(PlanFor(options), reader, image.scratch.data(), renderer, diag);
  const bool reports = options.printJson || options.printToc || options.printObj;
  if (!renderer.SearchFirst()) {
    while (!renderer.Stopped() && locator.FindNextToc(image, reader, renderer)) {
      if (reports) report.PrintToc(locator.Found());
    }
    renderer.SearchEnd();
    return;
  }
  // The search's messages all come before the first report.
  std::vector<TocLocation> found;
  while (!renderer.Stopped() && locator.FindNextToc(image, reader, renderer)) {
    found.push_back(locator.Found());
  }
  renderer.SearchEnd();
  for (const TocLocation& toc : found) {
    if (renderer.Stopped()) break;
    if (reports) report.PrintToc(toc);
  }
}

}  // namespace

int RunRomscope(std::string commandLine, HostServices& host, Writer& out, Diagnostics& diag) {
  if (host.EnvironmentHas("d_break")) host.DebugBreak();

  RunOptions options;
  if (!ParseCommandLine(commandLine.data(), &options, out)) return Finish(out, diag, kExitUsage);
  if (options.showVersion) {
    out.Printf("romscope %s\n", ROMSCOPE_VERSION);
    return Finish(out, diag, kExitOk);
  }
  if (options.showHelp) {
    PrintHelp(out);
    return Finish(out, diag, kExitOk);
  }

  TextRenderer text(out, options);
  JsonRenderer json(out);
  Renderer& renderer = options.printJson ? static_cast<Renderer&>(json) : text;
  const std::string& path = options.inputPath;
  renderer.Begin(path);
  std::string reason;
  std::unique_ptr<ByteSource> source = host.OpenInput(path, &reason);
  if (!source) {
    renderer.OpenFailed(path, reason);
    diag.Warn("cannot open '%s': %s", path.c_str(), reason.c_str());
    return Finish(out, diag, kExitFailure);
  }

  Image image(*source);
  const BinHeaderStatus status = ReadBinHeader(image.file, &image.header);
  if (status != BinHeaderStatus::kOk) {
    renderer.BinHeaderFailed(status, path);
    if (status == BinHeaderStatus::kTruncated) {
      diag.Warn("%s: the BIN header is truncated (no image start and length)", path.c_str());
    }
    return Finish(out, diag, kExitFailure);
  }
  renderer.BinHeaderRead(image.header);
  // The JSON document verifies every record's checksum.
  const bool readData = options.printData || options.printJson;
  ScanRecords(image.file, readData, renderer, image.scratch.data(), &image.records);
  renderer.ScanEnd();

  ImageReader reader(image.file, image.records, renderer);
  InspectTocs(options, image, reader, renderer, diag);
  renderer.End();
  return Finish(out, diag, kExitOk);
}

}  // namespace romscope
