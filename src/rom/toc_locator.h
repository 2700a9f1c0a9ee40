// Finds each ROM table of contents in the image, one per call.
//
// An 8-byte signature record carries the signature word and pTOC, the table
// address of a header. Each 84-byte record is then tried as that header,
// assuming that the difference between its record address and pTOC is
// ROMOFFSET; the first whose contents agree is the header.
#pragma once

#include <cstddef>
#include <cstdint>

#include "base/writer.h"
#include "image/image.h"
#include "image/image_reader.h"

namespace romscope {

class TocLocator {
 public:
  // True when a header was found: pTOC() and RomOffset() describe it and
  // its two lines are printed. False when no signature record from the
  // resume point on leads to a header; both values are then 0.
  bool FindNextToc(Image& image, ImageReader& reader, Writer& out);
  uint32_t pTOC() const { return pTOC_; }
  uint32_t RomOffset() const { return romOffset_; }

 private:
  // The second word of the signature record at `index`, or 0 when it is no
  // signature record (a pTOC of 0 names no header either).
  uint32_t SignatureAt(const Image& image, ImageReader& reader, size_t index) const;
  bool IsHeader(Image& image, ImageReader& reader, Writer& out, size_t index, uint32_t candidate);

  size_t tocResumeIndex_ = 0;
  uint32_t pTOC_ = 0;
  uint32_t romOffset_ = 0;
};

}  // namespace romscope
