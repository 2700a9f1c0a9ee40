// Inside a pair of tables of contents: the table of contents itself, its
// header, extension records, copy sections, modules, files and symbols.
#pragma once

#include <cstdint>

#include "compare/change.h"
#include "compare/compare.h"
#include "compare/content.h"

namespace romscope {

void CompareToc(ComparedImages& images, uint32_t toc, ContentComparer& content, Comparison* result);

// A module's content: its sections' stored bytes, pair by pair.
Content ModuleContent(ContentComparer& content, const CollectedToc& ot, const CollectedModule& o,
                      const CollectedToc& nt, const CollectedModule& n);
// A file's data in ROM.
Content FileContent(ContentComparer& content, const CollectedToc& ot, const FileItem& o,
                    const CollectedToc& nt, const FileItem& n);

// The keys items are matched by, also shown in the output.
ItemKey NameKey(const ItemName& name);
ItemKey ExtensionKey(const ExtensionStepItem& step);
ItemKey SymbolKey(const CollectedImage& image, const CollectedSymbol& symbol);
// A profile goes by its module's name (profile i is module i's); a profile
// with no module in the list, by its index.
ItemKey ProfileKey(const CollectedToc& toc, uint32_t profile);

}  // namespace romscope
