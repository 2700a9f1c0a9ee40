#include "cli/driver.h"

#include "cli/options.h"
#include "image/image.h"
#include "image/image_reader.h"
#include "image/record_scan.h"
#include "rom/report.h"
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

// The header line is printed; a header that cannot be used ends the run.
bool CheckBinHeader(Image& image, const std::string& path, Writer& out, Diagnostics& diag) {
  switch (ReadBinHeader(image.file, path, out, &image.header)) {
    case BinHeaderStatus::kOk:
      return true;
    case BinHeaderStatus::kTruncated:
      diag.Warn("%s: the BIN header is truncated (no image start and length)", path.c_str());
      return false;
    case BinHeaderStatus::kSignatureUnreadable:
    case BinHeaderStatus::kSignatureMismatch:
      return false;
  }
  return false;
}

}  // namespace

int RunRomscope(std::string commandLine, HostServices& host, Writer& out, Diagnostics& diag) {
  if (host.EnvironmentHas("d_break")) host.DebugBreak();

  RunOptions options;
  if (!ParseCommandLine(commandLine.data(), &options, out)) return Finish(out, diag, kExitUsage);

  out.Printf("RomScope... %s\n", options.inputPath.c_str());
  std::string reason;
  std::unique_ptr<ByteSource> source = host.OpenInput(options.inputPath, &reason);
  if (!source) {
    out.Printf("Error opening %s\n", options.inputPath.c_str());
    diag.Warn("cannot open '%s': %s", options.inputPath.c_str(), reason.c_str());
    return Finish(out, diag, kExitFailure);
  }

  Image image(*source);
  if (!CheckBinHeader(image, options.inputPath, out, diag)) return Finish(out, diag, kExitFailure);
  ScanRecords(image.file, options, out, image.scratch.data(), &image.records);

  ImageReader reader(image.file, image.records, out);
  TocLocator locator;
  Report report(options, reader, image.scratch.data(), out, diag);
  while (!out.Failed() && locator.FindNextToc(image, reader, out)) {
    if (options.printToc || options.printObj) report.PrintToc(locator.pTOC(), locator.RomOffset());
  }

  out.Put("Done.\n");
  return Finish(out, diag, kExitOk);
}

}  // namespace romscope
