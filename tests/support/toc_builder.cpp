#include "support/toc_builder.h"

#include <algorithm>

namespace romscope::testing {

void TocMemory::Put(uint32_t address, const Bytes& bytes) {
  // A run that passes 0xFFFFFFFF goes on at address 0.
  size_t first =
      static_cast<size_t>(std::min<uint64_t>(bytes.size(), (uint64_t{1} << 32) - address));
  const uint8_t* data = bytes.data();
  if (first > 0) writes_.push_back({address, Bytes(data, data + first)});
  if (first < bytes.size()) writes_.push_back({0, Bytes(data + first, data + bytes.size())});
}

void TocMemory::Put32(uint32_t address, uint32_t value) {
  Bytes bytes;
  AppendLe32(bytes, value);
  Put(address, bytes);
}

void TocMemory::PutString(uint32_t address, const std::string& text) {
  Bytes bytes = BytesOf(text);
  bytes.push_back(0);
  Put(address, bytes);
}

std::vector<std::pair<uint32_t, Bytes>> TocMemory::Extents() const {
  // The runs of consecutive addresses that the writes cover...
  std::vector<std::pair<uint64_t, uint64_t>> spans;
  for (const auto& [address, bytes] : writes_) {
    if (!bytes.empty()) spans.push_back({address, uint64_t{address} + bytes.size()});
  }
  std::sort(spans.begin(), spans.end());
  std::vector<std::pair<uint64_t, uint64_t>> runs;
  for (const auto& span : spans) {
    if (!runs.empty() && span.first <= runs.back().second) {
      runs.back().second = std::max(runs.back().second, span.second);
    } else {
      runs.push_back(span);
    }
  }
  // ...each filled with the writes in the order they were made.
  std::vector<std::pair<uint32_t, Bytes>> extents;
  extents.reserve(runs.size());
  for (const auto& run : runs)
    extents.push_back({static_cast<uint32_t>(run.first), Bytes(run.second - run.first)});
  for (const auto& [address, bytes] : writes_) {
    auto it = std::upper_bound(
        extents.begin(), extents.end(), address,
        [](uint32_t a, const std::pair<uint32_t, Bytes>& e) { return a < e.first; });
    if (bytes.empty() || it == extents.begin()) continue;
    --it;
    std::copy(bytes.begin(), bytes.end(), it->second.begin() + (address - it->first));
  }
  return extents;
}

Bytes EncodeRomHeader(const RomHeaderFields& h) {
  Bytes b;
  for (uint32_t v : {h.dllFirst, h.dllLast, h.physFirst, h.physLast, h.numModules, h.ramStart,
                     h.ramFree, h.ramEnd, h.numCopyEntries, h.copyEntriesOffset, h.uninterpreted28,
                     h.profSymbolOffset, h.numFiles, h.kernelFlags}) {
    AppendLe32(b, v);
  }
  for (int i = 0; i < 12; ++i) b.push_back(0xA5);  // 0x38..0x43: not interpreted
  AppendLe16(b, h.cpu);
  AppendLe16(b, h.miscFlags);
  AppendLe32(b, h.extensions);
  for (int i = 0; i < 8; ++i) b.push_back(0x5A);  // 0x4C..0x53: not interpreted
  return b;
}

namespace {

// Hands out consecutive, 4-aligned addresses in the data area; the padding
// is zeroed so that the area stays one run of bytes.
class Cursor {
 public:
  Cursor(TocMemory& memory, uint32_t at) : memory_(memory), at_(at) {}
  uint32_t Take(uint64_t size) {
    uint32_t here = at_;
    uint64_t end = uint64_t{at_} + size;
    uint64_t aligned = (end + 3) & ~uint64_t{3};
    if (aligned > end) memory_.Put(static_cast<uint32_t>(end), Bytes(aligned - end, 0));
    at_ = static_cast<uint32_t>(aligned);
    return here;
  }
  uint32_t At() const { return at_; }

