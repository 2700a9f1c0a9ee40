// The hexadecimal dump of one record's data, with its checksum verdict.
#pragma once

#include <cstdint>

#include "base/writer.h"
#include "image/bin_format.h"
#include "image/image_file.h"

namespace romscope {

// Dumps the record's data from the file's current position, sixteen bytes to
// a line, then the empty line and the checksum verdict. `scratch` holds
// kScratchSize bytes.
void DumpRecordData(ImageFile& file, const RecordInfo& record, uint8_t* scratch, Writer& out);

}  // namespace romscope
