#include "support/demo_image.h"

namespace romscope::testing {

Bytes DemoImage() {
  Bytes boot = BytesOf("ROM image test");
  for (uint8_t b : {0x00, 0x01, 0x02, 0x7F, 0x80, 0xFF}) boot.push_back(b);
  Bytes table(64);
  for (size_t i = 0; i < table.size(); ++i) table[i] = static_cast<uint8_t>(i * 7);
  return BinBuilder()
      .Header(0x80200000, 0x00010000)
      .Record(0x80200000, boot)
      .Record(0x80201000, table)
      .Terminator(0x80201000)
      .Build();
}

}  // namespace romscope::testing
