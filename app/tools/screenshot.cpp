// Renders the main window, the About box and the production window to PNG
// files for review. The main window runs as the operator sees it, with a
// simulated writer on COM3 so that the customer ID is filled in; the
// production window at the end of a list run on two simulated writers.
#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>

#include "app/line/line_window.h"
#include "app/qt/dialog_font.h"
#include "app/qt/display.h"
#include "app/qt/qt_dialog_host.h"
#include "app/serial_dlg.h"
#include "files/file_access.h"
#include "sim/loopback_serial.h"
#include "window/control_ids.h"

namespace {

bool Save(QWidget* widget, const QString& path) {
  const bool saved = widget && widget->grab().save(path);
  std::printf("%s %s\n", saved ? "wrote" : "FAILED", qPrintable(path));
  return saved;
}

// Six rows on COM3 and COM5, the first card on COM5 taken off at block 20.
bool ShootLineWindow(const QString& dir) {
  QTemporaryDir folder;  // the list's folder, as the one it is opened from
  const QString before = QDir::currentPath();
  QDir::setCurrent(folder.path());
  const std::string list = "顧客リスト.csv";
  std::string error;
  const bool written = morvik::WriteWholeFile(list,
                                              "id,url,popup\n"
                                              "店-1,http://www.example.com/1,ようこそ\n店-2,http://www.example.com/2,\n"
                                              "店-3,http://www.example.com/3,またどうぞ\n店-4,http://www.example.com/4,\n"
                                              "店-5,http://www.example.com/5,いらっしゃいませ\n店-6,http://www.example.com/6,\n",
                                              error);
  if (!written) {
    std::fprintf(stderr, "%s\n", error.c_str());
    QDir::setCurrent(before);
    return false;
  }
  morvik::sim::WriterModel writers[2];
  for (int i = 0; i < 2; ++i) {
    morvik::sim::Idm idm = morvik::sim::kDefaultIdm;
    idm[0] = static_cast<std::uint8_t>(0x30 + 0x20 * i);
    writers[i].StartOperator({10, 500, 1000, idm}, 0);
  }
  writers[1].SetFaults({.removeCardAfterWrites = 20});
  int seats = 0;
  const auto seat = [&] {
    auto clock = std::make_unique<morvik::sim::VirtualClock>();
    auto platform = std::make_unique<morvik::sim::LoopbackPlatform>(*clock);
    platform->AttachWriter(seats % 2 == 0 ? 3 : 5, writers[seats % 2]);
    ++seats;
    return morvik::WriterSeat{std::move(clock), std::move(platform)};
  };
  morvik::sim::VirtualClock clock;
  morvik::QtDialogHost host;
  morvik::CLineDlg window(host, {{"COM3", "COM5"}, true, "", list}, seat, clock);
  bool ok = false;
  bool started = false;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    if (host.busy() || !host.dialog()) return;
    if (!started && host.control(morvik::kIdcLineStart)->isEnabled()) {
      started = true;
      window.OnStart();
    } else if (started && host.control(morvik::kIdcLineOpen)->isEnabled()) {
      poll.stop();
      ok = Save(host.dialog(), dir + "/line-window.png");
      host.dialog()->close();
    }
  });
  poll.start(20);
  window.DoModal();
  QDir::setCurrent(before);
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  // It draws into images: without a display it draws off screen.
  if (!morvik::DisplayAvailable()) qputenv("QT_QPA_PLATFORM", "offscreen");
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
  ok = ShootLineWindow(dir) && ok;
  return ok ? 0 : 1;
}
