#include "app/qt/qt_dialog_host.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPainter>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <algorithm>
#include <vector>
#include <cstdio>
#include <cstdlib>

#include "app/dialog/keys.h"
#include "app/qt/dialog_font.h"
#include "app/qt/qt_icon.h"
#include "app/qt/widget_builder.h"
#include "window/cp932.h"

namespace morvik {
namespace {

constexpr int kPaintIntervalMs = 50;
// Posted messages wait for the window's first paint, but never longer.
constexpr int kFirstPaintWaitMs = 500;

QString FromUtf8(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// A multi-line edit keeps CR LF line ends in its text, as Windows does.
QString ToDisplayLines(QString text) { return text.replace(QStringLiteral("\r\n"), "\n"); }
QString ToEditLines(QString text) { return text.replace('\n', QStringLiteral("\r\n")); }

QMessageBox::StandardButtons ButtonsFor(unsigned type) {
  switch (type & 0x0F) {
    case kMbOkCancel: return QMessageBox::Ok | QMessageBox::Cancel;
    case kMbRetryCancel: return QMessageBox::Retry | QMessageBox::Cancel;
    default: return QMessageBox::Ok;
  }
}

void LabelButtons(QMessageBox& box) {
  if (QAbstractButton* ok = box.button(QMessageBox::Ok)) ok->setText(QStringLiteral("OK"));
  if (QAbstractButton* cancel = box.button(QMessageBox::Cancel)) cancel->setText("キャンセル");
  if (QAbstractButton* retry = box.button(QMessageBox::Retry)) retry->setText("再試行(&R)");
}

// The hand is the icon every box had; a question may ask with its own.
QMessageBox::Icon IconFor(unsigned type) {
  return (type & 0xF0) == kMbIconQuestion ? QMessageBox::Question : QMessageBox::Critical;
}

int AnswerOf(const QMessageBox& box) {
  const QAbstractButton* clicked = box.clickedButton();
  if (clicked == box.button(QMessageBox::Retry)) return kIdRetry;
  if (clicked == box.button(QMessageBox::Ok)) return kIdOk;
  if (clicked == box.button(QMessageBox::Cancel)) return kIdCancel;
  return box.button(QMessageBox::Cancel) ? kIdCancel : kIdOk;
}

}  // namespace

QtDialogHost::QtDialogHost(QWidget* parent) : parent_(parent) {}

QtDialogHost::~QtDialogHost() { DestroyWindow(); }

void QtDialogHost::CreateWindow(const DialogTemplate& dialog, MessageSink& sink) {
  template_ = &dialog;
  sink_ = &sink;
  ended_ = false;
  painted_ = false;
  DialogWidgetEvents& events = *this;
  dialog_ = std::make_unique<DialogWidget>(parent_, events);
  dialog_->setWindowTitle(FromUtf8(dialog.title));
  dialog_->setFont(DialogFont(dialog.fontName, dialog.pointSize));
  const DialogBaseUnits base = BaseUnitsOf(dialog_->font());
  int menuHeight = 0;
  if (dialog.menu) {
    BuildMenuBar(*dialog.menu);
    menuHeight = dialog_->findChild<QMenuBar*>()->sizeHint().height();
  }
  const int width = HorizontalPixels(dialog.width, base);
  const int height = VerticalPixels(dialog.height, base);
  client_ = new QWidget(dialog_.get());
  client_->setGeometry(0, menuHeight, width, height);
  for (const DialogItem& item : dialog.items) {
    const BuiltItem built = BuildItem(item, client_, base);
    if (item.id == kIdcStatic) continue;
    controls_[item.id] = built.control;
    ConnectControl(item, built.control);
  }
  if (QMenuBar* bar = dialog_->findChild<QMenuBar*>()) bar->setGeometry(0, 0, width, menuHeight);
  dialog_->setFixedSize(width, height + menuHeight);
  systemMenu_ = new QMenu(dialog_.get());
  systemMenu_->setSeparatorsCollapsible(true);
  Send({WM_INITDIALOG, 0, 0});
}

void QtDialogHost::BuildMenuBar(const MenuTemplate& menu) {
  auto* bar = new QMenuBar(dialog_.get());
  for (const MenuPopup& popup : menu.popups) {
    QMenu* submenu = bar->addMenu(FromUtf8(popup.text));
    submenu->setSeparatorsCollapsible(false);
    for (const MenuItem& item : popup.items) {
      if (item.IsSeparator()) {
        submenu->addSeparator();
        continue;
      }
      QAction* action = submenu->addAction(FromUtf8(item.text));
      action->setEnabled(!item.greyed);
      const int command = item.command;
      QObject::connect(action, &QAction::triggered, dialog_.get(),
                       [this, command] { Send(CommandMessage(command, kBnClicked)); });
    }
  }
}

void QtDialogHost::ConnectControl(const DialogItem& item, QWidget* control) {
  const int id = item.id;
  if (auto* button = qobject_cast<QAbstractButton*>(control)) {
    QObject::connect(button, &QAbstractButton::clicked, dialog_.get(),
                     [this, id] { Send(CommandMessage(id, kBnClicked)); });
  } else if (auto* rows = qobject_cast<QTreeWidget*>(control)) {
    QObject::connect(rows, &QTreeWidget::itemSelectionChanged, dialog_.get(), [this, id, rows] {
      const QList<QTreeWidgetItem*> selected = rows->selectedItems();
      if (busy_ > 0 || selected.isEmpty()) return;
      Send({WM_COMMAND, CommandMessage(id, kLvnRowSelected).wParam, rows->indexOfTopLevelItem(selected.front())});
    });
  } else if (auto* list = qobject_cast<QComboBox*>(control)) {
    listSelection_[id] = -1;
    QObject::connect(list, &QComboBox::activated, dialog_.get(), [this, id](int index) {
      listSelection_[id] = index;
      Send(CommandMessage(id, kCbnSelChange));
    });
    // Typing into the field leaves the list without a selection.
    QObject::connect(list->lineEdit(), &QLineEdit::textEdited, dialog_.get(),
                     [this, id] { listSelection_[id] = -1; });
  }
}

void QtDialogHost::RunModalLoop() {
  if (ended_ || !dialog_) return;
  running_ = true;
  shownFor_.start();
  SchedulePosted();
  dialog_->exec();
  running_ = false;
}

void QtDialogHost::EndModalLoop() {
  ended_ = true;
  if (running_ && dialog_) dialog_->done(0);
}

void QtDialogHost::DestroyWindow() {
  posted_.clear();
  controls_.clear();
  listSelection_.clear();
  systemMenu_ = nullptr;
  client_ = nullptr;
  dialog_.reset();
  sink_ = nullptr;
}

QWidget* QtDialogHost::control(int controlId) const {
  const auto found = controls_.find(controlId);
  return found == controls_.end() ? nullptr : found->second.data();
}

QString QtDialogHost::ControlQText(int controlId) const {
  QWidget* widget = control(controlId);
  if (auto* edit = qobject_cast<QLineEdit*>(widget)) return edit->text();
  if (auto* list = qobject_cast<QComboBox*>(widget)) return list->currentText();
  if (auto* text = qobject_cast<QPlainTextEdit*>(widget)) return ToEditLines(text->toPlainText());
  if (auto* button = qobject_cast<QAbstractButton*>(widget)) return button->text();
  if (auto* label = qobject_cast<QLabel*>(widget)) return label->text();
  return {};
}

std::string QtDialogHost::ControlText(int controlId) {
  return ControlQText(controlId).toStdString();
}

void QtDialogHost::FocusFirstTabStop() {
  for (const DialogItem& item : template_->items) {
    QWidget* widget = control(item.id);
    if (widget && item.Has(kTabStop) && !item.Has(kHidden) && widget->isEnabled()) {
      widget->setFocus(Qt::OtherFocusReason);
      return;
    }
  }
}

void QtDialogHost::FocusControl(int controlId) {
  if (QWidget* widget = control(controlId)) widget->setFocus(Qt::OtherFocusReason);
}

void QtDialogHost::InsertListRow(int controlId, int row, std::span<const std::string> cells) {
  auto* list = qobject_cast<QTreeWidget*>(control(controlId));
  if (!list) return;
  QStringList texts;
  for (const std::string& cell : cells) texts << FromUtf8(cell);
  const bool append = row < 0 || row > list->topLevelItemCount();
  list->insertTopLevelItem(append ? list->topLevelItemCount() : row, new QTreeWidgetItem(texts));
}

void QtDialogHost::SetListCell(int controlId, int row, int column, std::string_view text) {
  auto* list = qobject_cast<QTreeWidget*>(control(controlId));
  if (QTreeWidgetItem* item = list ? list->topLevelItem(row) : nullptr) item->setText(column, FromUtf8(text));
}

void QtDialogHost::DeleteListRow(int controlId, int row) {
  auto* list = qobject_cast<QTreeWidget*>(control(controlId));
  if (list) delete list->takeTopLevelItem(row);
}

void QtDialogHost::SetProgress(int controlId, int position, int range) {
  if (auto* bar = qobject_cast<QProgressBar*>(control(controlId))) {
    bar->setRange(0, std::max(range, 1));
    bar->setValue(position);
  }
}

std::optional<std::string> QtDialogHost::ChooseFileToOpen(std::string_view title, std::string_view filterName,
                                                          std::string_view pattern) {
  const QString filter = FromUtf8(filterName) + " (" + FromUtf8(pattern) + ")";
  const QString chosen = QFileDialog::getOpenFileName(dialog_.get(), FromUtf8(title), QString(), filter);
  if (chosen.isEmpty()) return std::nullopt;
  return chosen.toStdString();
}

// Queued to the dialog's own thread, where PostMessage runs as for any
// message the window posts itself.
void QtDialogHost::PostFromThread(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) {
  QMetaObject::invokeMethod(
      dialog_.get(), [this, message, wParam, lParam] { PostMessage(message, wParam, lParam); }, Qt::QueuedConnection);
}

void QtDialogHost::AppendSystemMenuSeparator() {
  if (systemMenu_) systemMenu_->addSeparator();
}

void QtDialogHost::AppendSystemMenuItem(unsigned commandValue, std::string_view text) {
  if (!systemMenu_) return;
  QAction* action = systemMenu_->addAction(FromUtf8(text));
  QObject::connect(action, &QAction::triggered, dialog_.get(),
                   [this, commandValue] { Send(SystemCommandMessage(commandValue)); });
}

void QtDialogHost::DefaultSystemCommand(unsigned commandValue) {
  if ((commandValue & kSysCommandMask) == kScMinimize && dialog_) dialog_->showMinimized();
}

void QtDialogHost::SetIcon(IconHandle icon, IconKind) {
  if (dialog_ && icon != 0) dialog_->setWindowIcon(AppIcon());
}

bool QtDialogHost::IsIconic() { return dialog_ && dialog_->isMinimized(); }

PixelSize QtDialogHost::ClientSize() {
  return client_ ? PixelSize{client_->width(), client_->height()} : PixelSize{};
}

void QtDialogHost::EraseIconBackground() {
  QPainter painter(dialog_.get());
  painter.fillRect(dialog_->rect(), dialog_->palette().window());
}

void QtDialogHost::DrawIcon(IconHandle icon, int x, int y) {
  if (icon == 0) return;
  QPainter painter(dialog_.get());
  painter.drawImage(x, y, ToQImage(DrawAppIcon(32)));
}

std::unique_ptr<DialogHost> QtDialogHost::CreateModalChild() {
  return std::make_unique<QtDialogHost>(dialog_.get());
}

void QtDialogHost::Send(const Message& message) {
  if (!sink_) return;
  ++busy_;
  sink_->Dispatch(message);
  --busy_;
  if (busy_ == 0) SchedulePosted();
}

void QtDialogHost::SchedulePosted() {
  if (posted_.empty() || !dialog_) return;
  QTimer::singleShot(0, dialog_.get(), [this] { DeliverPosted(); });
}

void QtDialogHost::DeliverPosted() {
  if (busy_ > 0 || !running_ || ended_) return;
  if (!painted_ && shownFor_.elapsed() < kFirstPaintWaitMs) {
    QTimer::singleShot(20, dialog_.get(), [this] { DeliverPosted(); });
    return;
  }
  while (!posted_.empty() && running_ && !ended_) {
    const Message message = posted_.front();
    posted_.pop_front();
    Send(message);
  }
}

int QtDialogHost::FocusedControlId() const {
  for (QWidget* widget = QApplication::focusWidget(); widget; widget = widget->parentWidget()) {
    for (const auto& [id, control] : controls_) {
      if (control.data() == widget) return id;
    }
  }
  return 0;
}

void QtDialogHost::OnEnterKey() {
  if (busy_ > 0) return;
  const DialogItem* focused = template_->Find(FocusedControlId());
  const int command = EnterKeyCommand(focused);
  if (focused && focused->kind == ItemKind::kPushButton) {
    if (auto* button = qobject_cast<QPushButton*>(control(command))) button->click();
    return;
  }
  Send(CommandMessage(command, kBnClicked));
}

void QtDialogHost::OnEscapeKey() {
  if (busy_ == 0) Send(CommandMessage(kEscapeCommand, kBnClicked));
}

void QtDialogHost::OnCloseBox() {
  if (busy_ == 0) Send(SystemCommandMessage(kScClose));
}

void QtDialogHost::OnSystemMenuRequest(const QPoint& globalPosition) {
  if (busy_ == 0 && systemMenu_ && !systemMenu_->isEmpty()) systemMenu_->exec(globalPosition);
}

void QtDialogHost::OnPaint() {
  if (!painted_) {
    painted_ = true;
    SchedulePosted();
  }
  Send({WM_PAINT, 0, 0});
}

int QtDialogHost::MessageBox(std::string_view text, std::string_view caption, unsigned type) {
  QMessageBox box(IconFor(type), FromUtf8(caption), FromUtf8(text), ButtonsFor(type), dialog_.get());
  LabelButtons(box);
  if (waitCursorDepth_ > 0) QApplication::setOverrideCursor(Qt::ArrowCursor);
  box.exec();
  if (waitCursorDepth_ > 0) QApplication::restoreOverrideCursor();
  return AnswerOf(box);
}

int QtDialogHost::AskChoice(const ChoiceQuestion& question) {
  QMessageBox box(QMessageBox::Question, FromUtf8(question.caption), FromUtf8(question.text), QMessageBox::NoButton,
                  dialog_.get());
  if (!question.detail.empty()) box.setDetailedText(FromUtf8(question.detail));
  std::vector<QAbstractButton*> buttons;
  for (const std::string& choice : question.choices) {
    buttons.push_back(box.addButton(FromUtf8(choice), QMessageBox::ActionRole));
  }
  if (buttons.empty()) return question.escapeChoice;
  const auto at = [&buttons](int index) {
    return buttons[std::min(static_cast<std::size_t>(std::max(index, 0)), buttons.size() - 1)];
  };
  box.setDefaultButton(qobject_cast<QPushButton*>(at(question.defaultChoice)));
  box.setEscapeButton(at(question.escapeChoice));
  if (waitCursorDepth_ > 0) QApplication::setOverrideCursor(Qt::ArrowCursor);
  box.exec();
  if (waitCursorDepth_ > 0) QApplication::restoreOverrideCursor();
  const auto chosen = std::find(buttons.begin(), buttons.end(), box.clickedButton());
  return chosen == buttons.end() ? question.escapeChoice : static_cast<int>(chosen - buttons.begin());
}

EntryText QtDialogHost::GetEntryText(int controlId, std::size_t bufferSize) {
  return EntryFromUtf8(ControlQText(controlId).toStdString(), bufferSize);
}

void QtDialogHost::SetControlText(int controlId, std::string_view text) {
  QWidget* widget = control(controlId);
  const QString shown = FromUtf8(text);
  if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
    edit->setText(shown);
    edit->setCursorPosition(0);
  } else if (auto* list = qobject_cast<QComboBox*>(widget)) {
    list->setEditText(shown);
  } else if (auto* lines = qobject_cast<QPlainTextEdit*>(widget)) {
    lines->setPlainText(ToDisplayLines(shown));
  } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
    button->setText(shown);
  } else if (auto* label = qobject_cast<QLabel*>(widget)) {
    label->setText(shown);
    FitLabelText(label, shown);
  }
}

