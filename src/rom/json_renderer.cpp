// The JSON document's frame, the records, the search, and the first
// sections of each table of contents: the ROM header, its extensions and the
// copy sections.
#include "rom/json_renderer.h"

#include <cstdio>

namespace romscope {
namespace {

template <typename... Args>
std::string Format(const char* format, Args... args) {
  char text[160];
  std::snprintf(text, sizeof text, format, args...);
  return text;
}

Json HeaderJson(const ROMHDR& h) {
  Json j = Json::object();
  j["ulDllFirst"] = h.ulDllFirst;
  j["ulDllLast"] = h.ulDllLast;
  j["ulPhysFirst"] = h.ulPhysFirst;
  j["ulPhysLast"] = h.ulPhysLast;
  j["ulNumModules"] = h.ulNumModules;
  j["ulRamStart"] = h.ulRamStart;
  j["ulRamFree"] = h.ulRamFree;
  j["ulRamEnd"] = h.ulRamEnd;
  j["ulNumCopyEntries"] = h.ulNumCopyEntries;
  j["ulCopyEntriesOffset"] = h.ulCopyEntriesOffset;
  j["ulProfSymbolOffset"] = h.ulProfSymbolOffset;
  j["ulNumFiles"] = h.ulNumFiles;
  j["ulKernelFlags"] = h.ulKernelFlags;
  j["usCpu"] = h.usCpu;
  const char* cpu = CpuName(h.usCpu);
  j["cpuName"] = cpu != nullptr ? Json(cpu) : Json();
  j["usMiscFlags"] = h.usMiscFlags;
  j["ulExtensions"] = h.ulExtensions;
  return j;
}

}  // namespace

JsonRenderer::JsonRenderer(Writer& out) : out_(out), json_(out) {}

void JsonRenderer::ReadTooBig(uint64_t size) {
  // The text shows the size as a signed 32-bit number when it fits in 32 bits.
  const std::string text =
      size <= UINT32_MAX
          ? Format("Trying to read %d bytes (too big)", static_cast<int32_t>(size))
          : Format("Trying to read %llu bytes (too big)", static_cast<unsigned long long>(size));
  Json problem = Problem("readTooBig", text);
  problem["size"] = size;
  if (levels_.empty()) return;  // every read by size is made inside a report
  AddProblem(std::move(problem));
}

void JsonRenderer::Begin(const std::string& path) {
  json_.BeginObject();
  json_.Member("format", "romscope-json");
  json_.Member("version", kFormatVersion);
  json_.Member("file", CommandLineText(path));
}

// The rest of a document whose input could not be used.
void JsonRenderer::FailedDocument(Json error) {
  json_.Member("image", nullptr);
  json_.Member("records", Json::array());
  json_.Member("problems", Json::array());
  json_.Member("tocs", Json::array());
  json_.Member("error", error);
  json_.EndObject();
  json_.Finish();
}

void JsonRenderer::OpenFailed(const std::string& path, const std::string& reason) {
  Json error = Problem("openFailed", "Error opening " + CommandLineText(path));
  error["reason"] = CommandLineText(reason);
  FailedDocument(std::move(error));
}

void JsonRenderer::BinHeaderFailed(BinHeaderStatus status, const std::string& path) {
  switch (status) {
    case BinHeaderStatus::kSignatureUnreadable:
      FailedDocument(
          Problem("signatureUnreadable", "Error reading " + CommandLineText(path) + " (1111)"));
      break;
    case BinHeaderStatus::kSignatureMismatch:
      FailedDocument(
          Problem("signatureMismatch", "Missing initial signature (BOOOFF\n). Not a BIN file"));
      break;
    case BinHeaderStatus::kTruncated:
    case BinHeaderStatus::kOk:
      FailedDocument(
          Problem("headerTruncated", "the BIN header is truncated (no image start and length)"));
      break;
  }
}

void JsonRenderer::BinHeaderRead(const BinHeader& header) {
  Json image = Json::object();
  image["start"] = header.imageStart;
  image["length"] = header.imageLength;
  json_.Member("image", image);
  json_.Key("records");
  json_.BeginArray();
}

// The records are many: their members are framed here, each value
// serialized by the library, without a JSON object built for each.
void JsonRenderer::FlushRecord(bool terminator) {
  if (!recordPending_) return;
  recordPending_ = false;
  auto known = [this](int value) { value < 0 ? json_.Null() : json_.Boolean(value != 0); };
  json_.BeginObject();
  json_.Key("index");
  json_.Number(recordIndex_);
  json_.Key("start");
  json_.Number(record_.start);
  json_.Key("length");
  json_.Number(record_.length);
  json_.Key("checksum");
  json_.Number(record_.checksum);
  json_.Key("dataOffset");
  json_.Number(record_.dataOffset);
  json_.Key("terminator");
  json_.Boolean(terminator);
  json_.Key("checksumValid");
  known(checksumValid_);
  json_.Key("dataComplete");
  known(dataComplete_);
  if (terminator) {
    json_.Key("entryAddress");
    json_.Number(record_.length);
  }
  json_.EndObject();
}

void JsonRenderer::Record(size_t index, const RecordInfo& record) {
  FlushRecord(false);
  record_ = record;
  recordIndex_ = index;
  checksumValid_ = -1;
  dataComplete_ = -1;
  recordPending_ = true;
}

void JsonRenderer::RecordDataEnd(const RecordInfo& record, uint32_t sum, bool complete) {
  checksumValid_ = sum == record.checksum ? 1 : 0;
  dataComplete_ = complete ? 1 : 0;
}

void JsonRenderer::Terminator(const RecordInfo&) {
  FlushRecord(true);
}

void JsonRenderer::ScanEnd() {
  FlushRecord(false);
  json_.EndArray();
  // The search's notices stream into the document's own problems.
  json_.Key("problems");
  json_.BeginArray();
}

void JsonRenderer::TocNotice(Notice notice, const TocLocation& candidate, const ROMHDR& h) {
  const bool phys = notice == Notice::kPhysRange;
  Json problem = Problem(
      phys ? "tocNoticePhys" : "tocNoticeDll",
      Format("NOTICE! Record %zu looked like a TOC except %s first = 0x%08X, and %s last = 0x%08X",
             candidate.headerRecord, phys ? "Phys" : "DLL", phys ? h.ulPhysFirst : h.ulDllFirst,
             phys ? "Phys" : "DLL", phys ? h.ulPhysLast : h.ulDllLast));
  problem["signatureRecord"] = candidate.signatureRecord;
  problem["headerRecord"] = candidate.headerRecord;
  problem["pTOC"] = candidate.pTOC;
  problem["romOffset"] = candidate.romOffset;
  problem[phys ? "ulPhysFirst" : "ulDllFirst"] = phys ? h.ulPhysFirst : h.ulDllFirst;
  problem[phys ? "ulPhysLast" : "ulDllLast"] = phys ? h.ulPhysLast : h.ulDllLast;
  json_.Value(problem);
}

void JsonRenderer::SearchEnd() {
  json_.EndArray();
  json_.Key("tocs");
  json_.BeginArray();
}

void JsonRenderer::End() {
  json_.EndArray();
  json_.EndObject();
  json_.Finish();
}

void JsonRenderer::EndLevel() {
  json_.Key("problems");
  json_.BeginArray();
  for (const Json& problem : levels_.back().problems) json_.Value(problem);
  json_.EndArray();
  json_.EndObject();
  levels_.pop_back();
}

void JsonRenderer::TocBegin(const TocLocation& toc) {
  json_.BeginObject();
  json_.Member("pTOC", toc.pTOC);
  json_.Member("romOffset", toc.romOffset);
  json_.Member("signatureRecord", toc.signatureRecord);
  json_.Member("headerRecord", toc.headerRecord);
  BeginLevel();
  tocMember_ = kHeader;
  listOpen_ = false;
}

void JsonRenderer::TocMemberAt(TocMember member) {
  static const char* const kNames[kTocMembers] = {
      "ROMHDR", "extensions", "copySections", "profileTable", "modules", "files", "profiles"};
  for (; tocMember_ < member; ++tocMember_) json_.Member(kNames[tocMember_], nullptr);
  json_.Key(kNames[member]);
  tocMember_ = static_cast<unsigned>(member) + 1;
}

void JsonRenderer::TocEnd() {
  // The report may end inside the extensions (no buffer for a chain's data).
  EndChainRecord();
  if (extensionsOpen_) ExtensionsEnd();
  while (tocMember_ < kTocMembers) {
    TocMemberAt(static_cast<TocMember>(tocMember_));
    json_.Value(nullptr);
  }
  EndLevel();
}

void JsonRenderer::BeginListOf(TocMember member, bool readable, const char* kind,
                               const char* text) {
  TocMemberAt(member);
  if (!readable) {
    json_.Value(nullptr);
    AddProblem(Problem(kind, text));
    return;
  }
  json_.BeginArray();
  listOpen_ = true;
}

void JsonRenderer::EndListOf(TocMember) {
  if (listOpen_) json_.EndArray();
  listOpen_ = false;
}

void JsonRenderer::RomHeader(const ROMHDR* header) {
  TocMemberAt(kHeader);
  if (header == nullptr) {
    json_.Value(nullptr);
    AddProblem(Problem("tocHeaderUnreadable", "Couldn't locate TOC data"));
    return;
  }
  json_.Value(HeaderJson(*header));
}

void JsonRenderer::ExtensionHeadRead(uint32_t address, const ExtensionHead* head) {
  TocMemberAt(kExtensions);
  if (head == nullptr) {
    json_.Value(nullptr);
    AddProblem(Problem("extensionsUnreadable", "Couldn't locate TOC Extensions"));
    return;
  }
  json_.BeginObject();
  json_.Member("address", address);
  Json pids = Json::array();
  for (uint32_t pid : head->PID) pids.push_back(pid);
  json_.Member("PID", pids);
  json_.Member("Next", head->Next);
  json_.Key("chain");
  json_.BeginArray();
  BeginLevel();
  extensionsOpen_ = true;
}

void JsonRenderer::ExtensionRecordRead(uint32_t address, const ExtensionRecord* record) {
  EndChainRecord();
  json_.BeginObject();
  BeginLevel();
  chainRecordOpen_ = true;
  chainDataGiven_ = false;
  json_.Member("location", address);
  if (record == nullptr) {
    json_.Member("ExtensionRecord", nullptr);
    json_.Member("chainInformation", nullptr);
    AddProblem(Problem("extensionsUnreadable", "Couldn't locate TOC Extensions"));
    return;
  }
  const ExtensionRecord& r = *record;
  Json j = Json::object();
  std::string name;
  AppendLatin1(&name, r.Name, r.NameLength());
  j["Name"] = std::move(name);
  j["Type"] = r.Type;
  j["pData"] = r.pData;
  j["Length"] = r.Length;
  j["Reserved"] = r.Reserved;
  j["Next"] = r.Next;
  json_.Member("ExtensionRecord", j);
  json_.Member("chainInformation", r.IsChainInformation());
}

void JsonRenderer::ChainData(uint32_t address, uint32_t length, bool readable) {
  chainDataGiven_ = true;
  json_.Key("chainEntries");
  if (!readable) {
    json_.Value(nullptr);
    AddProblem(Problem("chainDataUnreadable",
                       Format("the chain information data of %u bytes at 0x%08X cannot be read",
                              length, address)));
    return;
  }
  json_.BeginArray();
  chainListOpen_ = true;
}

void JsonRenderer::ChainEntryRead(uint32_t index, const ChainEntry& e) {
  Json j = Json::object();
  j["index"] = index;
  j["Addr"] = e.Addr;
  j["MaxLenth"] = e.MaxLenth;
  j["Order"] = e.Order;
  j["Flags"] = e.Flags;
  j["reserved"] = e.reserved;
  json_.Value(j);
}

void JsonRenderer::EndChainRecord() {
  if (!chainRecordOpen_) return;
  if (chainListOpen_) {
    json_.EndArray();
  } else if (!chainDataGiven_) {
    json_.Member("chainEntries", nullptr);
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
  AddProblem(std::move(problem));
}

void JsonRenderer::ExtensionBufferFailed(uint32_t length) {
  Json problem = Problem("extensionBufferFailed", "Error: failed allocating extention buffer");
  problem["length"] = length;
  AddProblem(std::move(problem));
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
  Json j = Json::object();
  j["index"] = index;
  j["Src"] = e.Src;
  j["Dest"] = e.Dest;
  j["CLen"] = e.CLen;
  j["DLen"] = e.DLen;
  j["movesProfileTable"] = movesProfileTable;
  json_.Value(j);
}

void JsonRenderer::CopySectionsEnd(const ProfileLocation& profile) {
  EndListOf(kCopySections);
  TocMemberAt(kProfileTable);
  Json j = Json::object();
  j["address"] = profile.address;
  j["delta"] = profile.delta;
  json_.Value(j);
}

}  // namespace romscope
