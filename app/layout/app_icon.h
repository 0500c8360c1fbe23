// Icon resource 128, drawn in code: a chip card with the waves of a
// contactless reader. 16 colours; one image of 32 by 32 and one of 16 by 16.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace morvik {

inline constexpr int kTransparent = -1;

// The 16 colours of the icon's palette, 0xRRGGBB.
inline constexpr std::array<std::uint32_t, 16> kIconPalette = {
    0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xC0C0C0,
    0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};

struct IconImage {
  int size = 0;
  std::vector<int> pixels;  // palette indexes row by row, kTransparent for none

  int At(int x, int y) const { return pixels[static_cast<std::size_t>(y * size + x)]; }
};

// size 32 or 16.
IconImage DrawAppIcon(int size);

}  // namespace morvik
