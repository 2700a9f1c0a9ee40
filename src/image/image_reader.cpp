#include "image/image_reader.h"

#include <algorithm>
#include <cstring>

namespace romscope {

ImageReader::ImageReader(RecordReader& data, const RecordTable& records)
    : data_(data), records_(records) {}

bool ImageReader::ReadImage(uint8_t* dst, uint32_t address, uint64_t size, uint32_t bias) {
  if (size > kMaxRead) return false;
  EnsureIndex();
  const uint64_t a = static_cast<uint32_t>(address + bias);
  const uint32_t holder = index_.FirstHolder(a, a + size);
  if (holder == kNone) return false;
  const RecordInfo record = records_[holder];
  return data_.ReadStore(record.dataOffset + (a - record.start), dst, static_cast<size_t>(size)) ==
         static_cast<int64_t>(size);
}

bool ImageReader::InRecordSpace(uint32_t address, uint32_t length, uint32_t bias) {
  EnsureIndex();
  const uint64_t a = static_cast<uint32_t>(address + bias);
  return index_.AnyHolder(a, a + length);
}

uint32_t ImageReader::Holder(uint32_t address, uint64_t length, uint32_t bias) {
  EnsureIndex();
  const uint64_t a = static_cast<uint32_t>(address + bias);
  return index_.FirstHolder(a, a + length);
}

bool ImageReader::ReadString(char* dst, size_t capacity, uint32_t address, uint32_t bias) {
  if (capacity > 0) dst[0] = '\0';
  EnsureIndex();
  const uint64_t a = static_cast<uint32_t>(address + bias);
  // Only records that hold the string's first byte can hold the whole string;
  // they are tried in table order. The first one usually takes it.
  const uint32_t first = index_.FirstHolder(a, a + 1);
  if (first == kNone) return false;
  if (TryString(records_[first], a, dst, capacity)) return true;
  RecordIndex::Holders holders(index_, a, a + 1);
  for (uint32_t i = holders.Next(); i != kNone; i = holders.Next()) {
    if (i > first && TryString(records_[i], a, dst, capacity)) return true;
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
      data_.ReadStore(from, reinterpret_cast<uint8_t*>(dst), keep) != static_cast<int64_t>(keep)) {
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
    int64_t got = data_.ReadStore(position, block, want);
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

bool ImageReader::FindByteRun(uint32_t address) {
  EnsureIndex();
  const uint32_t holder = index_.FirstHolder(address, uint64_t{address} + 1);
  if (holder == kNone) return false;
  const RecordInfo record = records_[holder];
  // The holder serves up to its end, or up to where a record before it in
  // the table begins; addresses wrap at 2^32, where no record's data goes on.
  const uint64_t end = std::min(uint64_t{record.start} + record.length, uint64_t{1} << 32);
  runStart_ = address;
  runEnd_ = index_.RunEnd(address, holder, end);
  runOffset_ = record.dataOffset + (address - record.start);
  return true;
}

const uint8_t* ImageReader::ReadByteRun(uint32_t address, size_t* count) {
  if ((address < runStart_ || address >= runEnd_) && !FindByteRun(address)) return nullptr;
  size_t available = 0;
  const uint8_t* bytes =
      WindowAt(runOffset_ + (address - runStart_), runEnd_ - address, &available);
  if (bytes == nullptr) return nullptr;
  *count = static_cast<size_t>(std::min<uint64_t>(available, runEnd_ - address));
  return bytes;
}

const uint8_t* ImageReader::WindowAt(uint64_t offset, uint64_t wanted, size_t* available) {
  size_t k = 0;
  while (k < 2 && (offset < windows_[k].start || offset - windows_[k].start >= windows_[k].size)) {
    ++k;
  }
  if (k == 2) {
    // Into the window used less lately. Short runs read a little ahead, long
    // ones a whole window.
    k = 1 - lastWindow_;
    Window& w = windows_[k];
    if (w.bytes.empty()) w.bytes.resize(kMaxRead);
    const size_t size = static_cast<size_t>(std::clamp<uint64_t>(wanted, kMinWindow, kMaxRead));
    int64_t got = data_.ReadStore(offset, w.bytes.data(), size);
    // A failed read may lie beyond this byte: this byte alone decides.
    if (got < 0) got = data_.ReadStore(offset, w.bytes.data(), 1);
    if (got <= 0) {
      w.size = 0;
      return nullptr;
    }
    w.start = offset;
    w.size = static_cast<size_t>(got);
  }
  lastWindow_ = k;
  const Window& w = windows_[k];
  *available = w.size - static_cast<size_t>(offset - w.start);
  return w.bytes.data() + (offset - w.start);
}

}  // namespace romscope
