#include "rom/toc_locator.h"

namespace romscope {

uint32_t TocLocator::SignatureAt(const Image& image, ImageReader& reader, size_t index) const {
  const RecordInfo record = image.records[index];
  uint8_t bytes[RomSignatureRecord::kSize];
  if (record.length != RomSignatureRecord::kSize) return 0;
  if (!reader.ReadImage(bytes, record.start, sizeof bytes, 0)) return 0;
  const RomSignatureRecord signature = DecodeAt<RomSignatureRecord>(bytes);
  return signature.signature == kRomSignature ? signature.pTOC : 0;
}

bool TocLocator::IsHeader(Image& image, ImageReader& reader, LocatorEvents& events, size_t index,
                          uint32_t candidate) {
  const RecordInfo record = image.records[index];
  if (record.length != ROMHDR::kSize) return false;
  // The signature record used last is the one right before the resume point.
  const TocLocation tried{candidate, record.start - candidate, tocResumeIndex_ - 1, index};
  events.CheckingRecord(tried);
  uint8_t* bytes = image.scratch.data();
  if (!reader.ReadImage(bytes, record.start, ROMHDR::kSize, 0)) return false;
  const ROMHDR h = DecodeAt<ROMHDR>(bytes);

  if (h.ulPhysFirst > candidate || h.ulPhysLast < candidate) return false;

  // The image's own range, moved into table addresses.
  const uint32_t lower = image.header.imageStart - tried.romOffset;
  const uint32_t upper = image.header.imageStart + image.header.imageLength - tried.romOffset;
  if (h.ulPhysFirst < lower || h.ulPhysLast > upper) {
    events.TocNotice(LocatorEvents::Notice::kPhysRange, tried, h);
    return false;
  }

  // Each half of ulDllFirst, as the upper half of an address, must not pass ulDllLast.
  if ((h.ulDllFirst & 0xFFFF0000u) > h.ulDllLast ||
      ((h.ulDllFirst & 0xFFFFu) << 16) > h.ulDllLast) {
    events.TocNotice(LocatorEvents::Notice::kDllRange, tried, h);
    return false;
  }

  found_ = tried;
  events.TocFound(found_);
  return true;
}

bool TocLocator::FindNextToc(Image& image, ImageReader& reader, LocatorEvents& events) {
  const size_t count = image.records.Count();
  uint32_t candidate = 0;  // 0: looking for a signature record
  size_t i = tocResumeIndex_;
  while (i < count) {
    if (candidate == 0) {
      candidate = SignatureAt(image, reader, i);
      if (candidate == 0) {
        ++i;
        continue;
      }
      // Every pass for a header runs over the whole table, from index 0.
      tocResumeIndex_ = i + 1;
      i = 0;
      continue;
    }
    if (IsHeader(image, reader, events, i, candidate)) return true;
    if (i + 1 == count) {
      // The pass is over: look for the next signature record.
      candidate = 0;
      i = tocResumeIndex_;
    } else {
      ++i;
    }
    if (events.Stopped()) break;
  }
  found_ = TocLocation();
  return false;
}

}  // namespace romscope
