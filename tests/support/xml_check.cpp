#include "support/xml_check.h"

#include <cstdint>

namespace romscope::testing {

std::string XmlElement::Attribute(std::string_view attribute) const {
  for (const auto& [name, value] : attributes) {
    if (name == attribute) return value;
  }
  return {};
}

namespace {

bool IsXmlChar(uint32_t c) {
  return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) ||
         (c >= 0xE000 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0x10FFFF);
}

bool IsNameStart(uint32_t c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c == ':' || c >= 0xC0;
}

bool IsNameChar(uint32_t c) {
  return IsNameStart(c) || (c >= '0' && c <= '9') || c == '-' || c == '.' || c == 0xB7;
}

void AppendUtf8(std::string* out, uint32_t c) {
  if (c < 0x80) {
    out->push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out->push_back(static_cast<char>(0xC0 | (c >> 6)));
    out->push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out->push_back(static_cast<char>(0xE0 | (c >> 12)));
    out->push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out->push_back(static_cast<char>(0xF0 | (c >> 18)));
    out->push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

class Parser {
 public:
  explicit Parser(std::string_view text) : t_(text) {}

  XmlDocument Run() {
    if (!CheckCharacters()) return Done();
    if (t_.substr(0, 5) == "<?xml") {
      if (!SkipPast("?>")) return Fail("unterminated XML declaration");
    }
    if (!Misc()) return Done();
    if (!Peek('<')) return Fail("no root element");
    if (!Element()) return Done();
    if (!Misc()) return Done();
    if (at_ != t_.size()) return Fail("content after the root element");
    return Done();
  }

 private:
  XmlDocument Done() { return std::move(doc_); }
  XmlDocument Fail(const char* what) {
    SetError(what);
    return Done();
  }
  bool SetError(const char* what) {
    if (doc_.error.empty()) {
      doc_.error = what;
      doc_.errorOffset = at_;
    }
    return false;
  }
  bool Peek(char c) const { return at_ < t_.size() && t_[at_] == c; }
  bool Starts(std::string_view s) const { return t_.substr(at_, s.size()) == s; }
  bool SkipPast(std::string_view s) {
    const size_t found = t_.find(s, at_);
    if (found == std::string_view::npos) return false;
    at_ = found + s.size();
    return true;
  }
  void Spaces() {
    while (at_ < t_.size() &&
           (t_[at_] == ' ' || t_[at_] == '\t' || t_[at_] == '\n' || t_[at_] == '\r')) {
      ++at_;
    }
  }

  // Decodes the character at `i` (the text is UTF-8, checked first).
  uint32_t CharAt(size_t i, size_t* length) const {
    const auto b = [&](size_t k) { return static_cast<uint8_t>(t_[k]); };
    const uint8_t lead = b(i);
    if (lead < 0x80) {
      *length = 1;
      return lead;
    }
    const size_t n = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
    uint32_t c = lead & (0x7F >> n);
    for (size_t k = 1; k < n; ++k) c = (c << 6) | (b(i + k) & 0x3F);
    *length = n;
    return c;
  }

  bool CheckCharacters() {
    for (at_ = 0; at_ < t_.size();) {
      const auto lead = static_cast<uint8_t>(t_[at_]);
      size_t n = 0;
      uint32_t least = 0;
      if (lead < 0x80) {
        n = 1;
      } else if (lead >= 0xC2 && lead <= 0xDF) {
        n = 2, least = 0x80;
      } else if (lead >= 0xE0 && lead <= 0xEF) {
        n = 3, least = 0x800;
      } else if (lead >= 0xF0 && lead <= 0xF4) {
        n = 4, least = 0x10000;
      } else {
        return SetError("not UTF-8");
      }
      if (t_.size() - at_ < n) return SetError("not UTF-8");
      for (size_t k = 1; k < n; ++k) {
        if ((static_cast<uint8_t>(t_[at_ + k]) & 0xC0) != 0x80) return SetError("not UTF-8");
      }
      size_t length = 0;
      const uint32_t c = CharAt(at_, &length);
      if (c < least || !IsXmlChar(c)) return SetError("a character XML 1.0 forbids");
      at_ += n;
    }
    at_ = 0;
    return true;
  }

  bool Name(std::string* name) {
    size_t length = 0;
    if (at_ >= t_.size() || !IsNameStart(CharAt(at_, &length))) return SetError("bad name");
    const size_t start = at_;
    while (at_ < t_.size() && IsNameChar(CharAt(at_, &length))) at_ += length;
    *name = std::string(t_.substr(start, at_ - start));
    return true;
  }

  // A reference after '&', appended decoded to `out`.
  bool Reference(std::string* out) {
    const size_t end = t_.find(';', at_);
    if (end == std::string_view::npos || end - at_ > 12) return SetError("bad reference");
    const std::string_view ref = t_.substr(at_, end - at_);
    at_ = end + 1;
    static constexpr std::pair<const char*, char> kNamed[] = {
        {"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"quot", '"'}, {"apos", '\''}};
    for (const auto& [name, c] : kNamed) {
      if (ref == name) {
        out->push_back(c);
        return true;
      }
    }
    if (ref.size() < 2 || ref[0] != '#') return SetError("unknown entity");
    const bool hex = ref[1] == 'x';
    const std::string_view digits = ref.substr(hex ? 2 : 1);
    if (digits.empty()) return SetError("bad character reference");
    uint32_t c = 0;
    for (const char d : digits) {
      uint32_t v = 0;
      if (d >= '0' && d <= '9') {
        v = static_cast<uint32_t>(d - '0');
      } else if (hex && d >= 'a' && d <= 'f') {
        v = static_cast<uint32_t>(d - 'a' + 10);
      } else if (hex && d >= 'A' && d <= 'F') {
        v = static_cast<uint32_t>(d - 'A' + 10);
      } else {
        return SetError("bad character reference");
      }
      c = c * (hex ? 16 : 10) + v;
      if (c > 0x10FFFF) return SetError("bad character reference");
    }
    if (!IsXmlChar(c)) return SetError("a character reference XML 1.0 forbids");
    AppendUtf8(out, c);
    return true;
  }

  bool Attributes(XmlElement* element) {
    while (true) {
      const size_t before = at_;
      Spaces();
      if (Peek('/') || Peek('>')) return true;
      if (at_ == before) return SetError("no space before an attribute");
      std::string name;
      if (!Name(&name)) return false;
      Spaces();
      if (!Peek('=')) return SetError("no = after an attribute name");
      ++at_;
      Spaces();
      if (!Peek('"') && !Peek('\'')) return SetError("an attribute value without quotes");
      const char quote = t_[at_++];
      std::string value;
      while (at_ < t_.size() && t_[at_] != quote) {
        if (t_[at_] == '<') return SetError("< in an attribute value");
        if (t_[at_] == '&') {
          ++at_;
          if (!Reference(&value)) return false;
        } else {
          value.push_back(t_[at_++]);
        }
      }
      if (at_ == t_.size()) return SetError("unterminated attribute value");
      ++at_;
      for (const auto& [other, unused] : element->attributes) {
        if (other == name) return SetError("an attribute given twice");
      }
      element->attributes.emplace_back(std::move(name), std::move(value));
    }
  }

  // Comments and processing instructions (what may stand beside the root too).
  bool Special(bool* taken) {
    *taken = true;
    if (Starts("<!--")) {
      at_ += 4;
      const size_t end = t_.find("--", at_);
      if (end == std::string_view::npos || t_.substr(end, 3) != "-->") {
        return SetError("bad comment");
      }
      at_ = end + 3;
      return true;
    }
    if (Starts("<?")) {
      if (Starts("<?xml") && (at_ + 5 >= t_.size() || t_[at_ + 5] == ' ')) {
        return SetError("XML declaration not at the start");
      }
      if (!SkipPast("?>")) return SetError("unterminated processing instruction");
      return true;
    }
    if (Starts("<!")) return SetError("a declaration (no DTD is accepted)");
    *taken = false;
    return true;
  }

  bool Misc() {
    while (true) {
      Spaces();
      bool taken = false;
      if (!Special(&taken)) return false;
      if (!taken) return true;
    }
  }

  // The start tag at '<'; its element is added under `parent` (the root
  // under none). *empty: it was an empty-element tag.
  bool StartTag(size_t parent, bool* empty) {
    ++at_;  // '<'
    const size_t index = doc_.elements.size();
    doc_.elements.emplace_back();
    doc_.elements[index].parent = index == 0 ? 0 : parent;
    if (index != 0) doc_.elements[parent].children.push_back(index);
    std::string name;
    if (!Name(&name) || !Attributes(&doc_.elements[index])) return false;
    doc_.elements[index].name = name;
    *empty = Starts("/>");
    if (!*empty && !Peek('>')) return SetError("bad start tag");
    at_ += *empty ? 2 : 1;
    return true;
  }

  bool EndTag(size_t index) {
    at_ += 2;  // "</"
    std::string closing;
    if (!Name(&closing)) return false;
    if (closing != doc_.elements[index].name) return SetError("an end tag that does not match");
    Spaces();
    if (!Peek('>')) return SetError("bad end tag");
    ++at_;
    return true;
  }

  // One step inside the element `index`: character data, a reference, a
  // CDATA section, a comment or processing instruction.
  bool Text(size_t index) {
    std::string& text = doc_.elements[index].text;
    if (Starts("<![CDATA[")) {
      at_ += 9;
      const size_t end = t_.find("]]>", at_);
      if (end == std::string_view::npos) return SetError("unterminated CDATA section");
      text.append(t_.substr(at_, end - at_));
      at_ = end + 3;
      return true;
    }
    bool taken = false;
    if (!Special(&taken) || taken) return taken;
    if (Peek('&')) {
      ++at_;
      return Reference(&text);
    }
    if (Starts("]]>")) return SetError("]]> in character data");
    text.push_back(t_[at_++]);
    return true;
  }

  // The root element and everything in it, the open elements on a stack.
  bool Element() {
    bool empty = false;
    if (!StartTag(0, &empty)) return false;
    std::vector<size_t> open;
    if (!empty) open.push_back(0);
    while (!open.empty()) {
      if (at_ >= t_.size()) return SetError("unterminated element");
      const size_t index = open.back();
      if (Starts("</")) {
        if (!EndTag(index)) return false;
        open.pop_back();
      } else if (Peek('<') && !Starts("<!") && !Starts("<?")) {
        if (open.size() >= kMaxDepth) return SetError("elements nested too deep");
        const size_t child = doc_.elements.size();
        if (!StartTag(index, &empty)) return false;
        if (!empty) open.push_back(child);
      } else if (!Text(index)) {
        return false;
      }
    }
    return true;
  }

  static constexpr size_t kMaxDepth = 256;
  std::string_view t_;
  size_t at_ = 0;
  XmlDocument doc_;
};

}  // namespace

XmlDocument ParseXml(std::string_view text) {
  return Parser(text).Run();
}

}  // namespace romscope::testing
