// What -extract=DIR writes, decided once: every module section and every
// file of a table of contents, in that order, with its name made safe
// (safe_name.h), its bytes' extent (rom/extents.h) and whether it was
// written, skipped or failed and why, into
//   DIR/<toc>/files/<name>                (a compressed file: <name>.stored)
//   DIR/<toc>/modules/<name>/<section>.bin
// with folders made as they are needed. Each entry goes to a sink, which
// the report lists.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "base/stop_signal.h"
#include "export/loaded_image.h"
#include "host/output_folder.h"
#include "rom/collector.h"

namespace romscope {

struct ExtractEntry {
  // A module whose e32_rom cannot be read stands for its unknown sections;
  // kSections for `count` sections in a row whose o32_rom cannot be read.
  enum Kind : uint8_t { kFile, kSection, kModule, kSections };
  enum Status : uint8_t { kWritten, kSkipped, kFailed };
  // Why an entry was skipped (the first four) or failed (the last two).
  enum Reason : uint8_t {
    kNoReason,
    kNoE32,       // its e32_rom cannot be read
    kNoO32,       // its o32_rom cannot be read
    kNoO32s,      // the run's o32_rom headers cannot be read
    kNotHeld,     // its bytes are not all held by records
    kUnreadable,  // the image file could not be read
    kRefused,     // the system refused: `refusal` says why
  };
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
  Reason reason = kNoReason;
  std::string refusal;  // the system's words, for kRefused
};

class ExtractSink {
 public:
  virtual ~ExtractSink() = default;
  virtual void Entry(const ExtractEntry& entry) = 0;
};

class Extraction {
 public:
  Extraction(LoadedImage& loaded, ExtractSink& sink, const StopSignal& stop);

  // Every entry of `toc`, into the folder <toc> of `root`.
  void Toc(const CollectedToc& toc, OutputFolder& root);
  bool AnyLeftOut() const { return leftOut_; }

 private:
  class LazyFolder;
  void Modules(const CollectedToc& toc, LazyFolder& tocFolder);
  void Sections(const CollectedToc& toc, const CollectedModule& module, ExtractEntry& entry,
                LazyFolder& moduleFolder);
  void Files(const CollectedToc& toc, LazyFolder& tocFolder);
  // Writes the entry's bytes into `folder` under `name`, or says why not.
  void Put(ExtractEntry& entry, LazyFolder& folder, const std::string& name);
  // The entry's bytes into `file`; false, with the reason given, when not.
  bool Copy(ExtractEntry& entry, OutputFile& file);
  void List(const ExtractEntry& entry);

  LoadedImage& loaded_;
  ExtractSink& sink_;
  const StopSignal& stop_;
  std::vector<uint8_t> buffer_;
  bool leftOut_ = false;
};

}  // namespace romscope
