// Finds each ROM table of contents in the image, one per call.
//
// An 8-byte signature record carries the signature word and pTOC, the table
// address of a header. Each 84-byte record is then tried as that header,
// assuming that the difference between its record address and pTOC is
// ROMOFFSET; the first whose contents agree is the header.
#pragma once

#include <cstddef>
#include <cstdint>

#include "base/stop_signal.h"
#include "image/image.h"
#include "rom/consumer.h"
#include "rom/items.h"

namespace romscope {

class TocLocator {
 public:
  // True when a header was found: Found() describes it. False when no
  // signature record from the resume point on leads to a header. Each record
  // tried as a header goes to `consumer` as a candidate (none when null).
  bool FindNextToc(Image& image, InspectionConsumer* consumer, const StopSignal& stop);
  const TocLocation& Found() const { return found_; }

 private:
  // The second word of the signature record at `index`, or 0 when it is no
  // signature record (a pTOC of 0 names no header either).
  uint32_t SignatureAt(Image& image, size_t index) const;
  // Tries record `index` as the header `pTOC` names.
  TocCandidate Try(Image& image, size_t index, uint32_t pTOC) const;

  size_t tocResumeIndex_ = 0;
  TocLocation found_;
};

}  // namespace romscope
