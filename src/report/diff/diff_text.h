// The comparison as text, in the layout romscope(1) sets down for scripts:
//
//   Summary: modules: 1 added, 2 moved; files: 1 changed; ROM bytes: 3116 -> 3212 (+96)
//
//   modules:
//            old          new        delta  change   toc  name
//              -         1024        +1024  added       0  extra.dll
//
// then a block per kind with rows, sorted by the absolute delta in bytes,
// largest first, then by name; under each changed row its field changes
// ("path: old -> new") and its content verdict. Moved items are counted in
// the summary only.
#pragma once

#include "base/writer.h"
#include "compare/change.h"
#include "compare/compare.h"

namespace romscope {

void PrintComparison(const ComparedImages& images, const Comparison& comparison, Writer& out);

// A name as the text shows it: one token without blanks. Bytes 0x21..0x7E
// stand for themselves except " # * and \, which with every other byte are
// written \xHH; an empty name is written "".
std::string NameToken(std::string_view name);

}  // namespace romscope
