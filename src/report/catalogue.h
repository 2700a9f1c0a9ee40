// The report's catalogue: every message text the tool prints, the names of
// the processors and the letters of the file attributes, each written once.
// The text report prints a problem's text as a line of its own, the JSON
// document gives it as the problem's "text", standard error takes the
// diagnostics.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "rom/items.h"

namespace romscope {

// Where a problem shows besides the JSON document, which has them all.
enum class ProblemOutput : uint8_t {
  kReport,      // a line of the text report
  kDiagnostic,  // a line on standard error
  kDocument,    // only the JSON document: the text report never had a line for it
};

// The member a JSON problem carries beside its kind and text.
enum class ProblemMember : uint8_t { kNone, kSize, kAddress, kLength };

struct ProblemInfo {
  const char* kind;     // its name in the JSON document
  const char* lineEnd;  // of its line in the text report
  ProblemOutput output;
  ProblemMember member;
};

const ProblemInfo& Describe(ProblemKind kind);

// The problem's text: the line the text report prints, without its line end.
// `path` is the image's path, as the output in hand shows it, for the
// problems of the image as a whole.
std::string ProblemText(const Problem& problem, std::string_view path = {});

// The standard error line for the image problems that have one, and for the
// diagnostics (without "romscope: "); empty when there is none.
std::string DiagnosticText(const Problem& problem, std::string_view path,
                           std::string_view reason = {});

// The standard error line (without "romscope: ") for an image that cannot
// be used, with its path: one wording in every mode that tells of it there
// (the text report and the JSON document give the problem's own text).
std::string UnusableImageText(const ImageItem& image);

// The search's NOTICE line for a candidate that failed a test, without its
// line end ("\r\n").
std::string NoticeText(const TocCandidate& candidate);
inline constexpr const char kNoticeLineEnd[] = "\r\n";

// The processor's name for a COFF machine-type code, or null for a code the
// tool does not know.
const char* CpuName(uint16_t usCpu);

// The four letters the file list shows for the attributes: C, H, R, S, each
// "_" when its bit is clear.
std::string AttributeLetters(uint32_t dwFileAttributes);

}  // namespace romscope
