// The profiling symbol section: each module's profile entry, and for each of
// its symbols the value from its hit table and its name.
#include <algorithm>
#include <cstring>

#include "base/format.h"
#include "base/le.h"
#include "rom/report.h"

namespace romscope {
namespace {

constexpr uint32_t kHitEntrySize = 8;
// No name is longer than the address space; past that the walk has wrapped.
constexpr uint64_t kLongestName = uint64_t{1} << 32;

}  // namespace

void Report::PrintSymbols() {
  const uint32_t count = saved_.ulNumModules;
  if (count != 0 &&
      !Read(scratch_, saved_.ulProfSymbolOffset, TableBytes(count, kProfileEntrySize))) {
    out_.Put("ERROR: Couldn't locate Modules data\n");
    return;
  }
  out_.Put("\nSYMBOLS ---------------------------------------\n");
  if (hitTable_.empty()) hitTable_.resize(ImageReader::kMaxRead);
  for (uint32_t i = 0; i < count && !Stopped(); ++i) {
    const uint8_t* entry = scratch_ + static_cast<size_t>(kProfileEntrySize) * i;
    const uint32_t numsyms = Read32le(entry + 20);
    const uint32_t hitAddr = Read32le(entry + 24);
    const uint32_t symAddr = Read32le(entry + 28);
    out_.Printf(
        " MOD (%2d, %2d), 0x%08X - 0x%08X, numsyms  = %4d, HitAddr = 0x%08X, SymAddr = 0x%08X\n",
        static_cast<int32_t>(Read32le(entry)), static_cast<int32_t>(Read32le(entry + 4)),
        Read32le(entry + 8), Read32le(entry + 12), static_cast<int32_t>(numsyms), hitAddr, symAddr);
    if (numsyms == 0) continue;
    // The hit table moved with the profiling table; the names did not.
    if (!Read(hitTable_.data(), hitAddr + profileDelta_, TableBytes(numsyms, kHitEntrySize))) {
      continue;
    }
    uint32_t nameAddress = symAddr;
    for (uint32_t k = 0; k < numsyms && !Stopped(); ++k) {
      char* line = out_.Reserve(32);
      char* p = PutLiteral(line, "       0x");
      p = PutHex8(p, Read32le(hitTable_.data() + static_cast<size_t>(kHitEntrySize) * k));
      p = PutLiteral(p, " : ");
      out_.Commit(static_cast<size_t>(p - line));
      PrintSymbolName(&nameAddress);
      out_.PutChar('\n');
    }
  }
}

// Each byte of a name is what a one-byte read at its address gives: a NUL or
// an unreadable byte ends the name, and the next name starts one address on.
// The bytes are taken a run at a time, where one record serves a stretch of
// addresses.
void Report::PrintSymbolName(uint32_t* address) {
  uint64_t length = 0;
  while (length < kLongestName && !Stopped()) {
    size_t take = 0;
    const uint8_t* bytes = reader_.ReadByteRun(*address + romOffset_, &take);
    if (bytes == nullptr) {
      *address += 1;  // the byte cannot be read: it ends the name
      return;
    }
    const void* nul = std::memchr(bytes, 0, take);
    if (nul != nullptr) {
      size_t size = static_cast<size_t>(static_cast<const uint8_t*>(nul) - bytes);
      out_.Put(reinterpret_cast<const char*>(bytes), size);
      *address += static_cast<uint32_t>(size + 1);
      return;
    }
    out_.Put(reinterpret_cast<const char*>(bytes), take);
    *address += static_cast<uint32_t>(take);
    length += take;
  }
}

}  // namespace romscope
