// Finds each ROM table of contents in the image, one per call.
#pragma once

#include <cstdint>

#include "base/writer.h"
#include "image/image.h"

namespace romscope {

class TocLocator {
 public:
  // True when a header was found: pTOC() and RomOffset() describe it.
  bool FindNextToc(Image& image, Writer& out);
  uint32_t pTOC() const { return pTOC_; }
  uint32_t RomOffset() const { return romOffset_; }

 private:
  uint32_t tocResumeIndex_ = 0;
  uint32_t pTOC_ = 0;
  uint32_t romOffset_ = 0;
};

}  // namespace romscope
