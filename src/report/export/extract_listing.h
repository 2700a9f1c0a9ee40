// The listing of an extraction: one line per entry written or skipped, or
// one JSON document of the same facts (doc/romscope-extract.schema.json).
//
// A line: STATUS PATH "NAME" WHAT[; renamed: CHANGE, ...][; REASON]
//   STATUS  written, skipped (its bytes are not all held by records, or its
//           section header cannot be read) or failed (the system refused)
//   PATH    the path under the folder, '/' between names, that was written
//           or would have been
//   NAME    the image's name, each byte as the character of the same number
//           in UTF-8; '"' and '\' as \" and \\, control characters as \xHH
//   WHAT    "file, N bytes", "file, N stored bytes of a compressed file",
//           "section J, N bytes", "sections J-K (N sections)" for a run of
//           two or more sections whose headers cannot be read (PATH is then
//           the module's folder), or "module" for a module whose sections
//           cannot be known
#pragma once

#include <memory>
#include <string>

#include "base/writer.h"
#include "export/extraction.h"

namespace romscope {

class ExtractListing : public ExtractSink {
 public:
  // `file` and `folder` as given on the command line.
  virtual void Begin(const std::string& file, const std::string& folder) = 0;
  // `error`: why nothing (more) could be extracted, or empty.
  virtual void End(const std::string& error) = 0;
};

std::unique_ptr<ExtractListing> MakeTextListing(Writer& out);
std::unique_ptr<ExtractListing> MakeJsonListing(Writer& out);

}  // namespace romscope
