// One fuzz input: arbitrary bytes as the image, run whole with each set of
// options that changes what is read.
#pragma once

#include <cstddef>
#include <cstdint>

namespace romscope {

// Runs the tool on `data` as the input file, once per option set, and once
// with -json, whose document must parse as JSON (else it aborts).
void FuzzOneInput(const uint8_t* data, size_t size);

}  // namespace romscope
