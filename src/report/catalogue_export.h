// The catalogue's texts for the conversions (-flat, -srec, -ihex) and the
// extraction (-extract): the diagnostics of a loaded image, the refusals,
// and the words of the extraction's listing. Standard error lines come
// without "romscope: ".
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "export/extraction.h"
#include "export/loaded_image.h"
#include "export/safe_name.h"

namespace romscope {

// An image file whose size or bytes could not be read.
std::string SizeUnknownText(std::string_view path);
std::string ImageUnreadableText(std::string_view path);

// What loading found, and the checksums that do not hold.
std::string CutRecordText(const CutRecord& cut);
std::string PastTopText(uint32_t record);
std::string MorePastTopText(size_t more);
std::string OverlapText(const DifferingOverlap& overlap);
std::string MoreOverlapsText(size_t more);
std::string ChecksumText(const FailingChecksum& failing);
std::string MoreChecksumsText(size_t more);

// The conversions.
std::string TerminalRefusedText(bool binary);
std::string FlatPastTopText(uint32_t imageLength, uint32_t imageStart);
// A record (its first and last address) outside the image's range
// [first, end), wholly or partly.
std::string FlatOutsideText(uint32_t record, uint32_t start, uint32_t last, bool wholly,
                            uint64_t first, uint64_t end);
std::string MoreOutsideText(size_t more);

// The extraction.
std::string FolderRefusedText(std::string_view folder, std::string_view reason);
std::string TooManyItemsText();
const char* StatusWord(ExtractEntry::Status status);
const char* KindWord(ExtractEntry::Kind kind);  // the JSON listing's
// What the text listing says of the entry after its name.
std::string WhatText(const ExtractEntry& entry);
// Why it was skipped or failed; empty for an entry written.
std::string ReasonText(const ExtractEntry& entry);
// A name change's member value in the JSON listing, and its words in the
// text listing.
const char* NameChangeKind(NameChange change);
const char* NameChangeText(NameChange change);

}  // namespace romscope
