// The header extensions: a head record of ten PID words, then the chain of
// named records linked through Next. A record named "chain information"
// carries a table of chain entries in its data.
#include <memory>
#include <new>

#include "rom/toc_report.h"

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

bool TocReport::ReadExtensions(uint32_t ulExtensions) {
  ExtensionHeadItem item;
  item.address = ulExtensions;
  uint8_t bytes[ExtensionHead::kSize];
  if (Read(bytes, ulExtensions, sizeof bytes, item.problems)) {
    item.head = DecodeAt<ExtensionHead>(bytes);
  } else {
    item.problems.push_back({ProblemKind::kExtensionsUnreadable});
  }
  consumer_.ExtensionHead(item);
  if (!item.head) {
    Reached(kExtensionsSection, item.problems);
    return true;
  }
  Reached(kExtensionsSection);
  ScopeEnd chain{ScopeEnd::kExtensions, item.problems};

  uint32_t next = item.head->Next;
  ChainLinks links(image_.reader, romOffset_);
  const uint64_t repeat = next != 0 ? FirstRepeat(links, ulExtensions) : 0;
  ExtensionStepItem& step = step_;
  for (uint64_t position = 1; next != 0 && !stop_.Stopped(); ++position) {
    step.location = next;
    step.record = ExtensionRecord();
    step.chainInformation = false;
    step.chainRead = false;
    step.chain.clear();
    step.problems.clear();
    if (position == repeat) {
      step.outcome = ExtensionStepItem::kRepeat;
      step.problems.push_back({ProblemKind::kExtensionChainCycle, 0, next});
      consumer_.ExtensionStep(step);
      // The walk ends before the record: the chain itself has the problem.
      chain.problems.insert(chain.problems.end(), step.problems.begin(), step.problems.end());
      break;
    }
    if (!Read(bytes, next, sizeof bytes, step.problems)) {
      step.outcome = ExtensionStepItem::kUnreadable;
      step.problems.push_back({ProblemKind::kExtensionsUnreadable});
      consumer_.ExtensionStep(step);
      break;
    }
    step.outcome = ExtensionStepItem::kRead;
    step.record = DecodeAt<ExtensionRecord>(bytes);
    step.chainInformation = step.record.IsChainInformation();
    const bool goOn = !step.chainInformation || ReadChainData(step);
    consumer_.ExtensionStep(step);
    if (!goOn) {
      consumer_.Close(chain);
      return false;
    }
    next = step.record.Next;
  }
  consumer_.Close(chain);
  return true;
}

// The data of a "chain information" record: Length / 16 chain entries, read
// into a buffer of its own. False when that buffer cannot be had.
bool TocReport::ReadChainData(ExtensionStepItem& step) {
  const uint32_t length = step.record.Length;
  const uint32_t address = step.record.pData;
  std::unique_ptr<uint8_t[]> data;
  // A buffer above the reader's limit is never taken: the read is refused.
  if (length <= ImageReader::kMaxRead) {
    data.reset(new (std::nothrow) uint8_t[length == 0 ? 1 : length]);
    if (!data) {
      step.problems.push_back({ProblemKind::kExtensionBufferFailed, length});
      return false;
    }
  }
  step.chainRead = length == 0 || Read(data.get(), address, length, step.problems);
  if (!step.chainRead) {
    step.problems.push_back({ProblemKind::kChainDataUnreadable, length, address});
    return true;
  }
  for (uint32_t k = 0; k < length / ChainEntry::kSize; ++k) {
    step.chain.push_back(DecodeAt<ChainEntry>(data.get() + size_t{ChainEntry::kSize} * k));
  }
  return true;
}

}  // namespace romscope
