// The module, file and profile entries of the JSON document.
#include "report/catalogue.h"
#include "report/json/json_fields.h"
#include "report/json/json_printer.h"

namespace romscope {

// A module's or file's name, or null when it could not be read.
void JsonPrinter::Name(const ItemName& name) {
  json_.Key("name");
  if (name.readable) {
    json_.Latin1(reinterpret_cast<const uint8_t*>(name.text.data()), name.text.size());
  } else {
    json_.Null();
  }
}

void JsonPrinter::Module(const ModuleItem& module) {
  json_.BeginObject();
  json_.Number("index", module.index);
  Name(module.name);
  json_.Key("TOCentry");
  WriteObject(json_, module.entry);
  json_.Key("e32_rom");
  if (module.e32) {
    WriteObject(json_, *module.e32);
    json_.Key("sections");
    json_.BeginArray();
    for (size_t j = 0; j < module.sections.size(); ++j) {
      const SectionItem& section = module.sections[j];
      json_.BeginObject();
      json_.Number("index", j);
      json_.Number("address", section.address);
      json_.Key("o32_rom");
      if (section.o32) {
        WriteObject(json_, *section.o32);
      } else {
        json_.Null();
      }
      WriteProblems(section.problems);
      json_.EndObject();
    }
    json_.EndArray();
  } else {
    json_.Null();
    json_.Null("sections");
  }
  WriteProblems(module.problems);
  json_.EndObject();
}

void JsonPrinter::File(const FileItem& file) {
  json_.BeginObject();
  json_.Number("index", file.index);
  Name(file.name);
  json_.Key("FileEntry");
  WriteObject(json_, file.entry);
  json_.String("attributeLetters", AttributeLetters(file.entry.dwFileAttributes));
  json_.Number("romSize", file.entry.RomSize());
  if (file.inRecordSpace) {
    json_.Boolean("inRecordSpace", *file.inRecordSpace);
  } else {
    json_.Null("inRecordSpace");
  }
  WriteProblems(file.problems);
  json_.EndObject();
}

void JsonPrinter::Profile(const ProfileItem& profile) {
  json_.BeginObject();
  json_.Number("index", profile.index);
  json_.Key("ProfileEntry");
  WriteObject(json_, profile.entry);
  json_.Number("hitTableAddress", profile.hitTableAddress);
  json_.Key("symbols");
  if (profile.hitTableRead) {
    json_.BeginArray();
  } else {
    json_.Null();
  }
}

void JsonPrinter::OpenSymbol(const SymbolItem& symbol) {
  json_.BeginObject();
  json_.Number("index", symbol.index);
  json_.Number("value", symbol.value);
  json_.Key("name");
  json_.BeginString();
}

// A name is written as it comes, so that a name of any length costs no memory.
void JsonPrinter::SymbolName(const SymbolItem& symbol, uint64_t offset, const uint8_t* bytes,
                             size_t size) {
  if (offset == 0) OpenSymbol(symbol);
  json_.Latin1Piece(bytes, size);
}

void JsonPrinter::Symbol(const SymbolItem& symbol) {
  // An empty name had no piece to open the symbol.
  if (symbol.nameLength == 0) OpenSymbol(symbol);
  json_.EndString();
  WriteProblems(symbol.problems);
  json_.EndObject();
}

}  // namespace romscope
