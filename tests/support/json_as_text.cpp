#include "support/json_as_text.h"

#include <cstdarg>
#include <cstdio>
#include <string>

#include "base/printf_format.h"

namespace romscope::testing {
namespace {

std::string F(const char* format, ...) ROMSCOPE_PRINTF_FORMAT(1, 2);
std::string F(const char* format, ...) {
  char text[512];
  va_list args;
  va_start(args, format);
  std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  return text;
}

// Image text in the document has each byte as the character of its number.
std::string ImageText(const Json& text) {
  std::string bytes;
  const std::string utf8 = text.is_null() ? "" : text.get<std::string>();
  for (size_t i = 0; i < utf8.size(); ++i) {
    const auto c = static_cast<unsigned char>(utf8[i]);
    bytes.push_back(c < 0x80 ? static_cast<char>(c)
                             : static_cast<char>(((c & 0x03) << 6) | (utf8[++i] & 0x3F)));
  }
  return bytes;
}

uint32_t U(const Json& value) {
  return value.get<uint32_t>();
}
int32_t S(const Json& value) {
  return static_cast<int32_t>(value.get<uint32_t>());
}

// The problems of one object, printed in order as their texts, for the kinds
// the text report has a line for.
class Messages {
 public:
  explicit Messages(const Json& problems) : problems_(problems) {}
  // Prints the messages up to and including the first of `kind`.
  std::string Until(const char* kind) {
    std::string text;
    while (next_ < problems_.size()) {
      const Json& p = problems_[next_++];
      if (Shown(p)) text += p["text"].get<std::string>() + "\n";
      if (p["kind"] == kind) break;
    }
    return text;
  }
  std::string Rest() { return Until(""); }

