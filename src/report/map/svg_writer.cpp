#include "report/map/svg_writer.h"

#include "base/text.h"

namespace romscope {
namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

bool Invisible(uint32_t codePoint) {
  return codePoint < 0x20 || (codePoint >= 0x7F && codePoint <= 0x9F);
}

void AppendByteEscape(std::string* text, uint32_t value) {
  text->append("\\x");
  text->push_back(kHexDigits[(value >> 4) & 15]);
  text->push_back(kHexDigits[value & 15]);
}

}  // namespace

std::string VisibleLatin1(std::string_view bytes) {
  std::string text;
  text.reserve(bytes.size());
  for (const char c : bytes) {
    const auto value = static_cast<uint8_t>(c);
    if (Invisible(value)) {
      AppendByteEscape(&text, value);
    } else {
      AppendUtf8(&text, value);
    }
  }
  return text;
}

void SvgWriter::Number(int64_t value) {
  char digits[24];
  size_t count = 0;
  uint64_t magnitude = value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
  do {
    digits[count++] = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  if (value < 0) out_.PutChar('-');
  while (count > 0) out_.PutChar(digits[--count]);
}

void SvgWriter::Escaped(uint32_t codePoint, std::string_view bytes) {
  switch (codePoint) {
    case '&':
      out_.Put("&amp;");
      return;
    case '<':
      out_.Put("&lt;");
      return;
    case '>':
      out_.Put("&gt;");
      return;
    case '"':
      out_.Put("&quot;");
      return;
    case '\'':
      out_.Put("&apos;");
      return;
    case '\n':
      out_.Put("&#10;");
      return;
    case 0xFFFE:
      out_.Put("\\uFFFE");
      return;
    case 0xFFFF:
      out_.Put("\\uFFFF");
      return;
    default:
      break;
  }
  if (Invisible(codePoint)) {
    std::string escape;
    AppendByteEscape(&escape, codePoint);
    out_.Put(escape);
    return;
  }
  out_.Put(bytes);
}

void SvgWriter::Text(std::string_view text) {
  size_t i = 0;
  while (i < text.size()) {
    char32_t codePoint = 0;
    const size_t length = Utf8CharacterAt(text, i, &codePoint);
    if (length == 0) {
      // Not UTF-8: the byte stands for the character of its number.
      codePoint = static_cast<uint8_t>(text[i]);
      std::string character;
      AppendUtf8(&character, codePoint);
      Escaped(codePoint, character);
      ++i;
      continue;
    }
    Escaped(codePoint, text.substr(i, length));
    i += length;
  }
}

void SvgWriter::OpenRect(int64_t x, int64_t y, int64_t width, int64_t height,
                         const char* cssClass) {
  out_.Put("<rect x=\"");
  Number(x);
  out_.Put("\" y=\"");
  Number(y);
  out_.Put("\" width=\"");
  Number(width);
  out_.Put("\" height=\"");
  Number(height);
  out_.Put("\" class=\"");
  out_.Put(cssClass);
  out_.PutChar('"');
}

void SvgWriter::Title(std::string_view text) {
  out_.Put("<title>");
  Text(text);
  out_.Put("</title>");
}

void SvgWriter::Label(int64_t x, int64_t y, const char* cssClass, std::string_view text) {
  out_.Put("<text x=\"");
  Number(x);
  out_.Put("\" y=\"");
  Number(y);
  out_.PutChar('"');
  if (*cssClass != '\0') {
    out_.Put(" class=\"");
    out_.Put(cssClass);
    out_.PutChar('"');
  }
  out_.PutChar('>');
  Text(text);
  out_.Put("</text>");
}

}  // namespace romscope
