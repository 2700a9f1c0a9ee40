// The profiling symbol section: each module's profile entry, and for each of
// its symbols the value from its hit table and its name.
#include <cstring>

#include "rom/report.h"

namespace romscope {
namespace {

// No name is longer than the address space; past that the walk has wrapped.
constexpr uint64_t kLongestName = uint64_t{1} << 32;

}  // namespace

void Report::PrintSymbols(const SavedHeader& saved, const ProfileLocation& profile) {
  const uint32_t count = saved.ulNumModules;
  const bool readable =
      count == 0 || Read(scratch_, profile.address, TableBytes(count, kProfileEntrySize));
  renderer_.ProfilesBegin(count, readable);
  if (hitTable_.empty()) hitTable_.resize(ImageReader::kMaxRead);
  for (uint32_t i = 0; readable && i < count && !Stopped(); ++i) {
    const ProfileEntry entry =
        DecodeAt<ProfileEntry>(scratch_ + static_cast<size_t>(ProfileEntry::kSize) * i);
    renderer_.Profile(i, entry);
    PrintProfile(entry, profile);
    renderer_.ProfileEnd();
  }
  renderer_.ProfilesEnd();
}

void Report::PrintProfile(const ProfileEntry& entry, const ProfileLocation& profile) {
  const uint32_t numsyms = entry.numsyms;
  // The hit table moved with the profiling table; the names did not.
  const uint32_t hitAddress = entry.HitAddr + profile.delta;
  const bool readable =
      numsyms == 0 || Read(hitTable_.data(), hitAddress, TableBytes(numsyms, HitEntry::kSize));
  renderer_.HitTable(hitAddress, readable);
  if (!readable) return;
  uint32_t nameAddress = entry.SymAddr;
  for (uint32_t k = 0; k < numsyms && !Stopped(); ++k) {
    renderer_.SymbolBegin(
        k, DecodeAt<HitEntry>(hitTable_.data() + static_cast<size_t>(HitEntry::kSize) * k));
    const bool endedAtNul = PrintSymbolName(&nameAddress);
    renderer_.SymbolEnd(endedAtNul, nameAddress - 1);
  }
}

// Each byte of a name is what a one-byte read at its address gives: a NUL or
// an unreadable byte ends the name, and the next name starts one address on.
// The bytes are taken a run at a time, where one record serves a stretch of
// addresses.
bool Report::PrintSymbolName(uint32_t* address) {
  uint64_t length = 0;
  while (length < kLongestName && !Stopped()) {
    size_t take = 0;
    const uint8_t* bytes = reader_.ReadByteRun(*address + romOffset_, &take);
    if (bytes == nullptr) {
      *address += 1;  // the byte cannot be read: it ends the name
      return false;
    }
    const void* nul = std::memchr(bytes, 0, take);
    if (nul != nullptr) {
      size_t size = static_cast<size_t>(static_cast<const uint8_t*>(nul) - bytes);
      renderer_.SymbolName(bytes, size);
      *address += static_cast<uint32_t>(size + 1);
      return true;
    }
    renderer_.SymbolName(bytes, take);
    *address += static_cast<uint32_t>(take);
    length += take;
  }
  // A name as long as the address space, or output nobody takes any more.
  return true;
}

}  // namespace romscope
