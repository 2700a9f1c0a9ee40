#include "fuzz/fuzz_run.h"

#include <cstdio>
#include <cstdlib>
#include <nlohmann/json.hpp>
#include <string>

#include "cli/driver.h"
#include "fuzz/fuzz_host.h"

namespace romscope {

void Finding(const char* what, const std::string& output) {
  std::fprintf(stderr, "%s; the output (%zu bytes) begins: %.300s\n", what, output.size(),
               output.c_str());
  std::abort();
}

namespace {

// The document must be valid JSON on every input: anything else is a finding.
void RunJson(const uint8_t* data, size_t size) {
  FuzzHost host(data, size);
  KeepingSink outSink;
  NullSink errSink;
  {
    Writer out(outSink, 1 << 16);
    Diagnostics diag(out, errSink);
    RunRomscope("romscope -json image.bin", host, out, diag);
  }
  if (outSink.cut) return;  // a document cut at the budget proves nothing
  const std::string& text = outSink.text;
  if (text.empty() || text.find('\n') != text.size() - 1) {
    Finding("-json: not one line ending in its line break", text);
  }
  // The library's parser, without building the document in memory.
  if (!nlohmann::json::accept(text)) Finding("-json: not valid JSON", text);
  if (text.compare(0, 26, "{\"format\":\"romscope-json\",") != 0) {
    Finding("-json: no romscope-json document", text);
  }
}

}  // namespace

void FuzzOneInput(const uint8_t* data, size_t size) {
  static const char* const kCommandLines[] = {
      "romscope -data image.bin",
      "romscope -obj -sym -checkfiles image.bin",
      "romscope -toc image.bin",
  };
  for (const char* commandLine : kCommandLines) {
    FuzzHost host(data, size);
    BudgetSink outSink;
    NullSink errSink;
    Writer out(outSink, 1 << 16);
    Diagnostics diag(out, errSink);
    RunRomscope(commandLine, host, out, diag);
  }
  RunJson(data, size);
  FuzzDiff(data, size);
  FuzzMap(data, size);
  FuzzExport(data, size);
}

}  // namespace romscope
