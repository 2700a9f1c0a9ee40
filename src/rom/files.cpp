// The file section: one line per file of the ROM's file table, and with
// -checkfiles a warning for each file whose data is not inside one record.
#include "base/le.h"
#include "rom/report.h"

namespace romscope {
namespace {

constexpr uint32_t kCompressed = 0x800;
constexpr uint32_t kHidden = 0x2;
constexpr uint32_t kReadOnly = 0x1;
constexpr uint32_t kSystem = 0x4;

char Letter(uint32_t attributes, uint32_t bit, char letter) {
  return (attributes & bit) != 0 ? letter : '_';
}

}  // namespace

void Report::PrintFiles() {
  const uint32_t count = saved_.ulNumFiles;
  // Placed by the module count alone, also when the module table was unreadable.
  const uint32_t table = FileTableAddress(pTOC_, saved_.ulNumModules);
  if (count != 0 && !Read(scratch_, table, TableBytes(count, kFileEntrySize))) {
    out_.Put("Couldn't locate Files data\n");
    return;
  }
  out_.Put("\nFILES ----------------------------------------\n");
  for (uint32_t i = 0; i < count && !Stopped(); ++i) {
    const uint8_t* entry = scratch_ + static_cast<size_t>(kFileEntrySize) * i;
    const uint32_t attributes = Read32le(entry);
    const uint32_t nFileSize = Read32le(entry + 12);
    const uint32_t nStoredSize = Read32le(entry + 16);
    const uint32_t ulLoadOffset = Read32le(entry + 24);
    const bool compressed = (attributes & kCompressed) != 0;
    ReadName(Read32le(entry + 20));
    ConvertTime(Read64le(entry + 4));
    const CalendarTime& t = calendar_;
    out_.Printf("     %2d/%02d/%04d  %02d:%02d:%02d  %c%c%c%c %10d %10d  %24s (ROM 0x%08X)\n",
                t.month, t.day, t.year, t.hour, t.minute, t.second,
                Letter(attributes, kCompressed, 'C'), Letter(attributes, kHidden, 'H'),
                Letter(attributes, kReadOnly, 'R'), Letter(attributes, kSystem, 'S'),
                static_cast<int32_t>(compressed ? nStoredSize : 0), static_cast<int32_t>(nFileSize),
                name_, ulLoadOffset);
    if (options_.checkFiles &&
        !reader_.InRecordSpace(ulLoadOffset, compressed ? nStoredSize : nFileSize, romOffset_)) {
      out_.Put("File not in record space. Potentially truncated file!\n");
    }
  }
}

}  // namespace romscope
