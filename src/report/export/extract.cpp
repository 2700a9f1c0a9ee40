#include "report/export/export.h"

namespace romscope {

int ExtractImage(HostServices&, const std::string&, const std::string&, bool, Writer&,
                 Diagnostics& diag) {
  diag.Warn("-extract is not built yet");
  return 2;
}

}  // namespace romscope
