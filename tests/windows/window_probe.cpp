// window-probe.exe CAPTION CONTROL_ID TIMEOUT_MS: waits until the top-level
// window titled CAPTION shows a non-empty text in the control CONTROL_ID and
// prints that text as UTF-8; status 1 when it did not within TIMEOUT_MS.
// scripts/test-windows reads the window's controls with it, from outside,
// the way any other Windows program could.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

std::wstring ControlText(const char* caption, int controlId) {
  const int size = MultiByteToWideChar(CP_UTF8, 0, caption, -1, nullptr, 0);
  std::wstring wideCaption(static_cast<std::size_t>(size), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, caption, -1, wideCaption.data(), size);
  HWND window = FindWindowW(nullptr, wideCaption.c_str());
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

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: window-probe CAPTION CONTROL_ID TIMEOUT_MS\n");
    return 2;
  }
  const int controlId = std::atoi(argv[2]);
  const DWORD deadline = GetTickCount() + static_cast<DWORD>(std::atoi(argv[3]));
  for (;;) {
    const std::wstring text = ControlText(argv[1], controlId);
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