int QtDialogHost::GetCheck(int controlId) {
  auto* box = qobject_cast<QCheckBox*>(control(controlId));
  return box && box->isChecked() ? 1 : 0;
}

void QtDialogHost::SetCheck(int controlId, int state) {
  if (auto* box = qobject_cast<QCheckBox*>(control(controlId))) box->setChecked(state == 1);
}

void QtDialogHost::InsertListItem(int controlId, int position, std::string_view text) {
  auto* list = qobject_cast<QComboBox*>(control(controlId));
  if (!list) return;
  const QString field = list->currentText();
  const bool append = position < 0 || position > list->count();
  list->insertItem(append ? list->count() : position, FromUtf8(text));
  // Inserting never selects: the field keeps what it showed.
  if (listSelection_[controlId] < 0) {
    list->setCurrentIndex(-1);
    list->setEditText(field);
  }
}

void QtDialogHost::SelectListItem(int controlId, int position) {
  auto* list = qobject_cast<QComboBox*>(control(controlId));
  if (!list) return;
  const bool valid = position >= 0 && position < list->count();
  list->setCurrentIndex(valid ? position : -1);
  listSelection_[controlId] = valid ? position : -1;
}

int QtDialogHost::GetListSelection(int controlId) {
  const auto found = listSelection_.find(controlId);
  return found == listSelection_.end() ? -1 : found->second;
}

std::string QtDialogHost::GetListText(int controlId) {
  auto* list = qobject_cast<QComboBox*>(control(controlId));
  return list ? list->currentText().toStdString() : std::string();
}

void QtDialogHost::EnableControl(int controlId, bool enable) {
  if (QWidget* widget = control(controlId)) widget->setEnabled(enable);
}

void QtDialogHost::BeginWaitCursor() {
  ++waitCursorDepth_;
  QApplication::setOverrideCursor(Qt::WaitCursor);
}

void QtDialogHost::EndWaitCursor() {
  if (waitCursorDepth_ == 0) return;
  --waitCursorDepth_;
  QApplication::restoreOverrideCursor();
}

void QtDialogHost::PostMessage(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) {
  posted_.push_back({message, wParam, lParam});
  if (busy_ == 0) SchedulePosted();
}

void QtDialogHost::ExitProcess(int status) {
  std::fflush(nullptr);
  std::_Exit(status);
}

void QtDialogHost::KeepPainting() {
  if (sincePainting_.isValid() && sincePainting_.elapsed() < kPaintIntervalMs) return;
  sincePainting_.start();
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

}  // namespace morvik
