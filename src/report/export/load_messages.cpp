#include "report/export/load_messages.h"

#include <string>

#include "report/catalogue_export.h"

namespace romscope {
namespace {

void Tell(Diagnostics& diag, const std::string& text) {
  diag.Warn("%s", text.c_str());
}

}  // namespace

void TellLoad(const LoadFacts& facts, std::string_view path, Diagnostics& diag) {
  for (const CutRecord& cut : facts.cutByFile) Tell(diag, CutRecordText(cut));
  for (uint32_t record : facts.pastTop.first) Tell(diag, PastTopText(record));
  if (facts.pastTop.more > 0) Tell(diag, MorePastTopText(facts.pastTop.more));
  for (const DifferingOverlap& overlap : facts.overlaps.first) Tell(diag, OverlapText(overlap));
  // A read that failed ends the comparison: the rest is not counted.
  if (facts.unreadable) {
    Tell(diag, ImageUnreadableText(path));
  } else if (facts.overlaps.more > 0) {
    Tell(diag, MoreOverlapsText(facts.overlaps.more));
  }
}

void TellChecksums(const FirstFew<FailingChecksum>& failing, Diagnostics& diag) {
  for (const FailingChecksum& record : failing.first) Tell(diag, ChecksumText(record));
  if (failing.more > 0) Tell(diag, MoreChecksumsText(failing.more));
}

}  // namespace romscope
