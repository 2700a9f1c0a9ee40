// The text report's module, file and symbol sections.
#include "base/format.h"
#include "report/catalogue.h"
#include "report/text/text_printer.h"

namespace romscope {

CalendarTime TextPrinter::Calendar(uint64_t fileTime) {
  CalendarTime t;
  if (!FileTimeToCalendar(fileTime, &t)) t = CalendarTime();
  return t;
}

void TextPrinter::Table(const TableItem& table) {
  static constexpr const char* kHeadings[] = {
      "\nMODULES ---------------------------------------\n",
      "\nFILES ----------------------------------------\n",
      "\nSYMBOLS ---------------------------------------\n"};
  PrintProblems(table.problems);
  if (table.readable) out_.Put(kHeadings[table.kind]);
}

void TextPrinter::Module(const ModuleItem& module) {
  const CalendarTime t = Calendar(module.entry.ftTime);
  if (!module.details) {
    out_.Printf("    %2d/%02d/%04d  %02d:%02d:%02d  %10d  %s \n", t.month, t.day, t.year, t.hour,
                t.minute, t.second, static_cast<int32_t>(module.entry.nFileSize),
                module.name.text.c_str());
    return;
  }
  ModuleDetails(module, t);
}

void TextPrinter::ModuleDetails(const ModuleItem& module, const CalendarTime& t) {
  const TOCentry& entry = module.entry;
  const char* name = module.name.text.c_str();
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
  PrintProblems(module.problems);
  if (!module.e32) return;
  const e32_rom& e = *module.e32;
  out_.Printf("    e32_rom (%s) --------------------------\n", name);
  out_.Printf("        e32_objcnt          : %d\n", static_cast<int>(e.e32_objcnt));
  out_.Printf("        e32_imageflags      : 0x%X\n", static_cast<uint32_t>(e.e32_imageflags));
  out_.Printf("        e32_entryrva        : 0x%X\n", e.e32_entryrva);
  out_.Printf("        e32_vbase           : 0x%X\n", e.e32_vbase);
  out_.Printf("        e32_subsysmajor     : 0x%X\n", static_cast<uint32_t>(e.e32_subsysmajor));
  out_.Printf("        e32_subsysminor     : 0x%X\n", static_cast<uint32_t>(e.e32_subsysminor));
  out_.Printf("        e32_stackmax        : 0x%X\n", e.e32_stackmax);
  out_.Printf("        e32_vsize           : 0x%X\n", e.e32_vsize);
  out_.Printf("        e32_timestamp       : 0x%X\n", e.e32_timestamp);
  for (size_t j = 0; j < module.sections.size(); ++j) {
    // The heading stands also for a header that cannot be read.
    out_.Printf("    o32_rom[%zu] (%s) ------------------------\n", j, name);
    const SectionItem& section = module.sections[j];
    PrintProblems(section.problems);
    if (!section.o32) continue;
    const o32_rom& o = *section.o32;
    out_.Printf("        o32_vsize           : 0x%X\n", o.o32_vsize);
    out_.Printf("        o32_rva             : 0x%X\n", o.o32_rva);
    out_.Printf("        o32_psize           : 0x%X\n", o.o32_psize);
    out_.Printf("        o32_dataptr         : 0x%X\n", o.o32_dataptr);
    out_.Printf("        o32_realaddr        : 0x%X\n", o.o32_realaddr);
    out_.Printf("        o32_flags           : 0x%X\n", o.o32_flags);
  }
  // One blank line ends every module whose e32_rom was read.
  out_.Put("\n");
}

void TextPrinter::File(const FileItem& file) {
  const CalendarTime t = Calendar(file.entry.ftTime);
  const FileEntry& entry = file.entry;
  const std::string letters = AttributeLetters(entry.dwFileAttributes);
  out_.Printf("     %2d/%02d/%04d  %02d:%02d:%02d  %s %10d %10d  %24s (ROM 0x%08X)\n", t.month,
              t.day, t.year, t.hour, t.minute, t.second, letters.c_str(),
              static_cast<int32_t>(entry.Compressed() ? entry.nStoredSize : 0),
              static_cast<int32_t>(entry.nFileSize), file.name.text.c_str(), entry.ulLoadOffset);
  PrintProblems(file.problems);
}

void TextPrinter::Profile(const ProfileItem& profile) {
  const ProfileEntry& e = profile.entry;
  out_.Printf(
      " MOD (%2d, %2d), 0x%08X - 0x%08X, numsyms  = %4d, HitAddr = 0x%08X, SymAddr = 0x%08X\n",
      static_cast<int32_t>(e.ModA), static_cast<int32_t>(e.ModB), e.StartAddr, e.EndAddr,
      static_cast<int32_t>(e.numsyms), e.HitAddr, e.SymAddr);
  PrintProblems(profile.problems);
}

void TextPrinter::SymbolStart(const SymbolItem& symbol) {
  char* line = out_.Reserve(32);
  char* p = PutLiteral(line, "       0x");
  p = PutHex8(p, symbol.value);
  p = PutLiteral(p, " : ");
  out_.Commit(static_cast<size_t>(p - line));
}

void TextPrinter::SymbolName(const SymbolItem& symbol, uint64_t offset, const uint8_t* bytes,
                             size_t size) {
  if (offset == 0) SymbolStart(symbol);
  out_.Put(reinterpret_cast<const char*>(bytes), size);
}

void TextPrinter::Symbol(const SymbolItem& symbol) {
  // An empty name had no piece to start the line.
  if (symbol.nameLength == 0) SymbolStart(symbol);
  out_.PutChar('\n');
}

}  // namespace romscope
