#include "export/loaded_image.h"

#include <algorithm>

#include "image/record_scan.h"

namespace romscope {
namespace {

constexpr size_t kCompareChunk = 65536;

}  // namespace

void WarnUnreadable(Diagnostics& diag, const std::string& path) {
  diag.Warn("%s: the image file could not be read", path.c_str());
}

void RecordSums::Add(uint32_t record, const uint8_t* data, size_t size) {
  sums_[record] += SumBytes(data, size);
}

void MemoryCursor::SkipTo(uint64_t from) {
  while (run_ < runs_.size() && runs_[run_].end <= from) ++run_;
}

bool MemoryCursor::Copy(uint64_t from, uint64_t to, uint8_t* dst, uint8_t fill) {
  SkipTo(from);
  uint64_t at = from;
  while (at < to) {
    if (run_ == runs_.size() || runs_[run_].start >= to) {
      std::fill(dst + (at - from), dst + (to - from), fill);
      return true;
    }
    const MemoryRun& run = runs_[run_];
    if (run.start > at) {
      std::fill(dst + (at - from), dst + (run.start - from), fill);
      at = run.start;
    }
    const uint64_t end = std::min(run.end, to);
    const size_t size = static_cast<size_t>(end - at);
    uint8_t* p = dst + (at - from);
    if (data_.ReadStore(run.fileOffset + (at - run.start), p, size) != static_cast<int64_t>(size)) {
      return false;
    }
    sums_.Add(run.record, p, size);
    at = end;
    if (at == run.end) ++run_;
  }
  return true;
}

bool MemoryCursor::NextHeld(uint64_t from, uint64_t* start, uint64_t* end) {
  SkipTo(from);
  if (run_ == runs_.size()) return false;
  *start = std::max<uint64_t>(from, runs_[run_].start);
  size_t last = run_;
  while (last + 1 < runs_.size() && runs_[last + 1].start == runs_[last].end) ++last;
  *end = runs_[last].end;
  return true;
}

bool LoadedImage::Load(Image& image, const std::string& path, Diagnostics& diag) {
  image_ = &image;
  path_ = path;
  const int64_t size = image.file.Size();
  if (size < 0) {
    diag.Warn("%s: the size of the file cannot be told", path.c_str());
    return false;
  }
  fileSize_ = static_cast<uint64_t>(size);
  const RecordTable& records = image.records;
  recordCount_ = static_cast<uint32_t>(records.Count() - (records.HasTerminator() ? 1 : 0));
  memory_ = MemoryImage::Build(records, fileSize_);
  sums_ = RecordSums(recordCount_);
  return true;
}

uint32_t LoadedImage::EntryAddress() const {
  const RecordTable& records = image_->records;
  return records.HasTerminator() ? records[records.Count() - 1].length : 0;
}

bool LoadedImage::CheckLoad(Diagnostics& diag) {
  const RecordTable& records = image_->records;
  for (uint32_t index : memory_.CutByFile()) {
    const RecordInfo info = records[index];
    diag.Warn("record %u: cut by the end of the file: 0x%llX of its 0x%08X bytes are there", index,
              static_cast<unsigned long long>(MemoryImage::LoadOf(info, fileSize_).inFile),
              info.length);
  }
  Tally top;
  for (uint32_t index : memory_.CutAtTop()) {
    if (top.Take()) {
      diag.Warn("record %u: runs past 0xFFFFFFFF; its bytes from 2^32 on are left out", index);
    }
  }
  if (top.Rest() > 0) diag.Warn("%zu more records that run past 0xFFFFFFFF", top.Rest());

  Tally overlaps;
  std::vector<uint8_t> a(kCompareChunk);
  std::vector<uint8_t> b(kCompareChunk);
  for (const MemoryOverlap& overlap : memory_.Overlaps()) {
    switch (CompareOverlap(image_->file, overlap, a, b, &sums_[overlap.earlier])) {
      case OverlapBytes::kUnreadable:
        WarnUnreadable(diag, path_);
        return false;
      case OverlapBytes::kSame:
        break;
      case OverlapBytes::kDiffer:
        if (overlaps.Take()) {
          diag.Warn("overlap at 0x%08X-0x%08X: record %u overwrites record %u with different bytes",
                    overlap.start, static_cast<uint32_t>(overlap.end - 1), overlap.later,
                    overlap.earlier);
        }
        break;
    }
  }
  if (overlaps.Rest() > 0) {
    diag.Warn("%zu more overlaps with different bytes", overlaps.Rest());
  }
  return true;
}

bool LoadedImage::CheckSums(Diagnostics& diag) {
  const RecordTable& records = image_->records;
  // The bytes from 2^32 on are in no run: they are read for the sum alone.
  std::vector<uint8_t> chunk(kCompareChunk);
  for (uint32_t index : memory_.CutAtTop()) {
    const RecordInfo info = records[index];
    const RecordLoad load = MemoryImage::LoadOf(info, fileSize_);
    for (uint64_t at = load.inMemory; at < load.inFile;) {
      const size_t n = static_cast<size_t>(std::min<uint64_t>(chunk.size(), load.inFile - at));
      if (image_->data.Read(info, at, chunk.data(), n) != static_cast<int64_t>(n)) {
        WarnUnreadable(diag, path_);
        return false;
      }
      sums_.Add(index, chunk.data(), n);
      at += n;
    }
  }
  ChecksumMessages messages;
  for (uint32_t i = 0; i < recordCount_; ++i) {
    const RecordInfo info = records[i];
    // A cut record has no verdict: its message says so already.
    if (MemoryImage::LoadOf(info, fileSize_).inFile < info.length) continue;
    if (sums_[i] != info.checksum) messages.Note(diag, i, info.checksum);
  }
  messages.Finish(diag);
  return true;
}

void ChecksumMessages::Note(Diagnostics& diag, uint32_t record, uint32_t checksum) {
  if (tally_.Take()) {
    diag.Warn("record %u: checksum 0x%08X does not hold", record, checksum);
  }
}

}  // namespace romscope

namespace romscope {

void ChecksumMessages::Finish(Diagnostics& diag) const {
  if (tally_.Rest() > 0) diag.Warn("%zu more records whose checksum does not hold", tally_.Rest());
}

}  // namespace romscope
