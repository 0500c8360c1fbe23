// The top-level widget of a dialog: hands its keys, close box, context menu
// and paint events to the host instead of acting on them itself.
#pragma once

#include <QDialog>

namespace morvik {

class DialogWidgetEvents {
 public:
  virtual ~DialogWidgetEvents() = default;
  virtual void OnEnterKey() = 0;
  virtual void OnEscapeKey() = 0;
  virtual void OnCloseBox() = 0;
  virtual void OnSystemMenuRequest(const QPoint& globalPosition) = 0;
  virtual void OnPaint() = 0;
};

class DialogWidget final : public QDialog {
 public:
  DialogWidget(QWidget* parent, DialogWidgetEvents& events);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  DialogWidgetEvents& events_;
};

}  // namespace morvik
