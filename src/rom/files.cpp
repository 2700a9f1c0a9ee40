// The file section: each file of the ROM's file table, and whether its data
// lies inside one record.
#include "rom/toc_report.h"

namespace romscope {

void TocReport::ReadFiles(const SavedHeader& saved) {
  // Placed by the module count alone, also when the module table was unreadable.
  const TableItem table = ReadTable(TableItem::kFiles, FileTableAddress(pTOC_, saved.ulNumModules),
                                    saved.ulNumFiles, kFileEntrySize);
  consumer_.Table(table);
  Reached(kFilesSection, table.problems);
  FileItem& file = file_;
  for (uint32_t i = 0; table.readable && i < table.count && !stop_.Stopped(); ++i) {
    file.index = i;
    file.entry = DecodeAt<FileEntry>(scratch_ + static_cast<size_t>(FileEntry::kSize) * i);
    file.problems.clear();
    ReadName(file.entry.ulNameOffset, &file.name, &file.problems);
    file.inRecordSpace.reset();
    if (plan_.checkFiles) {
      file.inRecordSpace =
          image_.reader.InRecordSpace(file.entry.ulLoadOffset, file.entry.RomSize(), romOffset_);
      if (!*file.inRecordSpace) file.problems.push_back({ProblemKind::kFileNotInRecordSpace});
    }
    consumer_.File(file);
  }
  CloseTable(table);
}

}  // namespace romscope
