// Output made in a second thread and written in this one, so that writing
// (the limit of the conversions: the sink) never waits for the formatting.
#pragma once

#include <cstdint>
#include <functional>

#include "base/writer.h"

namespace romscope {

// Runs `produce` in a thread of its own, on a writer whose output comes back
// here in blocks, in order, to be written to `out`. When `out` fails, the
// producer's writer fails too, so that it stops early. Returns what
// `produce` returned. A small output (`expected` bytes, roughly) is not worth
// a thread and its buffers: `produce` then runs on `out`, as it does when no
// thread can be had.
bool Pipelined(Writer& out, uint64_t expected, const std::function<bool(Writer&)>& produce);

}  // namespace romscope
