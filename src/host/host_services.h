// What a run needs from its host; the system provides one (SystemHost),
// tests and the fuzzer provide their own.
#pragma once

#include <memory>
#include <string>

#include "host/byte_source.h"
#include "host/output_folder.h"

namespace romscope {

class HostServices {
 public:
  virtual ~HostServices() = default;
  virtual bool EnvironmentHas(const char* name) = 0;
  virtual void DebugBreak() = 0;
  virtual std::unique_ptr<ByteSource> OpenInput(const std::string& path, std::string* reason) = 0;
  // Whether standard output is a terminal, which binary output must not reach.
  virtual bool OutputIsTerminal() = 0;
  // The folder an extraction writes into (see output_folder.h). A host that
  // writes no folders (a test or a fuzz run of other tools) refuses every one.
  virtual std::unique_ptr<OutputFolder> OpenOutputFolder(const std::string& /*path*/,
                                                         std::string* reason) {
    *reason = "this host writes no folders";
    return nullptr;
  }
};

}  // namespace romscope
