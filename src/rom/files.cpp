// The file section: each file of the ROM's file table, and whether its data
// lies inside one record.
#include "rom/report.h"

namespace romscope {

void Report::PrintFiles(const SavedHeader& saved) {
  const uint32_t count = saved.ulNumFiles;
  // Placed by the module count alone, also when the module table was unreadable.
  const uint32_t table = FileTableAddress(pTOC_, saved.ulNumModules);
  const bool readable = count == 0 || Read(scratch_, table, TableBytes(count, kFileEntrySize));
  renderer_.FilesBegin(count, readable);
  for (uint32_t i = 0; readable && i < count && !Stopped(); ++i) {
    const FileEntry entry =
        DecodeAt<FileEntry>(scratch_ + static_cast<size_t>(FileEntry::kSize) * i);
    const char* name = ReadName(entry.ulNameOffset);
    bool inRecordSpace = false;
    if (plan_.checkFiles) {
      inRecordSpace = reader_.InRecordSpace(entry.ulLoadOffset, entry.RomSize(), romOffset_);
    }
    renderer_.File(i, entry, name, plan_.checkFiles ? &inRecordSpace : nullptr);
  }
  renderer_.FilesEnd();
}

}  // namespace romscope
