#include "report/export/extract_listing.h"

#include "base/format.h"
#include "base/text.h"
#include "report/catalogue_export.h"
#include "report/json/json_writer.h"

namespace romscope {
namespace {

// The image's name between quotes: '"' and '\' escaped, control characters
// as \xHH, every other byte the character of the same number.
std::string QuotedName(const std::string& name) {
  std::string text = "\"";
  for (const char c : name) {
    const auto byte = static_cast<uint8_t>(c);
    if (c == '"' || c == '\\') {
      text += '\\';
      text += c;
    } else if (byte < 0x20 || (byte >= 0x7F && byte <= 0x9F)) {
      char escape[4] = {'\\', 'x'};
      PutHexByte(escape + 2, byte);
      text.append(escape, 4);
    } else {
      AppendLatin1(&text, &byte, 1);
    }
  }
  return text + "\"";
}

class TextListing : public ExtractListing {
 public:
  explicit TextListing(Writer& out) : out_(out) {}
  void Begin(const std::string&, const std::string&) override {}
  void End(const std::string&) override {}

  void Entry(const ExtractEntry& e) override {
    std::string line = StatusWord(e.status);
    line += ' ';
    line += e.path;
    line += ' ';
    line += QuotedName(e.name);
    line += ' ';
    line += WhatText(e);
    const char* separator = "; renamed: ";
    for (NameChange change : kNameChanges) {
      if ((e.changes & change) == 0) continue;
      line += separator;
      line += NameChangeText(change);
      separator = ", ";
    }
    const std::string reason = ReasonText(e);
    if (!reason.empty()) line += "; " + reason;
    line += '\n';
    out_.Put(line);
  }

 private:
  Writer& out_;
};

class JsonListing : public ExtractListing {
 public:
  explicit JsonListing(Writer& out) : json_(out) {}

  void Begin(const std::string& file, const std::string& folder) override {
    json_.BeginObject();
    json_.String("format", "romscope-extract");
    json_.Number("version", 1);
    json_.String("file", CommandLineText(file));
    json_.String("folder", CommandLineText(folder));
    json_.Key("entries");
    json_.BeginArray();
  }

  void Entry(const ExtractEntry& e) override {
    ++counts_[e.status];
    json_.BeginObject();
    json_.Number("toc", e.toc);
    json_.String("kind", KindWord(e.kind));
    json_.Number("index", e.item);
    const bool sections = e.kind == ExtractEntry::kSection || e.kind == ExtractEntry::kSections;
    json_.Key("section");
    if (sections) {
      json_.Number(e.section);
    } else {
      json_.Null();
    }
    // Only a run says how many sections it stands for: the other entries keep
    // the members they always had.
    if (e.kind == ExtractEntry::kSections) json_.Number("count", e.count);
    json_.Key("name");
    json_.Latin1(reinterpret_cast<const uint8_t*>(e.name.data()), e.name.size());
    json_.Boolean("compressed", e.compressed);
    json_.Number("address", e.address);
    json_.Number("size", e.size);
    json_.String("path", e.path);
    json_.Key("changes");
    json_.BeginArray();
    for (NameChange change : kNameChanges) {
      if ((e.changes & change) != 0) json_.String(NameChangeKind(change));
    }
    json_.EndArray();
    json_.String("status", StatusWord(e.status));
    json_.Key("reason");
    const std::string reason = ReasonText(e);
    if (reason.empty()) {
      json_.Null();
    } else {
      json_.String(reason);
    }
    json_.EndObject();
  }

  void End(const std::string& error) override {
    json_.EndArray();
    json_.Number("written", counts_[ExtractEntry::kWritten]);
    json_.Number("skipped", counts_[ExtractEntry::kSkipped]);
    json_.Number("failed", counts_[ExtractEntry::kFailed]);
    json_.Key("error");
    if (error.empty()) {
      json_.Null();
    } else {
      json_.String(error);
    }
    json_.EndObject();
    json_.Finish();
  }

 private:
  JsonWriter json_;
  uint64_t counts_[3] = {};
};

}  // namespace

std::unique_ptr<ExtractListing> MakeTextListing(Writer& out) {
  return std::make_unique<TextListing>(out);
}

std::unique_ptr<ExtractListing> MakeJsonListing(Writer& out) {
  return std::make_unique<JsonListing>(out);
}

}  // namespace romscope
