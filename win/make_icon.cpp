// Build-time tool: writes the program's icon file from the shared flame
// geometry, so that Explorer shows what the window shows.
//   make_icon OUTPUT.ico
#include <cstdio>

#include "front/icon_file.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_icon OUTPUT.ico\n");
    return 2;
  }
  const std::vector<std::uint8_t> out =
      quelt::front::AppIconFile({16, 20, 24, 32, 40, 48, 64, 256});
  std::FILE* f = std::fopen(argv[1], "wb");
  if (f == nullptr || std::fwrite(out.data(), 1, out.size(), f) != out.size() ||
      std::fclose(f) != 0) {
    std::perror(argv[1]);
    return 1;
  }
  return 0;
}
