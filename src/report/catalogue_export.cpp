#include "report/catalogue_export.h"

#include <cinttypes>

#include "base/text.h"

namespace romscope {
namespace {

constexpr char kImageUnreadable[] = "the image file could not be read";
constexpr char kNotWritten[] = "not written: ";

std::string WithPath(std::string_view path, const char* text) {
  std::string line(path);
  line += ": ";
  return line + text;
}

// "the image 0x...-0x..." for the range [first, end), which may be empty.
std::string ImageRange(uint64_t first, uint64_t end) {
  if (end == first) {
    return Formatted("the empty image at 0x%08X", static_cast<uint32_t>(first));
  }
  return Formatted("the image 0x%08X-0x%08X", static_cast<uint32_t>(first),
                   static_cast<uint32_t>(end - 1));
}

}  // namespace

std::string SizeUnknownText(std::string_view path) {
  return WithPath(path, "the size of the file cannot be told");
}

std::string ImageUnreadableText(std::string_view path) {
  return WithPath(path, kImageUnreadable);
}

std::string CutRecordText(const CutRecord& cut) {
  return Formatted("record %u: cut by the end of the file: 0x%llX of its 0x%08X bytes are there",
                   cut.record, static_cast<unsigned long long>(cut.present), cut.length);
}

std::string PastTopText(uint32_t record) {
  return Formatted("record %u: runs past 0xFFFFFFFF; its bytes from 2^32 on are left out", record);
}

std::string MorePastTopText(size_t more) {
  return Formatted("%zu more records that run past 0xFFFFFFFF", more);
}

std::string OverlapText(const DifferingOverlap& o) {
  return Formatted("overlap at 0x%08X-0x%08X: record %u overwrites record %u with different bytes",
                   o.start, o.last, o.later, o.earlier);
}

std::string MoreOverlapsText(size_t more) {
  return Formatted("%zu more overlaps with different bytes", more);
}

std::string ChecksumText(const FailingChecksum& failing) {
  return Formatted("record %u: checksum 0x%08X does not hold", failing.record, failing.checksum);
}

std::string MoreChecksumsText(size_t more) {
  return Formatted("%zu more records whose checksum does not hold", more);
}

std::string TerminalRefusedText(bool binary) {
  return Formatted(
      "refusing to write %s to a terminal: redirect standard output to a file or a pipe",
      binary ? "binary data" : "a conversion");
}

std::string FlatPastTopText(uint32_t imageLength, uint32_t imageStart) {
  return Formatted(
      "-flat: the image (0x%08X bytes from 0x%08X) runs past 0xFFFFFFFF; its bytes from 2^32 on "
      "are fill bytes",
      imageLength, imageStart);
}

std::string FlatOutsideText(uint32_t record, uint32_t start, uint32_t last, bool wholly,
                            uint64_t first, uint64_t end) {
  return Formatted("-flat: record %u (0x%08X-0x%08X) lies %soutside %s; %s", record, start, last,
                   wholly ? "" : "partly ", ImageRange(first, end).c_str(),
                   wholly ? "left out" : "the bytes outside are left out");
}

std::string MoreOutsideText(size_t more) {
  return Formatted("%zu more records outside the image", more);
}

std::string FolderRefusedText(std::string_view folder, std::string_view reason) {
  std::string text = "-extract: cannot use the folder '";
  text += folder;
  text += "': ";
  return text += reason;
}

std::string TooManyItemsText() {
  return "-extract: the image holds more items than one run keeps; the entries past them are not "
         "extracted";
}

const char* StatusWord(ExtractEntry::Status status) {
  switch (status) {
    case ExtractEntry::kWritten:
      return "written";
    case ExtractEntry::kSkipped:
      return "skipped";
    case ExtractEntry::kFailed:
      return "failed";
  }
  return "";
}

const char* KindWord(ExtractEntry::Kind kind) {
  switch (kind) {
    case ExtractEntry::kFile:
      return "file";
    case ExtractEntry::kSection:
      return "section";
    case ExtractEntry::kModule:
      return "module";
    case ExtractEntry::kSections:
      return "sections";
  }
  return "";
}

std::string WhatText(const ExtractEntry& e) {
  const std::string size = std::to_string(e.size);
  switch (e.kind) {
    case ExtractEntry::kModule:
      return "module";
    case ExtractEntry::kSections:
      return "sections " + std::to_string(e.section) + "-" +
             std::to_string(uint64_t{e.section} + e.count - 1) + " (" + std::to_string(e.count) +
             " sections)";
    case ExtractEntry::kSection:
      return "section " + std::to_string(e.section) + ", " + size + " bytes";
    case ExtractEntry::kFile:
      break;
  }
  return e.compressed ? "file, " + size + " stored bytes of a compressed file"
                      : "file, " + size + " bytes";
}

std::string ReasonText(const ExtractEntry& e) {
  switch (e.reason) {
    case ExtractEntry::kNoReason:
      return {};
    case ExtractEntry::kNoE32:
      return "not written: its e32_rom cannot be read";
    case ExtractEntry::kNoO32:
      return "not written: its o32_rom cannot be read";
    case ExtractEntry::kNoO32s:
      return "not written: their o32_rom headers cannot be read";
    case ExtractEntry::kNotHeld:
      return Formatted("not written: its 0x%" PRIX64
                       " bytes from 0x%08X are not all held by records",
                       e.size, e.address);
    case ExtractEntry::kUnreadable:
      return std::string(kNotWritten) + kImageUnreadable;
    case ExtractEntry::kRefused:
      return kNotWritten + e.refusal;
  }
  return {};
}

const char* NameChangeKind(NameChange change) {
  switch (change) {
    case kNameCharacters:
      return "characters";
    case kNameDrive:
      return "drive";
    case kNameDots:
      return "dots";
    case kNameEmpty:
      return "empty";
    case kNameTrailing:
      return "trailing";
    case kNameDevice:
      return "device";
    case kNameCut:
      return "cut";
    case kNameNumbered:
      return "numbered";
  }
  return "";
}

const char* NameChangeText(NameChange change) {
  switch (change) {
    case kNameCharacters:
      return "characters not allowed in a name replaced";
    case kNameDrive:
      return "a drive prefix neutralised";
    case kNameDots:
      return "a name of dots only";
    case kNameEmpty:
      return "an empty name";
    case kNameTrailing:
      return "trailing dots or blanks replaced";
    case kNameDevice:
      return "a reserved device name";
    case kNameCut:
      return "cut to 200 bytes";
    case kNameNumbered:
      return "the name was taken already";
  }
  return "";
}

}  // namespace romscope
