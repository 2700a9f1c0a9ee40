// Reading the BIN header and the one front-to-back walk over the records.
#pragma once

#include <string>

#include "base/run_options.h"
#include "base/writer.h"
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

// Reads and tests the 15-byte header at the start of the file and prints the
// header line. Prints the reading and signature messages itself.
BinHeaderStatus ReadBinHeader(ImageFile& file, const std::string& inputPath, Writer& out,
                              BinHeader* header);

// Walks the records from the position after the header, fills `records`,
// prints the listing and start-address lines, and dumps each record's data
// when `printData` is set. Every way in which the scan ends lets the run go on.
void ScanRecords(ImageFile& file, const RunOptions& options, Writer& out, uint8_t* scratch,
                 RecordTable* records);

}  // namespace romscope
