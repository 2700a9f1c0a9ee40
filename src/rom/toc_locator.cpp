#include "rom/toc_locator.h"

namespace romscope {

uint32_t TocLocator::SignatureAt(Image& image, size_t index) const {
  const RecordInfo record = image.records[index];
  uint8_t bytes[RomSignatureRecord::kSize];
  if (record.length != RomSignatureRecord::kSize) return 0;
  if (!image.reader.ReadImage(bytes, record.start, sizeof bytes, 0)) return 0;
  const RomSignatureRecord signature = DecodeAt<RomSignatureRecord>(bytes);
  return signature.signature == kRomSignature ? signature.pTOC : 0;
}

TocCandidate TocLocator::Try(Image& image, size_t index, uint32_t pTOC) const {
  const RecordInfo record = image.records[index];
  // The signature record used last is the one right before the resume point.
  TocCandidate tried;
  tried.location = TocLocation{pTOC, record.start - pTOC, tocResumeIndex_ - 1, index};
  uint8_t* bytes = image.scratch.data();
  if (!image.reader.ReadImage(bytes, record.start, ROMHDR::kSize, 0)) return tried;
  const ROMHDR h = DecodeAt<ROMHDR>(bytes);

  tried.outcome = TocCandidate::kOutsideRange;
  if (h.ulPhysFirst > pTOC || h.ulPhysLast < pTOC) return tried;

  // The image's own range, moved into table addresses.
  const uint32_t offset = tried.location.romOffset;
  const uint32_t lower = image.header.imageStart - offset;
  const uint32_t upper = image.header.imageStart + image.header.imageLength - offset;
  if (h.ulPhysFirst < lower || h.ulPhysLast > upper) {
    tried.outcome = TocCandidate::kPhysNotice;
    tried.first = h.ulPhysFirst;
    tried.last = h.ulPhysLast;
    tried.problems.push_back({ProblemKind::kTocNoticePhys});
    return tried;
  }

  // Each half of ulDllFirst, as the upper half of an address, must not pass ulDllLast.
  if ((h.ulDllFirst & 0xFFFF0000u) > h.ulDllLast ||
      ((h.ulDllFirst & 0xFFFFu) << 16) > h.ulDllLast) {
    tried.outcome = TocCandidate::kDllNotice;
    tried.first = h.ulDllFirst;
    tried.last = h.ulDllLast;
    tried.problems.push_back({ProblemKind::kTocNoticeDll});
    return tried;
  }
  tried.outcome = TocCandidate::kFound;
  return tried;
}

bool TocLocator::FindNextToc(Image& image, InspectionConsumer* consumer, const StopSignal& stop) {
  const size_t count = image.records.Count();
  uint32_t candidate = 0;  // 0: looking for a signature record
  size_t i = tocResumeIndex_;
  while (i < count) {
    if (candidate == 0) {
      candidate = SignatureAt(image, i);
      if (candidate == 0) {
        ++i;
        continue;
      }
      // Every pass for a header runs over the whole table, from index 0.
      tocResumeIndex_ = i + 1;
      i = 0;
      continue;
    }
    if (image.records[i].length == ROMHDR::kSize) {
      const TocCandidate tried = Try(image, i, candidate);
      if (consumer != nullptr) consumer->Candidate(tried);
      if (tried.outcome == TocCandidate::kFound) {
        found_ = tried.location;
        return true;
      }
    }
    if (i + 1 == count) {
      // The pass is over: look for the next signature record.
      candidate = 0;
      i = tocResumeIndex_;
    } else {
      ++i;
    }
    if (stop.Stopped()) break;
  }
  found_ = TocLocation();
  return false;
}

}  // namespace romscope
