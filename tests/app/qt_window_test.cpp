// The main window with real widgets (offscreen): widgets where the template
// puts them, the keys, the system menu stand-in, message boxes and entries
// read as code page 932.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTranslator>
#include <functional>

#include "app/layout/resources.h"
#include "app/qt/dialog_font.h"
#include "app/qt/qt_application.h"
#include "app/qt/qt_dialog_host.h"
#include "app/serial_dlg.h"
#include "sim/loopback_serial.h"
#include "window/control_ids.h"

namespace morvik {
namespace {

constexpr int kWriterCom = 3;

struct QtRig {
  QtRig() { platform.AttachWriter(kWriterCom, writer); }

  // Runs the window; once the writer is connected, step runs inside the
  // modal loop. The window's result is returned.
  int Run(std::function<void()> step) {
    auto* poll = new QTimer(qApp);
    QObject::connect(poll, &QTimer::timeout, [this, poll, step] {
      if (host.busy() || !host.dialog() || window.customerIdEntry().empty()) return;
      poll->stop();
      poll->deleteLater();
      step();
    });
    poll->start(10);
    return window.DoModal();
  }

  // Runs action inside the modal box that the next command opens.
  static void InNextModal(std::function<void(QWidget*)> action) {
    QTimer::singleShot(50, [action] { action(QApplication::activeModalWidget()); });
  }

  QWidget* widget(int id) { return host.control(id); }
  bool portOpen() { return platform.port(kWriterCom).open; }

