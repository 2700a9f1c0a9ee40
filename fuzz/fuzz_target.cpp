// The libFuzzer entry point.
#include <cstddef>
#include <cstdint>

#include "fuzz/fuzz_run.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  romscope::FuzzOneInput(data, size);
  return 0;
}
