// The fuzz runs of -map.
#include "fuzz/fuzz_host.h"

namespace romscope {

void FuzzMap(const uint8_t*, size_t) {}

}  // namespace romscope
