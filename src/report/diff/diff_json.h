// The comparison as one JSON document, doc/romscope-diff.schema.json:
//
//   { "format": "romscope-diff", "version": 1, "old": PATH, "new": PATH,
//     "identical": BOOL, "summary": {...}, "changes": [...], "problems": [...] }
//
// Each change: its kind, table of contents, key, change, the fields that
// differ under their -json member paths with {"old", "new"} values as -json
// writes them, and its content verdict. When an image cannot be compared the
// document has no changes and an "error" member naming the image.
#pragma once

#include <string>

#include "base/writer.h"
#include "compare/change.h"
#include "compare/compare.h"
#include "rom/inspect.h"

namespace romscope {

inline constexpr int kDiffFormatVersion = 1;

void WriteComparison(const ComparedImages& images, const Comparison& comparison, Writer& out);

// The document of a comparison that could not be made: `oldImage` and
// `newImage` as opened; at least one is not usable.
void WriteUnusable(const ImageItem& oldImage, const ImageItem& newImage, Writer& out);

}  // namespace romscope