  sim::VirtualClock clock;
  sim::LoopbackPlatform platform{clock};
  sim::WriterModel writer;
  QtDialogHost host;
  CSerialDlg window{host, platform, clock};
};

TEST(QtMainWindow, WidgetsWhereTheTemplatePutsThemInTheirStates) {
  QtRig rig;
  rig.Run([&] {
    const DialogBaseUnits base = BaseUnitsOf(rig.host.dialog()->font());
    for (const DialogItem& item : MainWindowTemplate().items) {
      if (item.id == kIdcStatic) continue;
      QWidget* control = rig.widget(item.id);
      ASSERT_NE(control, nullptr) << item.id;
      const PixelRect expected = ToPixels(item.rect, base);
      QWidget* placed = item.Has(kRaisedBorder) ? control->parentWidget() : control;
      EXPECT_EQ(placed->x(), expected.x) << item.id;
      EXPECT_EQ(placed->y(), expected.y) << item.id;
      EXPECT_EQ(placed->width(), expected.width) << item.id;
      if (item.kind != ItemKind::kComboBox) {
        EXPECT_EQ(placed->height(), expected.height) << item.id;
      }
      EXPECT_EQ(control->isVisible(), !item.Has(kHidden)) << item.id;
    }
    for (const int hidden : {kIdcCheckUid, kIdcDump, kIdcReport, kIdcSoundTypeList}) {
      EXPECT_FALSE(rig.widget(hidden)->isEnabled()) << hidden;
    }
    EXPECT_EQ(qobject_cast<QPushButton*>(rig.widget(kIdcWrite))->text(), "書き込み");
    EXPECT_EQ(qobject_cast<QLineEdit*>(rig.widget(kIdcCustomerId))->text(), "1234");
    EXPECT_EQ(QApplication::focusWidget(), rig.widget(kIdcUrl));
    EXPECT_EQ(rig.host.ClientSize().width, HorizontalPixels(385, base));
    EXPECT_EQ(rig.host.ClientSize().height, VerticalPixels(365, base));
    const QWidget* dialog = rig.host.dialog();
    EXPECT_EQ(dialog->height(), VerticalPixels(365, base) + dialog->findChild<QMenuBar*>()->height());
    EXPECT_EQ(dialog->font().pixelSize(), 11);  // 8 points at the offscreen screen's 96 dpi
    rig.host.dialog()->close();
  });
}

int IdOf(QtRig& rig, QWidget* widget) {
  for (const DialogItem& item : MainWindowTemplate().items) {
    if (item.id != kIdcStatic && rig.widget(item.id) == widget) return item.id;
  }
  return 0;
}

// The controls Tab visits, starting at the URL entry.
std::vector<int> TabChain(QtRig& rig) {
  std::vector<int> chain;
  QWidget* start = rig.widget(kIdcUrl);
  QWidget* current = start;
  start->setFocus(Qt::TabFocusReason);
  do {
    if (const int id = IdOf(rig, current)) chain.push_back(id);
    QTest::keyClick(current, Qt::Key_Tab);
    current = QApplication::focusWidget();
    while (current && !IdOf(rig, current) && current->parentWidget()) current = current->parentWidget();
  } while (current && current != start && chain.size() < 30);
  return chain;
}

TEST(QtMainWindow, TabOrderFollowsTheTemplateAndTheEnabledStates) {
  QtRig rig;
  rig.Run([&] {
    EXPECT_EQ(TabChain(rig), (std::vector<int>{1001, 1007, 1016, 1011, 1014, 1000, 1, 1018, 1024}));
    QTest::mouseClick(rig.widget(kIdcMailCheck), Qt::LeftButton, {}, QPoint(5, 5));
    rig.host.SelectListItem(kIdcModeList, 3);
    rig.window.OnModeChanged();
    EXPECT_EQ(TabChain(rig), (std::vector<int>{1001, 1007, 1016, 1002, 1003, 1004, 1005, 1011,
                                               1014, 1000, 1, 1018, 1019, 1024}));
    rig.host.dialog()->close();
  });
}

// After a URL was typed: Enter in an entry accepts with the entries taken,
// Escape and the close box cancel without, Enter on a button presses it; the
// port ends closed.
TEST(QtMainWindow, EnterEscapeCloseBoxAndEnterOnAButton) {
  enum Way { kEnter, kEscape, kCloseBox, kEnterOnWrite };
  for (const Way way : {kEnter, kEscape, kCloseBox, kEnterOnWrite}) {
    QtRig rig;
    bool stayed = false;
    const int result = rig.Run([&] {
      qobject_cast<QLineEdit*>(rig.widget(kIdcUrl))->setText("typed");
      QWidget* focus = rig.widget(way == kEnterOnWrite ? kIdcWrite : kIdcPopup);
      focus->setFocus();
      if (way == kCloseBox) {
        rig.host.dialog()->close();
      } else {
        QTest::keyClick(focus, way == kEscape ? Qt::Key_Escape : Qt::Key_Return);
      }
      stayed = rig.host.dialog() && rig.host.dialog()->isVisible();
      if (stayed) rig.host.dialog()->close();
    });
    EXPECT_EQ(result, way == kEnter ? 1 : 2) << way;
    EXPECT_EQ(stayed, way == kEnterOnWrite) << way;
    EXPECT_EQ(rig.window.urlEntry() == "typed", way == kEnter || way == kEnterOnWrite) << way;
    EXPECT_EQ(rig.writer.slot().memory[0] == 0x4D, way == kEnterOnWrite) << way;
    EXPECT_FALSE(rig.portOpen()) << way;
  }
}

TEST(QtMainWindow, SystemMenuStandInOpensTheAboutBox) {
  QtRig rig;
  QString aboutTitle;
  rig.Run([&] {
    QMenu* menu = rig.host.dialog()->findChild<QMenu*>(QString(), Qt::FindDirectChildrenOnly);
    ASSERT_NE(menu, nullptr);
    QAction* about = nullptr;
    for (QAction* action : menu->actions()) {
      if (action->text() == "&About Morvik...") about = action;
    }
    ASSERT_NE(about, nullptr);
    QtRig::InNextModal([&](QWidget* box) {
      aboutTitle = box->windowTitle();
      QTest::keyClick(box, Qt::Key_Return);
    });
    about->trigger();
    rig.host.dialog()->close();
  });
  EXPECT_EQ(aboutTitle, "MOBILE Morvik IC Card Writerについて");
}

TEST(QtMainWindow, MessageBoxesAnswerWithTheWindowsValues) {
  struct Case {
    unsigned type;
    const char* press;
    int answer;
  };
  const Case cases[] = {{kMbError, "OK", kIdOk},
                        {kMbQuestion, "キャンセル", kIdCancel},
                        {kMbQuestion, "OK", kIdOk},
                        {kMbRetryCancelError, "再試行(&R)", kIdRetry},
                        {kMbRetryCancelError, "キャンセル", kIdCancel}};
  QtRig rig;
  rig.Run([&] {
    for (const Case& c : cases) {
      QtRig::InNextModal([&](QWidget* box) {
        for (QPushButton* button : box->findChildren<QPushButton*>()) {
          if (button->text() == c.press) button->click();
        }
      });
      EXPECT_EQ(rig.host.MessageBox("テスト", "Error", c.type), c.answer) << c.press;
    }
    rig.host.dialog()->close();
  });
}

TEST(QtMainWindow, EntriesReadAsCodePage932CutAtACharacter) {
  QtRig rig;
  rig.Run([&] {
    auto* popup = qobject_cast<QLineEdit*>(rig.widget(kIdcPopup));
    popup->setText("①～－");
    EXPECT_EQ(rig.host.GetEntryText(kIdcPopup, 240).bytes, "\x87\x40\x81\x60\x81\x7C");
    popup->setText(QString("aa") + QString(130, QChar(0x3042)));  // 2 + 260 bytes
    const EntryText cut = rig.host.GetEntryText(kIdcPopup, 240);
    EXPECT_EQ(cut.bytes.size(), 238u) << "239 would split a character";
    popup->setText("한국");
    EXPECT_FALSE(rig.host.GetEntryText(kIdcPopup, 240).encodable);
    rig.host.dialog()->close();
  });
}

TEST(QtMainWindow, TypingIntoAListLeavesItWithoutSelection) {
  QtRig rig;
  rig.Run([&] {
    auto* volume = qobject_cast<QComboBox*>(rig.widget(kIdcVolumeList));
    EXPECT_EQ(volume->count(), 4);
    EXPECT_EQ(volume->currentText(), "大");
    EXPECT_EQ(rig.host.GetListSelection(kIdcVolumeList), 3);
    QTest::keyClicks(volume->lineEdit(), "x");
    EXPECT_EQ(rig.host.GetListSelection(kIdcVolumeList), -1);
    volume->setEditText("中");  // what the capture then compares with the items
    EXPECT_EQ(rig.host.GetListText(kIdcVolumeList), "中");
    rig.host.dialog()->close();
  });
}

// A window program's application: its icon in both sizes for every window,
// its desktop entry, and Qt's own texts (the file dialog's) in Japanese
// under a Japanese locale.
TEST(QtApplication, IconDesktopEntryAndQtsOwnTextsInTheUsersLanguage) {
  auto& application = *qobject_cast<QApplication*>(QCoreApplication::instance());
  SetUpApplication(application, QStringLiteral("morvik-card-line"));
  const QList<QSize> sizes = QApplication::windowIcon().availableSizes();
  EXPECT_TRUE(sizes.contains(QSize(32, 32)) && sizes.contains(QSize(16, 16)));
  EXPECT_EQ(QGuiApplication::desktopFileName(), "morvik-card-line");
  EXPECT_FALSE(QApplication::quitOnLastWindowClosed()) << "a box closed after its window must not end the program";
  const QString lookIn = QStringLiteral("Look in:");
  QTranslator* japanese = InstallQtTranslations(application, QLocale(QLocale::Japanese, QLocale::Japan));
  ASSERT_NE(japanese, nullptr) << "Qt's Japanese catalog (qt6-translations-l10n) is not installed";
  EXPECT_NE(QCoreApplication::translate("QFileDialog", "Look in:"), lookIn);
  QCoreApplication::removeTranslator(japanese);
  EXPECT_EQ(QCoreApplication::translate("QFileDialog", "Look in:"), lookIn);
}

}  // namespace
}  // namespace morvik

int main(int argc, char** argv) {
  // Also when CTest lists the tests, which it does without the test environment.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  morvik::ApplyDialogStyle();
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
