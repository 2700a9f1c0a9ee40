#include "report/diff/record_pass.h"

#include <algorithm>
#include <cstring>

#include "image/record_scan.h"

namespace romscope {
namespace {

constexpr uint32_t kNone = Matching::kNone;

// One image's reading of a record's data, chunk by chunk as the scan reads
// it: chunks of the scratch buffer's size from the data's start, each added
// to the sum when it is read in full; the first one that is not ends the
// reading. `delivered` also counts the bytes of a short last chunk, which
// the sum leaves out but a comparison can use.
class DataReading {
 public:
  DataReading(ImageFile& file, const RecordInfo& record) : file_(file), record_(record) {}

  // The next chunk into `buffer`: its size, or 0 when the reading is over.
  size_t Next(uint8_t* buffer) {
    if (over_ || read_ == record_.length) return 0;
    const size_t size = std::min<size_t>(record_.length - read_, kScratchSize);
    const int64_t got = file_.ReadAt(record_.dataOffset + read_, buffer, size);
    if (got != static_cast<int64_t>(size)) {
      over_ = true;
      if (got > 0) delivered_ = read_ + static_cast<uint32_t>(got);
      return 0;
    }
    sum_ += SumBytes(buffer, size);
    read_ += static_cast<uint32_t>(size);
    delivered_ = read_;
    return size;
  }
  // The bytes of the chunk that ended the reading short, at its end.
  uint32_t ShortTail() const { return delivered_ - read_; }
  uint32_t Delivered() const { return delivered_; }
  bool Complete() const { return !over_ && read_ == record_.length; }

  uint8_t Flags() const {
    RecordItem item;
    item.record = record_;
    item.dataRead = true;
    item.bytesRead = read_;
    item.sum = sum_;
    item.dataComplete = Complete();
    return CollectedImage::RecordFlags(item);
  }

