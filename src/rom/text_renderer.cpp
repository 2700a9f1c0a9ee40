// The text report's frame, the scan and the search, and the first sections
// of each report: the ROM header, its extensions and the copy sections.
#include "rom/text_renderer.h"

#include "base/format.h"
#include "image/data_dump.h"

namespace romscope {

const char* CpuTypeName(uint16_t usCpu) {
  switch (usCpu) {
    case 0x014C:
      return "(x86)\n";
    case 0x0166:
      return "(R4000)\n";
    case 0x01A2:
      return "(SH3)\n";
    case 0x01A3:
      return "(SH3-DSP)\n";
    case 0x01A4:
      return "(SH3e)\n";
    case 0x01A6:
      return "(SH4)\n";
    case 0x01C0:
      return "(ARM)\n";
    case 0x01C2:
      return "(Thumb)\n";
    case 0x01F0:
      return "(PPC)\n";
    case 0x0266:
      return "(MIPS16)\n";
    case 0x0366:
      return "(MIPSFPU)\n";
    case 0x0466:
      return "(MIPSFPU16)\n";
    default:
      return "(Unknown)";
  }
}

TextRenderer::TextRenderer(Writer& out, const RunOptions& options)
    : out_(out),
      listRecords_(options.printRec || options.printData),
      dump_(options.printData != 0),
      details_(options.printObj != 0),
      checkFiles_(options.checkFiles != 0) {}

void TextRenderer::ReadTooBig(uint64_t size) {
  if (size <= UINT32_MAX) {
    out_.Printf("Trying to read %d bytes (too big)\n", static_cast<int32_t>(size));
  } else {
    out_.Printf("Trying to read %llu bytes (too big)\n", static_cast<unsigned long long>(size));
  }
}

void TextRenderer::Begin(const std::string& path) {
  out_.Printf("RomScope... %s\n", path.c_str());
}

void TextRenderer::OpenFailed(const std::string& path, const std::string&) {
  out_.Printf("Error opening %s\n", path.c_str());
}

void TextRenderer::BinHeaderFailed(BinHeaderStatus status, const std::string& path) {
  switch (status) {
    case BinHeaderStatus::kSignatureUnreadable:
      out_.Printf("Error reading %s (%d)\n", path.c_str(), 1111);
      break;
    case BinHeaderStatus::kSignatureMismatch:
      out_.Put("Missing initial signature (BOOOFF\n). Not a BIN file\n");
      break;
    case BinHeaderStatus::kTruncated:  // no line: the tool never printed one
    case BinHeaderStatus::kOk:
      break;
  }
}

void TextRenderer::BinHeaderRead(const BinHeader& header) {
  out_.Printf("Image Start = 0x%08X, length = 0x%08X\n", header.imageStart, header.imageLength);
}

// "Record [%3d] : Start = 0x%08X, Length = 0x%08X, Chksum = 0x%08X\n"
void TextRenderer::Record(size_t index, const RecordInfo& record) {
  if (!listRecords_) return;
  char* line = out_.Reserve(96);
  char* p = PutLiteral(line, "Record [");
  p = PutDecimal(p, index, 3);
  p = PutLiteral(p, "] : Start = 0x");
  p = PutHex8(p, record.start);
  p = PutLiteral(p, ", Length = 0x");
  p = PutHex8(p, record.length);
  p = PutLiteral(p, ", Chksum = 0x");
  p = PutHex8(p, record.checksum);
  *p++ = '\n';
  out_.Commit(static_cast<size_t>(p - line));
}

void TextRenderer::Terminator(const RecordInfo& record) {
  out_.Printf("\t\tStart address = 0x%08X\n", record.length);
}

void TextRenderer::RecordData(uint32_t address, const uint8_t* data, size_t size) {
  if (dump_) PrintDumpLines(out_, address, data, size);
}

void TextRenderer::RecordDataEnd(const RecordInfo& record, uint32_t sum, bool) {
  if (!dump_) return;
  out_.Put("\n");
  out_.Put(sum == record.checksum ? " Chksum valid\n" : " Chksum error found in this record\n");
}

void TextRenderer::End() {
  out_.Put("Done.\n");
}

void TextRenderer::CheckingRecord(const TocLocation& candidate) {
  out_.Printf("Checking record #%zu for potential TOC (ROMOFFSET = 0x%08X)\n",
              candidate.headerRecord, candidate.romOffset);
}

void TextRenderer::TocNotice(Notice notice, const TocLocation& candidate, const ROMHDR& h) {
  if (notice == Notice::kPhysRange) {
    out_.Printf(
        "NOTICE! Record %zu looked like a TOC except Phys first = 0x%08X, and Phys last = "
        "0x%08X\r\n",
        candidate.headerRecord, h.ulPhysFirst, h.ulPhysLast);
  } else {
    out_.Printf(
        "NOTICE! Record %zu looked like a TOC except DLL first = 0x%08X, and DLL last = "
        "0x%08X\r\n",
        candidate.headerRecord, h.ulDllFirst, h.ulDllLast);
  }
}

void TextRenderer::TocFound(const TocLocation& toc) {
  out_.Printf("Found pTOC  = 0x%08x\n", toc.pTOC);
  out_.Printf("ROMOFFSET = 0x%08X\n", toc.romOffset);
}

void TextRenderer::RomHeader(const ROMHDR* header) {
  if (header == nullptr) {
    out_.Put("Couldn't locate TOC data\n");
    return;
  }
  const ROMHDR& h = *header;
  // Counts print as signed numbers, as the report always showed them.
  auto count = [](uint32_t value) { return static_cast<int32_t>(value); };
  out_.Put("\nROMHDR ----------------------------------------\n");
  out_.Printf("    DLL First           : 0x%08X  \n", h.ulDllFirst);
  out_.Printf("    DLL Last            : 0x%08X  \n", h.ulDllLast);
  out_.Printf("    Physical First      : 0x%08X  \n", h.ulPhysFirst);
  out_.Printf("    Physical Last       : 0x%08X  \n", h.ulPhysLast);
  out_.Printf("    RAM Start           : 0x%08X  \n", h.ulRamStart);
  out_.Printf("    RAM Free            : 0x%08X  \n", h.ulRamFree);
  out_.Printf("    RAM End             : 0x%08X  \n", h.ulRamEnd);
  out_.Printf("    Kernel flags        : 0x%08X  \n", h.ulKernelFlags);
  out_.Printf("    Prof Symbol Offset  : 0x%08X  \n", h.ulProfSymbolOffset);
  out_.Printf("    Num Copy Entries    : %10d    \n", count(h.ulNumCopyEntries));
  out_.Printf("    Copy Entries Offset : 0x%08X  \n", h.ulCopyEntriesOffset);
  out_.Printf("    Num Modules         : %10d    \n", count(h.ulNumModules));
  out_.Printf("    Num Files           : %10d    \n", count(h.ulNumFiles));
  out_.Printf("    MiscFlags           : 0x%08X  \n", static_cast<uint32_t>(h.usMiscFlags));
  out_.Printf("    CPU                 :     0x%04x ", static_cast<uint32_t>(h.usCpu));
  out_.Put(CpuTypeName(h.usCpu));
  out_.Printf("    Extensions          : 0x%08X\n", h.ulExtensions);
}

void TextRenderer::ExtensionHeadRead(uint32_t, const ExtensionHead* head) {
  if (head == nullptr) {
    out_.Put("Couldn't locate TOC Extensions\n");
    return;
  }
  out_.Put("\nROMHDR Extensions -----------------------------\n");
  for (int i = 0; i < 10; ++i) out_.Printf("    PID[%d] = 0x%08X\n", i, head->PID[i]);
  out_.Printf("    Next: %08x\n", head->Next);
}

void TextRenderer::ExtensionRecordRead(uint32_t address, const ExtensionRecord* record) {
  out_.Printf("\n    -- Location: %08x\n", address);
  if (record == nullptr) {
    out_.Put("Couldn't locate TOC Extensions\n");
    return;
  }
  const ExtensionRecord& r = *record;
  out_.Put("    Name: ");
  const size_t length = r.NameLength();
  out_.Put(reinterpret_cast<const char*>(r.Name), length);
  for (size_t fill = length; fill < sizeof r.Name; ++fill) out_.PutChar(' ');
  out_.Printf(
      "\n    Type:     %08x\n    pData:    %08x\n    Length:   %08x\n    "
      "Reserved: %08x\n    Next:     %08x\n",
      r.Type, r.pData, r.Length, r.Reserved, r.Next);
}

void TextRenderer::ChainEntryRead(uint32_t, const ChainEntry& e) {
  out_.Printf(
      "      Addr:     %08x\n      MaxLenth: %08x\n      Order:    %04x\n      Flags:    "
      "%04x\n      reserved: %08x\n",
      e.Addr, e.MaxLenth, static_cast<uint32_t>(e.Order), static_cast<uint32_t>(e.Flags),
      e.reserved);
}

void TextRenderer::ExtensionBufferFailed(uint32_t) {
  out_.Put("Error: failed allocating extention buffer\n");
}

void TextRenderer::CopySectionsBegin(uint32_t count, bool readable) {
  if (count == 0) return;  // no copy table: not even the heading
  out_.Put(readable ? "\nCOPY Sections ---------------------------------\n"
                    : "Couldn't locate copy secitons\n");
}

void TextRenderer::CopySection(uint32_t, const CopyEntry& e, bool) {
  out_.Printf("    Src: 0x%08X   Dest: 0x%08X   CLen: 0x%-6X   DLen: 0x%-6X\n", e.Src, e.Dest,
              e.CLen, e.DLen);
}

}  // namespace romscope
