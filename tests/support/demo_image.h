// A small but realistic image for the README's first command and the tour.
#pragma once

#include "support/bin_builder.h"

namespace romscope::testing {

Bytes DemoImage();

}  // namespace romscope::testing
