// The input image behind a small positional-read interface, so that whole
// runs work the same on a file and on bytes in memory (tests, the fuzzer).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace romscope {

class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // Reads up to `size` bytes at `offset`. Returns the number of bytes read,
  // fewer than asked only at the end of the data (0 at or past it), or -1
  // when the read itself failed.
  virtual int64_t ReadAt(uint64_t offset, uint8_t* dst, size_t size) = 0;
  // The number of bytes in the data, or -1 when it cannot be told. The
  // conversions need it to know how much of a record cut by the end of the
  // file is there.
  virtual int64_t Size() = 0;
};

// Bytes in memory. Reads that touch `failFrom` or anything past it fail, to
// stand in for a device error in tests.
class MemorySource : public ByteSource {
 public:
  explicit MemorySource(std::vector<uint8_t> bytes, uint64_t failFrom = UINT64_MAX)
      : bytes_(std::move(bytes)), failFrom_(failFrom) {}
  int64_t ReadAt(uint64_t offset, uint8_t* dst, size_t size) override;
  int64_t Size() override { return static_cast<int64_t>(bytes_.size()); }
  // Number of ReadAt calls so far (tests check that the scan skips data).
  uint64_t reads = 0;
  uint64_t bytesRead = 0;

 private:
  std::vector<uint8_t> bytes_;
  uint64_t failFrom_;
};

// Opens an existing file for reading: never creates one, never writes.
// Returns null and a one-line reason when the path cannot be used as input.
std::unique_ptr<ByteSource> OpenFileSource(const std::string& path, std::string* reason);

}  // namespace romscope
