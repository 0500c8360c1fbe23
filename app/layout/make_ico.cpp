// Writes the application icon, as drawn by DrawAppIcon, to a .ico file:
//   morvik-make-ico app/win32/app_icon.ico
// The Windows build embeds that file as icon resource 128.
#include <array>
#include <cstdio>
#include <fstream>

#include "app/layout/icon_file.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: morvik-make-ico FILE.ico\n");
    return 2;
  }
  const std::array images = {morvik::DrawAppIcon(32), morvik::DrawAppIcon(16)};
  const std::vector<std::uint8_t> bytes = morvik::IconFileBytes(images);
  std::ofstream file(argv[1], std::ios::binary);
  file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return file ? 0 : 1;
}
