#include "rom/toc_locator.h"

#include "base/le.h"
#include "rom/rom_header.h"

namespace romscope {

uint32_t TocLocator::SignatureAt(const Image& image, ImageReader& reader, size_t index) const {
  const RecordInfo record = image.records[index];
  uint8_t bytes[kRomSignatureRecordSize];
  if (record.length != kRomSignatureRecordSize) return 0;
  if (!reader.ReadImage(bytes, record.start, sizeof bytes, 0)) return 0;
  if (Read32le(bytes) != kRomSignature) return 0;
  return Read32le(bytes + 4);
}

bool TocLocator::IsHeader(Image& image, ImageReader& reader, Writer& out, size_t index,
                          uint32_t candidate) {
  const RecordInfo record = image.records[index];
  if (record.length != kRomHeaderSize) return false;
  const uint32_t offset = record.start - candidate;
  out.Printf("Checking record #%zu for potential TOC (ROMOFFSET = 0x%08X)\n", index, offset);
  uint8_t* bytes = image.scratch.data();
  if (!reader.ReadImage(bytes, record.start, kRomHeaderSize, 0)) return false;
  const ROMHDR h = DecodeRomHeader(bytes);

  if (h.ulPhysFirst > candidate || h.ulPhysLast < candidate) return false;

  // The image's own range, moved into table addresses.
  const uint32_t lower = image.header.imageStart - offset;
  const uint32_t upper = image.header.imageStart + image.header.imageLength - offset;
  if (h.ulPhysFirst < lower || h.ulPhysLast > upper) {
    out.Printf(
        "NOTICE! Record %zu looked like a TOC except Phys first = 0x%08X, and Phys last = "
        "0x%08X\r\n",
        index, h.ulPhysFirst, h.ulPhysLast);
    return false;
  }

  // Each half of ulDllFirst, as the upper half of an address, must not pass ulDllLast.
  if ((h.ulDllFirst & 0xFFFF0000u) > h.ulDllLast ||
      ((h.ulDllFirst & 0xFFFFu) << 16) > h.ulDllLast) {
    out.Printf(
        "NOTICE! Record %zu looked like a TOC except DLL first = 0x%08X, and DLL last = "
        "0x%08X\r\n",
        index, h.ulDllFirst, h.ulDllLast);
    return false;
  }

  out.Printf("Found pTOC  = 0x%08x\n", candidate);
  out.Printf("ROMOFFSET = 0x%08X\n", offset);
  pTOC_ = candidate;
  romOffset_ = offset;
  return true;
}

bool TocLocator::FindNextToc(Image& image, ImageReader& reader, Writer& out) {
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
    if (IsHeader(image, reader, out, i, candidate)) return true;
    if (i + 1 == count) {
      // The pass is over: look for the next signature record.
      candidate = 0;
      i = tocResumeIndex_;
    } else {
      ++i;
    }
    if (out.Failed()) break;
  }
  pTOC_ = 0;
  romOffset_ = 0;
  return false;
}

}  // namespace romscope
