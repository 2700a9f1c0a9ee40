// Text conversions, all portable code. The tool keeps text in UTF-8
// throughout; Windows hands over its command line and environment, and takes
// file names, in UTF-16; names from the image are bytes, shown as the
// characters of the same numbers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "base/printf_format.h"

namespace romscope {

// The tool works on one command line, the program name first: an argument
// vector is joined with one blank.
// printf into a string, up to 511 bytes: the messages' numbers and words.
std::string Formatted(const char* format, ...) ROMSCOPE_PRINTF_FORMAT(1, 2);

std::string JoinCommandLine(int argc, const char* const* argv);

// Unpaired surrogates become U+FFFD, so any UTF-16 text gives valid UTF-8.
std::string Utf16ToUtf8(std::u16string_view text);

// Bytes that are not well-formed UTF-8 become U+FFFD, one for each byte.
std::u16string Utf8ToUtf16(std::string_view text);

// Well-formed UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
bool IsUtf8(std::string_view text);

// The length of the well-formed UTF-8 character at text[at], its code point
// in *c; 0 when the bytes there are not one.
size_t Utf8CharacterAt(std::string_view text, size_t at, char32_t* c);

// Appends the UTF-8 form of the code point `c`.
void AppendUtf8(std::string* out, char32_t c);

// Image bytes as text: each byte becomes the character of the same number
// (U+0000..U+00FF), UTF-8 encoded, so that any bytes make valid text and can
// be recovered exactly.
void AppendLatin1(std::string* text, const uint8_t* bytes, size_t size);
std::string Latin1(std::string_view bytes);

// Text from the command line (a path): kept as it is when it is UTF-8,
// otherwise each byte as above.
std::string CommandLineText(std::string_view text);

// True when the environment entry "NAME=value" is the variable `name`, its
// name matched without regard to letter case (the value does not matter).
bool IsVariableNamed(std::string_view entry, std::string_view name);

}  // namespace romscope
