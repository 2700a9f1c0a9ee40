#include "report/diff/messages.h"

#include "report/catalogue.h"
#include "rom/collector.h"

namespace romscope {

std::string IncompleteText(std::string_view path) {
  return "the inspection of " + std::string(path) + " stopped at " +
         std::to_string(CollectedImage::kMaxItems) + " items; what it left out is not compared";
}

const char* KindName(ChangeKind kind) {
  static const char* const kNames[kChangeKinds] = {
      "image", "toc", "record", "header", "extension", "copySection", "module", "file", "symbol"};
  return kNames[static_cast<size_t>(kind)];
}

const char* KindPlural(ChangeKind kind) {
  static const char* const kNames[kChangeKinds] = {"image",   "tocs",       "records",
                                                   "headers", "extensions", "copySections",
                                                   "modules", "files",      "symbols"};
  return kNames[static_cast<size_t>(kind)];
}

const char* ChangeName(ChangeType type) {
  static const char* const kNames[kChangeTypes] = {"added", "removed", "changed", "moved"};
  return kNames[static_cast<size_t>(type)];
}

const char* ContentName(Content content) {
  switch (content) {
    case Content::kSame:
      return "same";
    case Content::kChanged:
      return "changed";
    case Content::kUnknown:
    case Content::kNeither:
      return "unknown";
    case Content::kNone:
      break;
  }
  return nullptr;
}

}  // namespace romscope
