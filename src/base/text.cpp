#include "base/text.h"

#include <cstdarg>
#include <cstdio>

namespace romscope {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool IsHighSurrogate(char32_t c) {
  return c >= 0xD800 && c <= 0xDBFF;
}
bool IsLowSurrogate(char32_t c) {
  return c >= 0xDC00 && c <= 0xDFFF;
}

// Decodes the character at `text[*at]` and moves past it; a malformed
// sequence gives U+FFFD, moves one byte on and clears *wellFormed.
char32_t DecodeUtf8(std::string_view text, size_t* at, bool* wellFormed) {
  char32_t c = 0;
  const size_t length = Utf8CharacterAt(text, *at, &c);
  if (length == 0) {
    ++*at;
    *wellFormed = false;
    return kReplacement;
  }
  *at += length;
  return c;
}

char AsciiLower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace

void AppendUtf8(std::string* out, char32_t c) {
  if (c < 0x80) {
    *out += static_cast<char>(c);
  } else if (c < 0x800) {
    *out += static_cast<char>(0xC0 | (c >> 6));
    *out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    *out += static_cast<char>(0xE0 | (c >> 12));
    *out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    *out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    *out += static_cast<char>(0xF0 | (c >> 18));
    *out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    *out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    *out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

size_t Utf8CharacterAt(std::string_view text, size_t at, char32_t* c) {
  const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(at);
  size_t length = 0;
  char32_t value = 0;
  char32_t least = 0;
  if (lead < 0x80) {
    *c = lead;
    return 1;
  } else if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2, value = lead & 0x1F, least = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3, value = lead & 0x0F, least = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4, value = lead & 0x07, least = 0x10000;
  } else {
    return 0;
  }
  if (text.size() - at < length) return 0;
  for (size_t i = 1; i < length; ++i) {
    if ((byte(at + i) & 0xC0) != 0x80) return 0;
    value = (value << 6) | (byte(at + i) & 0x3F);
  }
  // Overlong forms, surrogates and values past U+10FFFF are not characters.
  if (value < least || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return 0;
  *c = value;
  return length;
}

std::string JoinCommandLine(int argc, const char* const* argv) {
  std::string line;
  for (int i = 0; i < argc; ++i) {
    if (i > 0) line += ' ';
    if (argv[i] != nullptr) line += argv[i];
  }
  return line;
}

std::string Utf16ToUtf8(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    char32_t c = text[i];
    if (IsHighSurrogate(c) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    } else if (IsHighSurrogate(c) || IsLowSurrogate(c)) {
      c = kReplacement;
    }
    AppendUtf8(&out, c);
  }
  return out;
}

std::u16string Utf8ToUtf16(std::string_view text) {
  std::u16string out;
  out.reserve(text.size());
  size_t at = 0;
  while (at < text.size()) {
    bool wellFormed = true;
    const char32_t c = DecodeUtf8(text, &at, &wellFormed);
    if (c >= 0x10000) {
      out += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
      out += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
    } else {
      out += static_cast<char16_t>(c);
    }
  }
  return out;
}

bool IsUtf8(std::string_view text) {
  bool wellFormed = true;
  for (size_t at = 0; at < text.size() && wellFormed;) DecodeUtf8(text, &at, &wellFormed);
  return wellFormed;
}

void AppendLatin1(std::string* text, const uint8_t* bytes, size_t size) {
  for (size_t i = 0; i < size; ++i) AppendUtf8(text, bytes[i]);
}

std::string Latin1(std::string_view bytes) {
  std::string text;
  AppendLatin1(&text, reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
  return text;
}

std::string CommandLineText(std::string_view text) {
  return IsUtf8(text) ? std::string(text) : Latin1(text);
}

bool IsVariableNamed(std::string_view entry, std::string_view name) {
  // Windows keeps per-drive directories as "=C:=C:\dir": a name may start
  // with '=', so the separator is looked for after the first character.
  const size_t equals = entry.find('=', 1);
  if (equals == std::string_view::npos || equals != name.size()) return false;
  for (size_t i = 0; i < name.size(); ++i) {
    if (AsciiLower(entry[i]) != AsciiLower(name[i])) return false;
  }
  return true;
}

std::string Formatted(const char* format, ...) {
  char text[512];
  va_list args;
  va_start(args, format);
  std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  return text;
}

}  // namespace romscope
