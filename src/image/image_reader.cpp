#include "image/image_reader.h"

#include <algorithm>
#include <cstring>
#include <numeric>
#include <queue>

namespace romscope {
namespace {

uint64_t EndOf(const RecordInfo& record) {
  return static_cast<uint64_t>(record.start) + record.length;
}

bool Holds(const RecordInfo& record, uint64_t a, uint64_t b) {
  return record.start <= a && EndOf(record) >= b;
}

}  // namespace

ImageReader::ImageReader(ImageFile& file, const RecordTable& records, Writer& out)
    : file_(file), records_(records), out_(out) {}

void ImageReader::BuildIndex() {
  indexed_ = true;
  const size_t count = records_.Count() - (records_.HasTerminator() ? 1 : 0);
  std::vector<uint32_t> order(count);
  std::iota(order.begin(), order.end(), 0u);
  std::stable_sort(order.begin(), order.end(),
                   [&](uint32_t x, uint32_t y) { return records_[x].start < records_[y].start; });

  uint64_t maxEnd = 0;
  for (uint32_t i : order) {
    maxEnd = std::max(maxEnd, EndOf(records_[i]));
    sortedStarts_.push_back(records_[i].start);
    prefixMaxEnd_.push_back(maxEnd);
  }

  for (uint32_t i : order) {
    if (records_[i].length == 0) continue;
    bounds_.push_back(records_[i].start);
    bounds_.push_back(EndOf(records_[i]));
  }
  std::sort(bounds_.begin(), bounds_.end());
  bounds_.erase(std::unique(bounds_.begin(), bounds_.end()), bounds_.end());
  if (bounds_.size() < 2) return;

  // Sweep the pieces in address order with the covering records in a
  // min-heap of table indexes; records that ended are dropped lazily.
  const size_t pieces = bounds_.size() - 1;
  first_.assign(pieces, kNone);
  covering_.assign(pieces, 0);
  std::priority_queue<uint32_t, std::vector<uint32_t>, std::greater<uint32_t>> active;
  size_t next = 0;
  uint32_t open = 0;
  std::vector<uint32_t> withData;
  for (uint32_t i : order) {
    if (records_[i].length != 0) withData.push_back(i);
  }
  std::vector<uint64_t> endsSorted;
  for (uint32_t i : withData) endsSorted.push_back(EndOf(records_[i]));
  std::sort(endsSorted.begin(), endsSorted.end());
  size_t nextEnd = 0;
  for (size_t k = 0; k < pieces; ++k) {
    const uint64_t at = bounds_[k];
    while (next < withData.size() && records_[withData[next]].start == at) {
      active.push(withData[next++]);
      ++open;
    }
    while (nextEnd < endsSorted.size() && endsSorted[nextEnd] == at) {
      ++nextEnd;
      --open;
    }
    while (!active.empty() && EndOf(records_[active.top()]) <= at) active.pop();
    if (!active.empty()) first_[k] = active.top();
    covering_[k] = open;
  }
}

size_t ImageReader::PieceOf(uint64_t a) const {
  if (bounds_.empty() || a < bounds_.front() || a >= bounds_.back()) return SIZE_MAX;
  // The last bound at or below a. The search has no data-dependent branch,
  // so scattered reads do not stall on mispredictions one after another.
  const uint64_t* base = bounds_.data();
  size_t size = bounds_.size();
  while (size > 1) {
    const size_t half = size / 2;
    base = base[half] <= a ? base + half : base;
    size -= half;
  }
  return static_cast<size_t>(base - bounds_.data());
}

bool ImageReader::AnyHolder(uint64_t a, uint64_t b) const {
  auto it = std::upper_bound(sortedStarts_.begin(), sortedStarts_.end(), a);
  if (it == sortedStarts_.begin()) return false;
  return prefixMaxEnd_[static_cast<size_t>(it - sortedStarts_.begin()) - 1] >= b;
}

// The first record in table order with start <= a and end >= b, for b > a.
uint32_t ImageReader::FirstHolder(uint64_t a, uint64_t b) const {
  size_t piece = PieceOf(a);
  if (piece == SIZE_MAX) return kNone;
  // Every holder covers the whole piece of a when the range ends inside it.
  if (b <= bounds_[piece + 1]) return first_[piece];
  if (!AnyHolder(a, b)) return kNone;
  const size_t count = records_.Count() - (records_.HasTerminator() ? 1 : 0);
  for (size_t i = 0; i < count; ++i) {
    if (Holds(records_[i], a, b)) return static_cast<uint32_t>(i);
  }
  return kNone;
}

bool ImageReader::ReadImage(uint8_t* dst, uint32_t address, uint64_t size, uint32_t bias) {
  if (size > kMaxRead) {
    if (size <= UINT32_MAX) {
      out_.Printf("Trying to read %d bytes (too big)\n", static_cast<int32_t>(size));
    } else {
      out_.Printf("Trying to read %llu bytes (too big)\n", static_cast<unsigned long long>(size));
    }
    return false;
  }
  EnsureIndex();
  const uint64_t a = static_cast<uint32_t>(address + bias);
  uint32_t holder = FirstHolder(a, a + size);
  if (holder == kNone) return false;
  const RecordInfo& record = records_[holder];
  return file_.ReadAt(record.dataOffset + (a - record.start), dst, static_cast<size_t>(size)) ==
         static_cast<int64_t>(size);
}

bool ImageReader::InRecordSpace(uint32_t address, uint32_t length, uint32_t bias) {
  EnsureIndex();
  const uint64_t a = static_cast<uint32_t>(address + bias);
  return AnyHolder(a, a + length);
}

bool ImageReader::ReadString(char* dst, size_t capacity, uint32_t address, uint32_t bias) {
  if (capacity > 0) dst[0] = '\0';
  EnsureIndex();
  const uint64_t a = static_cast<uint32_t>(address + bias);
  size_t piece = PieceOf(a);
  if (piece == SIZE_MAX || first_[piece] == kNone) return false;
  // Only records that hold the string's first byte can hold the whole string;
  // they are tried in table order, the first of them known from the index.
  uint32_t first = first_[piece];
  if (TryString(records_[first], a, dst, capacity)) return true;
  if (covering_[piece] < 2) return false;
  const size_t count = records_.Count() - (records_.HasTerminator() ? 1 : 0);
  for (size_t i = first + 1; i < count; ++i) {
    if (Holds(records_[i], a, a + 1) && TryString(records_[i], a, dst, capacity)) return true;
  }
  if (capacity > 0) dst[0] = '\0';
  return false;
}

// A string is accepted from `record` when its NUL lies inside the record's
// data; a string that meets the end of the file or a read error first runs
// past the record as far as the caller is concerned.
bool ImageReader::TryString(const RecordInfo& record, uint64_t a, char* dst, size_t capacity) {
  const uint64_t from = record.dataOffset + (a - record.start);
  const uint64_t limit = record.dataOffset + record.length;
  uint64_t nul;
  if (!FindNul(from, limit, &nul)) return false;
  if (capacity == 0) return true;
  size_t keep = static_cast<size_t>(std::min<uint64_t>(nul - from, capacity - 1));
  if (keep > 0 &&
      file_.ReadAt(from, reinterpret_cast<uint8_t*>(dst), keep) != static_cast<int64_t>(keep)) {
    dst[0] = '\0';
    return false;
  }
  dst[keep] = '\0';
  return true;
}

// Finds the first NUL byte in the file range [from, limit).
bool ImageReader::FindNul(uint64_t from, uint64_t limit, uint64_t* at) {
  uint8_t block[4096];
  uint64_t position = from;
  while (position < limit) {
    auto known = nulFree_.upper_bound(position);
    if (known != nulFree_.begin() && std::prev(known)->second > position) {
      position = std::prev(known)->second;
      continue;
    }
    size_t want = static_cast<size_t>(std::min<uint64_t>(sizeof block, limit - position));
    int64_t got = file_.ReadAt(position, block, want);
    if (got <= 0) break;
    const void* nul = std::memchr(block, 0, static_cast<size_t>(got));
    if (nul != nullptr) {
      *at = position + static_cast<uint64_t>(static_cast<const uint8_t*>(nul) - block);
      MarkNulFree(from, *at);
      return true;
    }
    position += static_cast<uint64_t>(got);
    if (static_cast<size_t>(got) < want) break;  // the end of the file
  }
  MarkNulFree(from, position);
  return false;
}

void ImageReader::MarkNulFree(uint64_t from, uint64_t to) {
  // Short runs are cheaper to read again than to remember.
  if (to - from < 4096) return;
  auto it = nulFree_.upper_bound(from);
  if (it != nulFree_.begin() && std::prev(it)->second >= from) {
    --it;
    from = it->first;
    to = std::max(to, it->second);
    it = nulFree_.erase(it);
  }
  while (it != nulFree_.end() && it->first <= to) {
    to = std::max(to, it->second);
    it = nulFree_.erase(it);
  }
  nulFree_[from] = to;
}

bool ImageReader::FindByteRun(uint32_t address, uint64_t* fileOffset, uint64_t* length) {
  EnsureIndex();
  size_t piece = PieceOf(address);
  if (piece == SIZE_MAX || first_[piece] == kNone) return false;
  const RecordInfo& record = records_[first_[piece]];
  // Addresses wrap at 2^32, where no record's data continues.
  const uint64_t end = std::min<uint64_t>(bounds_[piece + 1], uint64_t{1} << 32);
  *fileOffset = record.dataOffset + (address - record.start);
  *length = end - address;
  return true;
}

const uint8_t* ImageReader::ReadByteRun(uint32_t address, size_t* count) {
  uint64_t offset = 0;
  uint64_t length = 0;
  if (!FindByteRun(address, &offset, &length)) return nullptr;
  size_t available = 0;
  const uint8_t* bytes = WindowAt(offset, &available);
  if (bytes == nullptr) return nullptr;
  *count = static_cast<size_t>(std::min<uint64_t>(available, length));
  return bytes;
}

const uint8_t* ImageReader::WindowAt(uint64_t offset, size_t* available) {
  if (offset < windowStart_ || offset - windowStart_ >= windowSize_) {
    if (window_.empty()) window_.resize(kMaxRead);
    int64_t got = file_.ReadAt(offset, window_.data(), window_.size());
    // A failed read may lie beyond this byte: this byte alone decides.
    if (got < 0) got = file_.ReadAt(offset, window_.data(), 1);
    if (got <= 0) {
      windowSize_ = 0;
      return nullptr;
    }
    windowStart_ = offset;
    windowSize_ = static_cast<size_t>(got);
  }
  *available = windowSize_ - static_cast<size_t>(offset - windowStart_);
  return window_.data() + (offset - windowStart_);
}

}  // namespace romscope
