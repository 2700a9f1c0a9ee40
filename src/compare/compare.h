// The comparison of two collected inspections, item by item:
//
//   the image (BIN header, entry address); the records by start address;
//   the tables of contents in the order found, the k-th with the k-th (one
//   that only one image has is added or removed whole); inside each pair
//   the header and the head of its extensions, the extension records by
//   name in chain order, the copy sections by index, the modules and files
//   by name, and per module its profiling symbols by name.
//
// A pair of items is moved when only addresses differ and its content (if
// it has any) is the same; changed when anything else differs, its content
// included; the same otherwise. A table that one image could read and the
// other could not is not compared item by item: its table of contents says
// so. A module's symbols come and go with it.
//
// When the collection of an image stopped at its item budget, its last table
// of contents may lack items and those after it are missing: nothing is said
// to be added where the old image is cut, nor removed where the new one is.
#pragma once

#include "compare/change.h"
#include "compare/content.h"
#include "compare/record_pass.h"
#include "rom/collector.h"

namespace romscope {

// The two inspections, both usable, collected without their record data
// (RecordPass reads it), and what comparing them needs to keep.
struct ComparedImages {
  ComparedImages(Inspection& o, Inspection& n) : oldSide(o), newSide(n) {}
  Inspection& oldSide;
  Inspection& newSide;
  RecordPass records;
};

// The plan the comparison collects each image with.
InspectPlan ComparisonPlan();

// Runs the record pass and compares everything; `usePass` as for
// ContentComparer.
void CompareInspections(ComparedImages& images, Comparison* result, bool usePass = true);

// Whether the tables of contents with this index are the last of a cut
// collection on each side.
bool CutOld(const ComparedImages& images, uint32_t toc);
bool CutNew(const ComparedImages& images, uint32_t toc);
// The tables (a bit per TocTable) whose readability a cut side leaves open.
unsigned CutTables(const ComparedImages& images, uint32_t toc);

}  // namespace romscope
