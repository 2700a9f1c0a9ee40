// The run-wide state of the input image: the open file, its header values,
// the record table the scan fills, and the one scratch buffer.
#pragma once

#include <cstdint>
#include <vector>

#include "image/bin_format.h"
#include "image/image_file.h"
#include "image/record_table.h"

namespace romscope {

struct Image {
  explicit Image(ByteSource& source) : file(source) {}

  ImageFile file;
  BinHeader header;
  RecordTable records;
  // Receives in turn the dump chunks, each candidate header and each report
  // table; every read replaces what was there.
  std::vector<uint8_t> scratch = std::vector<uint8_t>(kScratchSize);
};

}  // namespace romscope
