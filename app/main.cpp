// morvik-card-writer: the operator's window for writing Morvik IC cards.
#include <QApplication>

#include "app/qt/dialog_font.h"
#include "app/dialog/painting_clock.h"
#include "app/qt/qt_dialog_host.h"
#include "app/qt/qt_icon.h"
#include "app/serial_app.h"
#include "link/system_serial.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  QApplication::setQuitOnLastWindowClosed(false);
  morvik::ApplyDialogStyle();
  QApplication::setWindowIcon(morvik::AppIcon());
  QGuiApplication::setDesktopFileName(QStringLiteral("morvik-card-writer"));

  const std::unique_ptr<morvik::SerialPlatform> serial = morvik::MakeSystemSerialPlatform();
  morvik::SystemClock systemClock;
  morvik::QtDialogHost host;
  morvik::PaintingClock clock(systemClock, host);
  morvik::CSerialApp app(*serial, clock);
  return app.Run(host);
}
