#include "host/byte_source.h"

#include <algorithm>
#include <cstring>

namespace romscope {

int64_t MemorySource::ReadAt(uint64_t offset, uint8_t* dst, size_t size) {
  ++reads;
  if (size > 0 && offset < UINT64_MAX - size && offset + size > failFrom_) return -1;
  if (offset >= bytes_.size()) return 0;
  size_t count = static_cast<size_t>(std::min<uint64_t>(size, bytes_.size() - offset));
  std::memcpy(dst, bytes_.data() + offset, count);
  bytesRead += count;
  return static_cast<int64_t>(count);
}

}  // namespace romscope
