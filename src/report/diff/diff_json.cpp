#include "report/diff/diff_json.h"

#include <type_traits>
#include <variant>

#include "base/text.h"
#include "compare/change_view.h"
#include "compare/pair_walk.h"
#include "report/catalogue.h"
#include "report/diff/messages.h"
#include "report/json/json_fields.h"
#include "report/json/json_writer.h"

namespace romscope {
namespace {

void OptionalNumber(JsonWriter& json, std::optional<uint64_t> value) {
  if (value) {
    json.Number(*value);
  } else {
    json.Null();
  }
}

void OptionalText(JsonWriter& json, const char* text) {
  if (text != nullptr && *text != '\0') {
    json.String(text);
  } else {
    json.Null();
  }
}

// The members of "fields": each field that differs under its path, as
// {"old": ..., "new": ...} with the values -json gives it; a reading (a
// date, a processor's name, attribute letters) as a member of its own.
class FieldMembers : public PairVisitor {
 public:
  explicit FieldMembers(JsonWriter& json) : json_(json) {}

  void Number(const FieldPath& path, FieldForm form, bool, std::optional<uint64_t> oldValue,
              std::optional<uint64_t> newValue) override {
    if (oldValue == newValue) return;
    if (form == FieldForm::kFileTime) {
      // As -json: the raw value as a decimal string (it may pass 2^53).
      Both(
          path.Text(), [&](std::optional<uint64_t> v) { json_.String(std::to_string(*v)); },
          oldValue, newValue);
      Both(
          path.Text() + "Utc",
          [&](std::optional<uint64_t> v) { OptionalText(json_, FileTimeUtc(*v).c_str()); },
          oldValue, newValue);
      return;
    }
    Both(
        path.Text(), [&](std::optional<uint64_t> v) { OptionalNumber(json_, v); }, oldValue,
        newValue);
    if (form == FieldForm::kCpu) {
      Both(
          path.Beside("cpuName").Text(),
          [&](std::optional<uint64_t> v) {
            OptionalText(json_, CpuName(static_cast<uint16_t>(*v)));
          },
          oldValue, newValue);
    } else if (form == FieldForm::kAttributes) {
      Both(
          "attributeLetters",
          [&](std::optional<uint64_t> v) {
            json_.String(AttributeLetters(static_cast<uint32_t>(*v)));
          },
          oldValue, newValue);
    }
  }
  void Flag(const FieldPath& path, bool oldValue, bool newValue) override {
    if (oldValue == newValue) return;
    Both(
        path.Text(), [&](bool v) { json_.Boolean(v); }, oldValue, newValue);
  }
  void Count(const FieldPath& path, std::optional<uint64_t> oldCount,
             std::optional<uint64_t> newCount) override {
    if (oldCount == newCount) return;
    Both(
        path.Text(), [&](std::optional<uint64_t> v) { OptionalNumber(json_, v); }, oldCount,
        newCount);
  }
  void Structure(const FieldPath& path, const StructureSide& oldSide,
                 const StructureSide& newSide) override {
    if (oldSide.state == newSide.state) return;
    Both(
        path.Text(),
        [&](const StructureSide* side) {
          if (side->state != StructureSide::kRead) {
            json_.Null();
            return;
          }
          std::visit(
              [this](auto structure) {
                if constexpr (std::is_pointer_v<decltype(structure)>) {
                  WriteObject(json_, *structure);
                } else {
                  json_.Null();
                }
              },
              side->value);
        },
        &oldSide, &newSide);
  }

 private:
  // "path": {"old": write(a), "new": write(b)}
  template <typename Write, typename T>
  void Both(const std::string& path, const Write& write, const T& a, const T& b) {
    json_.Key(path.c_str());
    json_.BeginObject();
    json_.Key("old");
    write(a);
    json_.Key("new");
    write(b);
    json_.EndObject();
  }