 private:
  TocMemory& memory_;
  uint32_t at_;
};

Bytes EncodeE32(const ModuleSpec& m) {
  const E32Fields& e = m.e32;
  Bytes b;
  AppendLe16(b, e.objcnt.value_or(static_cast<uint16_t>(m.sections.size())));
  AppendLe16(b, e.imageflags);
  AppendLe32(b, e.entryrva);
  AppendLe32(b, e.vbase);
  AppendLe16(b, e.subsysmajor);
  AppendLe16(b, e.subsysminor);
  AppendLe32(b, e.stackmax);
  AppendLe32(b, e.vsize);
  for (int i = 0; i < 8; ++i) b.push_back(0xEE);
  AppendLe32(b, e.timestamp);
  while (b.size() < 112) b.push_back(0xEE);
  return b;
}

Bytes EncodeO32(const O32Fields& o) {
  Bytes b;
  for (uint32_t v : {o.vsize, o.rva, o.psize, o.dataptr, o.realaddr, o.flags}) AppendLe32(b, v);
  return b;
}

void PutName(TocMemory& memory, uint32_t address, const Bytes& raw, const std::string& name) {
  Bytes field = raw;
  if (field.empty()) {
    field = BytesOf(name.substr(0, 24));
    field.resize(24, 0);
  }
  memory.Put(address, field);
}

}  // namespace

TocBuilder::Placement TocBuilder::Build(TocMemory& memory) const {
  Placement placed;
  RomHeaderFields h = header;
  const uint32_t moduleTable = pTOC_ + 84;
  const uint32_t fileTable = moduleTable + 32 * static_cast<uint32_t>(modules.size());
  Cursor data(memory, dataStart.value_or(fileTable + 28 * static_cast<uint32_t>(files.size())));

  for (size_t i = 0; i < modules.size(); ++i) {
    const ModuleSpec& m = modules[i];
    uint32_t name = m.nameOffset.value_or(0);
    if (!m.nameOffset) {
      name = data.Take(m.name.size() + 1);
      memory.PutString(name, m.name);
    }
    uint32_t e32 = m.e32Offset.value_or(0xFFFFF000u);
    if (m.placeE32) {
      if (!m.e32Offset) e32 = data.Take(112);
      memory.Put(e32, EncodeE32(m));
    }
    uint32_t o32 = m.o32Offset.value_or(0);
    if (!m.o32Offset) o32 = data.Take(24 * m.sections.size());
    for (size_t j = 0; j < m.sections.size(); ++j) {
      memory.Put(static_cast<uint32_t>(o32 + 24 * j), EncodeO32(m.sections[j]));
    }
    Bytes entry;
    AppendLe32(entry, m.attributes);
    AppendLe32(entry, static_cast<uint32_t>(m.fileTime));
    AppendLe32(entry, static_cast<uint32_t>(m.fileTime >> 32));
    for (uint32_t v : {m.size, name, e32, o32, m.loadOffset}) AppendLe32(entry, v);
    memory.Put(static_cast<uint32_t>(moduleTable + 32 * i), entry);
    placed.moduleNames.push_back(name);
    placed.e32s.push_back(e32);
    placed.o32s.push_back(o32);
  }

  for (size_t i = 0; i < files.size(); ++i) {
    const FileSpec& f = files[i];
    uint32_t name = f.nameOffset.value_or(0);
    if (!f.nameOffset) {
      name = data.Take(f.name.size() + 1);
      memory.PutString(name, f.name);
    }
    Bytes entry;
    AppendLe32(entry, f.attributes);
    AppendLe32(entry, static_cast<uint32_t>(f.fileTime));
    AppendLe32(entry, static_cast<uint32_t>(f.fileTime >> 32));
    for (uint32_t v : {f.size, f.storedSize, name, f.loadOffset}) AppendLe32(entry, v);
    memory.Put(static_cast<uint32_t>(fileTable + 28 * i), entry);
    placed.fileNames.push_back(name);
  }

  if (!copies.empty()) {
    uint32_t table = data.Take(16 * copies.size());
    for (size_t i = 0; i < copies.size(); ++i) {
      Bytes entry;
      for (uint32_t v : {copies[i].src, copies[i].dest, copies[i].clen, copies[i].dlen}) {
        AppendLe32(entry, v);
      }
      memory.Put(static_cast<uint32_t>(table + 16 * i), entry);
    }
    if (!keepCounts) h.numCopyEntries = static_cast<uint32_t>(copies.size());
    if (h.copyEntriesOffset == 0) h.copyEntriesOffset = table;
  }

  if (!profiles.empty()) {
    uint32_t table = profileAddress.value_or(0);
    if (!profileAddress) table = data.Take(32 * profiles.size());
    for (size_t i = 0; i < profiles.size(); ++i) {
      const ProfileSpec& p = profiles[i];
      uint32_t hitsAt = p.hitsAt.value_or(0);
      if (!p.hitsAt) hitsAt = data.Take(8 * p.hits.size());
      for (size_t k = 0; k < p.hits.size(); ++k) {
        memory.Put32(static_cast<uint32_t>(hitsAt + 8 * k), p.hits[k]);
        memory.Put32(static_cast<uint32_t>(hitsAt + 8 * k + 4), 0xCCCCCCCC);
      }
      size_t namesSize = 0;
      for (const std::string& name : p.names) namesSize += name.size() + 1;
      uint32_t names = p.symAddr.value_or(0);
      if (!p.symAddr) names = data.Take(namesSize);
      uint32_t at = names;
      for (const std::string& name : p.names) {
        memory.PutString(at, name);
        at += static_cast<uint32_t>(name.size() + 1);
      }
      Bytes entry;
      for (uint32_t v : {p.modA, p.modB, p.startAddr, p.endAddr, 0xDDDDDDDDu,
                         p.numsyms.value_or(static_cast<uint32_t>(p.hits.size())),
                         p.hitAddr.value_or(hitsAt), names}) {
        AppendLe32(entry, v);
      }
      memory.Put(static_cast<uint32_t>(table + 32 * i), entry);
      placed.hitTables.push_back(hitsAt);
      placed.nameLists.push_back(names);
    }
    if (h.profSymbolOffset == 0) h.profSymbolOffset = table;
  }

  if (withExtensions) {
    std::vector<uint32_t> records{data.Take(44)};
    for (size_t i = 0; i < extensions.size(); ++i) records.push_back(data.Take(44));
    for (size_t i = 0; i < records.size(); ++i) {
      uint32_t next = i + 1 < records.size() ? records[i + 1] : 0;
      memory.Put32(records[i] + 40, next);
    }
    for (size_t i = 0; i < 10; ++i) {
      memory.Put32(static_cast<uint32_t>(records[0] + 4 * i), i < pids.size() ? pids[i] : 0);
    }
    for (size_t i = 0; i < extensions.size(); ++i) {
      const ExtensionSpec& x = extensions[i];
      uint32_t record = records[i + 1];
      uint32_t length = x.length.value_or(static_cast<uint32_t>(16 * x.entries.size()));
      uint32_t pData = x.pData.value_or(0);
      if (!x.pData) pData = data.Take(16 * x.entries.size());
      for (size_t k = 0; k < x.entries.size(); ++k) {
        const ChainEntryFields& c = x.entries[k];
        Bytes entry;
        AppendLe32(entry, c.addr);
        AppendLe32(entry, c.maxLength);
        AppendLe16(entry, c.order);
        AppendLe16(entry, c.flags);
        AppendLe32(entry, c.reserved);
        memory.Put(static_cast<uint32_t>(pData + 16 * k), entry);
      }
      PutName(memory, record, x.rawName, x.name);
      memory.Put32(record + 24, x.type);
      memory.Put32(record + 28, pData);
      memory.Put32(record + 32, length);
      memory.Put32(record + 36, x.reserved);
    }
    placed.extensionRecords = records;
    if (h.extensions == 0) h.extensions = records[0];
  }

  if (!keepCounts) {
    h.numModules = static_cast<uint32_t>(modules.size());
    h.numFiles = static_cast<uint32_t>(files.size());
  }
  placed.dataEnd = std::max(data.At(), fileTable + 28 * static_cast<uint32_t>(files.size()));
  if (!keepPhys) {
    h.physFirst = pTOC_;
    h.physLast = placed.dataEnd;
  }
  memory.Put(pTOC_, EncodeRomHeader(h));
  placed.header = h;
  return placed;
}

void AddTocRecords(BinBuilder& bin, const TocMemory& memory, uint32_t pTOC, uint32_t romOffset,
                   uint32_t signatureRecordAddress, uint32_t maxRecord, bool signatureFirst) {
  Bytes signature;
  AppendLe32(signature, kRomSignatureWord);
  AppendLe32(signature, pTOC);
  if (signatureFirst) bin.Record(signatureRecordAddress, signature);
  for (const auto& [start, bytes] : memory.Extents()) {
    size_t at = 0;
    while (at < bytes.size()) {
      uint32_t address = static_cast<uint32_t>(start + at);
      size_t size = std::min<size_t>(maxRecord, bytes.size() - at);
      // The header is a record of exactly its 84 bytes.
      if (address == pTOC) {
        size = std::min<size_t>(84, bytes.size() - at);
      } else if (address < pTOC && uint64_t{address} + size > pTOC) {
        size = pTOC - address;
      }
      bin.Record(address + romOffset, Bytes(bytes.data() + at, bytes.data() + at + size));
      at += size;
    }
  }
  if (!signatureFirst) bin.Record(signatureRecordAddress, signature);
}

Bytes SingleTocImage(const TocBuilder& toc, uint32_t romOffset,
                     const std::vector<std::pair<uint32_t, Bytes>>& extra) {
  TocMemory memory;
  TocBuilder::Placement placed = toc.Build(memory);
  const RomHeaderFields& h = placed.header;
  BinBuilder bin;
  bin.Header(h.physFirst + romOffset, h.physLast - h.physFirst);
  AddTocRecords(bin, memory, toc.pTOC(), romOffset,
                ((placed.dataEnd + 0x100) & ~0xFFu) + romOffset);
  for (const auto& [address, bytes] : extra) bin.Record(address + romOffset, bytes);
  bin.Terminator(h.physFirst + romOffset);
  return bin.Build();
}

Bytes SignatureRecordData(uint32_t pTOC) {
  Bytes bytes = BytesOf("KRKR");
  AppendLe32(bytes, pTOC);
  return bytes;
}

Bytes CandidateHeader(uint32_t physFirst, uint32_t physLast, uint32_t dllFirst, uint32_t dllLast,
                      uint16_t cpu) {
  RomHeaderFields h;
  h.physFirst = physFirst, h.physLast = physLast, h.dllFirst = dllFirst, h.dllLast = dllLast;
  h.cpu = cpu;
  return EncodeRomHeader(h);
}

uint64_t FileTimeOf(int year, int month, int day, int hour, int minute, int second) {
  // Days from 1 January 1601 in the proleptic Gregorian calendar.
  int64_t y = year - (month <= 2 ? 1 : 0);
  int64_t era = (y >= 0 ? y : y - 399) / 400;
  int64_t yoe = y - era * 400;
  int64_t doy = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  int64_t daysFrom0000 = era * 146097 + doe;                    // from 1 March of year 0
  const int64_t k1601 = 1600 / 400 * 146097 + (365 * 0) + 306;  // 1 January 1601
  int64_t days = daysFrom0000 - k1601;
  int64_t seconds = days * 86400 + int64_t{hour} * 3600 + int64_t{minute} * 60 + second;
  return static_cast<uint64_t>(seconds) * 10000000ull;
}

}  // namespace romscope::testing
