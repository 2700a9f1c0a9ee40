// Text at the host's edges. The tool keeps text in UTF-8 throughout; Windows
// hands over its command line and environment, and takes file names, in
// UTF-16, so the conversions are kept here as portable code.
#pragma once

#include <string>
#include <string_view>

namespace romscope {

// The tool works on one command line, the program name first: an argument
// vector is joined with one blank.
std::string JoinCommandLine(int argc, const char* const* argv);

// Unpaired surrogates become U+FFFD, so any UTF-16 text gives valid UTF-8.
std::string Utf16ToUtf8(std::u16string_view text);

// Bytes that are not well-formed UTF-8 become U+FFFD, one for each byte.
std::u16string Utf8ToUtf16(std::string_view text);

// True when the environment entry "NAME=value" is the variable `name`, its
// name matched without regard to letter case (the value does not matter).
bool IsVariableNamed(std::string_view entry, std::string_view name);

}  // namespace romscope
