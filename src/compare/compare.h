// The comparison of two collected inspections, item by item. This is the
// one place that says how the items of the two images are matched:
//
//   image            the one BIN header with the other (and the entry address)
//   records          by start address, in table order; the terminators aside
//   tables of        by position in the order found, the k-th with the k-th;
//     contents       one that only one image has is added or removed whole
//   inside a pair of tables of contents:
//     header         the one with the other, the head of its extensions with it
//     extensions     by name, in chain order
//     copy sections  by position in the copy table
//     modules, files by name, in table order
//     symbols        within a pair of modules, by name in profile order; a
//                    profile goes by its module's name (by its position when
//                    it has no module), so symbols come and go with modules
//
// A key is the name's bytes as read (a symbol name cut where the inspection
// stops keeping it: its prefix and the hash of the whole); every module or
// file name that could not be read is one and the same key, and a symbol name
// that ends at no NUL is kept apart from the same bytes ended. Wherever a key repeats, the k-th
// item with a key in the old list pairs with the k-th item with that key in the new one; an item
// whose key has no k-th partner is added or removed. MatchByKey in matching.h does the pairing (and
// says what it costs); the key functions are in compare_toc.h.
//
// A pair of items is moved when only addresses differ and its content (if
// it has any) is the same; changed when anything else differs, its content
// included; the same otherwise. A table that one image could read and the
// other could not is not compared item by item: its table of contents says
// so.
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
