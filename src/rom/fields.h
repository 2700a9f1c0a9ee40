// One field list per structure of the image. Each structure names its fields
// once, in their order on the image, in a static Fields(self, visitor); the
// decoder, the JSON document and the comparison all walk that list:
//
//   v.Field(name, form, value[, role])  a little-endian number (16, 32 or 64
//                                bits); role kAddress marks an address
//   v.Array(name, form, values)  a row of numbers of the same form
//   v.Text(name, bytes)          a fixed text field, ended by a NUL inside it
//   v.Skip(count)                bytes nothing interprets
//
// DecodedSize<T>() runs the decoder at compile time, so that the list is held
// to the structure's size on the image by a static_assert beside it.
#pragma once

#include <cstddef>
#include <cstdint>

#include "base/le.h"

namespace romscope {

// How the text report shows a field; a comparison shows its changes alike.
enum class FieldForm : uint8_t {
  kHex8,        // "0x%08X"
  kHex,         // "0x%X"
  kSigned,      // "%d": counts and sizes, as 32-bit signed numbers
  kHexLower8,   // "%08x"
  kHexLower4,   // "%04x"
  kCpu,         // "0x%04x", a processor type, with its name beside it
  kFileTime,    // a 64-bit file time, with its date beside it
  kAttributes,  // attribute bits, shown as letters in the file list
  kDecimal,     // "%u": the tool's own numbers (record indexes), never a field's
};

// What a field's value is: an address moves with the image, so a change of
// addresses alone makes an item moved rather than changed; anything else
// (sizes, counts, flags) is the item's own.
enum class FieldRole : uint8_t { kValue, kAddress };
inline constexpr FieldRole kAddress = FieldRole::kAddress;

// Fills a structure from its bytes.
class FieldDecoder {
 public:
  constexpr explicit FieldDecoder(const uint8_t* bytes) : cursor_(bytes) {}
  template <typename U>
  constexpr void Field(const char*, FieldForm, U& value, FieldRole = FieldRole::kValue) {
    cursor_.Read(value);
  }
  template <typename U, size_t N>
  constexpr void Array(const char*, FieldForm, U (&values)[N]) {
    for (U& value : values) cursor_.Read(value);
  }
  template <size_t N>
  constexpr void Text(const char*, uint8_t (&bytes)[N]) {
    cursor_.Bytes(bytes);
  }
  constexpr void Skip(size_t count) { cursor_.Skip(count); }
  constexpr size_t Offset() const { return cursor_.Offset(); }

 private:
  FieldCursor cursor_;
};

// Decodes a T from its T::kSize bytes.
template <typename T>
constexpr T DecodeAt(const uint8_t* bytes) {
  T value{};
  FieldDecoder decoder(bytes);
  T::Fields(value, decoder);
  return value;
}

// How many bytes T's field list covers, worked out on T::kSize zero bytes: a
// list that reads past the structure does not compile, and one that reads
// less fails the static_assert beside the structure.
template <typename T>
constexpr size_t DecodedSize() {
  uint8_t bytes[T::kSize] = {};
  T value{};
  FieldDecoder decoder(bytes);
  T::Fields(value, decoder);
  return decoder.Offset();
}

}  // namespace romscope
