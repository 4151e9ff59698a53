// Writes the program's icon file, drawn by the code that draws the window's and the notification
// area's icon, for the resources of talvex.exe. Run by the build under Wine.

#include <cstdio>
#include <vector>

#include "platform/win32/program_icon.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: write_icon FILE.ico\n");
    return 2;
  }
  // Small icons at 100 to 200 % (16 to 32), the large ones (32 to 64), and Explorer's biggest.
  const std::vector<int> sizes{16, 20, 24, 32, 40, 48, 64, 256};
  const std::vector<unsigned char> file = talvex::platform::win32::program_icon_file(sizes);
  if (file.empty()) {
    std::fprintf(stderr, "write_icon: cannot draw the icon\n");
    return 1;
  }
  std::FILE* out = std::fopen(argv[1], "wb");
  if (out == nullptr || std::fwrite(file.data(), 1, file.size(), out) != file.size() ||
      std::fclose(out) != 0) {
    std::fprintf(stderr, "write_icon: cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
