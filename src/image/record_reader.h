// The one reader of record data. Every record's `length` bytes lie in the
// image's data store from the record's `dataOffset` on; whoever wants them,
// the record scan, the address reader, the comparison or the loaded image,
// reads them here.
//
// For a BIN file the store is the file itself: a record's data follows its
// 12-byte header. An input whose bytes do not lie at file offsets keeps them
// in a store of its own (any ByteSource behind an ImageFile) and gives its
// records offsets into it; nothing that reads through this class changes.
//
// A reading of a record's data from its start (Reading) takes it in chunks of
// kScratchSize bytes and sums each chunk read in full: the checksum verdict
// is always that sum, however the reading is used.
#pragma once

#include <cstddef>
#include <cstdint>

#include "image/image_file.h"
#include "image/record_table.h"

namespace romscope {

class RecordReader {
 public:
  explicit RecordReader(ImageFile& store) : store_(store) {}

  // Up to `size` bytes of the store from `offset` on: the count read (short
  // only where the store ends) or -1 when the read failed.
  int64_t ReadStore(uint64_t offset, uint8_t* dst, size_t size) {
    return store_.ReadAt(offset, dst, size);
  }
  // Up to `size` bytes of the record's data from `offset` into it, never past
  // its length: the count read, or -1.
  int64_t Read(const RecordInfo& record, uint64_t offset, uint8_t* dst, size_t size);
  // Whether the store holds the record's data byte at `offset`.
  bool Holds(const RecordInfo& record, uint64_t offset);
  // How many of the record's bytes the store holds: those before the first
  // one a read cannot give (the end of the store, or a failing device).
  uint64_t PresentBytes(const RecordInfo& record);
  // The store's size in bytes, or -1 when it cannot be told.
  int64_t StoreSize() { return store_.Size(); }

  // A record's data from its start, a chunk at a time: each chunk of
  // kScratchSize bytes (the last one shorter) is read whole or not at all,
  // and the first that cannot be read ends the reading.
  class Reading {
   public:
    Reading(RecordReader& data, const RecordInfo& record) : data_(data), record_(record) {}

    // The next chunk into `buffer` (kScratchSize bytes): its size, or 0 when
    // the reading is over.
    size_t Next(uint8_t* buffer);
    // The bytes of the chunks read in full, and their 32-bit sum.
    uint32_t BytesRead() const { return read_; }
    uint32_t Sum() const { return sum_; }
    // Whether every byte of the record was read.
    bool Complete() const { return !over_ && read_ == record_.length; }
    // The bytes delivered: those of the whole chunks, and of the short one
    // that ended the reading (which the sum leaves out).
    uint32_t Delivered() const { return delivered_; }

   private:
    RecordReader& data_;
    RecordInfo record_;
    uint32_t read_ = 0;
    uint32_t delivered_ = 0;
    uint32_t sum_ = 0;
    bool over_ = false;
  };

 private:
  ImageFile& store_;
};

// The 32-bit wrapping sum of the bytes.
uint32_t SumBytes(const uint8_t* data, size_t size);

}  // namespace romscope
