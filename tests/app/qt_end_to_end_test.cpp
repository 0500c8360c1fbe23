// The real window against morvik-writer-sim on a pseudo-terminal, driven as
// an operator drives it: the customer ID shows the writer's, and typing a URL
// and pressing the write button leaves exactly the expected image on the card.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <fstream>
#include <iterator>

#include "app/qt/qt_dialog_host.h"
#include "app/serial_dlg.h"
#include "link/system_serial.h"
#include "tests/support/abc_card.h"
#include "tests/support/process.h"
#include "window/control_ids.h"

namespace morvik {
namespace {

void TypeInto(QWidget* widget, const QString& text) {
  auto* edit = qobject_cast<QLineEdit*>(widget);
  ASSERT_NE(edit, nullptr);
  edit->setFocus();
  edit->selectAll();
  QTest::keyClick(edit, Qt::Key_Delete);
  QTest::keyClicks(edit, text);
}

TEST(QtWindowOnTheSimulator, WriteButtonPutsTheTypedContentOnTheCard) {
  const std::string cardFile = "window-card.bin";  // in the build tree: one per checkout
  std::filesystem::remove(cardFile);
  test::Simulator simulator({"--com", "2", "--cid", "ABCD", "--card-file", cardFile});
  ASSERT_TRUE(simulator.ready());

  const std::unique_ptr<SerialPlatform> serial = MakeSystemSerialPlatform();
  SystemClock clock;
  QtDialogHost host;
  CSerialDlg window(host, *serial, clock);
  QString shownCid;
  // A message the write shows (a failure) is read and closed, so that the
  // test fails with it rather than waiting on it.
  QStringList messages;
  QTimer closer;
  QObject::connect(&closer, &QTimer::timeout, [&] {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
      messages << box->text();
      box->reject();
    }
  });
  closer.start(50);
  auto* poll = new QTimer(qApp);
  QObject::connect(poll, &QTimer::timeout, [&] {
    if (host.busy() || !host.dialog() || window.customerIdEntry().empty()) return;
    poll->stop();
    shownCid = qobject_cast<QLineEdit*>(host.control(kIdcCustomerId))->text();
    TypeInto(host.control(kIdcUrl), "abc");
    TypeInto(host.control(kIdcPopup), "");
    QTest::mouseClick(host.control(kIdcWrite), Qt::LeftButton);
    host.dialog()->close();
  });
  poll->start(20);
  window.DoModal();
  delete poll;

  EXPECT_EQ(shownCid, "ABCD");
  simulator.Stop();  // saves the card
  EXPECT_TRUE(messages.empty()) << messages.join("\n").toStdString() << "\nthe writer's trace:\n"
                                << simulator.errors();
  std::ifstream saved(cardFile, std::ios::binary);
  const std::string card((std::istreambuf_iterator<char>(saved)), {});
  EXPECT_EQ(card, test::AsString(test::AbcContentCard(0xAB, 0xCD, 0xB7)));
  std::filesystem::remove(cardFile);
}

// Without a display the windows' programs end with a status and say why,
// never with Qt's abort; --help and a command line the window cannot take
// are said on the terminal.
TEST(ProgramsWithoutADisplay, SayWhyAndEndWithAStatus) {
  struct Case {
    std::vector<std::string> command;
    int status;
    std::string said;  // at the start of standard output, else within standard error
  };
  const Case cases[] = {
      {{MORVIK_CARD_LINE, "--help"}, 0, "使い方: morvik-card-line [--ports COM3,COM5] [--fast]"},
      {{MORVIK_CARD_LINE, "--ports", "COM40"}, 2, "morvik-card-line: --ports：COM1～COM31 のポートではありません：COM40\n使い方: "},
      {{MORVIK_CARD_LINE, "list.csv"}, 1, "morvik-card-line: no display to show the window on"},
      {{MORVIK_CARD_WRITER}, 1, "morvik-card-writer: no display to show the window on"},
  };
  const std::string platform = qEnvironmentVariable("QT_QPA_PLATFORM").toStdString();
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY"}) unsetenv(name);
  for (const char* platformName : {"", "xcb"}) {
    setenv("QT_QPA_PLATFORM", platformName, 1);
    for (const Case& c : cases) {
      const test::CommandResult result = test::RunCommand(c.command);
      SCOPED_TRACE(c.command.back() + " with QT_QPA_PLATFORM=" + platformName);
      EXPECT_EQ(result.status, c.status) << result.err;
      const bool said = c.status == 0 ? result.out.starts_with(c.said) : result.err.find(c.said) != std::string::npos;
      EXPECT_TRUE(said) << result.out << result.err;
    }
  }
  setenv("QT_QPA_PLATFORM", platform.c_str(), 1);
}

}  // namespace
}  // namespace morvik

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
