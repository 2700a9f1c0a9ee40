// The header extensions: a head record of ten PID words, then the chain of
// named records linked through Next. A record named "chain information"
// carries a table of chain entries in its data.
#include <cstring>
#include <memory>
#include <new>

#include "base/le.h"
#include "rom/report.h"

namespace romscope {
namespace {

constexpr uint32_t kExtensionSize = 44;
constexpr uint32_t kNextAt = 40;
constexpr uint32_t kChainEntrySize = 16;
constexpr char kChainName[] = "chain information";  // compared with its NUL

// The chain as the walk follows it: the Next of the record at an address,
// or kEnd when it cannot be read or ends the chain.
class ChainLinks {
 public:
  static constexpr uint64_t kEnd = uint64_t{1} << 32;
  explicit ChainLinks(ImageReader& reader, uint32_t bias) : reader_(reader), bias_(bias) {}
  uint64_t Next(uint64_t address) {
    uint8_t record[kExtensionSize];
    if (address == kEnd ||
        !reader_.ReadImage(record, static_cast<uint32_t>(address), sizeof record, bias_)) {
      return kEnd;
    }
    uint32_t next = Read32le(record + kNextAt);
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
  uint8_t record[kExtensionSize];
  if (!Read(record, ulExtensions, sizeof record)) {
    out_.Put("Couldn't locate TOC Extensions\n");
    return true;
  }
  out_.Put("\nROMHDR Extensions -----------------------------\n");
  for (int i = 0; i < 10; ++i) {
    out_.Printf("    PID[%d] = 0x%08X\n", i, Read32le(record + size_t{4} * i));
  }
  uint32_t next = Read32le(record + kNextAt);
  out_.Printf("    Next: %08x\n", next);

  ChainLinks links(reader_, romOffset_);
  const uint64_t repeat = next != 0 ? FirstRepeat(links, ulExtensions) : 0;
  for (uint64_t position = 1; next != 0 && !Stopped(); ++position) {
    if (position == repeat) {
      diag_.Warn("the extension chain leads back to 0x%08X, which was read already", next);
      return true;
    }
    out_.Printf("\n    -- Location: %08x\n", next);
    if (!Read(record, next, sizeof record)) {
      out_.Put("Couldn't locate TOC Extensions\n");
      return true;
    }
    char name[25];
    std::memcpy(name, record, 24);
    name[24] = '\0';
    const uint32_t pData = Read32le(record + 28);
    const uint32_t length = Read32le(record + 32);
    out_.Printf(
        "    Name: %-24s\n    Type:     %08x\n    pData:    %08x\n    Length:   %08x\n    "
        "Reserved: %08x\n    Next:     %08x\n",
        name, Read32le(record + 24), pData, length, Read32le(record + 36),
        Read32le(record + kNextAt));
    next = Read32le(record + kNextAt);
    if (std::memcmp(record, kChainName, sizeof kChainName) != 0) continue;

    if (length > ImageReader::kMaxRead) {
      // Never allocated: the reader refuses such a read with its own message.
      Read(nullptr, pData, length);
      continue;
    }
    std::unique_ptr<uint8_t[]> data(new (std::nothrow) uint8_t[length == 0 ? 1 : length]);
    if (!data) {
      out_.Put("Error: failed allocating extention buffer\n");
      return false;
    }
    if (length == 0 || !Read(data.get(), pData, length)) continue;
    for (uint32_t k = 0; k < length / kChainEntrySize; ++k) {
      const uint8_t* entry = data.get() + static_cast<size_t>(kChainEntrySize) * k;
      out_.Printf(
          "      Addr:     %08x\n      MaxLenth: %08x\n      Order:    %04x\n      Flags:    "
          "%04x\n      reserved: %08x\n",
          Read32le(entry), Read32le(entry + 4), static_cast<uint32_t>(Read16le(entry + 8)),
          static_cast<uint32_t>(Read16le(entry + 10)), Read32le(entry + 12));
    }
  }
  return true;
}

}  // namespace romscope
