// The production window with real widgets (offscreen), on the loopback
// simulator: list views and the progress bar where the template puts them,
// Return alone starting the run, the writer's thread reaching the widgets
// only through posted messages, Escape ending the window once the run is over.
#include <gtest/gtest.h>

#include <QApplication>
#include <QHeaderView>
#include <QScrollBar>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <algorithm>
#include <array>
#include <fstream>

#include "app/layout/resources.h"
#include "app/line/line_window.h"
#include "app/qt/dialog_font.h"
#include "app/qt/qt_dialog_host.h"
#include "sim/loopback_serial.h"
#include "tests/support/line_texts_samples.h"
#include "tests/support/loopback_seat.h"

namespace morvik {
namespace {

TEST(QtLineWindow, ReturnStartsTheListAndTheWidgetsShowItsRun) {
  const std::string list = testing::TempDir() + "qt-line.csv";
  const std::string journal = testing::TempDir() + "qt-line.journal.jsonl";
  std::ofstream(list, std::ios::binary) << "id,url\nA,http://www.example.com/a\nB,http://www.example.com/b\n";
  std::remove(journal.c_str());
  sim::WriterModel writer;
  writer.StartOperator({5, 500, 1000}, 0);
  const auto seats = test::WriterOnCom3(writer);
  sim::VirtualClock clock;
  QtDialogHost host;
  CLineDlg window(host, {{"COM3"}, true, "", list}, seats, clock);
  const auto tree = [&host](int id) { return qobject_cast<QTreeWidget*>(host.control(id)); };
  bool started = false;
  bool ended = false;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    if (!host.dialog() || host.busy()) return;
    QWidget* start = host.control(kIdcLineStart);
    if (!started && start->isEnabled() && QApplication::focusWidget() == start) {
      started = true;
      const DialogBaseUnits base = BaseUnitsOf(host.dialog()->font());
      for (const DialogItem& item : LineWindowTemplate().items) {
        if (item.kind != ItemKind::kListView && item.kind != ItemKind::kProgressBar) continue;
        const PixelRect placed = ToPixels(item.rect, base);
        EXPECT_EQ(host.control(item.id)->geometry(), QRect(placed.x, placed.y, placed.width, placed.height));
        for (std::size_t i = 0; i < item.columns.size(); ++i) {
          EXPECT_EQ(tree(item.id)->headerItem()->text(static_cast<int>(i)).toStdString(), item.columns[i].heading);
          EXPECT_EQ(tree(item.id)->columnWidth(static_cast<int>(i)), HorizontalPixels(item.columns[i].width, base));
        }
      }
      QTest::keyClick(start, Qt::Key_Return);
    } else if (started && !ended && tree(kIdcLineRecords)->topLevelItemCount() == 2 && start->isEnabled() == false &&
               host.control(kIdcLineOpen)->isEnabled()) {
      ended = true;
      EXPECT_EQ(tree(kIdcLineRecords)->topLevelItem(0)->text(kRecordResult), "OK");
      EXPECT_EQ(tree(kIdcLineRecords)->topLevelItem(0)->text(kRecordId), "B") << "the newest card at the top";
      EXPECT_EQ(tree(kIdcLineWriters)->topLevelItem(0)->text(kWriterState), "終了");
      const auto* bar = qobject_cast<QProgressBar*>(host.control(kIdcLineProgress));
      EXPECT_EQ(bar->value(), 2);
      EXPECT_EQ(bar->maximum(), 2);
      EXPECT_EQ(qobject_cast<QLabel*>(host.control(kIdcLineMessage))->text(), "すべての行を書き終えました");
      QTest::keyClick(host.dialog(), Qt::Key_Escape);
    }
  });
  poll.start(10);
  QTimer deadline;  // a run that never ends fails below
  deadline.setSingleShot(true);
  QObject::connect(&deadline, &QTimer::timeout, [&host] { host.dialog()->done(0); });
  deadline.start(60'000);
  window.DoModal();
  EXPECT_TRUE(started);
  EXPECT_TRUE(ended);
  std::remove(list.c_str());
  std::remove(journal.c_str());
}

// At the window's font every state, result and reason is whole in its
// column, and the columns need no horizontal scroll bar beside a vertical one.
TEST(QtLineWindow, ColumnsHoldTheirLongestTextsWithoutAHorizontalScrollBar) {
  QtDialogHost host;
  sim::VirtualClock clock;
  CLineDlg window(host, {{"COM3"}, true, "", ""}, [] { return WriterSeat{}; }, clock);
  const auto tree = [&host](int id) { return qobject_cast<QTreeWidget*>(host.control(id)); };
  // The widest first: a view measures the rows it shows.
  const auto widestFirst = [&](int list, std::vector<std::string> texts) {
    const QFontMetrics metrics = tree(list)->fontMetrics();
    const auto width = [&metrics](const std::string& text) { return metrics.horizontalAdvance(text.c_str()); };
    std::ranges::sort(texts, std::greater{}, width);
    return texts;
  };
  int step = 0;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    if (!host.dialog() || host.busy()) return;
    if (step++ == 0) {
      const std::vector<std::string> states = widestFirst(kIdcLineWriters, test::EveryWriterState());
      const std::vector<std::string> results = widestFirst(kIdcLineRecords, test::EveryResult());
      const std::vector<std::string> reasons = widestFirst(kIdcLineRecords, test::EveryReason());
      for (std::size_t i = 0; i < std::max(states.size(), reasons.size()); ++i) {
        const auto at = [i](const std::vector<std::string>& texts) { return texts[std::min(i, texts.size() - 1)]; };
        host.InsertListRow(kIdcLineWriters, -1,
                           std::array<std::string, 5>{"COM31", "FFFF", at(states), "DDDDDDDDDDDDDDDD", "100000"});
        host.InsertListRow(kIdcLineRecords, -1,
                           std::array<std::string, 5>{"100000", "", "DDDDDDDDDDDDDDDD", at(results), at(reasons)});
      }
      return;
    }
    for (const int list : {kIdcLineWriters, kIdcLineRecords}) {
      QTreeWidget* view = tree(list);
      SCOPED_TRACE(list);
      for (int column = 0; column < view->columnCount(); ++column) {
        EXPECT_GE(view->columnWidth(column), static_cast<QAbstractItemView*>(view)->sizeHintForColumn(column))
            << "column " << column;
      }
      EXPECT_TRUE(view->verticalScrollBar()->isVisible());
      EXPECT_FALSE(view->horizontalScrollBar()->isVisible());
    }
    host.dialog()->done(0);
  });
  poll.start(10);
  window.DoModal();
  EXPECT_GE(step, 2);
}

}  // namespace
}  // namespace morvik
