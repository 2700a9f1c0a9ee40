#include "export/safe_name.h"

#include <cstring>

namespace romscope {
namespace {

bool IsForbidden(uint8_t byte) {
  return byte < 0x20 || (byte >= 0x7F && byte <= 0x9F) ||
         std::strchr("/\\<>:\"|?*", byte) != nullptr;
}

bool IsAsciiLetter(uint8_t byte) {
  return (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z');
}

// The image's bytes as UTF-8, each byte the character of the same number,
// with the forbidden ones replaced.
std::string Replaced(std::string_view name, uint16_t* changes) {
  std::string text;
  text.reserve(name.size() * 2);
  for (size_t i = 0; i < name.size(); ++i) {
    const auto byte = static_cast<uint8_t>(name[i]);
    if (i == 1 && byte == ':' && IsAsciiLetter(static_cast<uint8_t>(name[0]))) {
      *changes |= kNameDrive;
      text.push_back('_');
    } else if (IsForbidden(byte)) {
      *changes |= kNameCharacters;
      text.push_back('_');
    } else if (byte < 0x80) {
      text.push_back(static_cast<char>(byte));
    } else {
      text.push_back(static_cast<char>(0xC0 | (byte >> 6)));
      text.push_back(static_cast<char>(0x80 | (byte & 0x3F)));
    }
  }
  return text;
}

void ReplaceTrailing(std::string& name, uint16_t* changes) {
  for (size_t i = name.size(); i > 0 && (name[i - 1] == '.' || name[i - 1] == ' '); --i) {
    name[i - 1] = '_';
    *changes |= kNameTrailing;
  }
}

char Upper(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// Whether the part of the name before its first dot, blanks after it
// ignored, is one of the names Windows keeps for devices.
bool IsDeviceName(const std::string& name) {
  std::string stem = name.substr(0, name.find('.'));
  while (!stem.empty() && stem.back() == ' ') stem.pop_back();
  for (char& c : stem) c = Upper(c);
  static const char* const kFixed[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
  for (const char* fixed : kFixed) {
    if (stem == fixed) return true;
  }
  if (stem.compare(0, 3, "COM") != 0 && stem.compare(0, 3, "LPT") != 0) return false;
  const std::string digit = stem.substr(3);
  // 1 to 9, and the superscripts 1, 2 and 3 (U+00B9, U+00B2, U+00B3).
  return (digit.size() == 1 && digit[0] >= '1' && digit[0] <= '9') || digit == "\xC2\xB9" ||
         digit == "\xC2\xB2" || digit == "\xC2\xB3";
}

// The longest start of `text` of at most `size` bytes that ends on a
// character boundary.
size_t CharacterBoundary(const std::string& text, size_t size) {
  if (size >= text.size()) return text.size();
  while (size > 0 && (static_cast<uint8_t>(text[size]) & 0xC0) == 0x80) --size;
  return size;
}

// Letters in one case, as Windows compares names: ASCII and the Latin-1
// letters (U+00E0-U+00FE but U+00F7, whose capitals are U+00C0-U+00DE).
std::string Folded(const std::string& name) {
  std::string folded = name;
  for (size_t i = 0; i < folded.size(); ++i) {
    folded[i] = Upper(folded[i]);
    if (static_cast<uint8_t>(folded[i]) == 0xC3 && i + 1 < folded.size()) {
      const auto next = static_cast<uint8_t>(folded[i + 1]);
      if (next >= 0xA0 && next <= 0xBE && next != 0xB7)
        folded[i + 1] = static_cast<char>(next - 0x20);
      ++i;
    }
  }
  return folded;
}

// `base` with " (number)" before its extension (a last dot not at its start,
// followed by at most 16 bytes), then `suffix`, cut to kMaxNameBytes.
std::string Numbered(const std::string& base, uint64_t number, const std::string& suffix) {
  const std::string tag = number == 0 ? std::string() : " (" + std::to_string(number) + ")";
  size_t dot = base.rfind('.');
  if (number == 0 || dot == std::string::npos || dot == 0 || base.size() - dot > 16) {
    dot = base.size();
  }
  std::string stem = base.substr(0, dot);
  const std::string rest = tag + base.substr(dot) + suffix;
  if (stem.size() + rest.size() > kMaxNameBytes) {
    stem.resize(CharacterBoundary(stem, kMaxNameBytes - rest.size()));
  }
  return stem + rest;
}

}  // namespace

SafeName MakeSafeName(std::string_view imageName, std::string_view suffix) {
  SafeName safe;
  safe.suffix = suffix;
  std::string& base = safe.base;
  base = Replaced(imageName, &safe.changes);
  if (base.empty()) {
    base = "_";
    safe.changes |= kNameEmpty;
  } else if (base == "." || base == "..") {
    base.assign(base.size(), '_');
    safe.changes |= kNameDots;
  }
  if (safe.suffix.empty()) ReplaceTrailing(base, &safe.changes);
  if (IsDeviceName(base)) {
    base.insert(0, "_");
    safe.changes |= kNameDevice;
  }
  if (base.size() + safe.suffix.size() > kMaxNameBytes) {
    base.resize(CharacterBoundary(base, kMaxNameBytes - safe.suffix.size()));
    safe.changes |= kNameCut;
    if (safe.suffix.empty()) ReplaceTrailing(base, &safe.changes);
  }
  return safe;
}

std::string FolderNames::Claim(const SafeName& safe, uint16_t* changes) {
  std::string own = Numbered(safe.base, 0, safe.suffix);
  std::string folded = Folded(own);
  if (taken_.insert(folded).second) return own;
  // Numbers go on from the last one given for this name, so that many
  // entries of one name cost one try each.
  uint64_t& next = nextNumber_[folded];
  if (next < 2) next = 2;
  for (;; ++next) {
    std::string numbered = Numbered(safe.base, next, safe.suffix);
    if (taken_.insert(Folded(numbered)).second) {
      ++next;
      *changes |= kNameNumbered;
      return numbered;
    }
  }
}

}  // namespace romscope
