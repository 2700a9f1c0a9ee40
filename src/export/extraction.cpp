#include "export/extraction.h"

#include <algorithm>
#include <memory>
#include <utility>

#include "export/safe_name.h"
#include "rom/extents.h"

namespace romscope {
namespace {

constexpr size_t kCopyChunk = size_t{1} << 20;

// Gives `entry` the image's name and the safe name it takes in its folder
// ("TOC/FOLDER/NAME"), and returns that name.
std::string Claim(ExtractEntry& entry, FolderNames& names, const char* folder,
                  const std::string& imageName, const char* extension = "") {
  entry.name = imageName;
  const SafeName safe = MakeSafeName(imageName, extension);
  uint16_t changes = safe.changes;
  std::string name = names.Claim(safe, &changes);
  entry.changes = changes;
  entry.path = std::to_string(entry.toc) + "/" + folder + "/" + name;
  return name;
}

// How many sections from `first` on have a header that cannot be read.
uint32_t UnreadableRun(const CollectedToc& toc, const CollectedModule& module, uint32_t first) {
  uint32_t end = first;
  while (end < module.sectionCount && !toc.sections[module.firstSection + end].o32) ++end;
  return end - first;
}

}  // namespace

// A folder made the first time something goes into it.
class Extraction::LazyFolder {
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

Extraction::Extraction(LoadedImage& loaded, ExtractSink& sink, const StopSignal& stop)
    : loaded_(loaded), sink_(sink), stop_(stop), buffer_(kCopyChunk) {}

void Extraction::List(const ExtractEntry& entry) {
  if (entry.status != ExtractEntry::kWritten) leftOut_ = true;
  sink_.Entry(entry);
}

void Extraction::Toc(const CollectedToc& toc, OutputFolder& root) {
  LazyFolder tocFolder(nullptr, &root, std::to_string(toc.toc.index));
  Modules(toc, tocFolder);
  Files(toc, tocFolder);
}

void Extraction::Modules(const CollectedToc& toc, LazyFolder& tocFolder) {
  LazyFolder modulesFolder(&tocFolder, nullptr, "modules");
  FolderNames names;
  for (const CollectedModule& module : toc.modules) {
    if (stop_.Stopped()) return;
    ExtractEntry entry;
    entry.toc = toc.toc.index;
    entry.item = module.index;
    const std::string folderName = Claim(entry, names, "modules", module.name.text);
    if (!module.e32) {
      entry.kind = ExtractEntry::kModule;
      entry.status = ExtractEntry::kSkipped;
      entry.reason = ExtractEntry::kNoE32;
      List(entry);
      continue;
    }
    LazyFolder moduleFolder(&modulesFolder, nullptr, folderName);
    Sections(toc, module, entry, moduleFolder);
  }
}

// `entry` holds what the module's sections share; its path is the module's
// folder.
void Extraction::Sections(const CollectedToc& toc, const CollectedModule& module,
                          ExtractEntry& entry, LazyFolder& moduleFolder) {
  const std::string folderPath = entry.path;
  for (uint32_t j = 0; j < module.sectionCount && !stop_.Stopped(); ++j) {
    const std::optional<Extent> bytes = SectionBytes(toc, toc.sections[module.firstSection + j]);
    entry.kind = ExtractEntry::kSection;
    entry.section = j;
    entry.count = 1;
    const std::string file = std::to_string(j) + ".bin";
    entry.path = folderPath + "/" + file;
    entry.address = 0;
    entry.size = 0;
    if (!bytes) {
      // A run of headers that cannot be read is one entry: a module may
      // claim 65,535 sections whose table is not there.
      const uint32_t run = UnreadableRun(toc, module, j);
      entry.status = ExtractEntry::kSkipped;
      entry.reason = ExtractEntry::kNoO32;
      if (run > 1) {
        entry.kind = ExtractEntry::kSections;
        entry.count = run;
        entry.path = folderPath;
        entry.reason = ExtractEntry::kNoO32s;
      }
      List(entry);
      j += run - 1;
      continue;
    }
    entry.address = bytes->start;
    entry.size = bytes->size;
    Put(entry, moduleFolder, file);
  }
}

void Extraction::Files(const CollectedToc& toc, LazyFolder& tocFolder) {
  LazyFolder filesFolder(&tocFolder, nullptr, "files");
  FolderNames names;
  for (const FileItem& file : toc.files) {
    if (stop_.Stopped()) return;
    ExtractEntry entry;
    entry.toc = toc.toc.index;
    entry.kind = ExtractEntry::kFile;
    entry.item = file.index;
    entry.compressed = file.entry.Compressed();
    const Extent bytes = FileData(toc, file);
    entry.address = bytes.start;
    entry.size = bytes.size;
    const std::string name =
        Claim(entry, names, "files", file.name.text, entry.compressed ? ".stored" : "");
    Put(entry, filesFolder, name);
  }
}

void Extraction::Put(ExtractEntry& entry, LazyFolder& folder, const std::string& name) {
  entry.refusal.clear();
  entry.status = ExtractEntry::kFailed;
  entry.reason = ExtractEntry::kRefused;
  if (!loaded_.memory().Holds(entry.address, entry.size)) {
    entry.status = ExtractEntry::kSkipped;
    entry.reason = ExtractEntry::kNotHeld;
  } else if (OutputFolder* parent = folder.Get(&entry.refusal)) {
    std::unique_ptr<OutputFile> file = parent->MakeFile(name, &entry.refusal);
    if (file && Copy(entry, *file)) {
      if (file->Close()) {
        entry.status = ExtractEntry::kWritten;
        entry.reason = ExtractEntry::kNoReason;
      } else {
        entry.refusal = file->ErrorText();
      }
    }
  }
  List(entry);
}

// The entry's bytes, run by run, which Holds has found to follow one another.
bool Extraction::Copy(ExtractEntry& entry, OutputFile& file) {
  const std::vector<MemoryRun>& runs = loaded_.memory().Runs();
  size_t run = loaded_.memory().FindRun(entry.address);
  uint64_t at = entry.address;
  const uint64_t end = at + entry.size;
  while (at < end) {
    const MemoryRun& held = runs[run];
    const size_t n = static_cast<size_t>(std::min({held.end, end, at + buffer_.size()}) - at);
    if (loaded_.image().data.ReadStore(held.fileOffset + (at - held.start), buffer_.data(), n) !=
        static_cast<int64_t>(n)) {
      entry.reason = ExtractEntry::kUnreadable;
      return false;
    }
    if (!file.Write(buffer_.data(), n)) {
      entry.refusal = file.ErrorText();
      return false;
    }
    at += n;
    if (at == held.end) ++run;
  }
  return true;
}

}  // namespace romscope
