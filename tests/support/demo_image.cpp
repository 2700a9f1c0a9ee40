#include "support/demo_image.h"

#include "support/toc_builder.h"

namespace romscope::testing {
namespace {

// A table of contents as an image builder would lay it out for a small ARM
// device: a few modules and files, a copy section that moves the profiling
// table, and an extension chain with chain information.
TocBuilder DemoToc() {
  TocBuilder toc(0x80220000);
  toc.header.dllFirst = 0x01F00200;
  toc.header.dllLast = 0x02000000;
  toc.header.ramStart = 0x8C000000;
  toc.header.ramFree = 0x8C1A4000;
  toc.header.ramEnd = 0x8E000000;
  toc.header.kernelFlags = 0x00000002;
  toc.header.cpu = 0x01C0;
  toc.header.miscFlags = 0x0002;

  const uint64_t built = FileTimeOf(2001, 3, 7, 9, 5, 0);
  ModuleSpec kernel;
  kernel.name = "os.exe";
  kernel.attributes = 0x7;
  kernel.fileTime = built;
  kernel.size = 0x3A000;
  kernel.loadOffset = 0x80231000;
  kernel.e32 = {std::nullopt, 0x0102, 0x1C30, 0x80231000, 4, 20, 0x10000, 0x3B000, 0x3AA5F00D};
  kernel.sections = {{0x35000, 0x1000, 0x35000, 0x80232000, 0x80232000, 0x60000020},
                     {0x2000, 0x36000, 0x800, 0x80267000, 0x8C000000, 0xC0000040}};
  ModuleSpec panel;
  panel.name = "panel.exe";
  panel.attributes = 0x7;
  panel.fileTime = built + 36000000000ull;  // an hour later
  panel.size = 0x9200;
  panel.loadOffset = 0x80270000;
  panel.e32 = {std::nullopt, 0x010F, 0x1404, 0x00010000, 4, 20, 0x10000, 0xA000, 0x3AA60A11};
  panel.sections = {{0x8000, 0x1000, 0x8000, 0x80271000, 0x00011000, 0x60000020}};
  toc.modules = {kernel, panel};

  toc.files.resize(2);
  toc.files[0].name = "init.cfg";
  toc.files[0].attributes = 0x1;
  toc.files[0].fileTime = built;
  toc.files[0].size = 0x240;
  toc.files[0].loadOffset = 0x80290000;
  toc.files[1].name = "splash.bmp";
  toc.files[1].attributes = 0x803;
  toc.files[1].fileTime = built;
  toc.files[1].size = 0x12C00;
  toc.files[1].storedSize = 0x2A10;
  toc.files[1].loadOffset = 0x802A0000;

  // The profiling table is used from RAM at 0x8C000000, where a copy section
  // puts it; the image stores it, and the hit tables, at the copy's source.
  const uint32_t rom = 0x80300000;
  const uint32_t ram = 0x8C000000;
  toc.copies = {{0x802C0000, 0x8C100000, 0x1A0, 0x1200}, {rom, ram, 0x400, 0x400}};
  toc.header.profSymbolOffset = ram;
  toc.profileAddress = rom;
  toc.profiles.resize(2);
  ProfileSpec& kernelProfile = toc.profiles[0];
  kernelProfile.modA = 1;
  kernelProfile.startAddr = 0x80231000;
  kernelProfile.endAddr = 0x8026B000;
  kernelProfile.hits = {0x120, 0x3};
  kernelProfile.names = {"KernelEntry", "RunNextJob"};
  kernelProfile.hitsAt = rom + 0x100;
  kernelProfile.hitAddr = ram + 0x100;
  ProfileSpec& panelProfile = toc.profiles[1];
  panelProfile.modA = 2;
  panelProfile.startAddr = 0x80270000;
  panelProfile.endAddr = 0x80279200;
  panelProfile.hits = {0x44};
  panelProfile.names = {"AppMain"};
  panelProfile.hitsAt = rom + 0x200;
  panelProfile.hitAddr = ram + 0x200;

  toc.withExtensions = true;
  toc.pids = {0x10, 0x20, 0, 0, 0, 0, 0, 0, 0, 0x100};
  ExtensionSpec chain;
  chain.name = "chain information";
  chain.type = 1;
  chain.entries = {{0x80000000, 0x02000000, 0, 1, 0}, {0x82000000, 0x01000000, 1, 0, 0}};
  ExtensionSpec build;
  build.name = "build id";
  build.type = 2;
  build.length = 0;
  build.pData = 0;
  toc.extensions = {chain, build};
  return toc;
}

}  // namespace

Bytes DemoImage() {
  TocBuilder toc = DemoToc();
  TocMemory memory;
  toc.Build(memory);

  Bytes boot = BytesOf("ROM image test");
  for (uint8_t b : {0x00, 0x01, 0x02, 0x7F, 0x80, 0xFF}) boot.push_back(b);
  // The data of init.cfg; splash.bmp's data is missing, as in a cut image.
  Bytes cfg = BytesOf("[boot]\r\nstart=panel.exe\r\n");
  cfg.resize(0x240, ' ');
  BinBuilder bin;
  bin.Header(0x80200000, 0x00200000);
  bin.Record(0x80200000, boot);
  AddTocRecords(bin, memory, toc.pTOC(), 0, 0x80210000);
  bin.Record(0x80290000, cfg);
  bin.Terminator(0x80231000);
  return bin.Build();
}

}  // namespace romscope::testing
