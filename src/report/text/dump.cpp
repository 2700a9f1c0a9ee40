#include "report/text/dump.h"

#include <algorithm>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "base/format.h"

namespace romscope {
namespace {

// One dump line: " 0x%08X :", four groups of " " and eight digits, " ",
// the sixteen column characters, " " and the line break.
constexpr size_t kLineSize = 68;
constexpr size_t kColumnAt = 50;

// The printable column: bytes from blank to '~' stand for themselves.
struct ColumnTable {
  char chars[256];
  constexpr ColumnTable() : chars() {
    for (int b = 0; b < 256; ++b) chars[b] = (b >= 0x20 && b <= 0x7E) ? static_cast<char>(b) : '.';
  }
};
constexpr ColumnTable kColumn{};

// Where the digits of byte i of a line start: each group of four bytes
// follows a blank.
constexpr size_t HexAt(size_t i) {
  return 14 + 9 * (i / 4) + 2 * (i % 4);
}

// Everything of a line but its bytes: the address and the blanks between the
// parts.
inline void PutLineFrame(char* p, uint32_t address) {
  p[0] = ' ';
  p[1] = '0';
  p[2] = 'x';
  PutHex8(p + 3, address);
  p[11] = ' ';
  p[12] = ':';
  p[13] = ' ';
  p[22] = ' ';
  p[31] = ' ';
  p[40] = ' ';
  p[49] = ' ';
  p[66] = ' ';
  p[67] = '\n';
}

// Fills one line for `count` bytes (1 to 16); missing bytes become blanks in
// both the hexadecimal part and the column, so every line has the same width.
void FillLine(char* p, uint32_t address, const uint8_t* bytes, size_t count) {
  PutLineFrame(p, address);
  for (size_t i = 0; i < 16; ++i) {
    if (i < count) {
      PutHexByte(p + HexAt(i), bytes[i]);
      p[kColumnAt + i] = kColumn.chars[bytes[i]];
    } else {
      p[HexAt(i)] = ' ';
      p[HexAt(i) + 1] = ' ';
      p[kColumnAt + i] = ' ';
    }
  }
}

#if defined(__SSE2__)
// The full-line case, sixteen bytes at a time: every nibble becomes a digit
// with a compare and an add, the digits are interleaved into pairs, and the
// printable column is one range test.
inline void FillFullLine(char* p, uint32_t address, const uint8_t* bytes) {
  PutLineFrame(p, address);
  const __m128i data = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes));
  const __m128i nibble = _mm_set1_epi8(0x0F);
  const __m128i nine = _mm_set1_epi8(9);
  const __m128i high = _mm_and_si128(_mm_srli_epi16(data, 4), nibble);
  const __m128i low = _mm_and_si128(data, nibble);
  auto digits = [&](__m128i values) {
    __m128i letters = _mm_and_si128(_mm_cmpgt_epi8(values, nine), _mm_set1_epi8('A' - '0' - 10));
    return _mm_add_epi8(_mm_add_epi8(values, _mm_set1_epi8('0')), letters);
  };
  const __m128i first = digits(high);
  const __m128i second = digits(low);
  const __m128i pairs03 = _mm_unpacklo_epi8(first, second);  // bytes 0..7
  const __m128i pairs47 = _mm_unpackhi_epi8(first, second);  // bytes 8..15
  _mm_storel_epi64(reinterpret_cast<__m128i*>(p + HexAt(0)), pairs03);
  _mm_storel_epi64(reinterpret_cast<__m128i*>(p + HexAt(4)), _mm_srli_si128(pairs03, 8));
  _mm_storel_epi64(reinterpret_cast<__m128i*>(p + HexAt(8)), pairs47);
  _mm_storel_epi64(reinterpret_cast<__m128i*>(p + HexAt(12)), _mm_srli_si128(pairs47, 8));

  // Printable when byte - 0x20 is at most 0x5E, compared without sign.
  const __m128i shifted = _mm_sub_epi8(data, _mm_set1_epi8(0x20));
  const __m128i range = _mm_set1_epi8(0x5E);
  const __m128i printable = _mm_cmpeq_epi8(_mm_min_epu8(shifted, range), shifted);
  const __m128i column =
      _mm_or_si128(_mm_and_si128(printable, data), _mm_andnot_si128(printable, _mm_set1_epi8('.')));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(p + kColumnAt), column);
}
#else
inline void FillFullLine(char* p, uint32_t address, const uint8_t* bytes) {
  FillLine(p, address, bytes, 16);
}
#endif

}  // namespace

void PrintDumpLines(Writer& out, uint32_t address, const uint8_t* data, size_t size) {
  // A writer smaller than one line still takes one line at a time.
  const size_t linesPerBatch = std::max<size_t>(out.Capacity() / kLineSize, 1);
  size_t fullLines = size / 16;
  size_t line = 0;
  while (line < fullLines) {
    size_t batch = std::min(linesPerBatch, fullLines - line);
    char* p = out.Reserve(batch * kLineSize);
    for (size_t i = 0; i < batch; ++i, ++line) {
      FillFullLine(p + i * kLineSize, address + static_cast<uint32_t>(line * 16), data + line * 16);
    }
    out.Commit(batch * kLineSize);
  }
  if (size % 16 != 0) {
    char* p = out.Reserve(kLineSize);
    FillLine(p, address + static_cast<uint32_t>(fullLines * 16), data + fullLines * 16, size % 16);
    out.Commit(kLineSize);
  }
}

}  // namespace romscope