 private:
  ImageFile& file_;
  RecordInfo record_;
  uint32_t read_ = 0;
  uint32_t delivered_ = 0;
  uint32_t sum_ = 0;
  bool over_ = false;
};

// The verdict on `length` bytes compared where each side delivered
// `oldRead` and `newRead` of them and `differ` tells whether the bytes both
// delivered differ somewhere.
Content Verdict(bool differ, uint64_t oldRead, uint64_t newRead, uint64_t length) {
  if (differ) return Content::kChanged;
  if (oldRead == length && newRead == length) return Content::kSame;
  return oldRead == newRead ? Content::kNeither : Content::kUnknown;
}

void ReadAlone(Inspection& inspection, uint32_t index) {
  Image& image = *inspection.opened.image;
  DataReading reading(image.file, image.records[index]);
  while (reading.Next(image.scratch.data()) != 0) {
  }
  inspection.collected.recordFlags[index] = reading.Flags();
}

// The records of the image's content: all but the terminator, the last.
uint32_t RecordCount(const Inspection& inspection) {
  const RecordTable& records = inspection.opened.image->records;
  const size_t count = records.Count() - (records.HasTerminator() ? 1 : 0);
  // Record indices are 32-bit throughout; a table that big would need a
  // file of 48 GiB of record headers.
  return static_cast<uint32_t>(std::min<size_t>(count, kNone - 1));
}

}  // namespace

void RecordPass::Run(Inspection& oldInspection, Inspection& newInspection) {
  old_ = &oldInspection;
  new_ = &newInspection;
  const RecordTable& oldRecords = old_->opened.image->records;
  const RecordTable& newRecords = new_->opened.image->records;
  oldCount_ = RecordCount(*old_);
  newCount_ = RecordCount(*new_);
  MatchByKey(
      oldCount_, newCount_, [&](uint32_t i) { return ItemKey::Number(oldRecords[i].start); },
      [&](uint32_t j) { return ItemKey::Number(newRecords[j].start); }, &pairs_);
  old_->collected.recordFlags.resize(oldRecords.Count());
  new_->collected.recordFlags.resize(newRecords.Count());

  pairContent_.assign(oldCount_, Content::kNone);
  oldBuffer_.resize(kScratchSize);
  newBuffer_.resize(kScratchSize);
  for (uint32_t i = 0; i < oldCount_; ++i) {
    const uint32_t j = pairs_.NewOf(i);
    if (j != kNone) {
      ReadPair(i, j);
    } else {
      ReadAlone(*old_, i);
    }
  }
  for (uint32_t j = 0; j < newCount_; ++j) {
    if (pairs_.OldOf(j) == kNone) ReadAlone(*new_, j);
  }
}

// Both records a chunk at a time, side by side: while both deliver, the
// chunks lie at the same offset and are compared.
void RecordPass::ReadPair(uint32_t oldIndex, uint32_t newIndex) {
  Image& oldImage = *old_->opened.image;
  Image& newImage = *new_->opened.image;
  const RecordInfo oldRecord = oldImage.records[oldIndex];
  const RecordInfo newRecord = newImage.records[newIndex];
  DataReading o(oldImage.file, oldRecord);
  DataReading n(newImage.file, newRecord);
  uint64_t offset = 0;
  bool together = true;
  bool differ = false;
  for (;;) {
    const size_t a = o.Next(oldBuffer_.data());
    const size_t b = n.Next(newBuffer_.data());
    if (together) {
      // A side that stopped short may still have delivered a part of its
      // chunk, which the other side's chunk covers.
      const size_t oldHas = a != 0 ? a : o.ShortTail();
      const size_t newHas = b != 0 ? b : n.ShortTail();
      const size_t common = std::min(oldHas, newHas);
      if (common > 0 && std::memcmp(oldBuffer_.data(), newBuffer_.data(), common) != 0) {
        AddSpan(oldIndex, offset, offset + common);
        differ = true;
      }
      together = a != 0 && b != 0;
    }
    if (a == 0 && b == 0) break;
    offset += std::max(a, b);
  }
  old_->collected.recordFlags[oldIndex] = o.Flags();
  new_->collected.recordFlags[newIndex] = n.Flags();
  if (o.Delivered() < oldRecord.length || n.Delivered() < newRecord.length) {
    partial_.push_back({oldIndex, o.Delivered(), n.Delivered()});
  }
  pairContent_[oldIndex] = oldRecord.length != newRecord.length
                               ? Content::kChanged
                               : Verdict(differ, o.Delivered(), n.Delivered(), oldRecord.length);
}

void RecordPass::AddSpan(uint32_t record, uint64_t begin, uint64_t end) {
  if (!differing_.empty() && differing_.back().record == record && differing_.back().end == begin) {
    differing_.back().end = static_cast<uint32_t>(end);
    return;
  }
  differing_.push_back({record, static_cast<uint32_t>(begin), static_cast<uint32_t>(end)});
}

void RecordPass::Lookup(uint32_t index, uint64_t begin, uint64_t length, Known* known) const {
  const uint64_t end = begin + length;
  auto delivered = [&](uint32_t read) {
    return read > begin ? std::min<uint64_t>(read - begin, length) : 0;
  };
  uint32_t oldRead = old_->opened.image->records[index].length;
  uint32_t newRead = new_->opened.image->records[pairs_.NewOf(index)].length;
  const auto partial =
      std::lower_bound(partial_.begin(), partial_.end(), index,
                       [](const Partial& p, uint32_t record) { return p.record < record; });
  if (partial != partial_.end() && partial->record == index) {
    oldRead = partial->oldRead;
    newRead = partial->newRead;
  }
  known->oldRead = delivered(oldRead);
  known->newRead = delivered(newRead);
  known->differing.clear();
  auto span = std::lower_bound(differing_.begin(), differing_.end(), index,
                               [](const Span& s, uint32_t record) { return s.record < record; });
  for (; span != differing_.end() && span->record == index && span->begin < end; ++span) {
    if (span->end > begin) {
      known->differing.push_back(
          {std::max<uint64_t>(span->begin, begin), std::min<uint64_t>(span->end, end)});
    }
  }
}

}  // namespace romscope
