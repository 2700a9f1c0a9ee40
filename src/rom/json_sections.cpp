// The JSON document's module, file and profiling sections.
#include <cstdio>

#include "rom/json_renderer.h"

namespace romscope {
namespace {

// A name read from the image, or null and a problem when it could not be read.
Json NameJson(const char* name, uint32_t address, std::vector<Json>* problems) {
  if (name != nullptr) return Latin1(name);
  char text[64];
  std::snprintf(text, sizeof text, "the name at 0x%08X cannot be read", address);
  Json problem = Problem("nameUnreadable", text);
  problem["address"] = address;
  problems->push_back(std::move(problem));
  return nullptr;
}

Json TocEntryJson(const TOCentry& e) {
  Json j = Json::object();
  j["dwFileAttributes"] = e.dwFileAttributes;
  j["ftTime"] = FileTimeRaw(e.ftTime);
  j["ftTimeUtc"] = FileTimeUtc(e.ftTime);
  j["nFileSize"] = e.nFileSize;
  j["ulNameOffset"] = e.ulNameOffset;
  j["ulE32Offset"] = e.ulE32Offset;
  j["ulO32Offset"] = e.ulO32Offset;
  j["ulLoadOffset"] = e.ulLoadOffset;
  return j;
}

Json E32Json(const e32_rom& e) {
  Json j = Json::object();
  j["e32_objcnt"] = e.e32_objcnt;
  j["e32_imageflags"] = e.e32_imageflags;
  j["e32_entryrva"] = e.e32_entryrva;
  j["e32_vbase"] = e.e32_vbase;
  j["e32_subsysmajor"] = e.e32_subsysmajor;
  j["e32_subsysminor"] = e.e32_subsysminor;
  j["e32_stackmax"] = e.e32_stackmax;
  j["e32_vsize"] = e.e32_vsize;
  j["e32_timestamp"] = e.e32_timestamp;
  return j;
}

Json O32Json(const o32_rom& o) {
  Json j = Json::object();
  j["o32_vsize"] = o.o32_vsize;
  j["o32_rva"] = o.o32_rva;
  j["o32_psize"] = o.o32_psize;
  j["o32_dataptr"] = o.o32_dataptr;
  j["o32_realaddr"] = o.o32_realaddr;
  j["o32_flags"] = o.o32_flags;
  return j;
}

Json FileEntryJson(const FileEntry& f) {
  Json j = Json::object();
  j["dwFileAttributes"] = f.dwFileAttributes;
  j["ftTime"] = FileTimeRaw(f.ftTime);
  j["ftTimeUtc"] = FileTimeUtc(f.ftTime);
  j["nFileSize"] = f.nFileSize;
  j["nStoredSize"] = f.nStoredSize;
  j["ulNameOffset"] = f.ulNameOffset;
  j["ulLoadOffset"] = f.ulLoadOffset;
  return j;
}

// The four letters the text shows: C, H, R, S, or "_" for a clear bit.
std::string AttributeLetters(uint32_t attributes) {
  std::string letters = "____";
  if (attributes & FileEntry::kCompressed) letters[0] = 'C';
  if (attributes & FileEntry::kHidden) letters[1] = 'H';
  if (attributes & FileEntry::kReadOnly) letters[2] = 'R';
  if (attributes & FileEntry::kSystem) letters[3] = 'S';
  return letters;
}

}  // namespace

void JsonRenderer::ModulesBegin(uint32_t, bool readable) {
  BeginListOf(kModules, readable, "modulesUnreadable", "ERROR: Couldn't locate Modules data");
}

void JsonRenderer::Module(uint32_t index, const TOCentry& entry, const char* name) {
  json_.BeginObject();
  BeginLevel();
  json_.Member("index", index);
  json_.Member("name", NameJson(name, entry.ulNameOffset, &levels_.back().problems));
  json_.Member("TOCentry", TocEntryJson(entry));
  e32Given_ = false;
  sectionsOpen_ = false;
}

void JsonRenderer::ModuleE32(const e32_rom* e32) {
  e32Given_ = true;
  if (e32 == nullptr) {
    json_.Member("e32_rom", nullptr);
    AddProblem(Problem("e32Unreadable", "ERROR: Couldn't locate e32_rom data"));
    return;
  }
  json_.Member("e32_rom", E32Json(*e32));
  json_.Key("sections");
  json_.BeginArray();
  sectionsOpen_ = true;
}

void JsonRenderer::ModuleO32(uint32_t index, uint32_t address, const o32_rom* o32) {
  Json j = Json::object();
  j["index"] = index;
  j["address"] = address;
  j["o32_rom"] = o32 != nullptr ? O32Json(*o32) : Json();
  j["problems"] = Json::array();
  if (o32 == nullptr) {
    j["problems"].push_back(Problem("o32Unreadable", "ERROR: Couldn't locate o32_rom data"));
  }
  json_.Value(j);
}

void JsonRenderer::ModuleEnd() {
  if (sectionsOpen_) {
    json_.EndArray();
  } else {
    if (!e32Given_) json_.Member("e32_rom", nullptr);
    json_.Member("sections", nullptr);
  }
  sectionsOpen_ = false;
  EndLevel();
}

void JsonRenderer::FilesBegin(uint32_t, bool readable) {
  BeginListOf(kFiles, readable, "filesUnreadable", "Couldn't locate Files data");
}

void JsonRenderer::File(uint32_t index, const FileEntry& entry, const char* name,
                        const bool* inRecordSpace) {
  std::vector<Json> problems;
  Json j = Json::object();
  j["index"] = index;
  j["name"] = NameJson(name, entry.ulNameOffset, &problems);
  j["FileEntry"] = FileEntryJson(entry);
  j["attributeLetters"] = AttributeLetters(entry.dwFileAttributes);
  j["romSize"] = entry.RomSize();
  j["inRecordSpace"] = inRecordSpace != nullptr ? Json(*inRecordSpace) : Json();
  if (inRecordSpace != nullptr && !*inRecordSpace) {
    problems.push_back(
        Problem("fileNotInRecordSpace", "File not in record space. Potentially truncated file!"));
  }
  j["problems"] = Json(std::move(problems));
  json_.Value(j);
}

void JsonRenderer::ProfilesBegin(uint32_t, bool readable) {
  BeginListOf(kProfiles, readable, "profilesUnreadable", "ERROR: Couldn't locate Modules data");
}

void JsonRenderer::Profile(uint32_t index, const ProfileEntry& e) {
  json_.BeginObject();
  BeginLevel();
  json_.Member("index", index);
  Json j = Json::object();
  j["ModA"] = e.ModA;
  j["ModB"] = e.ModB;
  j["StartAddr"] = e.StartAddr;
  j["EndAddr"] = e.EndAddr;
  j["numsyms"] = e.numsyms;
  j["HitAddr"] = e.HitAddr;
  j["SymAddr"] = e.SymAddr;
  json_.Member("ProfileEntry", j);
  numsyms_ = e.numsyms;
  symbolsGiven_ = false;
  symbolsOpen_ = false;
}

void JsonRenderer::HitTable(uint32_t address, bool readable) {
  symbolsGiven_ = true;
  json_.Member("hitTableAddress", address);
  json_.Key("symbols");
  if (!readable) {
    json_.Value(nullptr);
    char text[96];
    std::snprintf(text, sizeof text, "the hit table of %llu bytes at 0x%08X cannot be read",
                  static_cast<unsigned long long>(numsyms_) * HitEntry::kSize, address);
    AddProblem(Problem("hitTableUnreadable", text));
    return;
  }
  json_.BeginArray();
  symbolsOpen_ = true;
}

void JsonRenderer::SymbolBegin(uint32_t index, const HitEntry& hit) {
  symbolIndex_ = index;
  symbolValue_ = hit.value;
  json_.Text().clear();
}

void JsonRenderer::SymbolName(const uint8_t* bytes, size_t size) {
  AppendLatin1(&json_.Text(), bytes, size);
}

// The symbols are many: their members are framed here, each value
// serialized by the library, without a JSON object built for each.
void JsonRenderer::SymbolEnd(bool endedAtNul, uint32_t stopAddress) {
  json_.BeginObject();
  json_.Key("index");
  json_.Number(symbolIndex_);
  json_.Key("value");
  json_.Number(symbolValue_);
  json_.Key("name");
  json_.TextValue();
  json_.Key("problems");
  json_.BeginArray();
  if (!endedAtNul) {
    char text[80];
    std::snprintf(text, sizeof text, "the name's byte at 0x%08X cannot be read", stopAddress);
    Json problem = Problem("symbolNameUnreadable", text);
    problem["address"] = stopAddress;
    json_.Value(problem);
  }
  json_.EndArray();
  json_.EndObject();
}

void JsonRenderer::ProfileEnd() {
  if (symbolsOpen_) {
    json_.EndArray();
  } else if (!symbolsGiven_) {
    json_.Member("hitTableAddress", nullptr);
    json_.Member("symbols", nullptr);
  }
  symbolsOpen_ = false;
  EndLevel();
}

}  // namespace romscope
