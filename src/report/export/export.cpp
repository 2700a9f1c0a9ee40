#include "report/export/export.h"

namespace romscope {

int ExportImage(HostServices&, const std::string&, ExportFormat, uint8_t, Writer&,
                Diagnostics& diag) {
  diag.Warn("the conversions are not built yet");
  return 2;
}

int ExtractImage(HostServices&, const std::string&, const std::string&, bool, Writer&,
                 Diagnostics& diag) {
  diag.Warn("-extract is not built yet");
  return 2;
}

}  // namespace romscope
