#include "report/map/map.h"

namespace romscope {

int DrawMap(HostServices&, const std::string&, Writer&, Diagnostics& diag) {
  diag.Warn("-map is not built yet");
  return 2;
}

}  // namespace romscope
