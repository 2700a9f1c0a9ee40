// What the address reader has to tell about a read, for the renderer of the
// run to show (a line of text, or a problem in the JSON document) where the
// read was made.
#pragma once

#include <cstdint>

namespace romscope {

class ReadMessages {
 public:
  virtual ~ReadMessages() = default;
  // A read of `size` bytes, more than the reader accepts, was refused.
  virtual void ReadTooBig(uint64_t size) = 0;
};

}  // namespace romscope
