#include "report/diff/diff_text.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <string>
#include <vector>

#include "base/file_time.h"
#include "compare/change_view.h"
#include "compare/pair_walk.h"
#include "report/catalogue.h"
#include "report/diff/messages.h"

namespace romscope {
namespace {

std::string Format(const char* format, uint64_t value) {
  char text[32];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

// A number in the form the text report shows the field in.
std::string NumberText(FieldForm form, std::optional<uint64_t> value) {
  if (!value) return "none";
  const uint64_t v = *value;
  const uint32_t v32 = static_cast<uint32_t>(v);
  char text[96];
  switch (form) {
    case FieldForm::kHex8:
      std::snprintf(text, sizeof text, "0x%08X", v32);
      break;
    case FieldForm::kHex:
      std::snprintf(text, sizeof text, "0x%X", v32);
      break;
    case FieldForm::kSigned:
      std::snprintf(text, sizeof text, "%d", static_cast<int32_t>(v32));
      break;
    case FieldForm::kHexLower8:
      std::snprintf(text, sizeof text, "%08x", v32);
      break;
    case FieldForm::kHexLower4:
      std::snprintf(text, sizeof text, "%04x", v32);
      break;
    case FieldForm::kCpu: {
      const char* name = CpuName(static_cast<uint16_t>(v));
      std::snprintf(text, sizeof text, "0x%04x (%s)", v32, name != nullptr ? name : "Unknown");
      break;
    }
    case FieldForm::kFileTime: {
      CalendarTime t;
      if (!FileTimeToCalendar(v, &t)) t = CalendarTime();
      std::snprintf(text, sizeof text, "%2d/%02d/%04d  %02d:%02d:%02d (%" PRIu64 ")", t.month,
                    t.day, t.year, t.hour, t.minute, t.second, v);
      break;
    }
    case FieldForm::kAttributes:
      return AttributeLetters(v32) + Format(" (0x%" PRIX64 ")", v);
    case FieldForm::kDecimal:
      return Format("%" PRIu64, v);
  }
  return text;
}

const char* StructureText(const StructureSide& side) {
  switch (side.state) {
    case StructureSide::kRead:
      return "present";
    case StructureSide::kNone:
      break;
    case StructureSide::kUnreadable:
      return "unreadable";
  }
  return "none";
}

// The field lines under a row: "        path: old -> new" for each field
// that differs.
class FieldLines : public PairVisitor {
 public:
  explicit FieldLines(Writer& out) : out_(out) {}

  void Number(const FieldPath& path, FieldForm form, bool, std::optional<uint64_t> oldValue,
              std::optional<uint64_t> newValue) override {
    if (oldValue != newValue) Line(path, NumberText(form, oldValue), NumberText(form, newValue));
  }
  void Flag(const FieldPath& path, bool oldValue, bool newValue) override {
    if (oldValue != newValue) Line(path, oldValue ? "true" : "false", newValue ? "true" : "false");
  }
  void Count(const FieldPath& path, std::optional<uint64_t> oldCount,
             std::optional<uint64_t> newCount) override {
    auto text = [](std::optional<uint64_t> count) {
      return count ? Format("%" PRIu64, *count) : std::string("unreadable");
    };
    if (oldCount != newCount) Line(path, text(oldCount), text(newCount));
  }
  void Structure(const FieldPath& path, const StructureSide& oldSide,
                 const StructureSide& newSide) override {
    if (oldSide.state != newSide.state) {
      Line(path, StructureText(oldSide), StructureText(newSide));
    }
  }

 private:
  void Line(const FieldPath& path, const std::string& oldText, const std::string& newText) {
    out_.Put("        ");
    out_.Put(path.Text());
    out_.Put(": ");
    out_.Put(oldText);
    out_.Put(" -> ");
    out_.Put(newText);
    out_.PutChar('\n');
  }

  Writer& out_;
};

std::string KeyToken(const ItemKey& key, uint32_t occurrence) {
  std::string token =
      key.type == ItemKey::kNumber ? Format("*%" PRIu64, key.number) : NameToken(key.text);
  if (occurrence > 1) token += "#" + std::to_string(occurrence);
  return token;
}

// The name column of a row.
std::string NameOf(const Change& change, const ChangeView& view) {
  switch (change.kind) {
    case ChangeKind::kImage:
      return "BIN";
    case ChangeKind::kToc:
      return Format("0x%08" PRIX64, view.pTOC);
    case ChangeKind::kRecord:
      return Format("0x%08" PRIX64, view.key->number) +
             (change.occurrence > 1 ? "#" + std::to_string(change.occurrence) : "");
    case ChangeKind::kHeader:
      return "ROMHDR";
    case ChangeKind::kCopySection:
      return Format("%" PRIu64, view.key->number);
    case ChangeKind::kSymbol:
      if (!view.key) return "*";
      break;
    case ChangeKind::kExtension:
    case ChangeKind::kModule:
    case ChangeKind::kFile:
      break;
  }
  return KeyToken(*view.key, change.occurrence) + (view.keyCut ? "*" : "");
}

// What a row sorts by; the rest of its view is worked out again to print it,
// so that a block of a million rows stays small.
struct Row {
  uint64_t magnitude;  // the size difference without its sign
  ItemKey module;      // a symbol's
  ItemKey key;
  const Change* change;
};

bool RowBefore(const Row& a, const Row& b) {
  if (a.magnitude != b.magnitude) return a.magnitude > b.magnitude;
  if (int c = ItemKey::Compare(a.module, b.module)) return c < 0;
  if (a.change->moduleOccurrence != b.change->moduleOccurrence) {
    return a.change->moduleOccurrence < b.change->moduleOccurrence;
  }
  if (int c = ItemKey::Compare(a.key, b.key)) return c < 0;
  if (a.change->occurrence != b.change->occurrence) {
    return a.change->occurrence < b.change->occurrence;
  }
  return a.change->toc < b.change->toc;
}

std::string SizeText(bool sized, std::optional<uint64_t> size) {
  return sized && size ? Format("%" PRIu64, *size) : std::string("-");
}

void PrintRow(const ComparedImages& images, const Change& change, Writer& out) {
  const ChangeView view = ViewOf(images, change);
  std::string delta = "-";
  if (view.sized) {
    char text[32];
    std::snprintf(text, sizeof text, "%+" PRId64, view.Delta());
    delta = text;
  }
  const std::string toc = change.toc != Change::kNone ? std::to_string(change.toc) : "-";
  out.Printf("%12s %12s %12s  %-7s %4s  ", SizeText(view.sized, view.oldSize).c_str(),
             SizeText(view.sized, view.newSize).c_str(), delta.c_str(), ChangeName(change.type),
             toc.c_str());
  if (change.kind == ChangeKind::kSymbol) {
    out.Put(KeyToken(view.module, change.moduleOccurrence));
    out.PutChar(' ');
  }
  out.Put(NameOf(change, view));
  out.PutChar('\n');
  if (change.type != ChangeType::kChanged) return;
  FieldLines lines(out);
  WalkChange(images, change, lines);
  if (const char* content = ContentName(change.content))
    out.Printf("        content: %s\n", content);
}

void PrintSummary(const Comparison& comparison, Writer& out) {
  std::string parts;
  for (size_t k = 0; k < kChangeKinds; ++k) {
    std::string counts;
    for (size_t t = 0; t < kChangeTypes; ++t) {
      const uint64_t count = comparison.counts[k][t];
      if (count == 0) continue;
      if (!counts.empty()) counts += ", ";
      counts += std::to_string(count) + " " + ChangeName(static_cast<ChangeType>(t));
    }
    if (counts.empty()) continue;
    parts += std::string(KindPlural(static_cast<ChangeKind>(k))) + ": " + counts + "; ";
  }
  if (parts.empty()) {
    parts = comparison.Identical() ? "no difference; " : "no difference found; ";
  }
  const int64_t delta =
      static_cast<int64_t>(comparison.newBytes) - static_cast<int64_t>(comparison.oldBytes);
  out.Printf("Summary: %sROM bytes: %" PRIu64 " -> %" PRIu64 " (%+" PRId64 ")\n", parts.c_str(),
             comparison.oldBytes, comparison.newBytes, delta);
}

}  // namespace

std::string NameToken(std::string_view name) {
  if (name.empty()) return "\"\"";
  std::string token;
  for (const char c : name) {
    const auto byte = static_cast<unsigned char>(c);
    const bool plain = byte > 0x20 && byte < 0x7F && c != '"' && c != '#' && c != '*' && c != '\\';
    if (plain) {
      token += c;
    } else {
      static const char kDigits[] = "0123456789ABCDEF";
      token += "\\x";
      token += kDigits[byte >> 4];
      token += kDigits[byte & 15];
    }
  }
  return token;
}

void PrintComparison(const ComparedImages& images, const Comparison& comparison, Writer& out) {
  PrintSummary(comparison, out);
  for (size_t k = 0; k < kChangeKinds && !out.Failed(); ++k) {
    const ChangeKind kind = static_cast<ChangeKind>(k);
    std::vector<Row> rows;
    for (const Change& change : comparison.changes) {
      if (change.kind != kind || change.type == ChangeType::kMoved) continue;
      const ChangeView view = ViewOf(images, change);
      const int64_t delta = view.Delta();
      const uint64_t magnitude =
          delta < 0 ? ~static_cast<uint64_t>(delta) + 1 : static_cast<uint64_t>(delta);
      rows.push_back({magnitude, view.module, view.key.value_or(ItemKey()), &change});
    }
    if (rows.empty()) continue;
    std::sort(rows.begin(), rows.end(), RowBefore);
    out.Printf("\n%s:\n", KindPlural(kind));
    out.Printf("%12s %12s %12s  %-7s %4s  %s\n", "old", "new", "delta", "change", "toc",
               kind == ChangeKind::kSymbol ? "module name" : "name");
    for (const Row& row : rows) {
      if (out.Failed()) break;
      PrintRow(images, *row.change, out);
    }
  }
}

}  // namespace romscope
