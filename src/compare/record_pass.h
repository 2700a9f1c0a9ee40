// The records of both images paired (by start address, as compare.h says),
// and their data read once for two purposes: each image's checksum verdicts,
// formed exactly as the record scan forms them, and the comparison of each
// pair's bytes. The images are collected without their data (the plan's
// readData off), so every data byte is read once, not once to verify it and
// again to compare it.
//
// What the pass keeps of a pair: how many bytes each side delivered, the
// chunks in which the two differ, and the verdict on the whole record. The
// content comparison asks it before it reads: bytes the pass found equal are
// not read again.
#pragma once

#include <cstdint>
#include <vector>

#include "compare/change.h"
#include "compare/matching.h"
#include "rom/collector.h"

namespace romscope {

class RecordPass {
 public:
  // Pairs the records of the two inspections (terminators aside) and reads
  // their data.
  void Run(Inspection& oldInspection, Inspection& newInspection);

  // The flags of each image's records as a scan that read their data keeps
  // them (CollectedImage::RecordFlags), by index in the image's table; the
  // collections themselves, made without the data, are left as they are.
  const std::vector<uint8_t>& OldFlags() const { return oldFlags_; }
  const std::vector<uint8_t>& NewFlags() const { return newFlags_; }

  // Records by their index in each image's table; the terminators are in
  // neither list.
  const Matching& Pairs() const { return pairs_; }
  uint32_t OldCount() const { return oldCount_; }
  uint32_t NewCount() const { return newCount_; }
  // The verdict on the bytes of the pair of the old image's record `index`.
  Content PairContent(uint32_t index) const { return pairContent_[index]; }

  // What a comparison of bytes [begin, begin + length) of the old image's
  // record `index` with the same bytes of its partner finds.
  struct Known {
    uint64_t oldRead = 0;  // how many of the bytes each side could read
    uint64_t newRead = 0;
    std::vector<std::pair<uint64_t, uint64_t>> differing;  // record offsets
  };
  void Lookup(uint32_t index, uint64_t begin, uint64_t length, Known* known) const;

 private:
  struct Span {
    uint32_t record;  // the old image's
    uint32_t begin;
    uint32_t end;
  };
  void ReadPair(uint32_t oldIndex, uint32_t newIndex);
  void AddSpan(uint32_t record, uint64_t begin, uint64_t end);

  // A pair of which a side delivered less than its record's length.
  struct Partial {
    uint32_t record;  // the old image's
    uint32_t oldRead;
    uint32_t newRead;
  };

  Inspection* old_ = nullptr;
  Inspection* new_ = nullptr;
  uint32_t oldCount_ = 0;
  uint32_t newCount_ = 0;
  Matching pairs_;
  std::vector<uint8_t> oldFlags_;
  std::vector<uint8_t> newFlags_;
  std::vector<Content> pairContent_;  // per old record
  std::vector<Partial> partial_;      // by record
  std::vector<Span> differing_;       // by record, then offset
  std::vector<uint8_t> oldBuffer_;
  std::vector<uint8_t> newBuffer_;
};

}  // namespace romscope
