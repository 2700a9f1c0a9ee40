#include "rom/json_structures.h"

namespace romscope {
namespace {

// A file time beside its reading: the raw 64-bit value as a decimal string
// (it may pass 2^53), and the date.
void FileTime(JsonStream& json, uint64_t fileTime) {
  json.Member("ftTime", FileTimeRaw(fileTime));
  json.Member("ftTimeUtc", FileTimeUtc(fileTime));
}

}  // namespace

void WriteJson(JsonStream& json, const ROMHDR& h) {
  json.BeginObject();
  json.Number("ulDllFirst", h.ulDllFirst);
  json.Number("ulDllLast", h.ulDllLast);
  json.Number("ulPhysFirst", h.ulPhysFirst);
  json.Number("ulPhysLast", h.ulPhysLast);
  json.Number("ulNumModules", h.ulNumModules);
  json.Number("ulRamStart", h.ulRamStart);
  json.Number("ulRamFree", h.ulRamFree);
  json.Number("ulRamEnd", h.ulRamEnd);
  json.Number("ulNumCopyEntries", h.ulNumCopyEntries);
  json.Number("ulCopyEntriesOffset", h.ulCopyEntriesOffset);
  json.Number("ulProfSymbolOffset", h.ulProfSymbolOffset);
  json.Number("ulNumFiles", h.ulNumFiles);
  json.Number("ulKernelFlags", h.ulKernelFlags);
  json.Number("usCpu", h.usCpu);
  const char* cpu = CpuName(h.usCpu);
  if (cpu != nullptr) {
    json.String("cpuName", cpu);
  } else {
    json.Null("cpuName");
  }
  json.Number("usMiscFlags", h.usMiscFlags);
  json.Number("ulExtensions", h.ulExtensions);
  json.EndObject();
}

void WriteJson(JsonStream& json, const ExtensionRecord& r) {
  json.BeginObject();
  json.Key("Name");
  json.Text().clear();
  AppendLatin1(&json.Text(), r.Name, r.NameLength());
  json.TextValue();
  json.Number("Type", r.Type);
  json.Number("pData", r.pData);
  json.Number("Length", r.Length);
  json.Number("Reserved", r.Reserved);
  json.Number("Next", r.Next);
  json.EndObject();
}

void WriteJsonMembers(JsonStream& json, const ChainEntry& e) {
  json.Number("Addr", e.Addr);
  json.Number("MaxLenth", e.MaxLenth);
  json.Number("Order", e.Order);
  json.Number("Flags", e.Flags);
  json.Number("reserved", e.reserved);
}

void WriteJsonMembers(JsonStream& json, const CopyEntry& e) {
  json.Number("Src", e.Src);
  json.Number("Dest", e.Dest);
  json.Number("CLen", e.CLen);
  json.Number("DLen", e.DLen);
}

void WriteJson(JsonStream& json, const TOCentry& e) {
  json.BeginObject();
  json.Number("dwFileAttributes", e.dwFileAttributes);
  FileTime(json, e.ftTime);
  json.Number("nFileSize", e.nFileSize);
  json.Number("ulNameOffset", e.ulNameOffset);
  json.Number("ulE32Offset", e.ulE32Offset);
  json.Number("ulO32Offset", e.ulO32Offset);
  json.Number("ulLoadOffset", e.ulLoadOffset);
  json.EndObject();
}

void WriteJson(JsonStream& json, const e32_rom& e) {
  json.BeginObject();
  json.Number("e32_objcnt", e.e32_objcnt);
  json.Number("e32_imageflags", e.e32_imageflags);
  json.Number("e32_entryrva", e.e32_entryrva);
  json.Number("e32_vbase", e.e32_vbase);
  json.Number("e32_subsysmajor", e.e32_subsysmajor);
  json.Number("e32_subsysminor", e.e32_subsysminor);
  json.Number("e32_stackmax", e.e32_stackmax);
  json.Number("e32_vsize", e.e32_vsize);
  json.Number("e32_timestamp", e.e32_timestamp);
  json.EndObject();
}

void WriteJson(JsonStream& json, const o32_rom& o) {
  json.BeginObject();
  json.Number("o32_vsize", o.o32_vsize);
  json.Number("o32_rva", o.o32_rva);
  json.Number("o32_psize", o.o32_psize);
  json.Number("o32_dataptr", o.o32_dataptr);
  json.Number("o32_realaddr", o.o32_realaddr);
  json.Number("o32_flags", o.o32_flags);
  json.EndObject();
}

void WriteJson(JsonStream& json, const FileEntry& f) {
  json.BeginObject();
  json.Number("dwFileAttributes", f.dwFileAttributes);
  FileTime(json, f.ftTime);
  json.Number("nFileSize", f.nFileSize);
  json.Number("nStoredSize", f.nStoredSize);
  json.Number("ulNameOffset", f.ulNameOffset);
  json.Number("ulLoadOffset", f.ulLoadOffset);
  json.EndObject();
}

void WriteJson(JsonStream& json, const ProfileEntry& e) {
  json.BeginObject();
  json.Number("ModA", e.ModA);
  json.Number("ModB", e.ModB);
  json.Number("StartAddr", e.StartAddr);
  json.Number("EndAddr", e.EndAddr);
  json.Number("numsyms", e.numsyms);
  json.Number("HitAddr", e.HitAddr);
  json.Number("SymAddr", e.SymAddr);
  json.EndObject();
}

}  // namespace romscope
