// Renders the main window and the About box to PNG files for review. The
// window runs as the operator sees it, with a simulated writer on COM3 so
// that the customer ID is filled in.
#include <QApplication>
#include <QDir>
#include <QTimer>
#include <cstdio>

#include "app/qt/dialog_font.h"
#include "app/qt/qt_dialog_host.h"
#include "app/serial_dlg.h"
#include "sim/loopback_serial.h"
#include "window/control_ids.h"

namespace {

bool Save(QWidget* widget, const QString& path) {
  const bool saved = widget && widget->grab().save(path);
  std::printf("%s %s\n", saved ? "wrote" : "FAILED", qPrintable(path));
  return saved;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  QApplication::setQuitOnLastWindowClosed(false);
  morvik::ApplyDialogStyle();
  const QString dir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("screenshots");
  QDir().mkpath(dir);

  morvik::sim::VirtualClock clock;
  morvik::sim::LoopbackPlatform platform(clock);
  morvik::sim::WriterModel writer;
  platform.AttachWriter(3, writer);
  morvik::QtDialogHost host;
  morvik::CSerialDlg window(host, platform, clock);

  bool ok = true;
  QTimer::singleShot(600, [&] {
    ok = Save(host.dialog(), dir + "/main-window.png") && ok;
    host.services().SetCheck(morvik::kIdcMailCheck, 1);
    window.OnMailCheck();
    ok = Save(host.dialog(), dir + "/main-window-mail.png") && ok;
    QTimer::singleShot(300, [&] {
      ok = Save(QApplication::activeModalWidget(), dir + "/about-box.png") && ok;
      QApplication::activeModalWidget()->close();
      QTimer::singleShot(100, [&] { host.dialog()->close(); });
    });
    window.Dispatch(morvik::SystemCommandMessage(morvik::kSysCmdAbout));
  });
  window.DoModal();
  return ok ? 0 : 1;
}
