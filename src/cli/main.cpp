// The program entry: the system's services around one run.
#include "cli/driver.h"
#include "host/system_host.h"

int main(int argc, char** argv) {
  romscope::SystemHost host;
  romscope::Writer out(host.StandardOutput());
  romscope::Diagnostics diag(out, host.StandardError());
  return romscope::RunRomscope(host.CommandLine(argc, argv), host, out, diag);
}
