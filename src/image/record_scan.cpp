#include "image/record_scan.h"

#include <algorithm>
#include <cstring>

#include "base/le.h"
#include "image/data_dump.h"

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
// the end of the file) is neither shown nor summed.
void ReadRecordData(ImageFile& file, const RecordInfo& record, uint8_t* scratch,
                    ScanEvents& events) {
  uint32_t sum = 0;
  uint32_t offset = 0;
  uint32_t remaining = record.length;
  while (remaining > 0) {
    size_t chunk = std::min<uint32_t>(remaining, kScratchSize);
    if (file.Read(scratch, chunk) != static_cast<int64_t>(chunk)) break;
    remaining -= static_cast<uint32_t>(chunk);
    sum += SumBytes(scratch, chunk);
    events.RecordData(record.start + offset, scratch, chunk);
    offset += static_cast<uint32_t>(chunk);
    if (events.Stopped()) return;
  }
  events.RecordDataEnd(record, sum, remaining == 0);
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

void ScanRecords(ImageFile& file, bool readData, ScanEvents& events, uint8_t* scratch,
                 RecordTable* records) {
  RecordInfo record;
  if (!ReadWord(file, &record.start)) return;
  for (;;) {
    if (!ReadWord(file, &record.length) || !ReadWord(file, &record.checksum)) return;
    record.dataOffset = file.Tell();
    records->Add(record);
    events.Record(records->Count() - 1, record);
    if (IsTerminatorRecord(record.start, record.checksum)) {
      records->MarkTerminator();
      events.Terminator(record);
      return;
    }
    if (readData) {
      ReadRecordData(file, record, scratch, events);
    } else {
      file.Skip(record.length);
    }
    // Nobody reads the output any more: the rest of the scan is wasted work.
    if (events.Stopped()) return;
    if (!ReadWord(file, &record.start)) return;
  }
}

}  // namespace romscope
