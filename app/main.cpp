// morvik-card-writer: the operator's window for writing Morvik IC cards.
#include <QApplication>

#include "app/qt/dialog_font.h"
#include "app/qt/qt_dialog_host.h"
#include "app/qt/qt_icon.h"
#include "app/serial_app.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  QApplication::setQuitOnLastWindowClosed(false);
  morvik::ApplyDialogStyle();
  QApplication::setWindowIcon(morvik::AppIcon());
  QGuiApplication::setDesktopFileName(QStringLiteral("morvik-card-writer"));

  morvik::QtDialogHost host;
  return morvik::RunMainWindow(host);
}
