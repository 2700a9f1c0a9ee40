// The fuzz runs of -diff. Each input makes two images: split where a second
// BIN signature starts, or else the input and a copy with one byte changed.
// The pair is compared as text and as JSON (the document must parse and
// agree with the exit status); the input compared with itself must show no
// difference; and the comparison's shortcuts must change nothing: the record
// pass gives the scan's checksum verdicts, and reading every content range
// whole finds what the pass lets it skip.
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "cli/driver.h"
#include "fuzz/fuzz_host.h"
#include "report/diff/compare.h"

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

struct Run {
  std::string out;
  bool cut = false;
  int status = 0;
};

Run RunDiff(PairHost& host, const char* commandLine) {
  KeepingSink outSink;
  NullSink errSink;
  Run run;
  {
    Writer out(outSink, 1 << 16);
    Diagnostics diag(out, errSink);
    run.status = RunRomscope(commandLine, host, out, diag);
  }
  run.out = std::move(outSink.text);
  run.cut = outSink.cut;
  return run;
}

// The document parses, is one line, and says what the status says.
void CheckDocument(const Run& run, bool sameImage) {
  if (run.cut) return;  // a document cut at the budget proves nothing
  const std::string& text = run.out;
  if (text.empty() || text.find('\n') != text.size() - 1) {
    Finding("-diff -json: not one line ending in its line break", text);
  }
  if (text.compare(0, 26, "{\"format\":\"romscope-diff\",") != 0) {
    Finding("-diff -json: no romscope-diff document", text);
  }
  const nlohmann::json doc = nlohmann::json::parse(text, nullptr, false);
  if (doc.is_discarded()) Finding("-diff -json: not valid JSON", text);
  const bool identical = doc.value("identical", false);
  const bool failed = doc.contains("error");
  if (identical != (run.status == 0) || (failed && run.status != 2)) {
    Finding("-diff -json: identical, error and the exit status disagree", text);
  }
  if (sameImage && run.status != 0 && !failed && doc["problems"].empty()) {
    Finding("-diff -json: an image differs from itself", text);
  }
}

void CheckText(const Run& run, bool sameImage) {
  if (run.cut || run.status == 2) return;
  if (run.out.compare(0, 9, "Summary: ") != 0) Finding("-diff: no summary line first", run.out);
  if (sameImage && (run.status != 0 || run.out.find('\n') != run.out.size() - 1 ||
                    run.out.compare(9, 15, "no difference; ") != 0)) {
    Finding("-diff: an image differs from itself", run.out);
  }
}

bool SameChanges(const Comparison& a, const Comparison& b) {
  if (a.changes.size() != b.changes.size()) return false;
  for (size_t i = 0; i < a.changes.size(); ++i) {
    const Change& x = a.changes[i];
    const Change& y = b.changes[i];
    if (x.kind != y.kind || x.type != y.type || x.content != y.content || x.toc != y.toc ||
        x.oldItem != y.oldItem || x.newItem != y.newItem) {
      return false;
    }
  }
  return true;
}

void CheckShortcuts(PairHost& host) {
  Inspection scannedOld;
  Inspection scannedNew;
  CollectInspection(host, "old.bin", &scannedOld);
  CollectInspection(host, "new.bin", &scannedNew);
  if (!scannedOld.opened.Usable() || !scannedNew.opened.Usable()) return;
  Comparison results[2];
  for (const bool usePass : {true, false}) {
    Inspection o;
    Inspection n;
    CollectInspection(host, "old.bin", &o, ComparisonPlan());
    CollectInspection(host, "new.bin", &n, ComparisonPlan());
    ComparedImages images(o, n);
    CompareInspections(images, &results[usePass ? 0 : 1], usePass);
    if (o.collected.recordFlags != scannedOld.collected.recordFlags ||
        n.collected.recordFlags != scannedNew.collected.recordFlags) {
      Finding("-diff: the record pass's verdicts are not the scan's", "");
    }
  }
  if (!SameChanges(results[0], results[1])) {
    Finding("-diff: reading content whole finds other changes than the record pass", "");
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
  const Bytes input(data, data + size);
  const size_t split = SecondImage(data, size);
  Bytes changed = input;
  if (!changed.empty()) changed[changed.size() / 2] ^= 0x01;
  {
    PairHost pair(split != 0 ? Bytes(data, data + split) : input,
                  split != 0 ? Bytes(data + split, data + size) : changed);
    CheckText(RunDiff(pair, "romscope -diff old.bin new.bin"), false);
    CheckDocument(RunDiff(pair, "romscope -diff -json old.bin new.bin"), false);
  }
  {
    PairHost same(input, input);
    CheckText(RunDiff(same, "romscope -diff old.bin new.bin"), true);
    CheckDocument(RunDiff(same, "romscope -json -diff old.bin new.bin"), true);
  }
  PairHost near(input, changed);
  CheckShortcuts(near);
}

}  // namespace romscope
