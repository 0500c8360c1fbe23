// A dialog shown by Windows' own dialog manager: the template becomes an
// in-memory DLGTEMPLATEEX, Windows creates and lays out the controls, and the
// modal loop hands keys to IsDialogMessage, so Tab, Enter, Escape and the
// close box behave as in any Windows dialog. Messages reach the dialog's
// command table through the sink; controls are addressed by identifier.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/dialog/dialog_host.h"

struct HWND__;
struct HDC__;
struct HFONT__;

namespace morvik {

class Win32DialogHost final : public DialogHost, public WindowServices {
 public:
  // owner: the window a modal box runs over, or nullptr for the main window.
  explicit Win32DialogHost(HWND__* owner = nullptr) : owner_(owner) {}
  ~Win32DialogHost() override { DestroyWindow(); }
  Win32DialogHost(const Win32DialogHost&) = delete;
  Win32DialogHost& operator=(const Win32DialogHost&) = delete;

  // DialogHost
  WindowServices& services() override { return *this; }
  void CreateWindow(const DialogTemplate& dialog, MessageSink& sink) override;
  void RunModalLoop() override;
  void EndModalLoop() override;
  void DestroyWindow() override;
  std::string ControlText(int controlId) override;
  void FocusFirstTabStop() override { focusFirstTabStop_ = true; }
  void FocusControl(int controlId) override;
  void InsertListRow(int controlId, int row, std::span<const std::string> cells) override;
  void SetListCell(int controlId, int row, int column, std::string_view text) override;
  void DeleteListRow(int controlId, int row) override;
  void SetProgress(int controlId, int position, int range) override;
  std::optional<std::string> ChooseFileToOpen(std::string_view title, std::string_view filterName,
                                              std::string_view pattern) override;
  int AskChoice(const ChoiceQuestion& question) override;
  void PostFromThread(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) override;
  bool HasSystemMenu() override;
  void AppendSystemMenuSeparator() override;
  void AppendSystemMenuItem(unsigned commandValue, std::string_view text) override;
  void DefaultSystemCommand(unsigned commandValue) override;
  void SetIcon(IconHandle icon, IconKind kind) override;
  bool IsIconic() override;
  PixelSize IconMetrics() override;
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
  std::string GetListText(int controlId) override { return ControlText(controlId); }
  void EnableControl(int controlId, bool enable) override;
  void BeginWaitCursor() override;
  void EndWaitCursor() override;
  void PostMessage(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) override;
  void ExitProcess(int status) override;
  void KeepPainting() override;

  // The dialog procedure's work for this window; true when handled.
  std::intptr_t Handle(unsigned message, std::uintptr_t wParam, std::intptr_t lParam);
  // WM_INITDIALOG: the window exists, its controls too, and it is not shown.
  void Initialise(HWND__* window);

 private:
  std::intptr_t Send(unsigned message, std::uintptr_t wParam, std::intptr_t lParam);
  std::intptr_t HandleSystemCommand(std::uintptr_t wParam, std::intptr_t lParam);
  std::intptr_t HandlePaint();
  void HandleNotify(std::intptr_t lParam);
  void AttachMenu(const MenuTemplate& menu);
  void AddListColumns(const DialogItem& item);
  void ShowAndFocus();
  std::intptr_t SendToControl(int controlId, unsigned message, std::uintptr_t wParam,
                              std::intptr_t lParam);

  HWND__* owner_;
  HWND__* window_ = nullptr;
  MessageSink* sink_ = nullptr;
  const DialogTemplate* template_ = nullptr;
  const MenuTemplate* menu_ = nullptr;
  std::vector<HFONT__*> fittedFonts_;
  std::map<HWND__*, HFONT__*> refittedFonts_;  // a label's font fitted to its last text
  HDC__* paintDc_ = nullptr;
  bool ended_ = false;
  bool focusFirstTabStop_ = false;
  bool defaultSystemCommand_ = false;
  int waitCursorDepth_ = 0;
};

}  // namespace morvik
