// Reading the BIN header and the one front-to-back walk over the records.
#pragma once

#include <cstddef>
#include <cstdint>

#include "base/stop_signal.h"
#include "image/bin_format.h"
#include "image/image_file.h"
#include "image/record_reader.h"
#include "image/record_table.h"

namespace romscope {

enum class BinHeaderStatus {
  kOk,
  kSignatureUnreadable,  // fewer than 7 bytes, or the read failed
  kSignatureMismatch,
  kTruncated,  // the signature is there, the start or the length is not
};

// One record as the scan met it, entered in the table at `index`. The
// terminator holds no data; its length is the image's entry address.
struct RecordItem {
  size_t index = 0;
  RecordInfo record;
  bool terminator = false;
  // Whether the scan read the data (to dump it or to verify the checksum);
  // then the bytes read in whole chunks, their 32-bit sum, and whether every
  // byte could be read.
  bool dataRead = false;
  uint32_t bytesRead = 0;
  uint32_t sum = 0;
  bool dataComplete = false;

  bool ChecksumValid() const { return sum == record.checksum; }
};

// What the scan hands over, in file order: each record's data a chunk at a
// time (only chunks read in full, `offset` bytes into the record), then the
// record itself, its verdict complete.
class RecordConsumer {
 public:
  virtual ~RecordConsumer() = default;
  virtual void RecordData(const RecordItem& record, uint32_t offset, const uint8_t* data,
                          size_t size) = 0;
  virtual void Record(const RecordItem& record) = 0;
};

// Reads and tests the 15-byte header at the start of the file.
BinHeaderStatus ReadBinHeader(ImageFile& file, BinHeader* header);

// Walks the records from the position after the header and fills `records`.
// With `readData` each record's data is read and summed (for the dump and the
// checksum verdict); otherwise the scan moves over it. Every way in which the
// scan ends lets the run go on. `scratch` holds kScratchSize bytes.
void ScanRecords(ImageFile& file, bool readData, RecordConsumer& consumer, const StopSignal& stop,
                 uint8_t* scratch, RecordTable* records);

}  // namespace romscope
