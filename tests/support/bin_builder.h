// Builds BIN images in code: a header, records with any address, length and
// checksum (right or deliberately wrong), a terminator, and truncation at any
// byte. Tests, the fuzzer's seed corpus and the demo image are made with it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace romscope::testing {

using Bytes = std::vector<uint8_t>;

Bytes BytesOf(const std::string& text);
void AppendLe32(Bytes& bytes, uint32_t value);
void AppendLe16(Bytes& bytes, uint16_t value);
void PutLe32(Bytes& bytes, size_t offset, uint32_t value);
uint32_t SumOf(const Bytes& data);

class BinBuilder {
 public:
  BinBuilder& Header(uint32_t imageStart, uint32_t imageLength);
  // A record whose length and checksum fit its data.
  BinBuilder& Record(uint32_t start, const Bytes& data);
  BinBuilder& Record(uint32_t start, const std::string& text) {
    return Record(start, BytesOf(text));
  }
  // A record with the given checksum, right or wrong.
  BinBuilder& RecordWithChecksum(uint32_t start, const Bytes& data, uint32_t checksum);
  // A record header with any length field, followed by `data` as it stands
  // (fewer bytes than the length declares makes a record that runs past the
  // end of the file when it is the last one).
  BinBuilder& RawRecord(uint32_t start, uint32_t length, uint32_t checksum, const Bytes& data = {});
  BinBuilder& Terminator(uint32_t entryAddress);
  BinBuilder& Append(const Bytes& bytes);

  Bytes Build() const;
  // The image cut after its first `size` bytes.
  Bytes BuildTruncated(size_t size) const;
  // File offset where the next record's header would start.
  size_t Size() const { return Build().size(); }

 private:
  uint32_t imageStart_ = 0;
  uint32_t imageLength_ = 0;
  Bytes body_;
};

}  // namespace romscope::testing
