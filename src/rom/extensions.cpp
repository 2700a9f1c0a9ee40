// The header extensions: a head record of ten PID words, then the chain of
// named records linked through Next. A record named "chain information"
// carries a table of chain entries in its data.
#include <memory>
#include <new>

#include "rom/report.h"

namespace romscope {
namespace {

// The chain as the walk follows it: the Next of the record at an address,
// or kEnd when it cannot be read or ends the chain.
class ChainLinks {
 public:
  static constexpr uint64_t kEnd = uint64_t{1} << 32;
  explicit ChainLinks(ImageReader& reader, uint32_t bias) : reader_(reader), bias_(bias) {}
  uint64_t Next(uint64_t address) {
    uint8_t bytes[ExtensionRecord::kSize];
    if (address == kEnd ||
        !reader_.ReadImage(bytes, static_cast<uint32_t>(address), sizeof bytes, bias_)) {
      return kEnd;
    }
    const uint32_t next = DecodeAt<ExtensionRecord>(bytes).Next;
    return next == 0 ? kEnd : next;
  }

 private:
  ImageReader& reader_;
  uint32_t bias_;
};

// The position in the chain (the head being 0) of the first record whose
// address was already read, or 0 when the chain ends. Brent's cycle search
// keeps this in constant memory however long the chain.
uint64_t FirstRepeat(ChainLinks& links, uint32_t head) {
  uint64_t power = 1;
  uint64_t cycle = 1;
  uint64_t tortoise = head;
  uint64_t hare = links.Next(head);
  while (tortoise != hare) {
    if (hare == ChainLinks::kEnd) return 0;
    if (power == cycle) {
      tortoise = hare;
      power *= 2;
      cycle = 0;
    }
    hare = links.Next(hare);
    ++cycle;
  }
  tortoise = head;
  hare = head;
  for (uint64_t i = 0; i < cycle; ++i) hare = links.Next(hare);
  uint64_t start = 0;
  while (tortoise != hare) {
    tortoise = links.Next(tortoise);
    hare = links.Next(hare);
    ++start;
  }
  return start + cycle;
}

}  // namespace

bool Report::PrintExtensions(uint32_t ulExtensions) {
  uint8_t bytes[ExtensionHead::kSize];
  if (!Read(bytes, ulExtensions, sizeof bytes)) {
    renderer_.ExtensionHeadRead(ulExtensions, nullptr);
    return true;
  }
  const ExtensionHead head = DecodeAt<ExtensionHead>(bytes);
  renderer_.ExtensionHeadRead(ulExtensions, &head);

  uint32_t next = head.Next;
  ChainLinks links(reader_, romOffset_);
  const uint64_t repeat = next != 0 ? FirstRepeat(links, ulExtensions) : 0;
  for (uint64_t position = 1; next != 0 && !Stopped(); ++position) {
    if (position == repeat) {
      diag_.Warn("the extension chain leads back to 0x%08X, which was read already", next);
      renderer_.ExtensionChainCycle(next);
      break;
    }
    const uint32_t address = next;
    if (!Read(bytes, address, sizeof bytes)) {
      renderer_.ExtensionRecordRead(address, nullptr);
      break;
    }
    const ExtensionRecord record = DecodeAt<ExtensionRecord>(bytes);
    renderer_.ExtensionRecordRead(address, &record);
    next = record.Next;
    if (record.IsChainInformation() && !PrintChainData(record)) return false;
  }
  renderer_.ExtensionsEnd();
  return true;
}

// The data of a "chain information" record: Length / 16 chain entries, read
// into a buffer of its own. False when that buffer cannot be had.
bool Report::PrintChainData(const ExtensionRecord& record) {
  const uint32_t length = record.Length;
  if (length > ImageReader::kMaxRead) {
    // Never allocated: the reader refuses such a read with its own message.
    renderer_.ChainData(record.pData, length, Read(nullptr, record.pData, length));
    return true;
  }
  std::unique_ptr<uint8_t[]> data(new (std::nothrow) uint8_t[length == 0 ? 1 : length]);
  if (!data) {
    renderer_.ExtensionBufferFailed(length);
    return false;
  }
  const bool readable = length == 0 || Read(data.get(), record.pData, length);
  renderer_.ChainData(record.pData, length, readable);
  for (uint32_t k = 0; readable && k < length / ChainEntry::kSize; ++k) {
    renderer_.ChainEntryRead(k, DecodeAt<ChainEntry>(data.get() + size_t{ChainEntry::kSize} * k));
  }
  return true;
}

}  // namespace romscope
