#include "app/qt/qt_icon.h"

#include <QPixmap>

namespace morvik {

QImage ToQImage(const IconImage& icon) {
  QImage image(icon.size, icon.size, QImage::Format_ARGB32);
  for (int y = 0; y < icon.size; ++y) {
    for (int x = 0; x < icon.size; ++x) {
      const int index = icon.At(x, y);
      const QRgb colour = index == kTransparent
                              ? qRgba(0, 0, 0, 0)
                              : (0xFF000000u | kIconPalette[static_cast<std::size_t>(index)]);
      image.setPixel(x, y, colour);
    }
  }
  return image;
}

QIcon AppIcon() {
  QIcon icon;
  for (const int size : {32, 16}) icon.addPixmap(QPixmap::fromImage(ToQImage(DrawAppIcon(size))));
  return icon;
}

}  // namespace morvik
