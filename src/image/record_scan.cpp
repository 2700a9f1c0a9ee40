#include "image/record_scan.h"

#include <algorithm>
#include <cstring>

#include "base/le.h"

namespace romscope {
namespace {

bool ReadWord(ImageFile& file, uint32_t* value) {
  uint8_t bytes[4];
  if (file.Read(bytes, 4) != 4) return false;
  *value = Read32le(bytes);
  return true;
}

// Reads the record's data from the file's current position in chunks of the
// scratch buffer's size. A chunk that comes up short (the record runs past
// the end of the file) is neither handed over nor summed.
void ReadRecordData(ImageFile& file, RecordItem& item, uint8_t* scratch, RecordConsumer& consumer,
                    const StopSignal& stop) {
  item.dataRead = true;
  uint32_t remaining = item.record.length;
  while (remaining > 0 && !stop.Stopped()) {
    const size_t chunk = std::min<uint32_t>(remaining, kScratchSize);
    if (file.Read(scratch, chunk) != static_cast<int64_t>(chunk)) break;
    remaining -= static_cast<uint32_t>(chunk);
    item.sum += SumBytes(scratch, chunk);
    consumer.RecordData(item, item.bytesRead, scratch, chunk);
    item.bytesRead += static_cast<uint32_t>(chunk);
  }
  item.dataComplete = remaining == 0;
}

}  // namespace

BinHeaderStatus ReadBinHeader(ImageFile& file, BinHeader* header) {
  uint8_t signature[kBinSignatureSize];
  if (file.Read(signature, kBinSignatureSize) != static_cast<int64_t>(kBinSignatureSize)) {
    return BinHeaderStatus::kSignatureUnreadable;
  }
  if (std::memcmp(signature, kBinSignature, kBinSignatureSize) != 0) {
    return BinHeaderStatus::kSignatureMismatch;
  }
  if (!ReadWord(file, &header->imageStart) || !ReadWord(file, &header->imageLength)) {
    return BinHeaderStatus::kTruncated;
  }
  return BinHeaderStatus::kOk;
}

void ScanRecords(ImageFile& file, bool readData, RecordConsumer& consumer, const StopSignal& stop,
                 uint8_t* scratch, RecordTable* records) {
  RecordItem item;
  if (!ReadWord(file, &item.record.start)) return;
  for (;;) {
    if (!ReadWord(file, &item.record.length) || !ReadWord(file, &item.record.checksum)) return;
    item.record.dataOffset = file.Tell();
    item.index = records->Count();
    records->Add(item.record);
    item.terminator = IsTerminatorRecord(item.record.start, item.record.checksum);
    if (item.terminator) {
      records->MarkTerminator();
      consumer.Record(item);
      return;
    }
    if (readData) {
      ReadRecordData(file, item, scratch, consumer, stop);
      // A read that failed inside the data leaves the position there; the
      // next header follows the whole record, as when the data is skipped.
      file.Skip(item.record.dataOffset + item.record.length - file.Tell());
    } else {
      file.Skip(item.record.length);
    }
    consumer.Record(item);
    // Nobody takes the output any more: the rest of the scan is wasted work.
    if (stop.Stopped() || !ReadWord(file, &item.record.start)) return;
    item = RecordItem{0, RecordInfo{item.record.start, 0, 0, 0}};
  }
}

// The 32-bit wrapping sum of the bytes, eight at a time: byte pairs are added
// into 16-bit lanes, which are emptied before they can overflow.
uint32_t SumBytes(const uint8_t* data, size_t size) {
  uint32_t sum = 0;
  size_t i = 0;
  constexpr uint64_t kLow = 0x00FF00FF00FF00FFull;
  while (size - i >= 8) {
    uint64_t lanes = 0;
    size_t stop = i + std::min<size_t>((size - i) / 8, 128) * 8;
    for (; i < stop; i += 8) {
      uint64_t word;
      std::memcpy(&word, data + i, 8);
      lanes += (word & kLow) + ((word >> 8) & kLow);
    }
    sum += static_cast<uint32_t>((lanes & 0xFFFF) + ((lanes >> 16) & 0xFFFF) +
                                 ((lanes >> 32) & 0xFFFF) + (lanes >> 48));
  }
  for (; i < size; ++i) sum += data[i];
  return sum;
}

}  // namespace romscope
