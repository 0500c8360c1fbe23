// window-probe.exe CAPTION CONTROL_ID TIMEOUT_MS: waits until the top-level
// window titled CAPTION shows a non-empty text in the control CONTROL_ID and
// prints that text as UTF-8; status 1 when it did not within TIMEOUT_MS.
// window-probe.exe --menu TIMEOUT_MS: waits until a popup menu is showing;
// status 1 when none did within TIMEOUT_MS.
// scripts/test-windows reads the window's controls with it, from outside,
// the way any other Windows program could.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

std::wstring ControlText(const wchar_t* caption, int controlId) {
  HWND window = FindWindowW(nullptr, caption);
  HWND control = window != nullptr ? GetDlgItem(window, controlId) : nullptr;
  if (control == nullptr) return {};
  wchar_t text[256] = {};
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(control, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(text),
                           SMTO_ABORTIFHUNG, 1000, &length)) {
    return {};
  }
  return std::wstring(text, length);
}

bool MenuShowing() {
  const HWND menu = FindWindowW(L"#32768", nullptr);  // the class of popup menus
  return menu != nullptr && IsWindowVisible(menu);
}

int WaitForMenu(DWORD timeoutMs) {
  const DWORD deadline = GetTickCount() + timeoutMs;
  while (!MenuShowing()) {
    if (static_cast<LONG>(GetTickCount() - deadline) >= 0) return 1;
    Sleep(100);
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::string(argv[1]) == "--menu") return WaitForMenu(static_cast<DWORD>(std::atoi(argv[2])));
  if (argc != 4) {
    std::fprintf(stderr, "usage: window-probe CAPTION CONTROL_ID TIMEOUT_MS | --menu TIMEOUT_MS\n");
    return 2;
  }
  const int controlId = std::atoi(argv[2]);
  const DWORD deadline = GetTickCount() + static_cast<DWORD>(std::atoi(argv[3]));
  // The caption as typed, whatever the ANSI code page: from the UTF-16 command line.
  int count = 0;
  wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
  if (wide == nullptr || count != 4) return 2;
  for (;;) {
    const std::wstring text = ControlText(wide[1], controlId);
    if (!text.empty()) {
      char utf8[1024] = {};
      WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, utf8, sizeof utf8 - 1, nullptr, nullptr);
      std::printf("%s\n", utf8);
      return 0;
    }
    if (static_cast<LONG>(GetTickCount() - deadline) >= 0) return 1;
    Sleep(100);
  }
}
