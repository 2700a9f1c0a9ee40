// The text report's module, file and symbol sections.
#include "base/format.h"
#include "rom/text_renderer.h"

namespace romscope {
namespace {

char Letter(uint32_t attributes, uint32_t bit, char letter) {
  return (attributes & bit) != 0 ? letter : '_';
}

}  // namespace

void TextRenderer::ConvertTime(uint64_t fileTime) {
  if (!FileTimeToCalendar(fileTime, &calendar_)) calendar_ = CalendarTime();
}

void TextRenderer::ModulesBegin(uint32_t, bool readable) {
  out_.Put(readable ? "\nMODULES ---------------------------------------\n"
                    : "ERROR: Couldn't locate Modules data\n");
}

void TextRenderer::Module(uint32_t, const TOCentry& entry, const char* name) {
  // A name that cannot be read shows as empty, never as an earlier one.
  if (name == nullptr) name = "";
  ConvertTime(entry.ftTime);
  const CalendarTime& t = calendar_;
  if (!details_) {
    out_.Printf("    %2d/%02d/%04d  %02d:%02d:%02d  %10d  %s \n", t.month, t.day, t.year, t.hour,
                t.minute, t.second, static_cast<int32_t>(entry.nFileSize), name);
    return;
  }
  moduleName_ = name;
  e32Read_ = false;
  out_.Printf("    ==== %s ===============================\n", name);
  out_.Printf("    TOCentry (%s) -------------------------\n", name);
  out_.Printf("        dwFileAttributes    : 0x%X\n", entry.dwFileAttributes);
  out_.Printf("        ftTime              : %2d/%02d/%04d  %02d:%02d:%02d\n", t.month, t.day,
              t.year, t.hour, t.minute, t.second);
  out_.Printf("        nFileSize           : 0x%X (%d)\n", entry.nFileSize,
              static_cast<int32_t>(entry.nFileSize));
  out_.Printf("        ulE32Offset         : 0x%X\n", entry.ulE32Offset);
  out_.Printf("        ulO32Offset         : 0x%X\n", entry.ulO32Offset);
  out_.Printf("        ulLoadOffset        : 0x%X\n", entry.ulLoadOffset);
}

void TextRenderer::ModuleE32(const e32_rom* e32) {
  if (e32 == nullptr) {
    out_.Put("ERROR: Couldn't locate e32_rom data\n");
    return;
  }
  e32Read_ = true;
  const e32_rom& e = *e32;
  out_.Printf("    e32_rom (%s) --------------------------\n", moduleName_.c_str());
  out_.Printf("        e32_objcnt          : %d\n", static_cast<int>(e.e32_objcnt));
  out_.Printf("        e32_imageflags      : 0x%X\n", static_cast<uint32_t>(e.e32_imageflags));
  out_.Printf("        e32_entryrva        : 0x%X\n", e.e32_entryrva);
  out_.Printf("        e32_vbase           : 0x%X\n", e.e32_vbase);
  out_.Printf("        e32_subsysmajor     : 0x%X\n", static_cast<uint32_t>(e.e32_subsysmajor));
  out_.Printf("        e32_subsysminor     : 0x%X\n", static_cast<uint32_t>(e.e32_subsysminor));
  out_.Printf("        e32_stackmax        : 0x%X\n", e.e32_stackmax);
  out_.Printf("        e32_vsize           : 0x%X\n", e.e32_vsize);
  out_.Printf("        e32_timestamp       : 0x%X\n", e.e32_timestamp);
}

void TextRenderer::ModuleO32(uint32_t index, uint32_t, const o32_rom* o32) {
  // The heading stands also for a header that cannot be read.
  out_.Printf("    o32_rom[%u] (%s) ------------------------\n", index, moduleName_.c_str());
  if (o32 == nullptr) {
    out_.Put("ERROR: Couldn't locate o32_rom data\n");
    return;
  }
  const o32_rom& o = *o32;
  out_.Printf("        o32_vsize           : 0x%X\n", o.o32_vsize);
  out_.Printf("        o32_rva             : 0x%X\n", o.o32_rva);
  out_.Printf("        o32_psize           : 0x%X\n", o.o32_psize);
  out_.Printf("        o32_dataptr         : 0x%X\n", o.o32_dataptr);
  out_.Printf("        o32_realaddr        : 0x%X\n", o.o32_realaddr);
  out_.Printf("        o32_flags           : 0x%X\n", o.o32_flags);
}

void TextRenderer::ModuleEnd() {
  // One blank line ends every module whose e32_rom was read.
  if (details_ && e32Read_) out_.Put("\n");
}

void TextRenderer::FilesBegin(uint32_t, bool readable) {
  out_.Put(readable ? "\nFILES ----------------------------------------\n"
                    : "Couldn't locate Files data\n");
}

void TextRenderer::File(uint32_t, const FileEntry& entry, const char* name,
                        const bool* inRecordSpace) {
  if (name == nullptr) name = "";
  ConvertTime(entry.ftTime);
  const CalendarTime& t = calendar_;
  const uint32_t attributes = entry.dwFileAttributes;
  out_.Printf(
      "     %2d/%02d/%04d  %02d:%02d:%02d  %c%c%c%c %10d %10d  %24s (ROM 0x%08X)\n", t.month, t.day,
      t.year, t.hour, t.minute, t.second, Letter(attributes, FileEntry::kCompressed, 'C'),
      Letter(attributes, FileEntry::kHidden, 'H'), Letter(attributes, FileEntry::kReadOnly, 'R'),
      Letter(attributes, FileEntry::kSystem, 'S'),
      static_cast<int32_t>(entry.Compressed() ? entry.nStoredSize : 0),
      static_cast<int32_t>(entry.nFileSize), name, entry.ulLoadOffset);
  if (checkFiles_ && inRecordSpace != nullptr && !*inRecordSpace) {
    out_.Put("File not in record space. Potentially truncated file!\n");
  }
}

void TextRenderer::ProfilesBegin(uint32_t, bool readable) {
  out_.Put(readable ? "\nSYMBOLS ---------------------------------------\n"
                    : "ERROR: Couldn't locate Modules data\n");
}

void TextRenderer::Profile(uint32_t, const ProfileEntry& e) {
  out_.Printf(
      " MOD (%2d, %2d), 0x%08X - 0x%08X, numsyms  = %4d, HitAddr = 0x%08X, SymAddr = 0x%08X\n",
      static_cast<int32_t>(e.ModA), static_cast<int32_t>(e.ModB), e.StartAddr, e.EndAddr,
      static_cast<int32_t>(e.numsyms), e.HitAddr, e.SymAddr);
}

void TextRenderer::SymbolBegin(uint32_t, const HitEntry& hit) {
  char* line = out_.Reserve(32);
  char* p = PutLiteral(line, "       0x");
  p = PutHex8(p, hit.value);
  p = PutLiteral(p, " : ");
  out_.Commit(static_cast<size_t>(p - line));
}

void TextRenderer::SymbolName(const uint8_t* bytes, size_t size) {
  out_.Put(reinterpret_cast<const char*>(bytes), size);
}

void TextRenderer::SymbolEnd(bool, uint32_t) {
  out_.PutChar('\n');
}

}  // namespace romscope
