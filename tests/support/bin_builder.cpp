#include "support/bin_builder.h"

#include <algorithm>

namespace romscope::testing {

Bytes BytesOf(const std::string& text) {
  return Bytes(text.begin(), text.end());
}

void AppendLe32(Bytes& bytes, uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

void AppendLe16(Bytes& bytes, uint16_t value) {
  bytes.push_back(static_cast<uint8_t>(value));
  bytes.push_back(static_cast<uint8_t>(value >> 8));
}

void PutLe32(Bytes& bytes, size_t offset, uint32_t value) {
  if (bytes.size() < offset + 4) bytes.resize(offset + 4);
  for (int i = 0; i < 4; ++i) bytes[offset + i] = static_cast<uint8_t>(value >> (8 * i));
}

uint32_t SumOf(const Bytes& data) {
  uint32_t sum = 0;
  for (uint8_t b : data) sum += b;
  return sum;
}

BinBuilder& BinBuilder::Header(uint32_t imageStart, uint32_t imageLength) {
  imageStart_ = imageStart;
  imageLength_ = imageLength;
  return *this;
}

BinBuilder& BinBuilder::Record(uint32_t start, const Bytes& data) {
  return RawRecord(start, static_cast<uint32_t>(data.size()), SumOf(data), data);
}

BinBuilder& BinBuilder::RecordWithChecksum(uint32_t start, const Bytes& data, uint32_t checksum) {
  return RawRecord(start, static_cast<uint32_t>(data.size()), checksum, data);
}

BinBuilder& BinBuilder::RawRecord(uint32_t start, uint32_t length, uint32_t checksum,
                                  const Bytes& data) {
  AppendLe32(body_, start);
  AppendLe32(body_, length);
  AppendLe32(body_, checksum);
  body_.insert(body_.end(), data.begin(), data.end());
  return *this;
}

BinBuilder& BinBuilder::Terminator(uint32_t entryAddress) {
  return RawRecord(0, entryAddress, 0);
}

BinBuilder& BinBuilder::Append(const Bytes& bytes) {
  body_.insert(body_.end(), bytes.begin(), bytes.end());
  return *this;
}

Bytes BinBuilder::Build() const {
  Bytes image = BytesOf("B000FF\n");
  AppendLe32(image, imageStart_);
  AppendLe32(image, imageLength_);
  image.insert(image.end(), body_.begin(), body_.end());
  return image;
}

Bytes BinBuilder::BuildTruncated(size_t size) const {
  Bytes image = Build();
  image.resize(std::min(size, image.size()));
  return image;
}

}  // namespace romscope::testing
