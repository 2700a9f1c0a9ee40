// The fuzz runs of -diff.
#include "fuzz/fuzz_host.h"

namespace romscope {

void FuzzDiff(const uint8_t*, size_t) {}

}  // namespace romscope
