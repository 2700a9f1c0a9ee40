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

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "base/writer.h"

namespace romscope {

struct ExtractEntry {
  // A module whose e32_rom cannot be read stands for its unknown sections;
  // kSections for `count` sections in a row whose o32_rom cannot be read.
  enum Kind : uint8_t { kFile, kSection, kModule, kSections };
  enum Status : uint8_t { kWritten, kSkipped, kFailed };
  size_t toc = 0;
  Kind kind = kFile;
  std::string name;      // the image's bytes
  uint32_t item = 0;     // the file's or the module's index in its table
  uint32_t section = 0;  // the first one, for kSections
  uint32_t count = 0;    // how many sections: 1 for kSection
  bool compressed = false;
  uint32_t address = 0;  // where its bytes lie, as the records hold them
  uint64_t size = 0;
  std::string path;  // UTF-8
  uint16_t changes = 0;
  Status status = kWritten;
  std::string reason;  // why it was skipped or failed
};

class ExtractListing {
 public:
  virtual ~ExtractListing() = default;
  // `file` and `folder` as given on the command line.
  virtual void Begin(const std::string& file, const std::string& folder) = 0;
  virtual void Entry(const ExtractEntry& entry) = 0;
  // `error`: why nothing (more) could be extracted, or empty.
  virtual void End(const std::string& error) = 0;
};

std::unique_ptr<ExtractListing> MakeTextListing(Writer& out);
std::unique_ptr<ExtractListing> MakeJsonListing(Writer& out);

}  // namespace romscope
