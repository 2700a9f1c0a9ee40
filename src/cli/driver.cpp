#include "cli/driver.h"

#include "cli/options.h"
#include "report/json/json_printer.h"
#include "report/text/text_printer.h"
#include "rom/inspect.h"

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
  if (!ParseCommandLine(commandLine.data(), &options, out)) return Finish(out, diag, kExitUsage);
  if (options.showVersion) {
    out.Printf("romscope %s\n", ROMSCOPE_VERSION);
    return Finish(out, diag, kExitOk);
  }
  if (options.showHelp) {
    PrintHelp(out);
    return Finish(out, diag, kExitOk);
  }

  OpenedImage opened = OpenImage(host, options.inputPath);
  if (options.printJson) {
    // The JSON document is the whole inspection, whatever the other options.
    JsonPrinter json(out, diag);
    Inspect(opened, InspectPlan::Everything(), json, out);
  } else {
    TextPrinter text(out, diag, options.printRec || options.printData);
    Inspect(opened, TextPlan(options), text, out);
  }
  return Finish(out, diag, opened.Usable() ? kExitOk : kExitFailure);
}

}  // namespace romscope