 private:
  static bool Shown(const Json& p) {
    for (const char* own : {"extensionChainCycle", "chainDataUnreadable", "hitTableUnreadable",
                            "nameUnreadable", "symbolNameUnreadable"}) {
      if (p["kind"] == own) return false;
    }
    return true;
  }
  const Json& problems_;
  size_t next_ = 0;
};

// "%2d/%02d/%04d  %02d:%02d:%02d" from the ISO text; zeros where there is none.
std::string Date(const Json& utc) {
  int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0;
  if (!utc.is_null()) {
    std::sscanf(utc.get<std::string>().c_str(), "%d-%d-%dT%d:%d:%d", &y, &mo, &d, &h, &mi, &s);
  }
  return F("%2d/%02d/%04d  %02d:%02d:%02d", mo, d, y, h, mi, s);
}

std::string HeaderText(const Json& h) {
  std::string t = "\nROMHDR ----------------------------------------\n";
  const char* hex[][2] = {
      {"DLL First          ", "ulDllFirst"},        {"DLL Last           ", "ulDllLast"},
      {"Physical First     ", "ulPhysFirst"},       {"Physical Last      ", "ulPhysLast"},
      {"RAM Start          ", "ulRamStart"},        {"RAM Free           ", "ulRamFree"},
      {"RAM End            ", "ulRamEnd"},          {"Kernel flags       ", "ulKernelFlags"},
      {"Prof Symbol Offset ", "ulProfSymbolOffset"}};
  for (const auto& [label, field] : hex) t += F("    %s : 0x%08X  \n", label, U(h[field]));
  t += F("    Num Copy Entries    : %10d    \n", S(h["ulNumCopyEntries"]));
  t += F("    Copy Entries Offset : 0x%08X  \n", U(h["ulCopyEntriesOffset"]));
  t += F("    Num Modules         : %10d    \n", S(h["ulNumModules"]));
  t += F("    Num Files           : %10d    \n", S(h["ulNumFiles"]));
  t += F("    MiscFlags           : 0x%08X  \n", U(h["usMiscFlags"]));
  t += F("    CPU                 :     0x%04x ", U(h["usCpu"]));
  t += h["cpuName"].is_null() ? "(Unknown)" : "(" + h["cpuName"].get<std::string>() + ")\n";
  return t + F("    Extensions          : 0x%08X\n", U(h["ulExtensions"]));
}

// False when the report ended inside the extensions.
bool ExtensionsText(const Json& x, std::string* t) {
  *t += "\nROMHDR Extensions -----------------------------\n";
  for (int i = 0; i < 10; ++i) *t += F("    PID[%d] = 0x%08X\n", i, U(x["PID"][i]));
  *t += F("    Next: %08x\n", U(x["Next"]));
  for (const Json& c : x["chain"]) {
    *t += F("\n    -- Location: %08x\n", U(c["location"]));
    Messages messages(c["problems"]);
    const Json& r = c["ExtensionRecord"];
    if (!r.is_null()) {
      *t +=
          F("    Name: %-24s\n    Type:     %08x\n    pData:    %08x\n    Length:   %08x\n"
            "    Reserved: %08x\n    Next:     %08x\n",
            ImageText(r["Name"]).c_str(), U(r["Type"]), U(r["pData"]), U(r["Length"]),
            U(r["Reserved"]), U(r["Next"]));
    }
    *t += messages.Rest();
    for (const Json& e : c["chainEntries"].is_null() ? Json::array() : c["chainEntries"]) {
      *t +=
          F("      Addr:     %08x\n      MaxLenth: %08x\n      Order:    %04x\n"
            "      Flags:    %04x\n      reserved: %08x\n",
            U(e["Addr"]), U(e["MaxLenth"]), U(e["Order"]), U(e["Flags"]), U(e["reserved"]));
    }
    for (const Json& p : c["problems"]) {
      if (p["kind"] == "extensionBufferFailed") return false;
    }
  }
  return true;
}

std::string ModuleText(const Json& m) {
  const std::string name = ImageText(m["name"]);
  const Json& e = m["TOCentry"];
  std::string t = F("    ==== %s ===============================\n", name.c_str());
  t += F("    TOCentry (%s) -------------------------\n", name.c_str());
  t += F("        dwFileAttributes    : 0x%X\n", U(e["dwFileAttributes"]));
  t += F("        ftTime              : %s\n", Date(e["ftTimeUtc"]).c_str());
  t += F("        nFileSize           : 0x%X (%d)\n", U(e["nFileSize"]), S(e["nFileSize"]));
  t += F("        ulE32Offset         : 0x%X\n", U(e["ulE32Offset"]));
  t += F("        ulO32Offset         : 0x%X\n", U(e["ulO32Offset"]));
  t += F("        ulLoadOffset        : 0x%X\n", U(e["ulLoadOffset"]));
  if (m["e32_rom"].is_null()) return t + Messages(m["problems"]).Rest();
  t += F("    e32_rom (%s) --------------------------\n", name.c_str());
  t += F("        e32_objcnt          : %d\n", S(m["e32_rom"]["e32_objcnt"]));
  for (const char* field : {"e32_imageflags", "e32_entryrva", "e32_vbase", "e32_subsysmajor",
                            "e32_subsysminor", "e32_stackmax", "e32_vsize", "e32_timestamp"}) {
    t += F("        %-20s: 0x%X\n", field, U(m["e32_rom"][field]));
  }
  for (const Json& s : m["sections"]) {
    t += F("    o32_rom[%u] (%s) ------------------------\n", U(s["index"]), name.c_str());
    if (s["o32_rom"].is_null()) t += Messages(s["problems"]).Rest();
    const Json& o32 = s["o32_rom"].is_null() ? Json::object() : s["o32_rom"];
    for (auto field = o32.begin(); field != o32.end(); ++field) {
      t += F("        %-20s: 0x%X\n", field.key().c_str(), U(field.value()));
    }
  }
  return t + "\n";
}

std::string FileText(const Json& f) {
  const Json& e = f["FileEntry"];
  const bool compressed = (U(e["dwFileAttributes"]) & 0x800) != 0;
  std::string t =
      F("     %s  %s %10d %10d  %24s (ROM 0x%08X)\n", Date(e["ftTimeUtc"]).c_str(),
        f["attributeLetters"].get<std::string>().c_str(), compressed ? S(e["nStoredSize"]) : 0,
        S(e["nFileSize"]), ImageText(f["name"]).c_str(), U(e["ulLoadOffset"]));
  return t + Messages(f["problems"]).Rest();
}

std::string ProfileText(const Json& p) {
  const Json& e = p["ProfileEntry"];
  std::string t =
      F(" MOD (%2d, %2d), 0x%08X - 0x%08X, numsyms  = %4d, HitAddr = 0x%08X, SymAddr = 0x%08X\n",
        S(e["ModA"]), S(e["ModB"]), U(e["StartAddr"]), U(e["EndAddr"]), S(e["numsyms"]),
        U(e["HitAddr"]), U(e["SymAddr"]));
  t += Messages(p["problems"]).Rest();
  for (const Json& s : p["symbols"].is_null() ? Json::array() : p["symbols"]) {
    t += F("       0x%08X : ", U(s["value"])) + ImageText(s["name"]) + "\n";
  }
  return t;
}

// One table of contents' report, as -toc -obj -sym -checkfiles prints it.
std::string TocText(const Json& toc) {
  Messages messages(toc["problems"]);
  std::string t;
  const Json& h = toc["ROMHDR"];
  if (h.is_null()) {
    t += messages.Until("tocHeaderUnreadable");
  } else {
    t += HeaderText(h);
    if (U(h["ulExtensions"]) != 0) {
      if (toc["extensions"].is_null()) {
        t += messages.Until("extensionsUnreadable");
      } else if (!ExtensionsText(toc["extensions"], &t)) {
        return t;
      }
    }
  }
  const Json& copies = toc["copySections"];
  if (copies.is_null()) t += messages.Until("copySectionsUnreadable");
  if (!copies.is_null() && !copies.empty())
    t += "\nCOPY Sections ---------------------------------\n";
  for (const Json& c : copies.is_null() ? Json::array() : copies) {
    t += F("    Src: 0x%08X   Dest: 0x%08X   CLen: 0x%-6X   DLen: 0x%-6X\n", U(c["Src"]),
           U(c["Dest"]), U(c["CLen"]), U(c["DLen"]));
  }
  if (toc["modules"].is_null()) {
    t += messages.Until("modulesUnreadable");
  } else {
    t += "\nMODULES ---------------------------------------\n";
    for (const Json& m : toc["modules"]) t += ModuleText(m);
  }
  if (toc["files"].is_null()) {
    t += messages.Until("filesUnreadable");
  } else {
    t += "\nFILES ----------------------------------------\n";
    for (const Json& f : toc["files"]) t += FileText(f);
  }
  if (toc["profiles"].is_null()) {
    t += messages.Until("profilesUnreadable");
  } else {
    t += "\nSYMBOLS ---------------------------------------\n";
    for (const Json& p : toc["profiles"]) t += ProfileText(p);
  }
  return t + messages.Rest();
}

}  // namespace

std::string TextFromJson(const Json& doc) {
  std::string t = "RomScope... " + doc["file"].get<std::string>() + "\n";
  t += F("Image Start = 0x%08X, length = 0x%08X\n", U(doc["image"]["start"]),
         U(doc["image"]["length"]));
  for (const Json& r : doc["records"]) {
    t += F("Record [%3zu] : Start = 0x%08X, Length = 0x%08X, Chksum = 0x%08X\n",
           r["index"].get<size_t>(), U(r["start"]), U(r["length"]), U(r["checksum"]));
    if (r["terminator"] == true) t += F("\t\tStart address = 0x%08X\n", U(r["entryAddress"]));
  }
  const Json& notices = doc["problems"];
  size_t next = 0;
  for (const Json& toc : doc["tocs"]) {
    // A table's search tried the signature records up to the one that named it.
    while (next < notices.size() && notices[next]["signatureRecord"] <= toc["signatureRecord"]) {
      t += notices[next++]["text"].get<std::string>() + "\r\n";
    }
    t += F("Found pTOC  = 0x%08x\nROMOFFSET = 0x%08X\n", U(toc["pTOC"]), U(toc["romOffset"]));
    t += TocText(toc);
  }
  while (next < notices.size()) t += notices[next++]["text"].get<std::string>() + "\r\n";
  return t + "Done.\n";
}

}  // namespace romscope::testing
