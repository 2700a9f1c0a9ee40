// The content of an item, compared byte for byte: a module section's stored
// bytes or a file's data, where rom/extents.h says they lie (SectionBytes,
// FileData). Each side is read as the report reads it: from the first record
// that holds the whole extent; an extent no record holds cannot be read.
//
// The verdict, whatever the pieces the bytes are read in: the content
// changed when the sizes differ or a byte that both sides can read differs;
// it is the same when every byte could be read on both sides and none
// differs; otherwise it is unknown (kNeither when both sides stop at the
// same byte, kUnknown when one side reads further than the other).
#pragma once

#include <cstdint>
#include <vector>

#include "compare/change.h"
#include "compare/record_pass.h"
#include "rom/collector.h"
#include "rom/extents.h"

namespace romscope {

class ContentComparer {
 public:
  // `records` has run on the two inspections. Without `usePass` every extent
  // is read whole (the fuzzer checks that this makes no difference).
  ContentComparer(Inspection& oldInspection, Inspection& newInspection, const RecordPass& records,
                  bool usePass = true);

  Content Compare(const Extent& oldBytes, const Extent& newBytes);

 private:
  // Compares `length` bytes at the two file offsets, in pieces of at most
  // 64 KiB, up to the first difference or the first byte a side cannot read.
  Content Direct(uint64_t oldOffset, uint64_t newOffset, uint64_t length);

  Image& old_;
  Image& new_;
  const RecordPass& records_;
  const bool usePass_;
  RecordPass::Known known_;
  std::vector<uint8_t> oldBuffer_;
  std::vector<uint8_t> newBuffer_;
};

// Combines the verdicts on the parts of one item's content: any change
// decides; then an unknown part; then a part neither image holds.
Content CombineContent(Content a, Content b);

}  // namespace romscope
