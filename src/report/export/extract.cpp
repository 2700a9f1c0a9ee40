// -extract=DIR: every file and every module section of every table of
// contents, read from the memory image, into
//   DIR/<toc>/files/<name>                (a compressed file: <name>.stored)
//   DIR/<toc>/modules/<name>/<section>.bin
// with names made safe (safe_name.h) and folders made as they are needed.
#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <vector>

#include "export/loaded_image.h"
#include "export/safe_name.h"
#include "report/catalogue.h"
#include "report/export/export.h"
#include "report/export/extract_listing.h"
#include "rom/collector.h"

namespace romscope {
namespace {

constexpr size_t kCopyChunk = size_t{1} << 20;

// A folder made the first time something goes into it.
class LazyFolder {
 public:
  LazyFolder(LazyFolder* parent, OutputFolder* root, std::string name)
      : parent_(parent), root_(root), name_(std::move(name)) {}

  OutputFolder* Get(std::string* reason) {
    // The folders not tried yet, from this one up; then made from the top.
    std::vector<LazyFolder*> chain;
    for (LazyFolder* f = this; f != nullptr && !f->tried_; f = f->parent_) chain.push_back(f);
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
      LazyFolder& f = **it;
      f.tried_ = true;
      OutputFolder* parent = f.parent_ != nullptr ? f.parent_->folder_.get() : f.root_;
      if (parent != nullptr) {
        f.folder_ = parent->MakeFolder(f.name_, &f.error_);
      } else if (f.parent_ != nullptr) {
        f.error_ = f.parent_->error_;
      }
    }
    if (!folder_) *reason = error_;
    return folder_.get();
  }

 private:
  LazyFolder* parent_;
  OutputFolder* root_;  // the parent when there is no lazy one
  std::string name_;
  std::unique_ptr<OutputFolder> folder_;
  std::string error_;
  bool tried_ = false;
};

class Extraction {
 public:
  Extraction(LoadedImage& loaded, ExtractListing& listing, const StopSignal& stop)
      : loaded_(loaded), listing_(listing), stop_(stop), buffer_(kCopyChunk) {}

  void Toc(const CollectedToc& toc, OutputFolder& root);
  bool AnyLeftOut() const { return leftOut_; }

 private:
  void Modules(const CollectedToc& toc, LazyFolder& tocFolder);
  void Files(const CollectedToc& toc, LazyFolder& tocFolder);
  // Writes the entry's bytes into `folder` under `name`, or says why not.
  void Put(ExtractEntry& entry, LazyFolder& folder, const std::string& name);
  bool Copy(uint32_t address, uint64_t size, OutputFile& file, std::string* reason);
  void List(const ExtractEntry& entry) {
    if (entry.status != ExtractEntry::kWritten) leftOut_ = true;
    listing_.Entry(entry);
  }

