#include "app/win32/win32_dialog_host.h"

#define WIN32_LEAN_AND_MEAN
#define UNICODE
#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>
// Our methods carry the plain names; the A/W macros must not rename them.
#undef CreateWindow
#undef MessageBox
#undef PostMessage

#include "app/layout/dialog_resource.h"
#include "app/win32/text_fit.h"
#include "window/cp932.h"

namespace morvik {
namespace {

std::wstring Wide(std::string_view utf8) {
  if (utf8.empty()) return {};
  const int size = static_cast<int>(utf8.size());
  const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(length > 0 ? length : 0), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, wide.data(), length);
  return wide;
}

std::string Utf8(const std::wstring& wide) {
  if (wide.empty()) return {};
  const int size = static_cast<int>(wide.size());
  const int length = WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<std::size_t>(length > 0 ? length : 0), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, utf8.data(), length, nullptr, nullptr);
  return utf8;
}

std::wstring WindowText(HWND window) {
  if (window == nullptr) return {};
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
  const int length = GetWindowTextW(window, text.data(), static_cast<int>(text.size()));
  text.resize(static_cast<std::size_t>(length > 0 ? length : 0));
  return text;
}

HICON LoadAppIcon(IconHandle icon, int metricX, int metricY) {
  if (icon == 0) return nullptr;
  return static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(icon),
                                       IMAGE_ICON, GetSystemMetrics(metricX),
                                       GetSystemMetrics(metricY), LR_SHARED));
}

INT_PTR CALLBACK DialogProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    auto* host = reinterpret_cast<Win32DialogHost*>(lParam);
    SetWindowLongPtrW(window, DWLP_USER, lParam);
    host->Initialise(window);
    return FALSE;  // the focus is set once the window is shown
  }
  auto* host = reinterpret_cast<Win32DialogHost*>(GetWindowLongPtrW(window, DWLP_USER));
  return host != nullptr ? host->Handle(message, wParam, lParam) : FALSE;
}

}  // namespace

// A visible template is shown by Windows as soon as its initialisation has
// run; a hidden one by the modal loop.
void Win32DialogHost::CreateWindow(const DialogTemplate& dialog, MessageSink& sink) {
  ended_ = false;
  focusFirstTabStop_ = false;
  sink_ = &sink;
  template_ = &dialog;
  menu_ = dialog.menu;
  const std::vector<std::uint8_t> resource =
      BuildDialogResource(dialog, DialogWindowStyles(dialog, owner_ != nullptr));
  CreateDialogIndirectParamW(GetModuleHandleW(nullptr),
                             reinterpret_cast<LPCDLGTEMPLATEW>(resource.data()), owner_,
                             DialogProcedure, reinterpret_cast<LPARAM>(this));
  if (window_ == nullptr) sink_ = nullptr;
}

// Windows has made the controls and not yet shown the window: the menu joins,
// the texts are fitted to their controls, then the dialog initialises.
void Win32DialogHost::Initialise(HWND__* window) {
  window_ = window;
  if (menu_ != nullptr) AttachMenu(*menu_);
  for (const DialogItem& item : template_->items) {
    if (item.kind == ItemKind::kListView) AddListColumns(item);
  }
  FitControlTexts(window_, fittedFonts_);
  Send(WM_INITDIALOG, 0, 0);
}

