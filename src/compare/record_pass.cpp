#include "compare/record_pass.h"

#include <algorithm>
#include <cstring>

#include "image/record_reader.h"

namespace romscope {
namespace {

constexpr uint32_t kNone = Matching::kNone;

// The flags the collection keeps for a record whose data a reading went
// through, as the record scan forms them.
uint8_t FlagsOf(const RecordInfo& record, const RecordReader::Reading& reading) {
  RecordItem item;
  item.record = record;
  item.dataRead = true;
  item.bytesRead = reading.BytesRead();
  item.sum = reading.Sum();
  item.dataComplete = reading.Complete();
  return CollectedImage::RecordFlags(item);
}

// The verdict on `length` bytes compared where each side delivered
// `oldRead` and `newRead` of them and `differ` tells whether the bytes both
// delivered differ somewhere.
Content Verdict(bool differ, uint64_t oldRead, uint64_t newRead, uint64_t length) {
  if (differ) return Content::kChanged;
  if (oldRead == length && newRead == length) return Content::kSame;
  return oldRead == newRead ? Content::kNeither : Content::kUnknown;
}

uint8_t ReadAlone(Inspection& inspection, uint32_t index) {
  Image& image = *inspection.opened.image;
  const RecordInfo record = image.records[index];
  RecordReader::Reading reading(image.data, record);
  while (reading.Next(image.scratch.data()) != 0) {
  }
  return FlagsOf(record, reading);
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
  oldFlags_.assign(oldRecords.Count(), 0);
  newFlags_.assign(newRecords.Count(), 0);

  pairContent_.assign(oldCount_, Content::kNone);
  oldBuffer_.resize(kScratchSize);
  newBuffer_.resize(kScratchSize);
  for (uint32_t i = 0; i < oldCount_; ++i) {
    const uint32_t j = pairs_.NewOf(i);
    if (j != kNone) {
      ReadPair(i, j);
    } else {
      oldFlags_[i] = ReadAlone(*old_, i);
    }
  }
  for (uint32_t j = 0; j < newCount_; ++j) {
    if (pairs_.OldOf(j) == kNone) newFlags_[j] = ReadAlone(*new_, j);
  }
}

// Both records a chunk at a time, side by side: while both deliver, the
// chunks lie at the same offset and are compared.
void RecordPass::ReadPair(uint32_t oldIndex, uint32_t newIndex) {
  Image& oldImage = *old_->opened.image;
  Image& newImage = *new_->opened.image;
  const RecordInfo oldRecord = oldImage.records[oldIndex];
  const RecordInfo newRecord = newImage.records[newIndex];
  RecordReader::Reading o(oldImage.data, oldRecord);
  RecordReader::Reading n(newImage.data, newRecord);
  uint64_t offset = 0;
  bool together = true;
  bool differ = false;
  for (;;) {
    const size_t a = o.Next(oldBuffer_.data());
    const size_t b = n.Next(newBuffer_.data());
    if (together) {
      // A side that stopped short may still have delivered a part of its
      // chunk, which the other side's chunk covers.
      const size_t oldHas = a != 0 ? a : o.Delivered() - o.BytesRead();
      const size_t newHas = b != 0 ? b : n.Delivered() - n.BytesRead();
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
  oldFlags_[oldIndex] = FlagsOf(oldRecord, o);
  newFlags_[newIndex] = FlagsOf(newRecord, n);
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
