// A dialog shown with Qt widgets. Every message goes through the dialog's
// command table one at a time; while a command runs, the window only repaints
// (KeepPainting) and takes no operator input.
#pragma once

#include <QElapsedTimer>
#include <QPointer>
#include <deque>
#include <map>
#include <memory>

#include "app/dialog/dialog_host.h"
#include "app/qt/dialog_widget.h"

class QMenu;

namespace morvik {

class QtDialogHost final : public DialogHost, public WindowServices, private DialogWidgetEvents {
 public:
  explicit QtDialogHost(QWidget* parent = nullptr);
  ~QtDialogHost() override;

  // DialogHost
  WindowServices& services() override { return *this; }
  void CreateWindow(const DialogTemplate& dialog, MessageSink& sink) override;
  void RunModalLoop() override;
  void EndModalLoop() override;
  void DestroyWindow() override;
  std::string ControlText(int controlId) override;
  void FocusFirstTabStop() override;
  void FocusControl(int controlId) override;
  void InsertListRow(int controlId, int row, std::span<const std::string> cells) override;
  void SetListCell(int controlId, int row, int column, std::string_view text) override;
  void DeleteListRow(int controlId, int row) override;
  void SetProgress(int controlId, int position, int range) override;
  std::optional<std::string> ChooseFileToOpen(std::string_view title, std::string_view filterName,
                                              std::string_view pattern) override;
  int AskChoice(const ChoiceQuestion& question) override;
  void PostFromThread(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) override;
  bool HasSystemMenu() override { return true; }
  void AppendSystemMenuSeparator() override;
  void AppendSystemMenuItem(unsigned commandValue, std::string_view text) override;
  void DefaultSystemCommand(unsigned commandValue) override;
  void SetIcon(IconHandle icon, IconKind kind) override;
  bool IsIconic() override;
  PixelSize IconMetrics() override { return {32, 32}; }
  PixelSize ClientSize() override;
  void EraseIconBackground() override;
  void DrawIcon(IconHandle icon, int x, int y) override;
  std::unique_ptr<DialogHost> CreateModalChild() override;

  // WindowServices
  int MessageBox(std::string_view text, std::string_view caption, unsigned type) override;
  EntryText GetEntryText(int controlId, std::size_t bufferSize) override;
  void SetControlText(int controlId, std::string_view text) override;
  int GetCheck(int controlId) override;
  void SetCheck(int controlId, int state) override;
  void InsertListItem(int controlId, int position, std::string_view text) override;
  void SelectListItem(int controlId, int position) override;
  int GetListSelection(int controlId) override;
  std::string GetListText(int controlId) override;
  void EnableControl(int controlId, bool enable) override;
  void BeginWaitCursor() override;
  void EndWaitCursor() override;
  void PostMessage(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) override;
  void ExitProcess(int status) override;
  void KeepPainting() override;

  // For the screenshot script and the tests.
  QDialog* dialog() const { return dialog_.get(); }
  QWidget* control(int controlId) const;
  bool busy() const { return busy_ > 0; }

 private:
  // DialogWidgetEvents
  void OnEnterKey() override;
  void OnEscapeKey() override;
  void OnCloseBox() override;
  void OnSystemMenuRequest(const QPoint& globalPosition) override;
  void OnPaint() override;

  void BuildMenuBar(const MenuTemplate& menu);
  void ConnectControl(const DialogItem& item, QWidget* control);
  void Send(const Message& message);
  void SchedulePosted();
  void DeliverPosted();
  int FocusedControlId() const;
  QString ControlQText(int controlId) const;

  QWidget* parent_;
  std::unique_ptr<DialogWidget> dialog_;
  QWidget* client_ = nullptr;
  QMenu* systemMenu_ = nullptr;
  const DialogTemplate* template_ = nullptr;
  MessageSink* sink_ = nullptr;
  std::map<int, QPointer<QWidget>> controls_;
  std::map<int, int> listSelection_;
  std::deque<Message> posted_;
  int busy_ = 0;
  bool running_ = false;
  bool ended_ = false;
  bool painted_ = false;
  int waitCursorDepth_ = 0;
  QElapsedTimer shownFor_;
  QElapsedTimer sincePainting_;
};

}  // namespace morvik
