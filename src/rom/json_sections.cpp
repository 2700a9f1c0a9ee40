// The sections of a table of contents' entry in the JSON document.
#include "rom/json_renderer.h"
#include "rom/json_structures.h"

namespace romscope {
namespace {

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

// A module's or file's name, or null when it could not be read.
void JsonRenderer::Name(const char* name, uint32_t address, std::vector<Json>* problems) {
  json_.Key("name");
  if (name != nullptr) {
    json_.Text().clear();
    AppendLatin1(&json_.Text(), reinterpret_cast<const uint8_t*>(name),
                 std::char_traits<char>::length(name));
    json_.TextValue();
    return;
  }
  json_.Null();
  Json problem = Problem("nameUnreadable", Format("the name at 0x%08X cannot be read", address));
  problem["address"] = address;
  problems->push_back(std::move(problem));
}

void JsonRenderer::RomHeader(const ROMHDR* header) {
  TocMemberAt(kHeader);
  WriteJsonOrNull(json_, header);
  if (header == nullptr) AddProblem("tocHeaderUnreadable", "Couldn't locate TOC data");
}

void JsonRenderer::ExtensionHeadRead(uint32_t address, const ExtensionHead* head) {
  TocMemberAt(kExtensions);
  if (head == nullptr) {
    json_.Null();
    AddProblem("extensionsUnreadable", "Couldn't locate TOC Extensions");
    return;
  }
  BeginLevel();
  json_.Number("address", address);
  json_.Key("PID");
  json_.BeginArray();
  for (uint32_t pid : head->PID) json_.Number(pid);
  json_.EndArray();
  json_.Number("Next", head->Next);
  json_.Key("chain");
  json_.BeginArray();
  extensionsOpen_ = true;
}

void JsonRenderer::ExtensionRecordRead(uint32_t address, const ExtensionRecord* record) {
  EndChainRecord();
  BeginLevel();
  chainRecordOpen_ = true;
  chainDataGiven_ = false;
  json_.Number("location", address);
  json_.Key("ExtensionRecord");
  WriteJsonOrNull(json_, record);
  if (record == nullptr) {
    json_.Null("chainInformation");
    AddProblem("extensionsUnreadable", "Couldn't locate TOC Extensions");
    return;
  }
  json_.Boolean("chainInformation", record->IsChainInformation());
}

void JsonRenderer::ChainData(uint32_t address, uint32_t length, bool readable) {
  chainDataGiven_ = true;
  json_.Key("chainEntries");
  if (!readable) {
    json_.Null();
    AddProblem(
        "chainDataUnreadable",
        Format("the chain information data of %u bytes at 0x%08X cannot be read", length, address));
    return;
  }
  json_.BeginArray();
  chainListOpen_ = true;
}

void JsonRenderer::ChainEntryRead(uint32_t index, const ChainEntry& e) {
  json_.BeginObject();
  json_.Number("index", index);
  WriteJsonMembers(json_, e);
  json_.EndObject();
}

void JsonRenderer::EndChainRecord() {
  if (!chainRecordOpen_) return;
  if (chainListOpen_) {
    json_.EndArray();
  } else if (!chainDataGiven_) {
    json_.Null("chainEntries");
  }
  chainListOpen_ = false;
  chainRecordOpen_ = false;
  EndLevel();
}

void JsonRenderer::ExtensionChainCycle(uint32_t address) {
  EndChainRecord();
  Json problem =
      Problem("extensionChainCycle",
              Format("the extension chain leads back to 0x%08X, which was read already", address));
  problem["address"] = address;
  levels_.back().problems.push_back(std::move(problem));
}

void JsonRenderer::ExtensionBufferFailed(uint32_t length) {
  Json problem = Problem("extensionBufferFailed", "Error: failed allocating extention buffer");
  problem["length"] = length;
  levels_.back().problems.push_back(std::move(problem));
}

void JsonRenderer::ExtensionsEnd() {
  EndChainRecord();
  if (!extensionsOpen_) return;
  json_.EndArray();
  extensionsOpen_ = false;
  EndLevel();
}

void JsonRenderer::CopySectionsBegin(uint32_t, bool readable) {
  BeginListOf(kCopySections, readable, "copySectionsUnreadable", "Couldn't locate copy secitons");
}

void JsonRenderer::CopySection(uint32_t index, const CopyEntry& e, bool movesProfileTable) {
  json_.BeginObject();
  json_.Number("index", index);
  WriteJsonMembers(json_, e);
  json_.Boolean("movesProfileTable", movesProfileTable);
  json_.EndObject();
}

void JsonRenderer::CopySectionsEnd(const ProfileLocation& profile) {
  EndList();
  TocMemberAt(kProfileTable);
  json_.BeginObject();
  json_.Number("address", profile.address);
  json_.Number("delta", profile.delta);
  json_.EndObject();
}

void JsonRenderer::ModulesBegin(uint32_t, bool readable) {
  BeginListOf(kModules, readable, "modulesUnreadable", "ERROR: Couldn't locate Modules data");
}

void JsonRenderer::Module(uint32_t index, const TOCentry& entry, const char* name) {
  BeginLevel();
  json_.Number("index", index);
  Name(name, entry.ulNameOffset, &levels_.back().problems);
  json_.Key("TOCentry");
  WriteJson(json_, entry);
  e32Given_ = false;
  sectionsOpen_ = false;
}

void JsonRenderer::ModuleE32(const e32_rom* e32) {
  e32Given_ = true;
  json_.Key("e32_rom");
  WriteJsonOrNull(json_, e32);
  if (e32 == nullptr) {
    AddProblem("e32Unreadable", "ERROR: Couldn't locate e32_rom data");
    return;
  }
  json_.Key("sections");
  json_.BeginArray();
  sectionsOpen_ = true;
}

void JsonRenderer::ModuleO32(uint32_t index, uint32_t address, const o32_rom* o32) {
  json_.BeginObject();
  json_.Number("index", index);
  json_.Number("address", address);
  json_.Key("o32_rom");
  WriteJsonOrNull(json_, o32);
  json_.Key("problems");
  json_.BeginArray();
  if (o32 == nullptr) {
    BeginProblem("o32Unreadable", "ERROR: Couldn't locate o32_rom data");
    json_.EndObject();
  }
  json_.EndArray();
  json_.EndObject();
}

void JsonRenderer::ModuleEnd() {
  if (sectionsOpen_) {
    json_.EndArray();
  } else {
    if (!e32Given_) json_.Null("e32_rom");
    json_.Null("sections");
  }
  sectionsOpen_ = false;
  EndLevel();
}

void JsonRenderer::FilesBegin(uint32_t, bool readable) {
  BeginListOf(kFiles, readable, "filesUnreadable", "Couldn't locate Files data");
}

void JsonRenderer::File(uint32_t index, const FileEntry& entry, const char* name,
                        const bool* inRecordSpace) {
  BeginLevel();
  json_.Number("index", index);
  Name(name, entry.ulNameOffset, &levels_.back().problems);
  json_.Key("FileEntry");
  WriteJson(json_, entry);
  json_.String("attributeLetters", AttributeLetters(entry.dwFileAttributes));
  json_.Number("romSize", entry.RomSize());
  if (inRecordSpace == nullptr) {
    json_.Null("inRecordSpace");
  } else {
    json_.Boolean("inRecordSpace", *inRecordSpace);
    if (!*inRecordSpace) {
      AddProblem("fileNotInRecordSpace", "File not in record space. Potentially truncated file!");
    }
  }
  EndLevel();
}

void JsonRenderer::ProfilesBegin(uint32_t, bool readable) {
  BeginListOf(kProfiles, readable, "profilesUnreadable", "ERROR: Couldn't locate Modules data");
}

void JsonRenderer::Profile(uint32_t index, const ProfileEntry& entry) {
  BeginLevel();
  json_.Number("index", index);
  json_.Key("ProfileEntry");
  WriteJson(json_, entry);
  numsyms_ = entry.numsyms;
  symbolsGiven_ = false;
  symbolsOpen_ = false;
}

void JsonRenderer::HitTable(uint32_t address, bool readable) {
  symbolsGiven_ = true;
  json_.Number("hitTableAddress", address);
  json_.Key("symbols");
  if (!readable) {
    json_.Null();
    AddProblem("hitTableUnreadable",
               Format("the hit table of %llu bytes at 0x%08X cannot be read",
                      static_cast<unsigned long long>(numsyms_) * HitEntry::kSize, address));
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

void JsonRenderer::SymbolEnd(bool endedAtNul, uint32_t stopAddress) {
  json_.BeginObject();
  json_.Number("index", symbolIndex_);
  json_.Number("value", symbolValue_);
  json_.Key("name");
  json_.TextValue();
  json_.Key("problems");
  json_.BeginArray();
  if (!endedAtNul) {
    BeginProblem("symbolNameUnreadable",
                 Format("the name's byte at 0x%08X cannot be read", stopAddress));
    json_.Number("address", stopAddress);
    json_.EndObject();
  }
  json_.EndArray();
  json_.EndObject();
}

void JsonRenderer::ProfileEnd() {
  if (symbolsOpen_) {
    json_.EndArray();
  } else if (!symbolsGiven_) {
    json_.Null("hitTableAddress");
    json_.Null("symbols");
  }
  symbolsOpen_ = false;
  EndLevel();
}

}  // namespace romscope
