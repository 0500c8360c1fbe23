#include "app/qt/dialog_widget.h"

#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QShortcut>

namespace morvik {

DialogWidget::DialogWidget(QWidget* parent, DialogWidgetEvents& events)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      events_(events) {
  // Alt+Space opens the system menu, as on Windows.
  auto* systemMenuKey = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_Space), this);
  connect(systemMenuKey, &QShortcut::activated, this,
          [this] { events_.OnSystemMenuRequest(mapToGlobal(QPoint(0, 0))); });
}

void DialogWidget::keyPressEvent(QKeyEvent* event) {
  const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
  const int key = event->key();
  if (modifiers == Qt::NoModifier && (key == Qt::Key_Return || key == Qt::Key_Enter)) {
    events_.OnEnterKey();
  } else if (modifiers == Qt::NoModifier && key == Qt::Key_Escape) {
    events_.OnEscapeKey();
  } else {
    QDialog::keyPressEvent(event);
  }
}

void DialogWidget::closeEvent(QCloseEvent* event) {
  event->ignore();
  events_.OnCloseBox();
}

void DialogWidget::contextMenuEvent(QContextMenuEvent* event) {
  events_.OnSystemMenuRequest(event->globalPos());
}

void DialogWidget::paintEvent(QPaintEvent* event) {
  QDialog::paintEvent(event);
  events_.OnPaint();
}

}  // namespace morvik
