#include "image/record_scan.h"

#include <cstring>

#include "base/le.h"
#include "image/record_reader.h"

namespace romscope {
namespace {

bool ReadWord(ImageFile& file, uint32_t* value) {
  uint8_t bytes[4];
  if (file.Read(bytes, 4) != 4) return false;
  *value = Read32le(bytes);
  return true;
}

// Reads the record's data through the one reader of record data: whole
// chunks of the scratch buffer's size, each summed and handed over; a chunk
// that comes up short (the record runs past the end of the file) is neither.
void ReadRecordData(ImageFile& file, RecordItem& item, uint8_t* scratch, RecordConsumer& consumer,
                    const StopSignal& stop) {
  RecordReader data(file);
  RecordReader::Reading reading(data, item.record);
  item.dataRead = true;
  while (!stop.Stopped()) {
    const size_t chunk = reading.Next(scratch);
    if (chunk == 0) break;
    item.sum = reading.Sum();
    consumer.RecordData(item, item.bytesRead, scratch, chunk);
    item.bytesRead = reading.BytesRead();
  }
  item.dataComplete = reading.Complete();
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

}  // namespace romscope
