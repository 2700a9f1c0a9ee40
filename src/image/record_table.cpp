#include "image/record_table.h"

namespace romscope {

void RecordTable::Add(const RecordInfo& record) {
  const uint32_t low = static_cast<uint32_t>(record.dataOffset);
  const uint32_t high = static_cast<uint32_t>(record.dataOffset >> 32);
  if (count_ % kChunkSize == 0) {
    chunks_.emplace_back();
    chunks_.back().entries.reserve(kChunkSize);
    chunks_.back().offsetHigh = high;
  }
  Chunk& chunk = chunks_.back();
  if (chunk.highs.empty() && high != chunk.offsetHigh) {
    chunk.highs.reserve(kChunkSize);
    chunk.highs.assign(chunk.entries.size(), chunk.offsetHigh);
  }
  if (!chunk.highs.empty()) chunk.highs.push_back(high);
  chunk.entries.push_back({record.start, record.length, record.checksum, low});
  ++count_;
}

RecordInfo RecordTable::operator[](size_t index) const {
  const Chunk& chunk = chunks_[index >> kChunkBits];
  const size_t at = index & (kChunkSize - 1);
  const Entry& entry = chunk.entries[at];
  const uint64_t high = chunk.highs.empty() ? chunk.offsetHigh : chunk.highs[at];
  RecordInfo record;
  record.start = entry.start;
  record.length = entry.length;
  record.checksum = entry.checksum;
  record.dataOffset = high << 32 | entry.offsetLow;
  return record;
}

}  // namespace romscope
