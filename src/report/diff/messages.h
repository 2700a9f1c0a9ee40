// The comparison's own texts: its diagnostics, the words of its output, each
// written once. The messages of the inspections themselves are the
// catalogue's (report/catalogue.h).
#pragma once

#include <string>
#include <string_view>

#include "compare/change.h"
#include "rom/items.h"

namespace romscope {

// The problem of a collection that stopped at its item budget.
std::string IncompleteText(std::string_view path);

// The kind as the JSON document names it ("copySection"), and as the text
// names its block and its summary ("copySections").
const char* KindName(ChangeKind kind);
const char* KindPlural(ChangeKind kind);
const char* ChangeName(ChangeType type);
// "same", "changed", "unknown"; null for kNone.
const char* ContentName(Content content);

}  // namespace romscope
