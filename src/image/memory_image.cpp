#include "image/memory_image.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <map>

#include "image/record_scan.h"

namespace romscope {
namespace {

// One piece of the map: addresses [key, end) hold the bytes of `record`.
struct Piece {
  uint64_t end;
  uint32_t record;
};
using PieceMap = std::map<uint64_t, Piece>;

// The loader, for records in any order: each record's range replaces the
// pieces it covers, and every piece it removes (or cuts back) is an overlap.
class Loader {
 public:
  Loader(const RecordTable& records, std::vector<MemoryOverlap>* overlaps)
      : records_(records), overlaps_(overlaps) {}

  void Write(uint32_t record, uint64_t start, uint64_t end) {
    auto it = pieces_.lower_bound(start);
    if (it != pieces_.begin()) {
      auto before = std::prev(it);
      if (before->second.end > start) {
        // The piece that starts below the record: its upper part is cut off.
        it = pieces_.emplace_hint(it, start, before->second);
        before->second.end = start;
      }
    }
    while (it != pieces_.end() && it->first < end) {
      Piece piece = it->second;
      if (piece.end > end) {
        // The piece that reaches past the record keeps its upper part.
        pieces_.emplace_hint(std::next(it), end, piece);
        piece.end = end;
      }
      Overlap(it->first, piece, record);
      it = pieces_.erase(it);
    }
    pieces_.emplace_hint(it, start, Piece{end, record});
  }

  void Runs(std::vector<MemoryRun>* runs) const {
    runs->reserve(pieces_.size());
    for (const auto& [start, piece] : pieces_) {
      runs->push_back(
          {static_cast<uint32_t>(start), piece.end, piece.record, OffsetOf(piece.record, start)});
    }
  }

 private:
  uint64_t OffsetOf(uint32_t record, uint64_t address) const {
    const RecordInfo info = records_[record];
    return info.dataOffset + (address - info.start);
  }

  void Overlap(uint64_t start, const Piece& piece, uint32_t later) {
    overlaps_->push_back({static_cast<uint32_t>(start), piece.end, piece.record, later,
                          OffsetOf(piece.record, start), OffsetOf(later, start)});
  }

  const RecordTable& records_;
  std::vector<MemoryOverlap>* overlaps_;
  PieceMap pieces_;
};

}  // namespace

RecordLoad MemoryImage::LoadOf(const RecordInfo& record, uint64_t fileSize) {
  RecordLoad load;
  if (record.dataOffset < fileSize) {
    load.inFile = std::min<uint64_t>(record.length, fileSize - record.dataOffset);
  }
  load.inMemory = std::min<uint64_t>(load.inFile, kAddressSpaceEnd - record.start);
  return load;
}

MemoryImage MemoryImage::Build(const RecordTable& records, uint64_t fileSize) {
  MemoryImage image;
  image.Load(records, fileSize);
  return image;
}

void MemoryImage::Load(const RecordTable& records, uint64_t fileSize) {
  const size_t count = records.Count() - (records.HasTerminator() ? 1 : 0);
  // The usual layout first: ascending, disjoint records are the runs.
  bool ordered = true;
  uint64_t reached = 0;
  for (size_t i = 0; i < count; ++i) {
    const RecordInfo info = records[i];
    const RecordLoad load = LoadOf(info, fileSize);
    if (load.inFile < info.length) cutByFile_.push_back(static_cast<uint32_t>(i));
    if (load.inMemory < load.inFile) cutAtTop_.push_back(static_cast<uint32_t>(i));
    if (load.inMemory == 0) continue;
    if (info.start < reached) ordered = false;
    reached = info.start + load.inMemory;
  }
  if (ordered) {
    for (size_t i = 0; i < count; ++i) {
      const RecordInfo info = records[i];
      const uint64_t inMemory = LoadOf(info, fileSize).inMemory;
      if (inMemory == 0) continue;
      runs_.push_back(
          {info.start, info.start + inMemory, static_cast<uint32_t>(i), info.dataOffset});
    }
    return;
  }
  Loader loader(records, &overlaps_);
  for (size_t i = 0; i < count; ++i) {
    const RecordInfo info = records[i];
    const uint64_t inMemory = LoadOf(info, fileSize).inMemory;
    if (inMemory > 0) loader.Write(static_cast<uint32_t>(i), info.start, info.start + inMemory);
  }
  loader.Runs(&runs_);
}

std::vector<std::pair<uint32_t, uint64_t>> MemoryImage::Gaps() const {
  std::vector<std::pair<uint32_t, uint64_t>> gaps;
  for (size_t i = 1; i < runs_.size(); ++i) {
    if (runs_[i - 1].end < runs_[i].start) {
      gaps.emplace_back(static_cast<uint32_t>(runs_[i - 1].end), runs_[i].start);
    }
  }
  return gaps;
}

size_t MemoryImage::FindRun(uint32_t address) const {
  auto after = std::upper_bound(runs_.begin(), runs_.end(), address,
                                [](uint32_t a, const MemoryRun& run) { return a < run.start; });
  if (after == runs_.begin()) return npos;
  const size_t at = static_cast<size_t>(std::prev(after) - runs_.begin());
  return address < runs_[at].end ? at : npos;
}

bool MemoryImage::Holds(uint32_t address, uint64_t size) const {
  const uint64_t end = uint64_t{address} + size;
  if (end > kAddressSpaceEnd) return false;
  if (size == 0) return true;
  size_t at = FindRun(address);
  if (at == npos) return false;
  while (runs_[at].end < end) {
    if (at + 1 == runs_.size() || runs_[at + 1].start != runs_[at].end) return false;
    ++at;
  }
  return true;
}

OverlapBytes CompareOverlap(RecordReader& data, const MemoryOverlap& overlap,
                            std::vector<uint8_t>& a, std::vector<uint8_t>& b,
                            uint32_t* earlierSum) {
  bool differ = false;
  const uint64_t size = overlap.end - overlap.start;
  const size_t chunk = std::min(a.size(), b.size());
  for (uint64_t done = 0; done < size;) {
    const size_t n = static_cast<size_t>(std::min<uint64_t>(chunk, size - done));
    if (data.ReadStore(overlap.earlierOffset + done, a.data(), n) != static_cast<int64_t>(n) ||
        data.ReadStore(overlap.laterOffset + done, b.data(), n) != static_cast<int64_t>(n)) {
      return OverlapBytes::kUnreadable;
    }
    *earlierSum += SumBytes(a.data(), n);
    differ = differ || std::memcmp(a.data(), b.data(), n) != 0;
    done += n;
  }
  return differ ? OverlapBytes::kDiffer : OverlapBytes::kSame;
}

}  // namespace romscope
