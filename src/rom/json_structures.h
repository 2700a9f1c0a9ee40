// The decoded structures as JSON objects: each field under the name it has
// in the image's structure, in the structure's order, as a raw number; an
// interpretation (a processor name, a date) stands beside the field it reads.
#pragma once

#include "rom/json_stream.h"
#include "rom/model.h"

namespace romscope {

void WriteJson(JsonStream& json, const ROMHDR& h);
void WriteJson(JsonStream& json, const ExtensionRecord& r);
void WriteJson(JsonStream& json, const TOCentry& e);
void WriteJson(JsonStream& json, const e32_rom& e);
void WriteJson(JsonStream& json, const o32_rom& o);
void WriteJson(JsonStream& json, const FileEntry& f);
void WriteJson(JsonStream& json, const ProfileEntry& e);
// The members alone, for an object that has members of its own too.
void WriteJsonMembers(JsonStream& json, const ChainEntry& e);
void WriteJsonMembers(JsonStream& json, const CopyEntry& e);

// A structure that may be missing: the object, or null.
template <typename T>
void WriteJsonOrNull(JsonStream& json, const T* value) {
  if (value == nullptr) {
    json.Null();
  } else {
    WriteJson(json, *value);
  }
}

}  // namespace romscope
