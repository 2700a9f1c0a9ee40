// The JSON document's frame: the file, the records, the search's notices,
// and the frame of each table of contents' entry.
#include "rom/json_renderer.h"

#include <cstdio>

namespace romscope {

std::string JsonRenderer::Format(const char* format, ...) {
  char text[200];
  va_list args;
  va_start(args, format);
  std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  return text;
}

JsonRenderer::JsonRenderer(Writer& out) : out_(out), json_(out) {}

void JsonRenderer::BeginProblem(const char* kind, std::string_view text) {
  json_.BeginObject();
  json_.String("kind", kind);
  json_.String("text", text);
}

void JsonRenderer::AddProblem(const char* kind, const std::string& text) {
  levels_.back().problems.push_back(Problem(kind, text));
}

void JsonRenderer::ReadTooBig(uint64_t size) {
  // Every read by size is made inside a report, where a level is open.
  if (levels_.empty()) return;
  // The text shows the size as a signed 32-bit number when it fits in 32 bits.
  Json problem = Problem(
      "readTooBig",
      size <= UINT32_MAX
          ? Format("Trying to read %d bytes (too big)", static_cast<int32_t>(size))
          : Format("Trying to read %llu bytes (too big)", static_cast<unsigned long long>(size)));
  problem["size"] = size;
  levels_.back().problems.push_back(std::move(problem));
}

void JsonRenderer::Begin(const std::string& path) {
  json_.BeginObject();
  json_.String("format", "romscope-json");
  json_.Number("version", kFormatVersion);
  json_.String("file", CommandLineText(path));
}

// The rest of a document whose input could not be used.
void JsonRenderer::FailedDocument(const char* kind, const std::string& text,
                                  const std::string* reason) {
  json_.Null("image");
  for (const char* list : {"records", "problems", "tocs"}) {
    json_.Key(list);
    json_.BeginArray();
    json_.EndArray();
  }
  json_.Key("error");
  BeginProblem(kind, text);
  if (reason != nullptr) json_.String("reason", CommandLineText(*reason));
  json_.EndObject();
  json_.EndObject();
  json_.Finish();
}

void JsonRenderer::OpenFailed(const std::string& path, const std::string& reason) {
  FailedDocument("openFailed", "Error opening " + CommandLineText(path), &reason);
}

void JsonRenderer::BinHeaderFailed(BinHeaderStatus status, const std::string& path) {
  switch (status) {
    case BinHeaderStatus::kSignatureUnreadable:
      FailedDocument("signatureUnreadable", "Error reading " + CommandLineText(path) + " (1111)");
      break;
    case BinHeaderStatus::kSignatureMismatch:
      FailedDocument("signatureMismatch", "Missing initial signature (BOOOFF\n). Not a BIN file");
      break;
    case BinHeaderStatus::kTruncated:
    case BinHeaderStatus::kOk:
      FailedDocument("headerTruncated", "the BIN header is truncated (no image start and length)");
      break;
  }
}

void JsonRenderer::BinHeaderRead(const BinHeader& header) {
  json_.Key("image");
  json_.BeginObject();
  json_.Number("start", header.imageStart);
  json_.Number("length", header.imageLength);
  json_.EndObject();
  json_.Key("records");
  json_.BeginArray();
}

void JsonRenderer::FlushRecord(bool terminator) {
  if (!recordPending_) return;
  recordPending_ = false;
  auto known = [this](const char* key, int value) {
    value < 0 ? json_.Null(key) : json_.Boolean(key, value != 0);
  };
  json_.BeginObject();
  json_.Number("index", recordIndex_);
  json_.Number("start", record_.start);
  json_.Number("length", record_.length);
  json_.Number("checksum", record_.checksum);
  json_.Number("dataOffset", record_.dataOffset);
  json_.Boolean("terminator", terminator);
  known("checksumValid", checksumValid_);
  known("dataComplete", dataComplete_);
  if (terminator) json_.Number("entryAddress", record_.length);
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
  const char* what = phys ? "Phys" : "DLL";
  const uint32_t first = phys ? h.ulPhysFirst : h.ulDllFirst;
  const uint32_t last = phys ? h.ulPhysLast : h.ulDllLast;
  BeginProblem(phys ? "tocNoticePhys" : "tocNoticeDll",
               Format("NOTICE! Record %zu looked like a TOC except %s first = 0x%08X, and %s "
                      "last = 0x%08X",
                      candidate.headerRecord, what, first, what, last));
  json_.Number("signatureRecord", candidate.signatureRecord);
  json_.Number("headerRecord", candidate.headerRecord);
  json_.Number("pTOC", candidate.pTOC);
  json_.Number("romOffset", candidate.romOffset);
  json_.Number(phys ? "ulPhysFirst" : "ulDllFirst", first);
  json_.Number(phys ? "ulPhysLast" : "ulDllLast", last);
  json_.EndObject();
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

void JsonRenderer::BeginLevel() {
  json_.BeginObject();
  levels_.emplace_back();
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
  BeginLevel();
  json_.Number("pTOC", toc.pTOC);
  json_.Number("romOffset", toc.romOffset);
  json_.Number("signatureRecord", toc.signatureRecord);
  json_.Number("headerRecord", toc.headerRecord);
  tocMember_ = kHeader;
  listOpen_ = false;
}

void JsonRenderer::TocMemberAt(TocMember member) {
  static const char* const kNames[kTocMembers] = {
      "ROMHDR", "extensions", "copySections", "profileTable", "modules", "files", "profiles"};
  for (; tocMember_ < member; ++tocMember_) json_.Null(kNames[tocMember_]);
  json_.Key(kNames[member]);
  tocMember_ = static_cast<unsigned>(member) + 1;
}

void JsonRenderer::TocEnd() {
  // The report may end inside the extensions (no buffer for a chain's data).
  EndChainRecord();
  if (extensionsOpen_) ExtensionsEnd();
  while (tocMember_ < kTocMembers) {
    TocMemberAt(static_cast<TocMember>(tocMember_));
    json_.Null();
  }
  EndLevel();
}

void JsonRenderer::BeginListOf(TocMember member, bool readable, const char* kind,
                               const char* text) {
  TocMemberAt(member);
  if (!readable) {
    json_.Null();
    AddProblem(kind, text);
    return;
  }
  json_.BeginArray();
  listOpen_ = true;
}

void JsonRenderer::EndList() {
  if (listOpen_) json_.EndArray();
  listOpen_ = false;
}

}  // namespace romscope
