#include "report/diff/diff.h"

namespace romscope {

int CompareImages(HostServices&, const std::string&, const std::string&, bool, Writer&,
                  Diagnostics& diag) {
  diag.Warn("-diff is not built yet");
  return 2;
}

}  // namespace romscope
