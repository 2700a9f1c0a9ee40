// -diff OLD NEW: both images collected whole, compared, and the comparison
// printed as text or as one JSON document.
#include "report/diff/diff.h"

#include "compare/compare.h"
#include "report/catalogue.h"
#include "report/diff/diff_json.h"
#include "report/diff/diff_text.h"
#include "report/diff/messages.h"
#include "rom/collector.h"

namespace romscope {
namespace {

// A command-line error has the same status, set by the driver.
constexpr int kTrouble = 2;

}  // namespace

int CompareImages(HostServices& host, const std::string& oldPath, const std::string& newPath,
                  bool json, Writer& out, Diagnostics& diag) {
  Inspection oldSide;
  Inspection newSide;
  CollectInspection(host, oldPath, &oldSide, ComparisonPlan());
  CollectInspection(host, newPath, &newSide, ComparisonPlan());
  if (!oldSide.opened.Usable() || !newSide.opened.Usable()) {
    for (const Inspection* side : {&oldSide, &newSide}) {
      if (!side->opened.Usable()) diag.Warn("%s", UnusableImageText(side->opened.item).c_str());
    }
    if (json) WriteUnusable(oldSide.opened.item, newSide.opened.item, out);
    return kTrouble;
  }
  ComparedImages images(oldSide, newSide);
  Comparison comparison;
  CompareInspections(images, &comparison);
  for (const ComparisonProblem& problem : comparison.problems) {
    const Inspection& side = problem.newImage ? newSide : oldSide;
    diag.Warn("%s", IncompleteText(side.opened.item.path).c_str());
  }
  if (json) {
    WriteComparison(images, comparison, out);
  } else {
    PrintComparison(images, comparison, out);
  }
  return comparison.ExitStatus();
}

}  // namespace romscope
