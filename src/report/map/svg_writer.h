// Writes the SVG document of the map: elements with integer coordinates and
// text that is always valid XML 1.0, whatever bytes it came from.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "base/writer.h"

namespace romscope {

// Image bytes as text for the map: each byte the character of the same
// number, as the JSON document gives names, except the characters that XML
// forbids or that show nothing (U+0000..U+001F, U+007F..U+009F): those
// become the visible escape "\xHH".
std::string VisibleLatin1(std::string_view bytes);

class SvgWriter {
 public:
  explicit SvgWriter(Writer& out) : out_(out) {}

  // Markup of the tool's own, written as it stands.
  void Raw(std::string_view markup) { out_.Put(markup); }
  void Number(int64_t value);
  // UTF-8 text as element content: &, <, >, quotes escaped; a line feed
  // becomes a character reference (a line break in a tooltip); every other
  // character XML 1.0 forbids, and the C1 controls, become "\xHH" (U+FFFE
  // and U+FFFF "\uFFFE", "\uFFFF"). Bytes that are not UTF-8 are taken as
  // Latin-1, so no input makes the document invalid.
  void Text(std::string_view text);

  // <rect x=".." y=".." width=".." height=".." class="..">; the caller ends
  // it with "/>" or with a <title> and "</rect>".
  void OpenRect(int64_t x, int64_t y, int64_t width, int64_t height, const char* cssClass);
  // <title>text</title>
  void Title(std::string_view text);
  // <text x=".." y=".." class="..">text</text>
  void Label(int64_t x, int64_t y, const char* cssClass, std::string_view text);

 private:
  void Escaped(uint32_t codePoint, std::string_view bytes);

  Writer& out_;
};

}  // namespace romscope
