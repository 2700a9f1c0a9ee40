// Reading the BIN header and the one front-to-back walk over the records.
#pragma once

#include <cstddef>
#include <cstdint>

#include "image/bin_format.h"
#include "image/image_file.h"
#include "image/record_table.h"

namespace romscope {

enum class BinHeaderStatus {
  kOk,
  kSignatureUnreadable,  // fewer than 7 bytes, or the read failed
  kSignatureMismatch,
  kTruncated,  // the signature is there, the start or the length is not
};

// What the scan meets, in file order, for the renderer of the run.
class ScanEvents {
 public:
  virtual ~ScanEvents() = default;
  // A record entered in the table at `index`; the terminator too, before Terminator.
  virtual void Record(size_t index, const RecordInfo& record) = 0;
  // The terminator record ends the scan; its length is the image's entry address.
  virtual void Terminator(const RecordInfo& record) = 0;
  // The data of the record just entered, a chunk at a time; `address` is the
  // ROM address of the chunk's first byte. Only chunks read in full come.
  virtual void RecordData(uint32_t address, const uint8_t* data, size_t size) = 0;
  // The record's data has been read: `sum` of the bytes read, `complete` when
  // all of them could be read.
  virtual void RecordDataEnd(const RecordInfo& record, uint32_t sum, bool complete) = 0;
  // Nobody takes the output any more: the rest of the work is wasted.
  virtual bool Stopped() const = 0;
};

// Reads and tests the 15-byte header at the start of the file.
BinHeaderStatus ReadBinHeader(ImageFile& file, BinHeader* header);

// Walks the records from the position after the header and fills `records`.
// With `readData` each record's data is read and summed (for the dump and
// the checksum verdict); otherwise the scan moves over it. Every way in which
// the scan ends lets the run go on. `scratch` holds kScratchSize bytes.
void ScanRecords(ImageFile& file, bool readData, ScanEvents& events, uint8_t* scratch,
                 RecordTable* records);

}  // namespace romscope
