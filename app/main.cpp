// morvik-card-writer: the operator's window for writing Morvik IC cards.
#include <QApplication>
#include <cstdio>

#include "app/qt/display.h"
#include "app/qt/qt_application.h"
#include "app/qt/qt_dialog_host.h"
#include "app/serial_app.h"

int main(int argc, char** argv) {
  if (!morvik::DisplayAvailable()) {
    std::fprintf(stderr, "morvik-card-writer: %s", morvik::kNoDisplay);
    return 1;
  }
  QApplication application(argc, argv);
  morvik::SetUpApplication(application, QStringLiteral("morvik-card-writer"));

  // What escapes is a fault of ours: the process ends with the status the
  // window gives a failure, not with an abort.
  try {
    morvik::QtDialogHost host;
    return morvik::RunMainWindow(host);
  } catch (...) {
    return 1;
  }
}
