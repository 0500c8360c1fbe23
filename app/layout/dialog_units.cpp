#include "app/layout/dialog_units.h"

#include <cstdint>

namespace morvik {

int MulDiv(int number, int numerator, int denominator) {
  if (denominator == 0) return -1;
  const std::int64_t product = static_cast<std::int64_t>(number) * numerator;
  const std::int64_t half = (denominator < 0 ? -denominator : denominator) / 2;
  const bool negative = (product < 0) != (denominator < 0);
  const std::int64_t magnitude = (product < 0 ? -product : product) + half;
  const std::int64_t quotient = magnitude / (denominator < 0 ? -denominator : denominator);
  return static_cast<int>(negative ? -quotient : quotient);
}

DialogBaseUnits BaseUnitsFromFont(int alphabetWidth, int fontHeight) {
  return {(alphabetWidth / 26 + 1) / 2, fontHeight};
}

int HorizontalPixels(int units, DialogBaseUnits base) { return MulDiv(units, base.x, 4); }

int VerticalPixels(int units, DialogBaseUnits base) { return MulDiv(units, base.y, 8); }

PixelRect ToPixels(const DialogRect& rect, DialogBaseUnits base) {
  return {HorizontalPixels(rect.x, base), VerticalPixels(rect.y, base),
          HorizontalPixels(rect.width, base), VerticalPixels(rect.height, base)};
}

}  // namespace morvik