  LoadedImage& loaded_;
  ExtractListing& listing_;
  const StopSignal& stop_;
  std::vector<uint8_t> buffer_;
  bool leftOut_ = false;
};

std::string NotHeld(uint32_t address, uint64_t size) {
  char text[96];
  std::snprintf(text, sizeof text,
                "not written: its 0x%" PRIX64
                " bytes from 0x%08X are not all "
                "held by records",
                size, address);
  return text;
}

// How many sections from `first` on have a header that cannot be read.
uint32_t UnreadableRun(const CollectedToc& toc, const CollectedModule& module, uint32_t first) {
  uint32_t end = first;
  while (end < module.sectionCount && !toc.sections[module.firstSection + end].o32) ++end;
  return end - first;
}

void Extraction::Toc(const CollectedToc& toc, OutputFolder& root) {
  LazyFolder tocFolder(nullptr, &root, std::to_string(toc.toc.index));
  Modules(toc, tocFolder);
  Files(toc, tocFolder);
}

void Extraction::Modules(const CollectedToc& toc, LazyFolder& tocFolder) {
  LazyFolder modulesFolder(&tocFolder, nullptr, "modules");
  FolderNames names;
  const uint32_t romOffset = toc.toc.location.romOffset;
  for (const CollectedModule& module : toc.modules) {
    if (stop_.Stopped()) return;
    ExtractEntry entry;
    entry.toc = toc.toc.index;
    entry.item = module.index;
    entry.name = module.name.text;
    const SafeName safe = MakeSafeName(module.name.text);
    uint16_t changes = safe.changes;
    const std::string folderName = names.Claim(safe, &changes);
    entry.changes = changes;
    const std::string folderPath = std::to_string(entry.toc) + "/modules/" + folderName;
    if (!module.e32) {
      entry.kind = ExtractEntry::kModule;
      entry.path = folderPath;
      entry.status = ExtractEntry::kSkipped;
      entry.reason = "not written: its e32_rom cannot be read";
      List(entry);
      continue;
    }
    LazyFolder moduleFolder(&modulesFolder, nullptr, folderName);
    for (uint32_t j = 0; j < module.sectionCount && !stop_.Stopped(); ++j) {
      const SectionItem& section = toc.sections[module.firstSection + j];
      entry.kind = ExtractEntry::kSection;
      entry.section = j;
      entry.count = 1;
      const std::string file = std::to_string(j) + ".bin";
      entry.path = folderPath + "/" + file;
      entry.address = 0;
      entry.size = 0;
      if (!section.o32) {
        // A run of headers that cannot be read is one entry: a module may
        // claim 65,535 sections whose table is not there.
        const uint32_t run = UnreadableRun(toc, module, j);
        entry.status = ExtractEntry::kSkipped;
        if (run == 1) {
          entry.reason = "not written: its o32_rom cannot be read";
        } else {
          entry.kind = ExtractEntry::kSections;
          entry.count = run;
          entry.path = folderPath;
          entry.reason = "not written: their o32_rom headers cannot be read";
        }
        List(entry);
        j += run - 1;
        continue;
      }
      entry.address = section.o32->o32_dataptr + romOffset;
      entry.size = section.o32->o32_psize;
      Put(entry, moduleFolder, file);
    }
  }
}

void Extraction::Files(const CollectedToc& toc, LazyFolder& tocFolder) {
  LazyFolder filesFolder(&tocFolder, nullptr, "files");
  FolderNames names;
  const uint32_t romOffset = toc.toc.location.romOffset;
  for (const FileItem& file : toc.files) {
    if (stop_.Stopped()) return;
    ExtractEntry entry;
    entry.toc = toc.toc.index;
    entry.kind = ExtractEntry::kFile;
    entry.item = file.index;
    entry.name = file.name.text;
    entry.compressed = file.entry.Compressed();
    entry.address = file.entry.ulLoadOffset + romOffset;
    entry.size = file.entry.RomSize();
    const SafeName safe = MakeSafeName(file.name.text, entry.compressed ? ".stored" : "");
    uint16_t changes = safe.changes;
    const std::string name = names.Claim(safe, &changes);
    entry.changes = changes;
    entry.path = std::to_string(entry.toc) + "/files/" + name;
    Put(entry, filesFolder, name);
  }
}

void Extraction::Put(ExtractEntry& entry, LazyFolder& folder, const std::string& name) {
  entry.reason.clear();
  entry.status = ExtractEntry::kFailed;
  if (!loaded_.memory().Holds(entry.address, entry.size)) {
    entry.status = ExtractEntry::kSkipped;
    entry.reason = NotHeld(entry.address, entry.size);
  } else if (OutputFolder* parent = folder.Get(&entry.reason)) {
    std::unique_ptr<OutputFile> file = parent->MakeFile(name, &entry.reason);
    if (file && Copy(entry.address, entry.size, *file, &entry.reason)) {
      if (file->Close()) {
        entry.status = ExtractEntry::kWritten;
      } else {
        entry.reason = file->ErrorText();
      }
    }
  }
  if (entry.status == ExtractEntry::kFailed) entry.reason = "not written: " + entry.reason;
  List(entry);
}

// The entry's bytes, run by run, which Holds has found to follow one another.
bool Extraction::Copy(uint32_t address, uint64_t size, OutputFile& file, std::string* reason) {
  const std::vector<MemoryRun>& runs = loaded_.memory().Runs();
  size_t run = loaded_.memory().FindRun(address);
  uint64_t at = address;
  const uint64_t end = at + size;
  while (at < end) {
    const MemoryRun& held = runs[run];
    const size_t n = static_cast<size_t>(std::min({held.end, end, at + buffer_.size()}) - at);
    if (loaded_.image().data.ReadStore(held.fileOffset + (at - held.start), buffer_.data(), n) !=
        static_cast<int64_t>(n)) {
      *reason = "the image file could not be read";
      return false;
    }
    if (!file.Write(buffer_.data(), n)) {
      *reason = file.ErrorText();
      return false;
    }
    at += n;
    if (at == held.end) ++run;
  }
  return true;
}

// The failing checksums, as the collection's scan found them.
void WarnChecksums(const Inspection& inspection, Diagnostics& diag) {
  const RecordTable& records = inspection.opened.image->records;
  const std::vector<uint8_t>& flags = inspection.collected.recordFlags;
  ChecksumMessages messages;
  for (size_t i = 0; i < flags.size() && i < records.Count(); ++i) {
    const uint8_t f = flags[i];
    const bool judged = (f & CollectedImage::kDataRead) != 0 &&
                        (f & CollectedImage::kDataComplete) != 0 && !records.IsTerminator(i);
    if (judged && (f & CollectedImage::kChecksumValid) == 0) {
      messages.Note(diag, static_cast<uint32_t>(i), records[i].checksum);
    }
  }
  messages.Finish(diag);
}

// Ends the listing with `error`, told on standard error too unless it was
// told already.
int Fail(ExtractListing& listing, Diagnostics* diag, const std::string& error) {
  if (diag != nullptr) diag->Warn("%s", error.c_str());
  listing.End(error);
  return kExportFailed;
}

}  // namespace

int ExtractImage(HostServices& host, const std::string& path, const std::string& dir, bool json,
                 Writer& out, Diagnostics& diag) {
  std::unique_ptr<ExtractListing> listing = json ? MakeJsonListing(out) : MakeTextListing(out);
  listing->Begin(path, dir);
  Inspection inspection;
  CollectInspection(host, path, &inspection);
  if (!inspection.opened.Usable()) {
    return Fail(*listing, &diag, UnusableImageText(inspection.opened.item));
  }
  LoadedImage loaded;
  if (!loaded.Load(*inspection.opened.image, path, diag) || !loaded.CheckLoad(diag)) {
    return Fail(*listing, nullptr, path + ": the image file could not be read");
  }
  WarnChecksums(inspection, diag);
  std::string reason;
  std::unique_ptr<OutputFolder> root = host.OpenOutputFolder(dir, &reason);
  if (!root) {
    return Fail(*listing, &diag, "-extract: cannot use the folder '" + dir + "': " + reason);
  }

  Extraction extraction(loaded, *listing, out);
  for (const CollectedToc& toc : inspection.collected.tocs) {
    if (out.Stopped()) break;
    extraction.Toc(toc, *root);
  }
  if (!inspection.collected.complete) {
    return Fail(*listing, &diag,
                "-extract: the image holds more items than one run keeps; the entries past them "
                "are not extracted");
  }
  listing->End({});
  return extraction.AnyLeftOut() ? kExportFailed : kExportDone;
}

}  // namespace romscope
