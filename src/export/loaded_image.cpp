#include "export/loaded_image.h"

#include <algorithm>

#include "image/record_scan.h"

namespace romscope {
namespace {

constexpr size_t kCompareChunk = 65536;

}  // namespace

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

bool LoadedImage::Load(Image& image) {
  image_ = &image;
  const int64_t size = image.file.Size();
  if (size < 0) return false;
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

LoadFacts LoadedImage::CheckLoad() {
  LoadFacts facts;
  const RecordTable& records = image_->records;
  for (uint32_t index : memory_.CutByFile()) {
    const RecordInfo info = records[index];
    facts.cutByFile.push_back({index, MemoryImage::LoadOf(info, fileSize_).inFile, info.length});
  }
  for (uint32_t index : memory_.CutAtTop()) facts.pastTop.Add(index);

  std::vector<uint8_t> a(kCompareChunk);
  std::vector<uint8_t> b(kCompareChunk);
  for (const MemoryOverlap& overlap : memory_.Overlaps()) {
    switch (CompareOverlap(image_->data, overlap, a, b, &sums_[overlap.earlier])) {
      case OverlapBytes::kUnreadable:
        facts.unreadable = true;
        return facts;
      case OverlapBytes::kSame:
        break;
      case OverlapBytes::kDiffer:
        facts.overlaps.Add({overlap.start, static_cast<uint32_t>(overlap.end - 1), overlap.later,
                            overlap.earlier});
        break;
    }
  }
  return facts;
}

bool LoadedImage::CheckSums(FirstFew<FailingChecksum>* failing) {
  const RecordTable& records = image_->records;
  // The bytes from 2^32 on are in no run: they are read for the sum alone.
  std::vector<uint8_t> chunk(kCompareChunk);
  for (uint32_t index : memory_.CutAtTop()) {
    const RecordInfo info = records[index];
    const RecordLoad load = MemoryImage::LoadOf(info, fileSize_);
    for (uint64_t at = load.inMemory; at < load.inFile;) {
      const size_t n = static_cast<size_t>(std::min<uint64_t>(chunk.size(), load.inFile - at));
      if (image_->data.Read(info, at, chunk.data(), n) != static_cast<int64_t>(n)) return false;
      sums_.Add(index, chunk.data(), n);
      at += n;
    }
  }
  for (uint32_t i = 0; i < recordCount_; ++i) {
    const RecordInfo info = records[i];
    // A cut record has no verdict: its message says so already.
    if (MemoryImage::LoadOf(info, fileSize_).inFile < info.length) continue;
    if (sums_[i] != info.checksum) failing->Add({i, info.checksum});
  }
  return true;
}

FirstFew<FailingChecksum> FailingChecksums(const CollectedImage& collected,
                                           const RecordTable& records) {
  FirstFew<FailingChecksum> failing;
  for (size_t i = 0; i < collected.recordFlags.size() && i < records.Count(); ++i) {
    if (!records.IsTerminator(i) && collected.Verdict(i) == RecordVerdict::kWrong) {
      failing.Add({static_cast<uint32_t>(i), records[i].checksum});
    }
  }
  return failing;
}

}  // namespace romscope
