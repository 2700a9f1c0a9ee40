#include "cli/driver.h"

#include "cli/options.h"
#include "report/diff/diff.h"
#include "report/export/export.h"
#include "report/json/json_printer.h"
#include "report/map/map.h"
#include "report/text/text_printer.h"
#include "report/usage.h"
#include "rom/inspect.h"

namespace romscope {
namespace {

// `failure` is the status of a run whose standard output failed.
int Finish(Writer& out, Diagnostics& diag, int status, int failure = kExitFailure) {
  out.Flush();
  if (!out.Failed()) return status;
  WarnOutputFailed(out, diag);
  return failure;
}

// The text report reads what its options show.
InspectPlan TextPlan(const RunOptions& options) {
  InspectPlan plan;
  plan.readData = options.printData != 0;
  plan.reports = options.printToc || options.printObj;
  plan.details = options.printObj != 0;
  plan.symbols = options.printSym != 0;
  plan.checkFiles = options.checkFiles != 0;
  return plan;
}

}  // namespace

int RunRomscope(std::string commandLine, HostServices& host, Writer& out, Diagnostics& diag) {
  if (host.EnvironmentHas("d_break")) host.DebugBreak();

  RunOptions options;
  std::string wrongToken;
  const CommandLineError error = ParseCommandLine(commandLine.data(), &options, &wrongToken);
  if (error != CommandLineError::kNone) {
    PrintCommandLineError(out, error, wrongToken);
    return Finish(out, diag, kExitUsage);
  }
  if (options.showVersion) {
    PrintVersion(out, ROMSCOPE_VERSION);
    return Finish(out, diag, kExitOk);
  }
  if (options.showHelp) {
    PrintHelp(out);
    return Finish(out, diag, kExitOk);
  }

  const std::string& path = options.inputPath;
  switch (options.mode) {
    case RunMode::kReport:
      break;
    case RunMode::kDiff:
      // Trouble, standard output included, is status 2 for a comparison.
      return Finish(
          out, diag,
          CompareImages(host, options.earlierPath, path, options.printJson != 0, out, diag),
          kExitUsage);
    case RunMode::kMap:
      return Finish(out, diag, DrawMap(host, path, out, diag));
    case RunMode::kFlat:
      return Finish(out, diag,
                    ExportImage(host, path, ExportFormat::kFlat, options.fillByte, out, diag));
    case RunMode::kSrec:
      return Finish(out, diag, ExportImage(host, path, ExportFormat::kSrec, 0, out, diag));
    case RunMode::kIhex:
      return Finish(out, diag, ExportImage(host, path, ExportFormat::kIhex, 0, out, diag));
    case RunMode::kExtract:
      return Finish(
          out, diag,
          ExtractImage(host, path, options.extractDir, options.printJson != 0, out, diag));
  }

  OpenedImage opened = OpenImage(host, path);
  if (options.printJson) {
    // The JSON document is the whole inspection, whatever the other options.
    JsonPrinter json(out, diag);
    Inspect(opened, JsonPrinter::Plan(), json, out);
  } else {
    TextPrinter text(out, diag, options.printRec || options.printData);
    Inspect(opened, TextPlan(options), text, out);
  }
  return Finish(out, diag, opened.Usable() ? kExitOk : kExitFailure);
}

}  // namespace romscope
