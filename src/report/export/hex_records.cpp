#include "report/export/hex_records.h"

#include <algorithm>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "base/format.h"

namespace romscope {
namespace {

// A full S3 line: "S315", 8 address digits, 32 data digits, 2 checksum
// digits, "\n"; a full Intel HEX data line: ":10", 4 address digits, "00",
// 32 data digits, 2 checksum digits, "\n".
constexpr size_t kSrecLine = 47;
constexpr size_t kIhexLine = 44;
constexpr size_t kBlock = 16;

#if defined(__SSE2__)
// Sixteen bytes as 32 digits, every nibble turned into a digit with a
// compare and an add; returns the sum of the bytes.
inline uint32_t PutHex16(char* p, const uint8_t* bytes) {
  const __m128i data = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes));
  const __m128i nibble = _mm_set1_epi8(0x0F);
  const __m128i nine = _mm_set1_epi8(9);
  auto digits = [&](__m128i values) {
    __m128i letters = _mm_and_si128(_mm_cmpgt_epi8(values, nine), _mm_set1_epi8('A' - '0' - 10));
    return _mm_add_epi8(_mm_add_epi8(values, _mm_set1_epi8('0')), letters);
  };
  const __m128i first = digits(_mm_and_si128(_mm_srli_epi16(data, 4), nibble));
  const __m128i second = digits(_mm_and_si128(data, nibble));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(p), _mm_unpacklo_epi8(first, second));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(p + 16), _mm_unpackhi_epi8(first, second));
  const __m128i sums = _mm_sad_epu8(data, _mm_setzero_si128());
  return static_cast<uint32_t>(_mm_cvtsi128_si32(sums) + _mm_extract_epi16(sums, 4));
}
#else
inline uint32_t PutHex16(char* p, const uint8_t* bytes) {
  uint32_t sum = 0;
  for (size_t i = 0; i < kBlock; ++i) {
    p = PutHexByte(p, bytes[i]);
    sum += bytes[i];
  }
  return sum;
}
#endif

// Any number of bytes as digits; returns their sum.
inline uint32_t PutHexBytes(char* p, const uint8_t* bytes, size_t size) {
  uint32_t sum = 0;
  for (size_t i = 0; i < size; ++i) {
    p = PutHexByte(p, bytes[i]);
    sum += bytes[i];
  }
  return sum;
}

inline uint32_t ByteSum32(uint32_t value) {
  return (value >> 24) + ((value >> 16) & 0xFF) + ((value >> 8) & 0xFF) + (value & 0xFF);
}

// One S-record of type `type` with a 32-bit or 16-bit address.
char* PutSrec(char* p, char type, uint32_t address, size_t addressBytes, const uint8_t* data,
              size_t size) {
  const uint32_t count = static_cast<uint32_t>(addressBytes + size + 1);
  *p++ = 'S';
  *p++ = type;
  p = PutHexByte(p, static_cast<uint8_t>(count));
  uint32_t sum = count + ByteSum32(address);
  for (size_t i = addressBytes; i-- > 0;)
    p = PutHexByte(p, static_cast<uint8_t>(address >> (8 * i)));
  sum += PutHexBytes(p, data, size);
  p += 2 * size;
  p = PutHexByte(p, static_cast<uint8_t>(~sum));
  *p++ = '\n';
  return p;
}

// One Intel HEX record.
char* PutIhex(char* p, uint8_t type, uint16_t address, const uint8_t* data, size_t size) {
  *p++ = ':';
  p = PutHexByte(p, static_cast<uint8_t>(size));
  p = PutHexByte(p, static_cast<uint8_t>(address >> 8));
  p = PutHexByte(p, static_cast<uint8_t>(address));
  p = PutHexByte(p, type);
  uint32_t sum = static_cast<uint32_t>(size) + (address >> 8) + (address & 0xFF) + type;
  sum += PutHexBytes(p, data, size);
  p += 2 * size;
  p = PutHexByte(p, static_cast<uint8_t>(0u - sum));
  *p++ = '\n';
  return p;
}

// The full S3 line of the block at `address`.
inline void FullSrecLine(char* p, uint32_t address, const uint8_t* data) {
  PutLiteral(p, "S315");
  PutHex8(p + 4, address);
  const uint32_t sum = 0x15 + ByteSum32(address) + PutHex16(p + 12, data);
  PutHexByte(p + 44, static_cast<uint8_t>(~sum));
  p[46] = '\n';
}

