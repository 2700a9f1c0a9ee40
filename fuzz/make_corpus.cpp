// Writes the fuzzer's seed corpus: valid images with every section, built
// with the same builder as the tests.
#include <cstdio>
#include <string>

#include "support/demo_image.h"
#include "support/toc_builder.h"

namespace romscope::testing {
namespace {

bool Write(const std::string& folder, const std::string& name, const Bytes& bytes) {
  std::string path = folder + "/" + name;
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return std::fclose(file) == 0 && ok;
}

// A small table of contents with every section, at a ROMOFFSET of `offset`.
Bytes SmallToc(uint32_t pTOC, uint32_t offset, bool sectionsSplit) {
  TocBuilder toc(pTOC);
  toc.header.cpu = 0x01A6;
  ModuleSpec module;
  module.name = "m.dll";
  module.fileTime = FileTimeOf(2004, 2, 29, 23, 59, 58);
  module.sections = {{0x100, 0x1000, 0x100, 0x2000, 0x3000, 0x40}};
  toc.modules = {module};
  toc.files.resize(1);
  toc.files[0].name = "f.txt";
  toc.files[0].attributes = 0x807;
  toc.files[0].size = 10;
  toc.files[0].storedSize = 4;
  toc.files[0].loadOffset = pTOC;
  toc.copies = {{pTOC + 0x400, 0x9000, 1, 2}};
  toc.header.profSymbolOffset = 0x9000;
  toc.profileAddress = pTOC + 0x400;
  toc.profiles.resize(1);
  toc.profiles[0].hits = {1, 2, 3};
  toc.profiles[0].names = {"a", "bc", ""};
  toc.withExtensions = true;
  ExtensionSpec chain;
  chain.name = "chain information";
  chain.entries = {{1, 2, 3, 4, 5}};
  toc.extensions = {chain};
  TocMemory memory;
  TocBuilder::Placement placed = toc.Build(memory);
  BinBuilder bin;
  bin.Header(pTOC + offset, 0x1000);
  AddTocRecords(bin, memory, pTOC, offset, (placed.dataEnd + 0x800 + offset) & ~0xFu,
                sectionsSplit ? 24 : 0x10000, true);
  bin.Terminator(pTOC + offset);
  return bin.Build();
}

}  // namespace
}  // namespace romscope::testing

int main(int argc, char** argv) {
  using namespace romscope::testing;
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_corpus FOLDER\n");
    return 2;
  }
  std::string folder = argv[1];
  bool ok =
      Write(folder, "demo.bin", DemoImage()) &&
      Write(folder, "toc-offset0.bin", SmallToc(0x1000, 0, false)) &&
      Write(folder, "toc-offset.bin", SmallToc(0x1000, 0x80000000, false)) &&
      Write(folder, "toc-split.bin", SmallToc(0x2000, 0x10, true)) &&
      Write(folder, "records.bin",
            BinBuilder().Header(0, 0).Record(0x10, "abc").Record(0, "d").Terminator(1).Build());
  if (!ok) std::perror(folder.c_str());
  return ok ? 0 : 1;
}
