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

}  // namespace
}  // namespace morvik

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
