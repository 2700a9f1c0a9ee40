// A small, strict XML 1.0 well-formedness check for the documents the tool
// writes (the -map picture), used by the tests and the fuzz runs only. It
// knows no DTD: a document type declaration is refused, and only the five
// predefined entities and character references are accepted. What it reads
// it keeps as a flat list of elements, so that tests can look at the shapes.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace romscope::testing {

struct XmlElement {
  std::string name;
  std::vector<std::pair<std::string, std::string>> attributes;  // values decoded
  std::string text;   // its own character data, decoded, children's left out
  size_t parent = 0;  // index in the list; the root is its own parent
  std::vector<size_t> children;

  // The attribute's value, or empty.
  std::string Attribute(std::string_view attribute) const;
};

struct XmlDocument {
  std::vector<XmlElement> elements;  // in document order; the root first
  std::string error;                 // empty when the document is well-formed
  size_t errorOffset = 0;
};

XmlDocument ParseXml(std::string_view text);

}  // namespace romscope::testing
