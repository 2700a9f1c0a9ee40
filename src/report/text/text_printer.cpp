// The text report's frame: the image, the records, the search, and the first
// sections of each report: the ROM header, its extensions, the copy sections.
#include "report/text/text_printer.h"

#include "base/format.h"
#include "report/catalogue.h"
#include "report/text/dump.h"

namespace romscope {

TextPrinter::TextPrinter(Writer& out, Diagnostics& diag, bool listRecords)
    : out_(out), diag_(diag), listRecords_(listRecords) {}

void TextPrinter::PrintProblems(const Problems& problems) {
  for (const Problem& problem : problems) {
    const ProblemInfo& info = Describe(problem.kind);
    if (info.output == ProblemOutput::kReport) {
      out_.Put(ProblemText(problem));
      out_.Put(info.lineEnd);
    } else if (info.output == ProblemOutput::kDiagnostic) {
      diag_.Warn("%s", ProblemText(problem).c_str());
    }
  }
}

void TextPrinter::Begin(const ImageItem& image) {
  out_.Printf("RomScope... %s\n", image.path.c_str());
  if (!image.failure) {
    out_.Printf("Image Start = 0x%08X, length = 0x%08X\n", image.header.imageStart,
                image.header.imageLength);
    return;
  }
  const Problem& failure = *image.failure;
  const ProblemInfo& info = Describe(failure.kind);
  if (info.output == ProblemOutput::kReport) {
    out_.Put(ProblemText(failure, image.path));
    out_.Put(info.lineEnd);
  }
  const std::string diagnostic = DiagnosticText(failure, image.path, image.openReason);
  if (!diagnostic.empty()) diag_.Warn("%s", diagnostic.c_str());
}

// "Record [%3d] : Start = 0x%08X, Length = 0x%08X, Chksum = 0x%08X\n"
void TextPrinter::RecordLine(const RecordItem& record) {
  char* line = out_.Reserve(96);
  char* p = PutLiteral(line, "Record [");
  p = PutDecimal(p, record.index, 3);
  p = PutLiteral(p, "] : Start = 0x");
  p = PutHex8(p, record.record.start);
  p = PutLiteral(p, ", Length = 0x");
  p = PutHex8(p, record.record.length);
  p = PutLiteral(p, ", Chksum = 0x");
  p = PutHex8(p, record.record.checksum);
  *p++ = '\n';
  out_.Commit(static_cast<size_t>(p - line));
}

void TextPrinter::RecordData(const RecordItem& record, uint32_t offset, const uint8_t* data,
                             size_t size) {
  // The record's line comes before its first dump line.
  if (offset == 0) RecordLine(record);
  PrintDumpLines(out_, record.record.start + offset, data, size);
}

void TextPrinter::Record(const RecordItem& record) {
  // A record whose data was shown has had its line already.
  if (listRecords_ && record.bytesRead == 0) RecordLine(record);
  if (record.terminator) {
    out_.Printf("\t\tStart address = 0x%08X\n", record.record.length);
  } else if (record.dataRead) {
    out_.Put("\n");
    out_.Put(record.ChecksumValid() ? " Chksum valid\n" : " Chksum error found in this record\n");
  }
}

void TextPrinter::End() {
  out_.Put("Done.\n");
}

void TextPrinter::Candidate(const TocCandidate& c) {
  out_.Printf("Checking record #%zu for potential TOC (ROMOFFSET = 0x%08X)\n",
              c.location.headerRecord, c.location.romOffset);
  if (!c.problems.empty()) {  // the search's notice
    out_.Put(NoticeText(c));
    out_.Put(kNoticeLineEnd);
  }
  if (c.outcome == TocCandidate::kFound) {
    out_.Printf("Found pTOC  = 0x%08x\n", c.location.pTOC);
    out_.Printf("ROMOFFSET = 0x%08X\n", c.location.romOffset);
  }
}

void TextPrinter::Toc(const TocItem& toc) {
  PrintProblems(toc.problems);
  if (!toc.header) return;
  const ROMHDR& h = *toc.header;
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
  // An unknown processor's text has no line end: the next line goes on from it.
  const char* cpu = CpuName(h.usCpu);
  if (cpu != nullptr) {
    out_.Printf("(%s)\n", cpu);
  } else {
    out_.Put("(Unknown)");
  }
  out_.Printf("    Extensions          : 0x%08X\n", h.ulExtensions);
}

void TextPrinter::ExtensionHead(const ExtensionHeadItem& head) {
  PrintProblems(head.problems);
  if (!head.head) return;
  out_.Put("\nROMHDR Extensions -----------------------------\n");
  for (int i = 0; i < 10; ++i) out_.Printf("    PID[%d] = 0x%08X\n", i, head.head->PID[i]);
  out_.Printf("    Next: %08x\n", head.head->Next);
}

void TextPrinter::ExtensionStep(const ExtensionStepItem& step) {
  if (step.outcome != ExtensionStepItem::kRepeat) {
    out_.Printf("\n    -- Location: %08x\n", step.location);
  }
  if (step.outcome == ExtensionStepItem::kRead) {
    const ExtensionRecord& r = step.record;
    out_.Put("    Name: ");
    const size_t length = r.NameLength();
    out_.Put(reinterpret_cast<const char*>(r.Name), length);
    for (size_t fill = length; fill < sizeof r.Name; ++fill) out_.PutChar(' ');
    out_.Printf(
        "\n    Type:     %08x\n    pData:    %08x\n    Length:   %08x\n    "
        "Reserved: %08x\n    Next:     %08x\n",
        r.Type, r.pData, r.Length, r.Reserved, r.Next);
    for (const ChainEntry& e : step.chain) {
      out_.Printf(
          "      Addr:     %08x\n      MaxLenth: %08x\n      Order:    %04x\n      Flags:    "
          "%04x\n      reserved: %08x\n",
          e.Addr, e.MaxLenth, static_cast<uint32_t>(e.Order), static_cast<uint32_t>(e.Flags),
          e.reserved);
    }
  }
  PrintProblems(step.problems);
}

void TextPrinter::CopySections(const CopySectionsItem& copies) {
  if (copies.count == 0) return;  // no copy table: not even the heading
  PrintProblems(copies.problems);
  if (!copies.readable) return;
  out_.Put("\nCOPY Sections ---------------------------------\n");
  for (const CopySection& section : copies.sections) {
    const CopyEntry& e = section.entry;
    out_.Printf("    Src: 0x%08X   Dest: 0x%08X   CLen: 0x%-6X   DLen: 0x%-6X\n", e.Src, e.Dest,
                e.CLen, e.DLen);
  }
}

}  // namespace romscope
