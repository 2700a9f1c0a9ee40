// The JSON document's frame: the file, the records, the search's notices,
// and each table of contents' entry.
#include "report/json/json_printer.h"

#include <string>

#include "base/text.h"
#include "report/catalogue.h"
#include "report/json/json_fields.h"

namespace romscope {

JsonPrinter::JsonPrinter(Writer& out, Diagnostics& diag) : out_(out), diag_(diag), json_(out) {}

InspectPlan JsonPrinter::Plan() {
  InspectPlan plan = InspectPlan::Everything();
  plan.searchFirst = true;
  return plan;
}

void JsonPrinter::ProblemObject(const Problem& problem) {
  const ProblemInfo& info = Describe(problem.kind);
  json_.BeginObject();
  json_.String("kind", info.kind);
  json_.String("text", ProblemText(problem));
  switch (info.member) {
    case ProblemMember::kSize:
      json_.Number("size", problem.size);
      break;
    case ProblemMember::kAddress:
      json_.Number("address", problem.address);
      break;
    case ProblemMember::kLength:
      json_.Number("length", problem.size);
      break;
    case ProblemMember::kNone:
      break;
  }
  json_.EndObject();
}

void JsonPrinter::WriteProblems(const romscope::Problems& problems) {
  json_.Key("problems");
  json_.BeginArray();
  for (const Problem& problem : problems) ProblemObject(problem);
  json_.EndArray();
}

// The diagnostics go to standard error as in the text report.
void JsonPrinter::Warn(const romscope::Problems& problems) {
  for (const Problem& problem : problems) {
    if (Describe(problem.kind).output == ProblemOutput::kDiagnostic) {
      diag_.Warn("%s", ProblemText(problem).c_str());
    }
  }
}

void JsonPrinter::Begin(const ImageItem& image) {
  const std::string path = CommandLineText(image.path);
  json_.BeginObject();
  json_.String("format", "romscope-json");
  json_.Number("version", kFormatVersion);
  json_.String("file", path);
  if (!image.failure) {
    json_.Key("image");
    json_.BeginObject();
    json_.Number("start", image.header.imageStart);
    json_.Number("length", image.header.imageLength);
    json_.EndObject();
    json_.Key("records");
    json_.BeginArray();
    return;
  }
  // A document whose input could not be used.
  const Problem& failure = *image.failure;
  json_.Null("image");
  for (const char* list : {"records", "problems", "tocs"}) {
    json_.Key(list);
    json_.BeginArray();
    json_.EndArray();
  }
  json_.Key("error");
  json_.BeginObject();
  json_.String("kind", Describe(failure.kind).kind);
  json_.String("text", ProblemText(failure, path));
  if (failure.kind == ProblemKind::kOpenFailed) {
    json_.String("reason", CommandLineText(image.openReason));
  }
  json_.EndObject();
  json_.EndObject();
  json_.Finish();
  const std::string diagnostic = DiagnosticText(failure, image.path, image.openReason);
  if (!diagnostic.empty()) diag_.Warn("%s", diagnostic.c_str());
}

void JsonPrinter::Record(const RecordItem& r) {
  json_.BeginObject();
  json_.Number("index", r.index);
  json_.Number("start", r.record.start);
  json_.Number("length", r.record.length);
  json_.Number("checksum", r.record.checksum);
  json_.Number("dataOffset", r.record.dataOffset);
  json_.Boolean("terminator", r.terminator);
  if (r.dataRead) {
    json_.Boolean("checksumValid", r.ChecksumValid());
    json_.Boolean("dataComplete", r.dataComplete);
  } else {
    json_.Null("checksumValid");
    json_.Null("dataComplete");
  }
  if (r.terminator) json_.Number("entryAddress", r.record.length);
  json_.EndObject();
}

void JsonPrinter::Candidate(const TocCandidate& candidate) {
  for (const Problem& problem : candidate.problems) NoticeObject(candidate, problem);
}

void JsonPrinter::NoticeObject(const TocCandidate& notice, const Problem& problem) {
  const bool phys = problem.kind == ProblemKind::kTocNoticePhys;
  json_.BeginObject();
  json_.String("kind", Describe(problem.kind).kind);
  json_.String("text", NoticeText(notice));
  json_.Number("signatureRecord", notice.location.signatureRecord);
  json_.Number("headerRecord", notice.location.headerRecord);
  json_.Number("pTOC", notice.location.pTOC);
  json_.Number("romOffset", notice.location.romOffset);
  json_.Number(phys ? "ulPhysFirst" : "ulDllFirst", notice.first);
  json_.Number(phys ? "ulPhysLast" : "ulDllLast", notice.last);
  json_.EndObject();
}

void JsonPrinter::Toc(const TocItem& toc) {
  json_.BeginObject();
  json_.Number("pTOC", toc.location.pTOC);
  json_.Number("romOffset", toc.location.romOffset);
  json_.Number("signatureRecord", toc.location.signatureRecord);
  json_.Number("headerRecord", toc.location.headerRecord);
  json_.Key("ROMHDR");
  if (toc.header) {
    WriteObject(json_, *toc.header);
  } else {
    json_.Null();
  }
  // Only a header that names extensions has them: the item tells already.
  if (!toc.header || toc.header->ulExtensions == 0) json_.Null("extensions");
}

void JsonPrinter::Close(const ScopeEnd& end) {
  switch (end.scope) {
    case ScopeEnd::kRecords:
      json_.EndArray();
      json_.Key("problems");
      json_.BeginArray();
      break;
    case ScopeEnd::kSearch:
      json_.EndArray();
      json_.Key("tocs");
      json_.BeginArray();
      break;
    case ScopeEnd::kExtensions:
      json_.EndArray();  // the chain
      WriteProblems(end.problems);
      json_.EndObject();
      break;
    case ScopeEnd::kTable:
      json_.EndArray();
      break;
    case ScopeEnd::kProfile:
      if (end.listed) json_.EndArray();  // the symbols
      WriteProblems(end.problems);
      json_.EndObject();
      break;
    case ScopeEnd::kToc: {
      // A section the report did not reach is null; the profiling table's
      // place comes with the copy sections.
      static const char* const kNames[kReportSections] = {"ROMHDR",  "extensions", "copySections",
                                                          "modules", "files",      "profiles"};
      for (unsigned section = 0; section < kReportSections; ++section) {
        // The extensions' place was told with the header.
        if ((end.reached & (1u << section)) != 0 || section == kExtensionsSection) continue;
        json_.Null(kNames[section]);
        if (section == kCopySectionsSection) json_.Null("profileTable");
      }
      WriteProblems(end.problems);
      json_.EndObject();
      break;
    }
  }
}

void JsonPrinter::ExtensionHead(const ExtensionHeadItem& head) {
  json_.Key("extensions");
  if (!head.head) {
    json_.Null();
    return;
  }
  json_.BeginObject();
  json_.Number("address", head.address);
  WriteMembers(json_, *head.head);
  json_.Key("chain");
  json_.BeginArray();
}

void JsonPrinter::ExtensionStep(const ExtensionStepItem& step) {
  Warn(step.problems);
  // The walk ends before the record: the chain's end has the problem.
  if (step.outcome == ExtensionStepItem::kRepeat) return;
  const bool read = step.outcome == ExtensionStepItem::kRead;
  json_.BeginObject();
  json_.Number("location", step.location);
  json_.Key("ExtensionRecord");
  if (read) {
    WriteObject(json_, step.record);
    json_.Boolean("chainInformation", step.chainInformation);
  } else {
    json_.Null();
    json_.Null("chainInformation");
  }
  json_.Key("chainEntries");
  if (step.chainRead) {
    json_.BeginArray();
    for (size_t k = 0; k < step.chain.size(); ++k) {
      json_.BeginObject();
      json_.Number("index", k);
      WriteMembers(json_, step.chain[k]);
      json_.EndObject();
    }
    json_.EndArray();
  } else {
    json_.Null();
  }
  WriteProblems(step.problems);
  json_.EndObject();
}

void JsonPrinter::CopySections(const CopySectionsItem& copies) {
  json_.Key("copySections");
  if (copies.readable) {
    json_.BeginArray();
    for (size_t i = 0; i < copies.sections.size(); ++i) {
      json_.BeginObject();
      json_.Number("index", i);
      WriteMembers(json_, copies.sections[i].entry);
      json_.Boolean("movesProfileTable", copies.sections[i].movesProfileTable);
      json_.EndObject();
    }
    json_.EndArray();
  } else {
    json_.Null();
  }
  json_.Key("profileTable");
  json_.BeginObject();
  json_.Number("address", copies.profile.address);
  json_.Number("delta", copies.profile.delta);
  json_.EndObject();
}

void JsonPrinter::Table(const TableItem& table) {
  static const char* const kNames[] = {"modules", "files", "profiles"};
  json_.Key(kNames[table.kind]);
  if (table.readable) {
    json_.BeginArray();
  } else {
    json_.Null();
  }
}

void JsonPrinter::End() {
  json_.EndArray();  // the tables of contents
  json_.EndObject();
  json_.Finish();
}

}  // namespace romscope
