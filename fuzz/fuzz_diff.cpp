// The fuzz runs of -diff. Each input makes two images: split where a second
// BIN signature starts, or else the input and a copy with one byte changed.
// The pair is compared and printed as text and as JSON (the document must
// parse and agree with the exit status); the input compared with itself
// must show no difference; and the comparison's shortcuts must change
// nothing: the record pass gives the scan's checksum verdicts, and reading
// every content range whole finds what the pass lets it skip. Each image is
// collected once for all of these, as some inputs hold a million items.
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "cli/driver.h"
#include "compare/compare.h"
#include "fuzz/fuzz_host.h"
#include "image/record_scan.h"
#include "report/diff/diff_json.h"
#include "report/diff/diff_text.h"

namespace romscope {
namespace {

using Bytes = std::vector<uint8_t>;

// "old.bin" and "new.bin"; any other name cannot be opened.
class PairHost : public HostServices {
 public:
  PairHost(Bytes oldBytes, Bytes newBytes) : old_(std::move(oldBytes)), new_(std::move(newBytes)) {}
  bool EnvironmentHas(const char*) override { return false; }
  void DebugBreak() override {}
  std::unique_ptr<ByteSource> OpenInput(const std::string& path, std::string* reason) override {
    if (path == "old.bin") return std::make_unique<MemorySource>(old_);
    if (path == "new.bin") return std::make_unique<MemorySource>(new_);
    *reason = "no such file";
    return nullptr;
  }
  bool OutputIsTerminal() override { return false; }

 private:
  Bytes old_;
  Bytes new_;
};

// What a printer wrote, unless it passed the budget.
template <typename Print>
std::string Printed(const Print& print, bool* cut) {
  KeepingSink sink;
  {
    Writer out(sink, 1 << 16);
    print(out);
  }
  *cut = sink.cut;
  return std::move(sink.text);
}

// The document parses, is one line, and says what the status says; it has
// an error member only for an image that cannot be used.
void CheckDocument(const std::string& text, bool cut, int status, bool unusable) {
  if (cut) return;  // a document cut at the budget proves nothing
  if (text.empty() || text.find('\n') != text.size() - 1) {
    Finding("-diff -json: not one line ending in its line break", text);
  }
  // The members before "identical" are fixed for these paths; a quote inside
  // a string is escaped, so the error member's start shows nowhere else.
  static const char kStart[] =
      R"({"format":"romscope-diff","version":1,"old":"old.bin","new":"new.bin","identical":)";
  const size_t start = sizeof kStart - 1;
  if (text.compare(0, start, kStart) != 0) Finding("-diff -json: no romscope-diff document", text);
  // Parsed without building the document in memory, as some are large.
  if (!nlohmann::json::accept(text)) Finding("-diff -json: not valid JSON", text);
  const bool identical = text.compare(start, 5, "true,") == 0;
  const bool error = text.find(R"(,"error":{"image":)") != std::string::npos;
  if (identical != (status == 0) || error != unusable) {
    Finding("-diff -json: identical, error and the exit status disagree", text);
  }
}

// An input that cannot be compared: the whole run, its document with an error.
void CheckUnusable(PairHost& host) {
  KeepingSink outSink;
  NullSink errSink;
  int status = 0;
  {
    Writer out(outSink, 1 << 16);
    Diagnostics diag(out, errSink);
    status = RunRomscope("romscope -diff -json old.bin new.bin", host, out, diag);
  }
  if (status != 2) Finding("-diff: an image that cannot be used is no trouble", outSink.text);
  CheckDocument(outSink.text, outSink.cut, status, true);
}

// The checksum verdicts the scan forms when it reads the data.
class Verdicts : public RecordConsumer {
 public:
  void RecordData(const RecordItem&, uint32_t, const uint8_t*, size_t) override {}
  void Record(const RecordItem& record) override {
    flags.push_back(CollectedImage::RecordFlags(record));
  }
  std::vector<uint8_t> flags;
};

std::vector<uint8_t> ScannedVerdicts(PairHost& host, const char* path) {
  std::string reason;
  std::unique_ptr<ByteSource> source = host.OpenInput(path, &reason);
  Image image(*source);
  Verdicts verdicts;
  if (ReadBinHeader(image.file, &image.header) == BinHeaderStatus::kOk) {
    ScanRecords(image.file, true, verdicts, NeverStopped(), image.scratch.data(), &image.records);
  }
  return verdicts.flags;
}

bool SameChanges(const Comparison& a, const Comparison& b) {
  if (a.changes.size() != b.changes.size()) return false;
  for (size_t i = 0; i < a.changes.size(); ++i) {
    const Change& x = a.changes[i];
    const Change& y = b.changes[i];
    if (x.kind != y.kind || x.type != y.type || x.content != y.content || x.toc != y.toc ||
        x.oldItem != y.oldItem || x.newItem != y.newItem || x.occurrence != y.occurrence) {
      return false;
    }
  }
  return true;
}

void ComparePair(PairHost& host) {
  Inspection o;
  Inspection n;
  CollectInspection(host, "old.bin", &o, ComparisonPlan());
  CollectInspection(host, "new.bin", &n, ComparisonPlan());
  if (!o.opened.Usable() || !n.opened.Usable()) {
    CheckUnusable(host);
    return;
  }
  ComparedImages pair(o, n);
  Comparison comparison;
  CompareInspections(pair, &comparison);
  if (pair.records.OldFlags() != ScannedVerdicts(host, "old.bin") ||
      pair.records.NewFlags() != ScannedVerdicts(host, "new.bin")) {
    Finding("-diff: the record pass's verdicts are not the scan's", "");
  }
  bool cut = false;
  const std::string text =
      Printed([&](Writer& out) { PrintComparison(pair, comparison, out); }, &cut);
  if (!cut && text.compare(0, 9, "Summary: ") != 0) Finding("-diff: no summary line first", text);
  const std::string doc =
      Printed([&](Writer& out) { WriteComparison(pair, comparison, out); }, &cut);
  CheckDocument(doc, cut, comparison.ExitStatus(), false);

  Comparison whole;
  ComparedImages again(o, n);
  CompareInspections(again, &whole, false);
  if (!SameChanges(comparison, whole)) {
    Finding("-diff: reading content whole finds other changes than the record pass", "");
  }

  // The old image against itself: the same inspection on both sides.
  ComparedImages same(o, o);
  Comparison nothing;
  CompareInspections(same, &nothing);
  const bool complete = o.collected.complete;
  const std::string line = Printed([&](Writer& out) { PrintComparison(same, nothing, out); }, &cut);
  if (!nothing.changes.empty() ||
      (complete &&
       (nothing.ExitStatus() != 0 || line.compare(0, 24, "Summary: no difference; ") != 0 ||
        line.find('\n') != line.size() - 1))) {
    Finding("-diff: an image differs from itself", line);
  }
}

// Where a second image starts: at a BIN signature after the first byte.
size_t SecondImage(const uint8_t* data, size_t size) {
  static const char kSignature[] = "B000FF\n";
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const size_t at = text.find(std::string_view(kSignature, 7), 1);
  return at == std::string_view::npos ? 0 : at;
}

}  // namespace

void FuzzDiff(const uint8_t* data, size_t size) {
  const size_t split = SecondImage(data, size);
  Bytes oldImage(data, data + (split != 0 ? split : size));
  Bytes newImage = split != 0 ? Bytes(data + split, data + size) : oldImage;
  if (split == 0 && !newImage.empty()) newImage[newImage.size() / 2] ^= 0x01;
  PairHost pair(std::move(oldImage), std::move(newImage));
  ComparePair(pair);
}

}  // namespace romscope
