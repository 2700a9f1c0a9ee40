// Writes the demo image that the build leaves beside the tool.
#include <cstdio>

#include "support/demo_image.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_demo OUTPUT\n");
    return 2;
  }
  romscope::testing::Bytes image = romscope::testing::DemoImage();
  std::FILE* file = std::fopen(argv[1], "wb");
  if (file == nullptr) {
    std::perror(argv[1]);
    return 1;
  }
  bool ok = std::fwrite(image.data(), 1, image.size(), file) == image.size();
  ok = std::fclose(file) == 0 && ok;
  if (!ok) std::perror(argv[1]);
  return ok ? 0 : 1;
}
