#include "report/catalogue.h"

#include <iterator>

#include "base/text.h"

namespace romscope {
namespace {

// In the order of ProblemKind.
constexpr ProblemInfo kProblems[] = {
    {"openFailed", "\n", ProblemOutput::kReport, ProblemMember::kNone},
    {"signatureUnreadable", "\n", ProblemOutput::kReport, ProblemMember::kNone},
    {"signatureMismatch", "\n", ProblemOutput::kReport, ProblemMember::kNone},
    {"headerTruncated", "\n", ProblemOutput::kDiagnostic, ProblemMember::kNone},
    {"tocNoticePhys", kNoticeLineEnd, ProblemOutput::kReport, ProblemMember::kNone},
    {"tocNoticeDll", kNoticeLineEnd, ProblemOutput::kReport, ProblemMember::kNone},
    {"readTooBig", "\n", ProblemOutput::kReport, ProblemMember::kSize},
    {"tocHeaderUnreadable", "\n", ProblemOutput::kReport, ProblemMember::kNone},
    {"extensionsUnreadable", "\n", ProblemOutput::kReport, ProblemMember::kNone},
    {"extensionBufferFailed", "\n", ProblemOutput::kReport, ProblemMember::kLength},
    {"extensionChainCycle", "\n", ProblemOutput::kDiagnostic, ProblemMember::kAddress},
    {"chainDataUnreadable", "\n", ProblemOutput::kDocument, ProblemMember::kNone},
    {"copySectionsUnreadable", "\n", ProblemOutput::kReport, ProblemMember::kNone},
    {"modulesUnreadable", "\n", ProblemOutput::kReport, ProblemMember::kNone},
    {"e32Unreadable", "\n", ProblemOutput::kReport, ProblemMember::kNone},
    {"o32Unreadable", "\n", ProblemOutput::kReport, ProblemMember::kNone},
    {"nameUnreadable", "\n", ProblemOutput::kDocument, ProblemMember::kAddress},
    {"filesUnreadable", "\n", ProblemOutput::kReport, ProblemMember::kNone},
    {"fileNotInRecordSpace", "\n", ProblemOutput::kReport, ProblemMember::kNone},
    {"profilesUnreadable", "\n", ProblemOutput::kReport, ProblemMember::kNone},
    {"hitTableUnreadable", "\n", ProblemOutput::kDocument, ProblemMember::kNone},
    {"symbolNameUnreadable", "\n", ProblemOutput::kDocument, ProblemMember::kAddress},
};
static_assert(std::size(kProblems) == static_cast<size_t>(ProblemKind::kSymbolNameUnreadable) + 1);

// The module and the profiling table report their failure alike.
constexpr char kModulesUnreadableText[] = "ERROR: Couldn't locate Modules data";
constexpr char kHeaderTruncatedText[] = "the BIN header is truncated (no image start and length)";
constexpr char kCycleText[] = "the extension chain leads back to 0x%08X, which was read already";

}  // namespace

const ProblemInfo& Describe(ProblemKind kind) {
  return kProblems[static_cast<size_t>(kind)];
}

std::string ProblemText(const Problem& p, std::string_view path) {
  const std::string shown(path);
  switch (p.kind) {
    case ProblemKind::kOpenFailed:
      return "Error opening " + shown;
    case ProblemKind::kSignatureUnreadable:
      // The number is the one the tool has always printed here.
      return Formatted("Error reading %s (%d)", shown.c_str(), 1111);
    case ProblemKind::kSignatureMismatch:
      return "Missing initial signature (BOOOFF\n). Not a BIN file";
    case ProblemKind::kHeaderTruncated:
      return kHeaderTruncatedText;
    case ProblemKind::kTocNoticePhys:
    case ProblemKind::kTocNoticeDll:
      return {};  // see NoticeText
    case ProblemKind::kReadTooBig: {
      // A size that fits 32 bits shows as the signed number the tool has
      // always printed; a larger one, whole.
      const std::string size =
          p.size <= UINT32_MAX ? std::to_string(static_cast<int32_t>(static_cast<uint32_t>(p.size)))
                               : std::to_string(p.size);
      return "Trying to read " + size + " bytes (too big)";
    }
    case ProblemKind::kTocHeaderUnreadable:
      return "Couldn't locate TOC data";
    case ProblemKind::kExtensionsUnreadable:
      return "Couldn't locate TOC Extensions";
    case ProblemKind::kExtensionBufferFailed:
      return "Error: failed allocating extention buffer";
    case ProblemKind::kExtensionChainCycle:
      return Formatted(kCycleText, p.address);
    case ProblemKind::kChainDataUnreadable:
      return Formatted("the chain information data of %llu bytes at 0x%08X cannot be read",
                       static_cast<unsigned long long>(p.size), p.address);
    case ProblemKind::kCopySectionsUnreadable:
      return "Couldn't locate copy secitons";
    case ProblemKind::kModulesUnreadable:
    case ProblemKind::kProfilesUnreadable:
      return kModulesUnreadableText;
    case ProblemKind::kE32Unreadable:
      return "ERROR: Couldn't locate e32_rom data";
    case ProblemKind::kO32Unreadable:
      return "ERROR: Couldn't locate o32_rom data";
    case ProblemKind::kNameUnreadable:
      return Formatted("the name at 0x%08X cannot be read", p.address);
    case ProblemKind::kFilesUnreadable:
      return "Couldn't locate Files data";
    case ProblemKind::kFileNotInRecordSpace:
      return "File not in record space. Potentially truncated file!";
    case ProblemKind::kHitTableUnreadable:
      return Formatted("the hit table of %llu bytes at 0x%08X cannot be read",
                       static_cast<unsigned long long>(p.size), p.address);
    case ProblemKind::kSymbolNameUnreadable:
      return Formatted("the name's byte at 0x%08X cannot be read", p.address);
  }
  return {};
}

std::string DiagnosticText(const Problem& p, std::string_view path, std::string_view reason) {
  switch (p.kind) {
    case ProblemKind::kOpenFailed:
      return "cannot open '" + std::string(path) + "': " + std::string(reason);
    case ProblemKind::kHeaderTruncated:
      return std::string(path) + ": " + kHeaderTruncatedText;
    default:
      return Describe(p.kind).output == ProblemOutput::kDiagnostic ? ProblemText(p) : std::string();
  }
}

std::string UnusableImageText(const ImageItem& image) {
  const Problem& failure = *image.failure;
  switch (failure.kind) {
    case ProblemKind::kSignatureUnreadable:
      return image.path + ": not a BIN file (too short for its signature, or unreadable)";
    case ProblemKind::kSignatureMismatch:
      return image.path + ": not a BIN file (it does not start with its signature)";
    default:
      return DiagnosticText(failure, image.path, image.openReason);
  }
}

std::string NoticeText(const TocCandidate& c) {
  const char* what = c.outcome == TocCandidate::kPhysNotice ? "Phys" : "DLL";
  return Formatted(
      "NOTICE! Record %zu looked like a TOC except %s first = 0x%08X, and %s last = 0x%08X",
      c.location.headerRecord, what, c.first, what, c.last);
}

const char* CpuName(uint16_t usCpu) {
  switch (usCpu) {
    case 0x014C:
      return "x86";
    case 0x0166:
      return "R4000";
    case 0x01A2:
      return "SH3";
    case 0x01A3:
      return "SH3-DSP";
    case 0x01A4:
      return "SH3e";
    case 0x01A6:
      return "SH4";
    case 0x01C0:
      return "ARM";
    case 0x01C2:
      return "Thumb";
    case 0x01F0:
      return "PPC";
    case 0x0266:
      return "MIPS16";
    case 0x0366:
      return "MIPSFPU";
    case 0x0466:
      return "MIPSFPU16";
    default:
      return nullptr;
  }
}

std::string AttributeLetters(uint32_t dwFileAttributes) {
  struct Letter {
    uint32_t bit;
    char letter;
  };
  static constexpr Letter kLetters[] = {
      {FileEntry::kCompressed, 'C'}, {0x2, 'H'}, {0x1, 'R'}, {0x4, 'S'}};
  std::string letters;
  for (const Letter& l : kLetters) letters += (dwFileAttributes & l.bit) != 0 ? l.letter : '_';
  return letters;
}

}  // namespace romscope
