// morvik-x-grab FILE: saves the whole X screen as a PNG file. Lets the run
// script show what the window looked like on a machine without a display,
// where it runs under Xvfb.
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <cstdio>

#include "app/qt/display.h"

int main(int argc, char** argv) {
  if (!morvik::DisplayAvailable()) {
    std::fprintf(stderr, "morvik-x-grab: %s", morvik::kNoDisplay);
    return 1;
  }
  QGuiApplication application(argc, argv);
  if (argc != 2) return 2;
  QScreen* screen = QGuiApplication::primaryScreen();
  if (screen == nullptr) return 1;
  return screen->grabWindow(0).save(QString::fromLocal8Bit(argv[1]), "PNG") ? 0 : 1;
}
