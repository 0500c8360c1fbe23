// Dialog units to pixels, as Windows converts them: the horizontal base unit
// is the font's average character width (taken over the 52 Latin letters and
// rounded), the vertical one its height; x pixels = x units * base / 4 and
// y pixels = y units * base / 8, rounded.
#pragma once

#include "app/layout/dialog_template.h"

namespace morvik {

struct DialogBaseUnits {
  int x = 0;
  int y = 0;
};

struct PixelRect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;

  friend constexpr bool operator==(const PixelRect&, const PixelRect&) = default;
};

// number * numerator / denominator, rounded half away from zero.
int MulDiv(int number, int numerator, int denominator);

// alphabetWidth: the width in pixels of "A".."Z" followed by "a".."z".
DialogBaseUnits BaseUnitsFromFont(int alphabetWidth, int fontHeight);

int HorizontalPixels(int units, DialogBaseUnits base);
int VerticalPixels(int units, DialogBaseUnits base);
PixelRect ToPixels(const DialogRect& rect, DialogBaseUnits base);

}  // namespace morvik
