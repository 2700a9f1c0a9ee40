// Finds each ROM table of contents in the image, one per call.
//
// An 8-byte signature record carries the signature word and pTOC, the table
// address of a header. Each 84-byte record is then tried as that header,
// assuming that the difference between its record address and pTOC is
// ROMOFFSET; the first whose contents agree is the header.
#pragma once

#include <cstddef>
#include <cstdint>

#include "image/image.h"
#include "image/image_reader.h"
#include "rom/model.h"

namespace romscope {

// What the search meets, for the renderer of the run.
class LocatorEvents {
 public:
  enum class Notice {
    kPhysRange,  // the header's physical range is not inside the image
    kDllRange,   // a half of ulDllFirst passes ulDllLast
  };
  virtual ~LocatorEvents() = default;
  // An 84-byte record is about to be tried as the header `candidate` names.
  virtual void CheckingRecord(const TocLocation& candidate) = 0;
  // The record looked like the header but failed the test `notice`.
  virtual void TocNotice(Notice notice, const TocLocation& candidate, const ROMHDR& header) = 0;
  virtual void TocFound(const TocLocation& toc) = 0;
  virtual bool Stopped() const = 0;
};

class TocLocator {
 public:
  // True when a header was found: Found() describes it. False when no
  // signature record from the resume point on leads to a header.
  bool FindNextToc(Image& image, ImageReader& reader, LocatorEvents& events);
  const TocLocation& Found() const { return found_; }

 private:
  // The second word of the signature record at `index`, or 0 when it is no
  // signature record (a pTOC of 0 names no header either).
  uint32_t SignatureAt(const Image& image, ImageReader& reader, size_t index) const;
  bool IsHeader(Image& image, ImageReader& reader, LocatorEvents& events, size_t index,
                uint32_t candidate);

  size_t tocResumeIndex_ = 0;
  TocLocation found_;
};

}  // namespace romscope