// The full type 00 line of the block at `address`.
inline void FullIhexLine(char* p, uint32_t address, const uint8_t* data) {
  PutLiteral(p, ":10");
  PutHexByte(p + 3, static_cast<uint8_t>(address >> 8));
  PutHexByte(p + 5, static_cast<uint8_t>(address));
  p[7] = '0';
  p[8] = '0';
  const uint32_t sum = 0x10 + ((address >> 8) & 0xFF) + (address & 0xFF) + PutHex16(p + 9, data);
  PutHexByte(p + 41, static_cast<uint8_t>(0u - sum));
  p[43] = '\n';
}

// How many bytes from `address` on belong to its 16-byte block, at most `size`.
inline size_t BlockPart(uint32_t address, size_t size) {
  return std::min(size, kBlock - (address & (kBlock - 1)));
}

}  // namespace

void SrecLines::Header() {
  static const uint8_t kName[] = {'r', 'o', 'm', 's', 'c', 'o', 'p', 'e'};
  char* p = out_.Reserve(64);
  out_.Commit(static_cast<size_t>(PutSrec(p, '0', 0, 2, kName, sizeof kName) - p));
}

void SrecLines::Data(uint32_t address, const uint8_t* data, size_t size) {
  const size_t linesPerBatch = std::max<size_t>(out_.Capacity() / kSrecLine, 1);
  while (size > 0) {
    if ((address & (kBlock - 1)) != 0 || size < kBlock) {
      const size_t part = BlockPart(address, size);
      char* p = out_.Reserve(kSrecLine);
      out_.Commit(static_cast<size_t>(PutSrec(p, '3', address, 4, data, part) - p));
      address += static_cast<uint32_t>(part);
      data += part;
      size -= part;
      continue;
    }
    const size_t lines = std::min(size / kBlock, linesPerBatch);
    char* p = out_.Reserve(lines * kSrecLine);
    for (size_t i = 0; i < lines; ++i) {
      FullSrecLine(p + i * kSrecLine, address + static_cast<uint32_t>(i * kBlock),
                   data + i * kBlock);
    }
    out_.Commit(lines * kSrecLine);
    address += static_cast<uint32_t>(lines * kBlock);
    data += lines * kBlock;
    size -= lines * kBlock;
  }
}

void SrecLines::End(uint32_t entry) {
  char* p = out_.Reserve(64);
  out_.Commit(static_cast<size_t>(PutSrec(p, '7', entry, 4, nullptr, 0) - p));
}

void IhexLines::Segment(uint16_t upper) {
  if (upper_ == upper) return;
  upper_ = upper;
  const uint8_t bytes[] = {static_cast<uint8_t>(upper >> 8), static_cast<uint8_t>(upper)};
  char* p = out_.Reserve(64);
  out_.Commit(static_cast<size_t>(PutIhex(p, 0x04, 0, bytes, 2) - p));
}

void IhexLines::Data(uint32_t address, const uint8_t* data, size_t size) {
  const size_t linesPerBatch = std::max<size_t>(out_.Capacity() / kIhexLine, 1);
  while (size > 0) {
    Segment(static_cast<uint16_t>(address >> 16));
    if ((address & (kBlock - 1)) != 0 || size < kBlock) {
      const size_t part = BlockPart(address, size);
      char* p = out_.Reserve(kIhexLine);
      out_.Commit(
          static_cast<size_t>(PutIhex(p, 0x00, static_cast<uint16_t>(address), data, part) - p));
      address += static_cast<uint32_t>(part);
      data += part;
      size -= part;
      continue;
    }
    // Full blocks up to the end of the 64 KiB segment, where the next one
    // needs its 04 record.
    const size_t toSegmentEnd = (0x10000 - (address & 0xFFFF)) / kBlock;
    const size_t lines = std::min({size / kBlock, linesPerBatch, toSegmentEnd});
    char* p = out_.Reserve(lines * kIhexLine);
    for (size_t i = 0; i < lines; ++i) {
      FullIhexLine(p + i * kIhexLine, address + static_cast<uint32_t>(i * kBlock),
                   data + i * kBlock);
    }
    out_.Commit(lines * kIhexLine);
    address += static_cast<uint32_t>(lines * kBlock);
    data += lines * kBlock;
    size -= lines * kBlock;
  }
}

void IhexLines::End(std::optional<uint32_t> entry) {
  char* p = out_.Reserve(64);
  char* end = p;
  if (entry) {
    const uint8_t bytes[] = {static_cast<uint8_t>(*entry >> 24), static_cast<uint8_t>(*entry >> 16),
                             static_cast<uint8_t>(*entry >> 8), static_cast<uint8_t>(*entry)};
    end = PutIhex(end, 0x05, 0, bytes, 4);
  }
  end = PutLiteral(end, ":00000001FF\n");
  out_.Commit(static_cast<size_t>(end - p));
}

}  // namespace romscope
