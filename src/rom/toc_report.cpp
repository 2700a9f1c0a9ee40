// The frame of the report and its first section, the ROM header.
#include "rom/toc_report.h"

namespace romscope {

TocReport::TocReport(const InspectPlan& plan, Image& image, InspectionConsumer& consumer,
                     const StopSignal& stop)
    : plan_(plan),
      image_(image),
      consumer_(consumer),
      stop_(stop),
      scratch_(image.scratch.data()) {}

void TocReport::ReportToc(const TocLocation& toc, size_t index) {
  if (toc.pTOC == 0) return;
  pTOC_ = toc.pTOC;
  romOffset_ = toc.romOffset;

  TocItem item;
  item.index = index;
  item.location = toc;
  if (Read(scratch_, pTOC_, ROMHDR::kSize, item.problems)) {
    item.header = DecodeAt<ROMHDR>(scratch_);
  } else {
    item.problems.push_back({ProblemKind::kTocHeaderUnreadable});
  }
  consumer_.Toc(item);
  end_ = ScopeEnd{ScopeEnd::kToc, item.problems, false, 1u << kHeaderSection};

  // Nothing of an earlier report stands in for an unreadable header's values.
  SavedHeader saved;
  if (item.header) {
    const ROMHDR& header = *item.header;
    saved.ulNumModules = header.ulNumModules;
    saved.ulNumFiles = header.ulNumFiles;
    saved.ulNumCopyEntries = header.ulNumCopyEntries;
    saved.ulCopyEntriesOffset = header.ulCopyEntriesOffset;
    saved.ulProfSymbolOffset = header.ulProfSymbolOffset;
    if (header.ulExtensions != 0 && !ReadExtensions(header.ulExtensions)) {
      consumer_.Close(end_);
      return;
    }
  }
  const ProfileLocation profile = ReadCopySections(saved);
  ReadModules(saved);
  ReadFiles(saved);
  if (plan_.symbols) ReadSymbols(saved, profile);
  consumer_.Close(end_);
}

void TocReport::Reached(ReportSection section, const Problems& problems) {
  end_.reached |= 1u << section;
  end_.problems.insert(end_.problems.end(), problems.begin(), problems.end());
}

void TocReport::CloseTable(const TableItem& table) {
  if (table.readable) consumer_.Close(ScopeEnd{ScopeEnd::kTable});
}

bool TocReport::Read(uint8_t* dst, uint32_t address, uint64_t size, Problems& problems) {
  if (size > ImageReader::kMaxRead) {
    problems.push_back({ProblemKind::kReadTooBig, size});
    return false;
  }
  return image_.reader.ReadImage(dst, address, size, romOffset_);
}

TableItem TocReport::ReadTable(TableItem::Kind kind, uint32_t address, uint32_t count,
                               uint32_t entrySize) {
  static constexpr ProblemKind kUnreadable[] = {ProblemKind::kModulesUnreadable,
                                                ProblemKind::kFilesUnreadable,
                                                ProblemKind::kProfilesUnreadable};
  TableItem table;
  table.kind = kind;
  table.count = count;
  table.address = address;
  table.readable =
      count == 0 || Read(scratch_, address, TableBytes(count, entrySize), table.problems);
  if (!table.readable) table.problems.push_back({kUnreadable[kind]});
  return table;
}

void TocReport::ReadName(uint32_t address, ItemName* name, Problems* problems) {
  name->readable = image_.reader.ReadString(name_, sizeof name_, address, romOffset_);
  name->text.assign(name->readable ? name_ : "");
  if (!name->readable) problems->push_back({ProblemKind::kNameUnreadable, 0, address});
}

}  // namespace romscope
