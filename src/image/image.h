// The run-wide state of the input image: the open file, its header values,
// the record table the scan fills, the address reader over them, and the one
// scratch buffer.
#pragma once

#include <cstdint>
#include <vector>

#include "image/bin_format.h"
#include "image/image_file.h"
#include "image/image_reader.h"
#include "image/record_reader.h"
#include "image/record_table.h"

namespace romscope {

// The scratch buffer takes the largest single read the address reader accepts.
static_assert(kScratchSize == ImageReader::kMaxRead);

struct Image {
  explicit Image(ByteSource& source) : file(source), data(file), reader(data, records) {}
  Image(const Image&) = delete;
  Image& operator=(const Image&) = delete;

  ImageFile file;
  // Where the records' data lies: for a BIN file, the file itself.
  RecordReader data;
  BinHeader header;
  RecordTable records;
  // Reads by address once the scan has filled `records`.
  ImageReader reader;
  // Receives in turn the dump chunks, each candidate header and each report
  // table; every read replaces what was there.
  std::vector<uint8_t> scratch = std::vector<uint8_t>(kScratchSize);
};

}  // namespace romscope