// The menu joins after creation, so the window grows by the menu bar to
// keep the client area the template gives.
void Win32DialogHost::AttachMenu(const MenuTemplate& menu) {
  HMENU bar = CreateMenu();
  for (const MenuPopup& popup : menu.popups) {
    HMENU items = CreatePopupMenu();
    for (const MenuItem& item : popup.items) {
      if (item.IsSeparator()) {
        AppendMenuW(items, MF_SEPARATOR, 0, nullptr);
      } else {
        AppendMenuW(items, MF_STRING | (item.greyed ? MF_GRAYED : 0u),
                    static_cast<UINT_PTR>(item.command), Wide(item.text).c_str());
      }
    }
    AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(items), Wide(popup.text).c_str());
  }
  RECT before{};
  RECT after{};
  RECT frame{};
  GetClientRect(window_, &before);
  SetMenu(window_, bar);
  GetClientRect(window_, &after);
  GetWindowRect(window_, &frame);
  SetWindowPos(window_, nullptr, 0, 0, frame.right - frame.left,
               frame.bottom - frame.top + (before.bottom - after.bottom),
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// The headings and widths the template gives, in dialog units converted by
// the dialog's own font; a row is selected whole.
void Win32DialogHost::AddListColumns(const DialogItem& item) {
  HWND list = GetDlgItem(window_, item.id);
  SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
  int index = 0;
  for (const ListColumn& column : item.columns) {
    RECT units{0, 0, column.width, 0};
    MapDialogRect(window_, &units);
    std::wstring heading = Wide(column.heading);
    LVCOLUMNW lvColumn{};
    lvColumn.mask = LVCF_TEXT | LVCF_WIDTH;
    lvColumn.cx = units.right;
    lvColumn.pszText = heading.data();
    SendMessageW(list, LVM_INSERTCOLUMNW, static_cast<WPARAM>(index++), reinterpret_cast<LPARAM>(&lvColumn));
  }
}

void Win32DialogHost::RunModalLoop() {
  if (ended_ || window_ == nullptr) return;
  if (owner_ != nullptr) EnableWindow(owner_, FALSE);
  ShowAndFocus();
  MSG message{};
  while (!ended_) {
    const BOOL got = GetMessageW(&message, nullptr, 0, 0);
    if (got == 0) {
      PostQuitMessage(static_cast<int>(message.wParam));
      break;
    }
    if (got < 0) break;
    if (!IsDialogMessageW(window_, &message)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
  // Re-enabled before this window goes, so that the owner gets the focus back.
  if (owner_ != nullptr) EnableWindow(owner_, TRUE);
}

// Painted in full before the loop runs, so that a posted request finds the
// window on screen.
void Win32DialogHost::ShowAndFocus() {
  ShowWindow(window_, SW_SHOW);
  RedrawWindow(window_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  if (!focusFirstTabStop_) return;
  if (HWND first = GetNextDlgTabItem(window_, nullptr, FALSE)) {
    SendMessageW(window_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(first), TRUE);
  }
}

void Win32DialogHost::EndModalLoop() {
  ended_ = true;
  if (window_ != nullptr) PostMessageW(window_, WM_NULL, 0, 0);
}

void Win32DialogHost::DestroyWindow() {
  sink_ = nullptr;
  if (window_ == nullptr) return;
  HWND window = window_;
  window_ = nullptr;
  SetWindowLongPtrW(window, DWLP_USER, 0);
  ::DestroyWindow(window);
  for (HFONT font : fittedFonts_) DeleteObject(font);
  fittedFonts_.clear();
  for (const auto& [control, font] : refittedFonts_) DeleteObject(font);
  refittedFonts_.clear();
}

std::intptr_t Win32DialogHost::Handle(unsigned message, std::uintptr_t wParam,
                                      std::intptr_t lParam) {
  if (sink_ == nullptr) return FALSE;
  switch (message) {
    case WM_COMMAND:
      Send(message, wParam, lParam);
      return TRUE;
    case WM_SYSCOMMAND: return HandleSystemCommand(wParam, lParam);
    case WM_NOTIFY:
      HandleNotify(lParam);
      return FALSE;
    case WM_PAINT: return HandlePaint();
    case WM_QUERYDRAGICON: {
      const auto icon = static_cast<IconHandle>(Send(message, wParam, lParam));
      return reinterpret_cast<std::intptr_t>(LoadAppIcon(icon, SM_CXICON, SM_CYICON));
    }
    case WM_SETCURSOR:
      if (waitCursorDepth_ == 0) return FALSE;
      SetCursor(LoadCursorW(nullptr, IDC_WAIT));
      SetWindowLongPtrW(window_, DWLP_MSGRESULT, TRUE);
      return TRUE;
    default: break;
  }
  if (message < WM_USER) return FALSE;
  Send(message, wParam, lParam);
  return TRUE;
}

std::intptr_t Win32DialogHost::Send(unsigned message, std::uintptr_t wParam,
                                    std::intptr_t lParam) {
  return sink_ != nullptr ? sink_->Dispatch({message, wParam, lParam}) : 0;
}

// A list view's row the operator selected reaches the dialog as a command
// carrying the row.
void Win32DialogHost::HandleNotify(std::intptr_t lParam) {
  const auto* change = reinterpret_cast<const NMLISTVIEW*>(lParam);
  if (change->hdr.code != LVN_ITEMCHANGED || (change->uChanged & LVIF_STATE) == 0) return;
  if ((change->uNewState & LVIS_SELECTED) == 0 || (change->uOldState & LVIS_SELECTED) != 0) return;
  const auto id = static_cast<std::uintptr_t>(change->hdr.idFrom) & 0xFFFF;
  Send(WM_COMMAND, (static_cast<std::uintptr_t>(kLvnRowSelected) << 16) | id, change->iItem);
}

// What the dialog leaves to DefaultSystemCommand goes on to Windows' own
// handling: moving, the system menu by keyboard and mouse, minimising.
std::intptr_t Win32DialogHost::HandleSystemCommand(std::uintptr_t wParam, std::intptr_t lParam) {
  defaultSystemCommand_ = false;
  Send(WM_SYSCOMMAND, wParam, lParam);
  const bool leaveToWindows = defaultSystemCommand_;
  defaultSystemCommand_ = false;
  return leaveToWindows ? FALSE : TRUE;
}

void Win32DialogHost::DefaultSystemCommand(unsigned) { defaultSystemCommand_ = true; }

// A window on screen is painted by the dialog manager; only the minimised
// one is painted by the dialog itself.
std::intptr_t Win32DialogHost::HandlePaint() {
  if (!::IsIconic(window_)) {
    Send(WM_PAINT, 0, 0);
    return FALSE;
  }
  PAINTSTRUCT paint{};
  paintDc_ = BeginPaint(window_, &paint);
  Send(WM_PAINT, 0, 0);
  EndPaint(window_, &paint);
  paintDc_ = nullptr;
  return TRUE;
}

std::string Win32DialogHost::ControlText(int controlId) {
  return Utf8(WindowText(GetDlgItem(window_, controlId)));
}

bool Win32DialogHost::HasSystemMenu() { return GetSystemMenu(window_, FALSE) != nullptr; }

void Win32DialogHost::AppendSystemMenuSeparator() {
  if (HMENU menu = GetSystemMenu(window_, FALSE)) AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
}

void Win32DialogHost::AppendSystemMenuItem(unsigned commandValue, std::string_view text) {
  if (HMENU menu = GetSystemMenu(window_, FALSE)) {
    AppendMenuW(menu, MF_STRING, commandValue, Wide(text).c_str());
  }
}

void Win32DialogHost::SetIcon(IconHandle icon, IconKind kind) {
  const bool large = kind == IconKind::kLarge;
  HICON handle = large ? LoadAppIcon(icon, SM_CXICON, SM_CYICON)
                       : LoadAppIcon(icon, SM_CXSMICON, SM_CYSMICON);
  SendMessageW(window_, WM_SETICON, large ? ICON_BIG : ICON_SMALL, reinterpret_cast<LPARAM>(handle));
}

bool Win32DialogHost::IsIconic() { return window_ != nullptr && ::IsIconic(window_); }

PixelSize Win32DialogHost::IconMetrics() {
  return {GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON)};
}

PixelSize Win32DialogHost::ClientSize() {
  RECT client{};
  GetClientRect(window_, &client);
  return {client.right - client.left, client.bottom - client.top};
}

void Win32DialogHost::EraseIconBackground() {
  SendMessageW(window_, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(paintDc_), 0);
}

void Win32DialogHost::DrawIcon(IconHandle icon, int x, int y) {
  if (paintDc_ != nullptr) ::DrawIcon(paintDc_, x, y, LoadAppIcon(icon, SM_CXICON, SM_CYICON));
}

std::unique_ptr<DialogHost> Win32DialogHost::CreateModalChild() {
  return std::make_unique<Win32DialogHost>(window_);
}

int Win32DialogHost::MessageBox(std::string_view text, std::string_view caption, unsigned type) {
  return MessageBoxW(window_, Wide(text).c_str(), Wide(caption).c_str(), type);
}

// A task dialog: Windows' message box cannot name its buttons. The choice
// Escape and the close box give is the dialog's Cancel button (IDCANCEL),
// which is how the dialog manager finds what Escape presses.
int Win32DialogHost::AskChoice(const ChoiceQuestion& question) {
  constexpr int kFirstChoice = 100;
  const auto idOf = [&question](int choice) {
    return choice == question.escapeChoice ? IDCANCEL : kFirstChoice + choice;
  };
  std::vector<std::wstring> labels;
  for (const std::string& choice : question.choices) labels.push_back(Wide(choice));
  std::vector<TASKDIALOG_BUTTON> buttons;
  for (std::size_t i = 0; i < labels.size(); ++i) {
    buttons.push_back({idOf(static_cast<int>(i)), labels[i].c_str()});
  }
  const std::wstring caption = Wide(question.caption);
  const std::wstring text = Wide(question.text);
  TASKDIALOGCONFIG config{};
  config.cbSize = sizeof config;
  config.hwndParent = window_;
  config.dwFlags = TDF_ALLOW_DIALOG_CANCELLATION | TDF_USE_HICON_MAIN;
  config.pszWindowTitle = caption.c_str();
  config.hMainIcon = LoadIconW(nullptr, IDI_QUESTION);
  config.pszContent = text.c_str();
  const std::wstring detail = Wide(question.detail);
  if (!detail.empty()) config.pszExpandedInformation = detail.c_str();
  config.cButtons = static_cast<UINT>(buttons.size());
  config.pButtons = buttons.data();
  config.nDefaultButton = idOf(question.defaultChoice);
  int pressed = IDCANCEL;
  if (FAILED(TaskDialogIndirect(&config, &pressed, nullptr, nullptr))) return question.escapeChoice;
  const int index = pressed - kFirstChoice;
  return index >= 0 && static_cast<std::size_t>(index) < buttons.size() ? index : question.escapeChoice;
}

// Read as UTF-16, then converted to code page 932 once, by Windows.
EntryText Win32DialogHost::GetEntryText(int controlId, std::size_t bufferSize) {
  return EntryFromUtf8(Utf8(WindowText(GetDlgItem(window_, controlId))), bufferSize);
}

// A label's new text is fitted as the template's texts are.
void Win32DialogHost::SetControlText(int controlId, std::string_view text) {
  SetDlgItemTextW(window_, controlId, Wide(text).c_str());
  HWND control = GetDlgItem(window_, controlId);
  wchar_t className[16] = {};
  if (control == nullptr || GetClassNameW(control, className, 16) == 0 || lstrcmpiW(className, L"Static") != 0) return;
  HFONT fitted = RefitControlText(window_, control);
  const auto previous = refittedFonts_.find(control);
  if (previous != refittedFonts_.end()) {
    DeleteObject(previous->second);
    refittedFonts_.erase(previous);
  }
  if (fitted != nullptr) refittedFonts_[control] = fitted;
}

void Win32DialogHost::FocusControl(int controlId) {
  if (HWND control = GetDlgItem(window_, controlId)) {
    SendMessageW(window_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE);
  }
}

void Win32DialogHost::InsertListRow(int controlId, int row, std::span<const std::string> cells) {
  HWND list = GetDlgItem(window_, controlId);
  if (list == nullptr || cells.empty()) return;
  std::wstring first = Wide(cells.front());
  LVITEMW item{};
  item.mask = LVIF_TEXT;
  item.iItem = row < 0 ? static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)) : row;
  item.pszText = first.data();
  const auto at = static_cast<int>(SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
  for (std::size_t column = 1; column < cells.size() && at >= 0; ++column) {
    SetListCell(controlId, at, static_cast<int>(column), cells[column]);
  }
}

void Win32DialogHost::SetListCell(int controlId, int row, int column, std::string_view text) {
  std::wstring wide = Wide(text);
  LVITEMW item{};
  item.iSubItem = column;
  item.pszText = wide.data();
  SendDlgItemMessageW(window_, controlId, LVM_SETITEMTEXTW, static_cast<WPARAM>(row),
                      reinterpret_cast<LPARAM>(&item));
}

void Win32DialogHost::DeleteListRow(int controlId, int row) {
  SendDlgItemMessageW(window_, controlId, LVM_DELETEITEM, static_cast<WPARAM>(row), 0);
}

void Win32DialogHost::SetProgress(int controlId, int position, int range) {
  SendDlgItemMessageW(window_, controlId, PBM_SETRANGE32, 0, range > 0 ? range : 1);
  SendDlgItemMessageW(window_, controlId, PBM_SETPOS, static_cast<WPARAM>(position), 0);
}

// The filter is "what (pattern)", then the pattern, each ended by a zero.
std::optional<std::string> Win32DialogHost::ChooseFileToOpen(std::string_view title, std::string_view filterName,
                                                             std::string_view pattern) {
  std::wstring filter = Wide(std::string(filterName) + " (" + std::string(pattern) + ")");
  filter.push_back(L'\0');
  filter += Wide(pattern);
  filter.push_back(L'\0');
  const std::wstring caption = Wide(title);
  std::wstring name(32768, L'\0');
  OPENFILENAMEW choice{};
  choice.lStructSize = sizeof choice;
  choice.hwndOwner = window_;
  choice.lpstrFilter = filter.c_str();
  choice.lpstrFile = name.data();
  choice.nMaxFile = static_cast<DWORD>(name.size());
  choice.lpstrTitle = caption.c_str();
  choice.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_EXPLORER;
  if (!GetOpenFileNameW(&choice)) return std::nullopt;
  name.resize(wcslen(name.c_str()));
  return Utf8(name);
}

void Win32DialogHost::PostFromThread(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) {
  PostMessageW(window_, message, wParam, lParam);
}

int Win32DialogHost::GetCheck(int controlId) {
  return static_cast<int>(IsDlgButtonChecked(window_, controlId));
}

void Win32DialogHost::SetCheck(int controlId, int state) {
  CheckDlgButton(window_, controlId, static_cast<UINT>(state));
}

std::intptr_t Win32DialogHost::SendToControl(int controlId, unsigned message,
                                             std::uintptr_t wParam, std::intptr_t lParam) {
  HWND control = GetDlgItem(window_, controlId);
  return control != nullptr ? SendMessageW(control, message, wParam, lParam) : CB_ERR;
}

void Win32DialogHost::InsertListItem(int controlId, int position, std::string_view text) {
  const std::wstring wide = Wide(text);
  SendToControl(controlId, CB_INSERTSTRING, static_cast<WPARAM>(position),
                reinterpret_cast<LPARAM>(wide.c_str()));
}

void Win32DialogHost::SelectListItem(int controlId, int position) {
  SendToControl(controlId, CB_SETCURSEL, static_cast<WPARAM>(position), 0);
}

int Win32DialogHost::GetListSelection(int controlId) {
  return static_cast<int>(SendToControl(controlId, CB_GETCURSEL, 0, 0));
}

void Win32DialogHost::EnableControl(int controlId, bool enable) {
  if (HWND control = GetDlgItem(window_, controlId)) EnableWindow(control, enable ? TRUE : FALSE);
}

void Win32DialogHost::BeginWaitCursor() {
  ++waitCursorDepth_;
  SetCursor(LoadCursorW(nullptr, IDC_WAIT));
}

void Win32DialogHost::EndWaitCursor() {
  if (waitCursorDepth_ == 0) return;
  if (--waitCursorDepth_ == 0) SetCursor(LoadCursorW(nullptr, IDC_ARROW));
}

void Win32DialogHost::PostMessage(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) {
  PostMessageW(window_, message, wParam, lParam);
}

void Win32DialogHost::ExitProcess(int status) { ::ExitProcess(static_cast<UINT>(status)); }

// Only paint messages: keys and clicks wait in the queue until the command ends.
void Win32DialogHost::KeepPainting() {
  MSG message{};
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE | PM_QS_PAINT)) {
    DispatchMessageW(&message);
  }
}

}  // namespace morvik
