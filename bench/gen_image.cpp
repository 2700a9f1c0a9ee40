// Writes the images the benchmarks run on.
//
//   gen_image records N PATH   N records of 16 data bytes, then the terminator
//   gen_image data MIB PATH    MIB mebibytes of pseudo-random record data in
//                              records of 64 KiB to 1 MiB, then the terminator
//   gen_image spread N PATH    N records of 4 KiB at consecutive addresses
//   gen_image modules N S PATH a table of contents of N modules with S
//                              section headers each
//   gen_image symbols N S PATH a table of contents of N modules with S
//                              profiling symbols each
//
// One line on standard output tells what was written: records, data bytes,
// file bytes.
#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "bench_images.h"

namespace {

constexpr uint32_t kSpreadRecordSize = 4096;

int Usage() {
  std::fprintf(stderr,
               "usage: gen_image records N PATH | data MIB PATH | spread N PATH\n"
               "       gen_image modules N SECTIONS PATH | symbols N SYMBOLS PATH\n"
               "  records  N records of 16 data bytes each\n"
               "  data     about MIB mebibytes of data in records of 64 KiB to 1 MiB\n"
               "  spread   N records of 4 KiB each at consecutive addresses\n");
  return 2;
}

bool ParseCount(const char* text, uint64_t max, uint64_t* value) {
  errno = 0;
  char* end = nullptr;
  unsigned long long parsed = std::strtoull(text, &end, 10);
  if (errno != 0 || end == text || *end != '\0' || parsed == 0 || parsed > max) return false;
  *value = parsed;
  return true;
}

bool WriteBytes(const char* path, const romscope::testing::Bytes& image) {
  std::FILE* file = std::fopen(path, "wb");
  if (file == nullptr) return false;
  bool ok = std::fwrite(image.data(), 1, image.size(), file) == image.size();
  return std::fclose(file) == 0 && ok;
}

}  // namespace

// The table-of-contents modes: gen_image modules|symbols N S PATH.
int TocMode(const std::string& mode, const char* countText, const char* eachText,
            const char* path) {
  uint64_t count = 0;
  uint64_t each = 0;
  if (!ParseCount(countText, 2048, &count) || !ParseCount(eachText, 8192, &each)) return Usage();
  romscope::testing::Bytes image =
      mode == "modules"
          ? romscope::bench::ModulesImage(static_cast<uint32_t>(count), static_cast<uint32_t>(each))
          : romscope::bench::SymbolsImage(static_cast<uint32_t>(count),
                                          static_cast<uint32_t>(each));
  if (!WriteBytes(path, image)) {
    std::fprintf(stderr, "gen_image: %s: %s\n", path, std::strerror(errno));
    return 1;
  }
  std::printf("%s: %" PRIu64 " modules, %" PRIu64 " %s each, %zu file bytes\n", path, count, each,
              mode == "modules" ? "sections" : "symbols", image.size());
  return 0;
}

int main(int argc, char** argv) {
  if (argc == 5 && (std::string(argv[1]) == "modules" || std::string(argv[1]) == "symbols")) {
    return TocMode(argv[1], argv[2], argv[3], argv[4]);
  }
  if (argc != 4) return Usage();
  const std::string mode = argv[1];
  const char* path = argv[3];
  uint64_t count = 0;
  uint64_t records = 0;
  uint64_t dataBytes = 0;
  uint64_t fileBytes = 0;
  bool ok = false;

  if (mode == "records" || mode == "spread") {
    // Addresses must stay below 2^32 from the base upward.
    const uint32_t recordSize = mode == "records" ? 16u : kSpreadRecordSize;
    const uint64_t max = (UINT64_C(1) << 31) / recordSize;
    if (!ParseCount(argv[2], max, &count)) return Usage();
    romscope::testing::Bytes image =
        mode == "records" ? romscope::bench::SmallRecordsImage(static_cast<uint32_t>(count))
                          : romscope::bench::SpreadImage(static_cast<uint32_t>(count), recordSize);
    ok = WriteBytes(path, image);
    records = count;
    dataBytes = count * recordSize;
    fileBytes = image.size();
  } else if (mode == "data") {
    if (!ParseCount(argv[2], 2047, &count)) return Usage();
    std::FILE* file = std::fopen(path, "wb");
    if (file != nullptr) {
      romscope::bench::DataImageFacts facts;
      ok = romscope::bench::WriteDataImage(file, count << 20, 0xB17E5EEDu, &facts);
      ok = std::fclose(file) == 0 && ok;
      records = facts.records;
      dataBytes = facts.dataBytes;
      fileBytes = facts.fileBytes;
    }
  } else {
    return Usage();
  }

  if (!ok) {
    std::fprintf(stderr, "gen_image: %s: %s\n", path, std::strerror(errno));
    return 1;
  }
  std::printf("%s: %" PRIu64 " records, %" PRIu64 " data bytes, %" PRIu64 " file bytes\n", path,
              records, dataBytes, fileBytes);
  return 0;
}