  JsonWriter& json_;
};

// A key as the JSON document gives it: a number, a name (its bytes as
// characters of the same numbers), or null.
void KeyValue(JsonWriter& json, const std::optional<ItemKey>& key) {
  if (!key || (key->type == ItemKey::kUnreadable && key->text.empty())) {
    json.Null();
  } else if (key->type == ItemKey::kNumber) {
    json.Number(key->number);
  } else {
    json.Latin1(reinterpret_cast<const uint8_t*>(key->text.data()), key->text.size());
  }
}

// The index the item has in the -json document: a symbol's within its
// module's list.
std::optional<uint64_t> DocumentIndex(const ComparedImages& images, const Change& change,
                                      bool newSide) {
  const uint32_t item = newSide ? change.newItem : change.oldItem;
  if (item == Change::kNone || change.kind == ChangeKind::kImage ||
      change.kind == ChangeKind::kHeader) {
    return std::nullopt;
  }
  if (change.kind != ChangeKind::kSymbol || change.wholeList) return item;
  const CollectedToc& toc = (newSide ? images.newSide : images.oldSide).collected.tocs[change.toc];
  return item - toc.profiles[ProfileOfSymbol(toc, item)].firstSymbol;
}

void WriteChange(const ComparedImages& images, const Change& change, JsonWriter& json) {
  const ChangeView view = ViewOf(images, change);
  json.BeginObject();
  json.String("kind", KindName(change.kind));
  json.Key("toc");
  OptionalNumber(json,
                 change.toc != Change::kNone ? std::optional<uint64_t>(change.toc) : std::nullopt);
  json.Key("key");
  KeyValue(json, view.key);
  json.Number("occurrence", change.occurrence);
  json.String("change", ChangeName(change.type));
  json.Key("oldIndex");
  OptionalNumber(json, DocumentIndex(images, change, false));
  json.Key("newIndex");
  OptionalNumber(json, DocumentIndex(images, change, true));
  if (change.kind == ChangeKind::kSymbol) {
    json.Key("module");
    KeyValue(json, view.module.type == ItemKey::kNumber ? std::nullopt
                                                        : std::optional<ItemKey>(view.module));
    json.Number("moduleOccurrence", change.moduleOccurrence);
    if (view.keyCut) json.Boolean("keyCut", true);
  }
  json.Key("oldSize");
  OptionalNumber(json, view.sized ? view.oldSize : std::nullopt);
  json.Key("newSize");
  OptionalNumber(json, view.sized ? view.newSize : std::nullopt);
  if (view.sized) {
    json.Key("delta");
    json.Signed(view.Delta());
  } else {
    json.Null("delta");
  }
  json.Key("fields");
  json.BeginObject();
  if (change.type == ChangeType::kChanged || change.type == ChangeType::kMoved) {
    FieldMembers fields(json);
    WalkChange(images, change, fields);
  }
  json.EndObject();
  json.Key("content");
  if (const char* content = ContentName(change.content)) {
    json.String(content);
  } else {
    json.Null();
  }
  json.EndObject();
}

void Begin(JsonWriter& json, const std::string& oldPath, const std::string& newPath,
           bool identical) {
  json.BeginObject();
  json.String("format", "romscope-diff");
  json.Number("version", kDiffFormatVersion);
  json.String("old", CommandLineText(oldPath));
  json.String("new", CommandLineText(newPath));
  json.Boolean("identical", identical);
}

void Summary(JsonWriter& json, const Comparison& comparison) {
  json.Key("summary");
  json.BeginObject();
  json.Key("romBytes");
  json.BeginObject();
  json.Number("old", comparison.oldBytes);
  json.Number("new", comparison.newBytes);
  json.Key("delta");
  json.Signed(static_cast<int64_t>(comparison.newBytes) -
              static_cast<int64_t>(comparison.oldBytes));
  json.EndObject();
  for (size_t t = 0; t < kChangeTypes; ++t) {
    uint64_t total = 0;
    for (size_t k = 0; k < kChangeKinds; ++k) total += comparison.counts[k][t];
    json.Number(ChangeName(static_cast<ChangeType>(t)), total);
  }
  json.Key("kinds");
  json.BeginObject();
  for (size_t k = 0; k < kChangeKinds; ++k) {
    json.Key(KindName(static_cast<ChangeKind>(k)));
    json.BeginObject();
    for (size_t t = 0; t < kChangeTypes; ++t) {
      json.Number(ChangeName(static_cast<ChangeType>(t)), comparison.counts[k][t]);
    }
    json.EndObject();
  }
  json.EndObject();
  json.EndObject();
}

// A problem of one image: {"kind", "image", "text"}.
void ImageProblem(JsonWriter& json, const char* kind, bool newImage, const std::string& text) {
  json.BeginObject();
  json.String("kind", kind);
  json.String("image", newImage ? "new" : "old");
  json.String("text", text);
  json.EndObject();
}

}  // namespace

void WriteComparison(const ComparedImages& images, const Comparison& comparison, Writer& out) {
  JsonWriter json(out);
  Begin(json, images.oldSide.opened.item.path, images.newSide.opened.item.path,
        comparison.Identical());
  Summary(json, comparison);
  json.Key("changes");
  json.BeginArray();
  for (const Change& change : comparison.changes) {
    if (out.Failed()) break;
    WriteChange(images, change, json);
  }
  json.EndArray();
  json.Key("problems");
  json.BeginArray();
  for (const ComparisonProblem& problem : comparison.problems) {
    const Inspection& side = problem.newImage ? images.newSide : images.oldSide;
    ImageProblem(json, "incomplete", problem.newImage,
                 IncompleteText(CommandLineText(side.opened.item.path)));
  }
  json.EndArray();
  json.EndObject();
  json.Finish();
}

void WriteUnusable(const ImageItem& oldImage, const ImageItem& newImage, Writer& out) {
  JsonWriter json(out);
  Begin(json, oldImage.path, newImage.path, false);
  Summary(json, Comparison());
  json.Key("changes");
  json.BeginArray();
  json.EndArray();
  json.Key("problems");
  json.BeginArray();
  for (const ImageItem* image : {&oldImage, &newImage}) {
    if (!image->failure) continue;
    ImageProblem(json, Describe(image->failure->kind).kind, image == &newImage,
                 ProblemText(*image->failure, CommandLineText(image->path)));
  }
  json.EndArray();
  // The first image that cannot be used; the problems list both.
  const ImageItem& first = oldImage.failure ? oldImage : newImage;
  const Problem failure = first.failure.value_or(Problem{ProblemKind::kOpenFailed});
  json.Key("error");
  json.BeginObject();
  json.String("image", &first == &newImage ? "new" : "old");
  json.String("kind", Describe(failure.kind).kind);
  json.String("text", ProblemText(failure, CommandLineText(first.path)));
  if (failure.kind == ProblemKind::kOpenFailed) {
    json.String("reason", CommandLineText(first.openReason));
  }
  json.EndObject();
  json.EndObject();
  json.Finish();
}

}  // namespace romscope
