// Writes icon resource 128 as PNG files for the desktop entry:
// <dir>/32/morvik-card-writer.png and <dir>/16/morvik-card-writer.png.
#include <QDir>
#include <QGuiApplication>
#include <cstdio>

#include "app/qt/display.h"
#include "app/qt/qt_icon.h"

int main(int argc, char** argv) {
  // It draws into images: without a display it draws off screen.
  if (!morvik::DisplayAvailable()) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication application(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: morvik-icon-export <directory>\n");
    return 2;
  }
  for (const int size : {32, 16}) {
    const QString dir = QString::fromLocal8Bit(argv[1]) + "/" + QString::number(size);
    if (!QDir().mkpath(dir)) return 1;
    if (!morvik::ToQImage(morvik::DrawAppIcon(size)).save(dir + "/morvik-card-writer.png")) return 1;
  }
  return 0;
}
