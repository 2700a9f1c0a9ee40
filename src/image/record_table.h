// The table of every record the scan met, in file order, the terminator
// record included as the last entry. It grows as needed; entries are never
// changed once written.
#pragma once

#include <cstddef>
#include <vector>

#include "image/bin_format.h"

namespace romscope {

class RecordTable {
 public:
  void Add(const RecordInfo& record) { entries_.push_back(record); }
  // The entry just added is the terminator record.
  void MarkTerminator() { hasTerminator_ = !entries_.empty(); }

  size_t Count() const { return entries_.size(); }
  const RecordInfo& operator[](size_t index) const { return entries_[index]; }
  const std::vector<RecordInfo>& Entries() const { return entries_; }
  bool HasTerminator() const { return hasTerminator_; }
  // The terminator's length field is the image's entry address, not a length:
  // it holds no image data.
  bool IsTerminator(size_t index) const { return hasTerminator_ && index + 1 == entries_.size(); }

 private:
  std::vector<RecordInfo> entries_;
  bool hasTerminator_ = false;
};

}  // namespace romscope
