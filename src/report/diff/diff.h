// -diff OLD NEW: what changed from one image to the next.
#pragma once

#include <string>

#include "base/diagnostics.h"
#include "base/writer.h"
#include "host/host_services.h"

namespace romscope {

// Compares the whole inspections of the images at `oldPath` and `newPath`
// and prints the comparison (as text, or as one JSON document with `json`).
// The result is the exit status, as diff and cmp have it: 0 the same, 1
// different, 2 trouble.
int CompareImages(HostServices& host, const std::string& oldPath, const std::string& newPath,
                  bool json, Writer& out, Diagnostics& diag);

}  // namespace romscope
