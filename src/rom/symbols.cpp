// The profiling symbol section: each module's profile entry, and for each of
// its symbols the value from its hit table and its name.
#include <cstring>

#include "rom/toc_report.h"

namespace romscope {
namespace {

// No name is longer than the address space; past that the walk has wrapped.
constexpr uint64_t kLongestName = uint64_t{1} << 32;

}  // namespace

void TocReport::ReadSymbols(const SavedHeader& saved, const ProfileLocation& profile) {
  const TableItem table =
      ReadTable(TableItem::kProfiles, profile.address, saved.ulNumModules, kProfileEntrySize);
  consumer_.Table(table);
  Reached(kProfilesSection, table.problems);
  if (hitTable_.empty()) hitTable_.resize(ImageReader::kMaxRead);
  // The profile entries stay in the scratch buffer while each module's hit
  // table is read into a buffer of its own.
  for (uint32_t i = 0; table.readable && i < table.count && !stop_.Stopped(); ++i) {
    const ProfileEntry entry =
        DecodeAt<ProfileEntry>(scratch_ + static_cast<size_t>(ProfileEntry::kSize) * i);
    ProfileItem item;
    item.index = i;
    item.entry = entry;
    ReadProfile(item, profile);
  }
  CloseTable(table);
}

void TocReport::ReadProfile(ProfileItem& item, const ProfileLocation& profile) {
  const uint32_t numsyms = item.entry.numsyms;
  // The hit table moved with the profiling table; the names did not.
  item.hitTableAddress = item.entry.HitAddr + profile.delta;
  item.hitTableRead = numsyms == 0 || Read(hitTable_.data(), item.hitTableAddress,
                                           TableBytes(numsyms, HitEntry::kSize), item.problems);
  if (!item.hitTableRead) {
    item.problems.push_back({ProblemKind::kHitTableUnreadable, TableBytes(numsyms, HitEntry::kSize),
                             item.hitTableAddress});
  }
  consumer_.Profile(item);
  const ScopeEnd end{ScopeEnd::kProfile, item.problems, item.hitTableRead};
  if (!item.hitTableRead) {
    consumer_.Close(end);
    return;
  }
  uint32_t nameAddress = item.entry.SymAddr;
  for (uint32_t k = 0; k < numsyms && !stop_.Stopped(); ++k) {
    SymbolItem symbol;
    symbol.index = k;
    symbol.value =
        DecodeAt<HitEntry>(hitTable_.data() + static_cast<size_t>(HitEntry::kSize) * k).value;
    ReadSymbolName(symbol, &nameAddress);
    consumer_.Symbol(symbol);
  }
  consumer_.Close(end);
}

// Each byte of a name is what a one-byte read at its address gives: a NUL or
// an unreadable byte ends the name, and the next name starts one address on.
// The bytes are taken a run at a time, where one record serves a stretch of
// addresses.
void TocReport::ReadSymbolName(SymbolItem& symbol, uint32_t* address) {
  symbol.nameAddress = *address;
  while (symbol.nameLength < kLongestName && !stop_.Stopped()) {
    size_t take = 0;
    const uint8_t* bytes = image_.reader.ReadByteRun(*address + romOffset_, &take);
    if (bytes == nullptr) {
      // The byte cannot be read: it ends the name.
      symbol.endedAtNul = false;
      symbol.stopAddress = *address;
      symbol.problems.push_back({ProblemKind::kSymbolNameUnreadable, 0, *address});
      *address += 1;
      return;
    }
    const void* nul = std::memchr(bytes, 0, take);
    const size_t size =
        nul != nullptr ? static_cast<size_t>(static_cast<const uint8_t*>(nul) - bytes) : take;
    if (size > 0) {
      consumer_.SymbolName(symbol, symbol.nameLength, bytes, size);
      symbol.nameLength += size;
    }
    *address += static_cast<uint32_t>(size);
    if (nul != nullptr) {
      *address += 1;
      return;
    }
  }
  // A name as long as the address space, or output nobody takes any more.
}

}  // namespace romscope
