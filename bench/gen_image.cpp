// Writes the images the benchmarks run on.
//
//   gen_image records N PATH   N records of 16 data bytes, one of 8 bytes that
//                              the locator reads, then the terminator
//   gen_image data MIB PATH    MIB mebibytes of pseudo-random record data in
//                              records of 64 KiB to 1 MiB, then the terminator
//   gen_image overlapping N PATH
//                              N records of 64 data bytes, one every 16
//                              bytes, one of 8 bytes, then the terminator
//   gen_image spread N PATH    N records of 4 KiB at consecutive addresses
//   gen_image modules N S PATH a table of contents of N modules with S
//                              section headers each
//   gen_image symbols N S PATH a table of contents of N modules with S
//                              profiling symbols each
//   gen_image files N PATH     a table of contents of N files of 1 to 32 KiB
//                              each, for -extract
//   gen_image hostile LAYOUT worst|friendly N PATH
//                              a table of contents of N entries in a layout
//                              of records that makes lookups work hard (see
//                              bench_images.h), in its worst or friendly order
//   gen_image diff files MIB OLD NEW | diff records N OLD NEW
//   gen_image diff symbols N S OLD NEW | diff hostile LAYOUT same|distinct OLD NEW
//                              a pair of images for -diff (see bench_images.h)
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
               "usage: gen_image records|overlapping|spread N PATH | data MIB PATH\n"
               "       gen_image modules N SECTIONS PATH | symbols N SYMBOLS PATH\n"
               "       gen_image hostile LAYOUT worst|friendly N PATH | files N PATH\n"
               "  records      N records of 16 data bytes each, and one of 8 bytes\n"
               "  overlapping  N records of 64 data bytes, one every 16 bytes, and one of 8\n"
               "  spread       N records of 4 KiB each at consecutive addresses\n"
               "  data         about MIB mebibytes of data in records of 64 KiB to 1 MiB\n"
               "  hostile      LAYOUT: issue, nested, overlap, duplicates, late or names\n"
               "       gen_image diff files MIB|records N|symbols N S|hostile LAYOUT same|distinct"
               " OLD NEW\n");
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

// gen_image hostile LAYOUT ORDER N PATH.
int HostileMode(const std::string& layout, const std::string& order, const char* countText,
                const char* path) {
  uint64_t count = 0;
  if (!romscope::bench::IsHostileLayout(layout) || (order != "worst" && order != "friendly") ||
      !ParseCount(countText, 65535, &count)) {
    return Usage();
  }
  romscope::testing::Bytes image =
      romscope::bench::HostileImage(layout, order == "friendly", static_cast<uint32_t>(count));
  if (!WriteBytes(path, image)) {
    std::fprintf(stderr, "gen_image: %s: %s\n", path, std::strerror(errno));
    return 1;
  }
  std::printf("%s: %s layout, %s order, %" PRIu64 " entries, %zu file bytes\n", path,
              layout.c_str(), order.c_str(), count, image.size());
  return 0;
}

// gen_image files N PATH.
int FilesMode(const char* countText, const char* path) {
  uint64_t count = 0;
  if (!ParseCount(countText, 65535, &count)) return Usage();
  const romscope::testing::Bytes image = romscope::bench::FilesImage(static_cast<uint32_t>(count));
  if (!WriteBytes(path, image)) {
    std::fprintf(stderr, "gen_image: %s: %s\n", path, std::strerror(errno));
    return 1;
  }
  std::printf("%s: %" PRIu64 " files, %zu file bytes\n", path, count, image.size());
  return 0;
}

// gen_image diff KIND ... OLD NEW: the two images of a pair for -diff.
int DiffMode(int argc, char** argv) {
  const std::string kind = argc > 2 ? argv[2] : "";
  const char* paths[2] = {argv[argc - 2], argv[argc - 1]};
  uint64_t count = 0;
  uint64_t each = 0;
  for (int side = 0; side < 2; ++side) {
    const bool changed = side == 1;
    bool ok = false;
    if (kind == "files" && argc == 6 && ParseCount(argv[3], 2047, &count)) {
      std::FILE* file = std::fopen(paths[side], "wb");
      if (file != nullptr) {
        // Files of 1 MiB, as many as the mebibytes asked for.
        ok =
            romscope::bench::WriteFilesImage(file, static_cast<uint32_t>(count), 1u << 20, changed);
        ok = std::fclose(file) == 0 && ok;
      }
    } else if (kind == "records" && argc == 6 && ParseCount(argv[3], 100000000, &count)) {
      ok = WriteBytes(paths[side],
                      romscope::bench::DiffRecordsImage(static_cast<uint32_t>(count), changed));
    } else if (kind == "symbols" && argc == 7 && ParseCount(argv[3], 2048, &count) &&
               ParseCount(argv[4], 8192, &each)) {
      ok = WriteBytes(paths[side],
                      romscope::bench::DiffSymbolsImage(static_cast<uint32_t>(count),
                                                        static_cast<uint32_t>(each), changed));
    } else if (kind == "hostile" && argc == 7 && romscope::bench::IsDiffLayout(argv[3]) &&
               (std::string(argv[4]) == "same" || std::string(argv[4]) == "distinct")) {
      ok = WriteBytes(paths[side], romscope::bench::DiffHostileImage(
                                       argv[3], std::string(argv[4]) == "same", changed));
    } else {
      return Usage();
    }
    if (!ok) {
      std::fprintf(stderr, "gen_image: %s: %s\n", paths[side], std::strerror(errno));
      return 1;
    }
  }
  std::printf("%s, %s: a pair of images for -diff (%s)\n", paths[0], paths[1], kind.c_str());
  return 0;
}

int main(int argc, char** argv) {
  if (argc == 4 && std::string(argv[1]) == "files") return FilesMode(argv[2], argv[3]);
  if (argc >= 3 && std::string(argv[1]) == "diff") return DiffMode(argc, argv);
  if (argc == 6 && std::string(argv[1]) == "hostile") {
    return HostileMode(argv[2], argv[3], argv[4], argv[5]);
  }
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

  if (mode == "records" || mode == "overlapping" || mode == "spread") {
    // Addresses must stay below 2^32 from the base upward.
    const uint32_t step = mode == "spread" ? kSpreadRecordSize : 16u;
    const uint64_t max = (UINT64_C(1) << 31) / step - 8;
    if (!ParseCount(argv[2], max, &count)) return Usage();
    const uint32_t n = static_cast<uint32_t>(count);
    romscope::testing::Bytes image = mode == "records" ? romscope::bench::SmallRecordsImage(n)
                                     : mode == "overlapping"
                                         ? romscope::bench::OverlappingRecordsImage(n)
                                         : romscope::bench::SpreadImage(n, step);
    ok = WriteBytes(path, image);
    records = mode == "spread" ? count : count + 1;
    dataBytes = mode == "spread" ? count * step : count * (mode == "records" ? 16 : 64) + 8;
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
