// One inspection of an image, from its BIN header to the last report: the
// one traversal that decides what is read, whoever takes the items.
#pragma once

#include <memory>
#include <string>

#include "base/stop_signal.h"
#include "host/host_services.h"
#include "image/image.h"
#include "rom/consumer.h"
#include "rom/items.h"
#include "rom/toc_report.h"

namespace romscope {

// An image opened for inspection: the source and the image over it, or the
// reason it could not be used, in `item`.
struct OpenedImage {
  ImageItem item;
  std::unique_ptr<ByteSource> source;
  std::unique_ptr<Image> image;  // null unless item.failure is empty

  bool Usable() const { return !item.failure; }
};

// Opens `path` and reads its BIN header.
OpenedImage OpenImage(HostServices& host, const std::string& path);

// Hands the inspection of `opened` to `consumer`: the image item; then, when
// the image is usable, its records, every step of the search for tables of
// contents with the report of each one found (as `plan` asks), and End.
// `stop` ends the long loops early.
void Inspect(OpenedImage& opened, const InspectPlan& plan, InspectionConsumer& consumer,
             const StopSignal& stop);

}  // namespace romscope
