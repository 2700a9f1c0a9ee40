// The three conversions of the memory image: -flat, -srec and -ihex.
#include "report/export/export.h"

#include <algorithm>
#include <string>
#include <vector>

#include "export/loaded_image.h"
#include "export/pipeline.h"
#include "image/record_scan.h"
#include "report/catalogue.h"
#include "report/catalogue_export.h"
#include "report/export/hex_records.h"
#include "report/export/load_messages.h"

namespace romscope {
namespace {

// The piece of the address space each read of the hex conversions takes: a
// multiple of 64 KiB, so that no 16-byte block straddles two pieces.
constexpr uint64_t kPiece = uint64_t{1} << 20;

// The records -flat leaves out, wholly or in part, for lying outside the
// image's range [first, end).
void WarnOutside(LoadedImage& loaded, uint64_t first, uint64_t end, Diagnostics& diag) {
  const RecordTable& records = loaded.image().records;
  size_t outside = 0;
  for (uint32_t i = 0; i < loaded.RecordCount(); ++i) {
    const RecordInfo info = records[i];
    const uint64_t inMemory = loaded.LoadOf(i).inMemory;
    const uint64_t last = info.start + inMemory;  // one past the record's last byte
    if (inMemory == 0 || (info.start >= first && last <= end)) continue;
    if (++outside > FirstFew<uint32_t>::kFirstFew) continue;
    const bool wholly = last <= first || info.start >= end;
    diag.Warn("%s",
              FlatOutsideText(i, info.start, static_cast<uint32_t>(last - 1), wholly, first, end)
                  .c_str());
  }
  if (outside > FirstFew<uint32_t>::kFirstFew) {
    diag.Warn("%s", MoreOutsideText(outside - FirstFew<uint32_t>::kFirstFew).c_str());
  }
}

// Reads the held bytes of [from, to) for their records' sums alone.
bool SumOnly(MemoryCursor& cursor, uint64_t from, uint64_t to, std::vector<uint8_t>& buffer) {
  uint64_t start = 0;
  uint64_t end = 0;
  while (from < to && cursor.NextHeld(from, &start, &end) && start < to) {
    end = std::min(end, to);
    for (uint64_t at = start; at < end;) {
      const uint64_t piece = std::min<uint64_t>(buffer.size(), end - at);
      if (!cursor.Copy(at, at + piece, buffer.data(), 0)) return false;
      at += piece;
    }
    from = end;
  }
  return true;
}

// -flat: exactly imageLength bytes from imageStart, read straight into the
// writer's buffer; the records' bytes outside that range are read for their
// sums only.
bool WriteFlat(LoadedImage& loaded, uint8_t fill, Writer& out, Diagnostics& diag) {
  const BinHeader& header = loaded.image().header;
  const uint64_t first = header.imageStart;
  const uint64_t end = first + header.imageLength;
  const uint64_t heldEnd = std::min(end, kAddressSpaceEnd);
  if (end > kAddressSpaceEnd) {
    diag.Warn("%s", FlatPastTopText(header.imageLength, header.imageStart).c_str());
  }
  WarnOutside(loaded, first, heldEnd, diag);
  MemoryCursor cursor(loaded.memory(), loaded.image().data, loaded.sums());
  std::vector<uint8_t> buffer(kPiece);
  if (!SumOnly(cursor, 0, first, buffer)) return false;
  const size_t chunk = out.Capacity();
  for (uint64_t at = first; at < end && !out.Stopped();) {
    const size_t size = static_cast<size_t>(std::min<uint64_t>(chunk, end - at));
    uint8_t* p = reinterpret_cast<uint8_t*>(out.Reserve(size));
    if (!cursor.Copy(at, at + size, p, fill)) return false;
    out.Commit(size);
    at += size;
  }
  return out.Stopped() || SumOnly(cursor, heldEnd, kAddressSpaceEnd, buffer);
}

// -srec and -ihex: every held range in ascending order, a piece at a time
// (in the pipeline's thread: nothing here may tell of anything).
template <typename Lines>
bool WriteHeld(LoadedImage& loaded, Lines& lines, Writer& out) {
  MemoryCursor cursor(loaded.memory(), loaded.image().data, loaded.sums());
  std::vector<uint8_t> buffer(kPiece);
  uint64_t from = 0;
  uint64_t start = 0;
  uint64_t end = 0;
  while (!out.Stopped() && cursor.NextHeld(from, &start, &end)) {
    for (uint64_t at = start; at < end && !out.Stopped();) {
      const uint64_t pieceEnd = std::min(end, (at / kPiece + 1) * kPiece);
      if (!cursor.Copy(at, pieceEnd, buffer.data(), 0)) return false;
      lines.Data(static_cast<uint32_t>(at), buffer.data(), static_cast<size_t>(pieceEnd - at));
      at = pieceEnd;
    }
    from = end;
  }
  return true;
}

// About how many bytes the hex formats write: three characters a byte held.
uint64_t HexOutputSize(const MemoryImage& memory) {
  uint64_t held = 0;
  for (const MemoryRun& run : memory.Runs()) held += run.end - run.start;
  return held * 3;
}

bool Convert(LoadedImage& loaded, ExportFormat format, uint8_t fill, Writer& out,
             Diagnostics& diag) {
  const uint64_t expected = format == ExportFormat::kFlat ? 0 : HexOutputSize(loaded.memory());
  switch (format) {
    case ExportFormat::kFlat:
      return WriteFlat(loaded, fill, out, diag);
    case ExportFormat::kSrec:
      return Pipelined(out, expected, [&](Writer& lineOut) {
        SrecLines lines(lineOut);
        lines.Header();
        if (!WriteHeld(loaded, lines, lineOut)) return false;
        lines.End(loaded.EntryAddress());
        return true;
      });
    case ExportFormat::kIhex:
      return Pipelined(out, expected, [&](Writer& lineOut) {
        IhexLines lines(lineOut);
        if (!WriteHeld(loaded, lines, lineOut)) return false;
        lines.End(loaded.HasEntry() ? std::optional<uint32_t>(loaded.EntryAddress())
                                    : std::nullopt);
        return true;
      });
  }
  return false;
}

// The scan hands its records over; the loading needs only the table.
class NoRecordConsumer : public RecordConsumer {
 public:
  void RecordData(const RecordItem&, uint32_t, const uint8_t*, size_t) override {}
  void Record(const RecordItem&) override {}
};

// Opens the image and scans its records; false, told on standard error, when it
// cannot be used.
bool OpenForExport(HostServices& host, const std::string& path, OpenedImage* opened,
                   Diagnostics& diag) {
  *opened = OpenImage(host, path);
  if (!opened->Usable()) {
    diag.Warn("%s", UnusableImageText(opened->item).c_str());
    return false;
  }
  Image& image = *opened->image;
  NoRecordConsumer none;
  const NeverStopped neverStopped;
  ScanRecords(image.file, false, none, neverStopped, image.scratch.data(), &image.records);
  return true;
}

}  // namespace

int ExportImage(HostServices& host, const std::string& path, ExportFormat format, uint8_t fill,
                Writer& out, Diagnostics& diag) {
  if (host.OutputIsTerminal()) {
    diag.Warn("%s", TerminalRefusedText(format == ExportFormat::kFlat).c_str());
    return kExportFailed;
  }
  OpenedImage opened;
  if (!OpenForExport(host, path, &opened, diag)) return kExportFailed;
  LoadedImage loaded;
  if (!loaded.Load(*opened.image)) {
    diag.Warn("%s", SizeUnknownText(path).c_str());
    return kExportFailed;
  }
  const LoadFacts facts = loaded.CheckLoad();
  TellLoad(facts, path, diag);
  if (facts.unreadable) return kExportFailed;
  if (!Convert(loaded, format, fill, out, diag)) {
    diag.Warn("%s", ImageUnreadableText(path).c_str());
    return kExportFailed;
  }
  // Output that could not be written ends the run without the verdicts: the
  // driver tells of the failure.
  if (out.Stopped()) return kExportFailed;
  FirstFew<FailingChecksum> failing;
  if (!loaded.CheckSums(&failing)) {
    diag.Warn("%s", ImageUnreadableText(path).c_str());
    return kExportFailed;
  }
  TellChecksums(failing, diag);
  return kExportDone;
}

}  // namespace romscope
