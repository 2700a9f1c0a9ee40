// -extract=DIR: the extraction (export/extraction.h) of every table of
// contents into the folder, listed as it goes, with what loading found told
// on standard error.
#include <memory>

#include "export/extraction.h"
#include "export/loaded_image.h"
#include "report/catalogue.h"
#include "report/catalogue_export.h"
#include "report/export/export.h"
#include "report/export/extract_listing.h"
#include "report/export/load_messages.h"
#include "rom/collector.h"

namespace romscope {
namespace {

// Ends the listing with `error`, told on standard error too unless it was
// told already.
int Fail(ExtractListing& listing, Diagnostics* diag, const std::string& error) {
  if (diag != nullptr) diag->Warn("%s", error.c_str());
  listing.End(error);
  return kExportFailed;
}

// Loads the image and tells what loading and the collection's scan found;
// false when the file could not be read (told already).
bool LoadForExtraction(Inspection& inspection, const std::string& path, LoadedImage* loaded,
                       Diagnostics& diag) {
  if (!loaded->Load(*inspection.opened.image)) {
    diag.Warn("%s", SizeUnknownText(path).c_str());
    return false;
  }
  const LoadFacts facts = loaded->CheckLoad();
  TellLoad(facts, path, diag);
  if (facts.unreadable) return false;
  TellChecksums(FailingChecksums(inspection.collected, inspection.opened.image->records), diag);
  return true;
}

}  // namespace

int ExtractImage(HostServices& host, const std::string& path, const std::string& dir, bool json,
                 Writer& out, Diagnostics& diag) {
  std::unique_ptr<ExtractListing> listing = json ? MakeJsonListing(out) : MakeTextListing(out);
  listing->Begin(path, dir);
  Inspection inspection;
  CollectInspection(host, path, &inspection);
  if (!inspection.opened.Usable()) {
    return Fail(*listing, &diag, UnusableImageText(inspection.opened.item));
  }
  LoadedImage loaded;
  if (!LoadForExtraction(inspection, path, &loaded, diag)) {
    return Fail(*listing, nullptr, ImageUnreadableText(path));
  }
  std::string reason;
  std::unique_ptr<OutputFolder> root = host.OpenOutputFolder(dir, &reason);
  if (!root) return Fail(*listing, &diag, FolderRefusedText(dir, reason));

  Extraction extraction(loaded, *listing, out);
  for (const CollectedToc& toc : inspection.collected.tocs) {
    if (out.Stopped()) break;
    extraction.Toc(toc, *root);
  }
  if (!inspection.collected.complete) return Fail(*listing, &diag, TooManyItemsText());
  listing->End({});
  return extraction.AnyLeftOut() ? kExportFailed : kExportDone;
}

}  // namespace romscope
