// One-byte reads by address through ImageReader, the access pattern of the
// profiling-symbol report: 10,000,000 reads per pass over an image of 2048
// records of 4 KiB at consecutive addresses, held in memory. Each pass is one
// iteration, so the reported time is the time of 10,000,000 reads; five
// repetitions give the median.
//
// The counters tell where the bytes come from: source_reads and source_bytes
// are the reads the image's byte source served per one-byte read.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "base/stop_signal.h"
#include "bench_images.h"
#include "host/byte_source.h"
#include "image/bin_format.h"
#include "image/image_file.h"
#include "image/image_reader.h"
#include "image/record_reader.h"
#include "image/record_scan.h"
#include "image/record_table.h"

namespace {

constexpr uint32_t kRecords = 2048;
constexpr uint32_t kRecordSize = 4096;
constexpr uint32_t kSpan = kRecords * kRecordSize;
constexpr uint64_t kReads = 10'000'000;

class IgnoreRecords : public romscope::RecordConsumer {
 public:
  void RecordData(const romscope::RecordItem&, uint32_t, const uint8_t*, size_t) override {}
  void Record(const romscope::RecordItem&) override {}
};

// The image, its record table filled by the scan, and the reader over them.
struct ReaderSetup {
  ReaderSetup()
      : source(romscope::bench::SpreadImage(kRecords, kRecordSize)),
        file(source),
        data(file),
        scratch(romscope::kScratchSize) {
    romscope::BinHeader header;
    if (romscope::ReadBinHeader(file, &header) == romscope::BinHeaderStatus::kOk) {
      IgnoreRecords ignore;
      romscope::ScanRecords(file, false, ignore, romscope::NeverStopped(), scratch.data(),
                            &records);
    }
    reader = std::make_unique<romscope::ImageReader>(data, records);
  }

  bool Complete() const { return records.Count() == kRecords + 1 && records.HasTerminator(); }

  romscope::MemorySource source;
  romscope::ImageFile file;
  romscope::RecordReader data;
  std::vector<uint8_t> scratch;
  romscope::RecordTable records;
  std::unique_ptr<romscope::ImageReader> reader;
};

ReaderSetup& Setup() {
  static ReaderSetup setup;
  return setup;
}

// xorshift32, mapped onto [0, kSpan) by a multiply, not a division.
struct Addresses {
  uint32_t state = 0x2545F491u;
  uint32_t Next() {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return static_cast<uint32_t>((static_cast<uint64_t>(state) * kSpan) >> 32);
  }
};

template <typename NextOffset>
void RunReads(benchmark::State& state, NextOffset nextOffset) {
  ReaderSetup& setup = Setup();
  if (!setup.Complete()) {
    state.SkipWithError("the bench image did not scan into 2049 records");
    return;
  }
  const uint64_t readsBefore = setup.source.reads;
  const uint64_t bytesBefore = setup.source.bytesRead;
  uint64_t passes = 0;
  for (auto _ : state) {
    uint32_t sum = 0;
    bool ok = true;
    for (uint64_t i = 0; i < kReads; ++i) {
      uint8_t byte = 0;
      ok &= setup.reader->ReadImage(&byte, romscope::bench::kImageBase + nextOffset(i), 1, 0);
      sum += byte;
    }
    benchmark::DoNotOptimize(sum);
    if (!ok) {
      state.SkipWithError("a read inside the image failed");
      return;
    }
    ++passes;
  }
  const double reads = static_cast<double>(passes * kReads);
  state.counters["source_reads"] = static_cast<double>(setup.source.reads - readsBefore) / reads;
  state.counters["source_bytes"] =
      static_cast<double>(setup.source.bytesRead - bytesBefore) / reads;
}

void BM_OneByteReadsRandom(benchmark::State& state) {
  Addresses addresses;
  RunReads(state, [&](uint64_t) { return addresses.Next(); });
}

void BM_OneByteReadsSequential(benchmark::State& state) {
  RunReads(state, [](uint64_t i) { return static_cast<uint32_t>(i % kSpan); });
}

// The address generator alone, to be subtracted from the random pass.
void BM_RandomAddressesOnly(benchmark::State& state) {
  for ([[maybe_unused]] auto _ : state) {
    Addresses addresses;
    uint32_t sum = 0;
    for (uint64_t i = 0; i < kReads; ++i) sum += addresses.Next();
    benchmark::DoNotOptimize(sum);
  }
}

#define ROMSCOPE_PASS(fn) \
  BENCHMARK(fn)->Iterations(1)->Repetitions(5)->Unit(benchmark::kMillisecond)->UseRealTime()

ROMSCOPE_PASS(BM_OneByteReadsRandom);
ROMSCOPE_PASS(BM_OneByteReadsSequential);
ROMSCOPE_PASS(BM_RandomAddressesOnly);

}  // namespace

BENCHMARK_MAIN();
