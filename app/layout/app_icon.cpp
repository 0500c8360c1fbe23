#include "app/layout/app_icon.h"

#include <array>
#include <cmath>

namespace morvik {
namespace {

constexpr int kBlack = 0;
constexpr int kOlive = 3;
constexpr int kNavy = 4;
constexpr int kGrey = 8;
constexpr int kYellow = 11;
constexpr int kBlue = 12;
constexpr int kWhite = 15;

// Geometry on a 32-pixel grid; a 16-pixel icon samples it at half scale.
struct Box {
  double left, top, right, bottom;
  bool Contains(double x, double y) const { return x >= left && x < right && y >= top && y < bottom; }
};

constexpr Box kCard{1, 11, 27, 29};
constexpr Box kStripe{1, 14, 27, 17};
constexpr Box kChip{5, 19, 12, 25};
constexpr double kWaveX = 20;
constexpr double kWaveY = 10;
constexpr std::array<double, 3> kWaveRadii32 = {4.5, 8, 11.5};
constexpr std::array<double, 3> kWaveRadii16 = {5, 10.5, 0};  // two waves; 0 draws none

bool OnCardEdge(double x, double y, double step) {
  return !Box{kCard.left + step, kCard.top + step, kCard.right - step, kCard.bottom - step}
              .Contains(x, y);
}

bool IsCardCorner(double x, double y, double step) {
  const bool leftOrRight = x < kCard.left + step || x >= kCard.right - step;
  const bool topOrBottom = y < kCard.top + step || y >= kCard.bottom - step;
  return leftOrRight && topOrBottom;
}

int WaveColour(double x, double y, double step) {
  const double dx = x - kWaveX;
  const double dy = kWaveY - y;
  if (dx < 0 || dy < 0) return kTransparent;
  const double distance = std::hypot(dx, dy);
  const bool small = step > 1;
  for (const double radius : small ? kWaveRadii16 : kWaveRadii32) {
    if (radius > 0 && std::abs(distance - radius) < (small ? 1.1 : 0.75)) return kBlue;
  }
  return kTransparent;
}

int CardColour(double x, double y, double step) {
  if (IsCardCorner(x, y, step)) return kTransparent;
  if (OnCardEdge(x, y, step)) return kBlack;
  if (kChip.Contains(x, y)) {
    const bool chipEdge = !Box{kChip.left + step, kChip.top + step, kChip.right - step,
                               kChip.bottom - step}.Contains(x, y);
    return chipEdge ? kOlive : kYellow;
  }
  if (kStripe.Contains(x, y)) return kNavy;
  if (y >= 25 && x >= 15 && x < 24 && static_cast<int>(y) % 2 == 0) return kGrey;
  return kWhite;
}

int PixelColour(double x, double y, double step) {
  if (kCard.Contains(x, y)) return CardColour(x, y, step);
  return WaveColour(x, y, step);
}

}  // namespace

IconImage DrawAppIcon(int size) {
  IconImage image{size, std::vector<int>(static_cast<std::size_t>(size * size), kTransparent)};
  const double step = 32.0 / size;
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      image.pixels[static_cast<std::size_t>(y * size + x)] = PixelColour(x * step, y * step, step);
    }
  }
  return image;
}

}  // namespace morvik
