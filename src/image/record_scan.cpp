#include "image/record_scan.h"

#include <cstring>

#include "base/format.h"
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

// "Record [%3d] : Start = 0x%08X, Length = 0x%08X, Chksum = 0x%08X\n"
void PrintRecordLine(Writer& out, size_t index, const RecordInfo& record) {
  char* line = out.Reserve(96);
  char* p = PutLiteral(line, "Record [");
  p = PutDecimal(p, index, 3);
  p = PutLiteral(p, "] : Start = 0x");
  p = PutHex8(p, record.start);
  p = PutLiteral(p, ", Length = 0x");
  p = PutHex8(p, record.length);
  p = PutLiteral(p, ", Chksum = 0x");
  p = PutHex8(p, record.checksum);
  *p++ = '\n';
  out.Commit(static_cast<size_t>(p - line));
}

}  // namespace

BinHeaderStatus ReadBinHeader(ImageFile& file, const std::string& inputPath, Writer& out,
                              BinHeader* header) {
  uint8_t signature[kBinSignatureSize];
  if (file.Read(signature, kBinSignatureSize) != static_cast<int64_t>(kBinSignatureSize)) {
    out.Printf("Error reading %s (%d)\n", inputPath.c_str(), 1111);
    return BinHeaderStatus::kSignatureUnreadable;
  }
  if (std::memcmp(signature, kBinSignature, kBinSignatureSize) != 0) {
    out.Put("Missing initial signature (BOOOFF\n). Not a BIN file\n");
    return BinHeaderStatus::kSignatureMismatch;
  }
  if (!ReadWord(file, &header->imageStart) || !ReadWord(file, &header->imageLength)) {
    return BinHeaderStatus::kTruncated;
  }
  out.Printf("Image Start = 0x%08X, length = 0x%08X\n", header->imageStart, header->imageLength);
  return BinHeaderStatus::kOk;
}

void ScanRecords(ImageFile& file, const RunOptions& options, Writer& out, uint8_t* scratch,
                 RecordTable* records) {
  const bool listRecords = options.printRec || options.printData;
  RecordInfo record;
  if (!ReadWord(file, &record.start)) return;
  for (;;) {
    if (!ReadWord(file, &record.length) || !ReadWord(file, &record.checksum)) return;
    record.dataOffset = file.Tell();
    records->Add(record);
    if (listRecords) PrintRecordLine(out, records->Count() - 1, record);
    if (IsTerminatorRecord(record.start, record.checksum)) {
      records->MarkTerminator();
      out.Printf("\t\tStart address = 0x%08X\n", record.length);
      return;
    }
    if (options.printData) {
      DumpRecordData(file, record, scratch, out);
    } else {
      file.Skip(record.length);
    }
    // Nobody reads the output any more: the rest of the scan is wasted work.
    if (out.Failed()) return;
    if (!ReadWord(file, &record.start)) return;
  }
}

}  // namespace romscope
