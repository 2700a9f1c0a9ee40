#include "rom/inspect.h"

#include "image/record_scan.h"
#include "rom/toc_locator.h"

namespace romscope {

OpenedImage OpenImage(HostServices& host, const std::string& path) {
  OpenedImage opened;
  opened.item.path = path;
  opened.source = host.OpenInput(path, &opened.item.openReason);
  if (!opened.source) {
    opened.item.failure = Problem{ProblemKind::kOpenFailed};
    return opened;
  }
  auto image = std::make_unique<Image>(*opened.source);
  switch (ReadBinHeader(image->file, &image->header)) {
    case BinHeaderStatus::kSignatureUnreadable:
      opened.item.failure = Problem{ProblemKind::kSignatureUnreadable};
      return opened;
    case BinHeaderStatus::kSignatureMismatch:
      opened.item.failure = Problem{ProblemKind::kSignatureMismatch};
      return opened;
    case BinHeaderStatus::kTruncated:
      opened.item.failure = Problem{ProblemKind::kHeaderTruncated};
      return opened;
    case BinHeaderStatus::kOk:
      break;
  }
  opened.item.header = image->header;
  opened.image = std::move(image);
  return opened;
}

void Inspect(OpenedImage& opened, const InspectPlan& plan, InspectionConsumer& consumer,
             const StopSignal& stop) {
  consumer.Begin(opened.item);
  if (!opened.Usable()) return;
  Image& image = *opened.image;
  ScanRecords(image.file, plan.readData, consumer, stop, image.scratch.data(), &image.records);
  consumer.Close(ScopeEnd{ScopeEnd::kRecords});

  InspectionConsumer* candidates = &consumer;
  if (plan.searchFirst) {
    TocLocator search;
    while (!stop.Stopped() && search.FindNextToc(image, &consumer, stop)) {
    }
    consumer.Close(ScopeEnd{ScopeEnd::kSearch});
    candidates = nullptr;
  }
  TocLocator locator;
  TocReport report(plan, image, consumer, stop);
  size_t found = 0;
  while (!stop.Stopped() && locator.FindNextToc(image, candidates, stop)) {
    if (plan.reports) report.ReportToc(locator.Found(), found);
    ++found;
  }
  consumer.End();
}

}  // namespace romscope
