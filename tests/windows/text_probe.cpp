// text-probe.exe: builds the main window and the About box as the program
// does (our host over Windows' dialog manager, texts fitted) and measures
// every shown text with the font its control has against the room the
// control draws it in, less 2 pixels for the renderer's overhang. Prints each
// text with both widths, then the count of clipped texts; status 1 when any.
#include "app/layout/resources.h"
#include "app/win32/win32_dialog_host.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#include <commctrl.h>
#undef CreateWindow  // the host's method, not Windows' macro

#include <cstdio>
#include <string>

namespace {

class NoHandlers final : public morvik::MessageSink {
  std::intptr_t Dispatch(const morvik::Message&) override { return 0; }
};

HWND ThisThreadsWindow(HWND after) {
  struct Search { HWND after; bool passed; HWND found; } search{after, after == nullptr, nullptr};
  EnumThreadWindows(GetCurrentThreadId(), [](HWND window, LPARAM data) -> BOOL {
    auto& s = *reinterpret_cast<Search*>(data);
    if (!s.passed) {
      s.passed = window == s.after;
      return TRUE;
    }
    s.found = window;
    return FALSE;
  }, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// What each kind draws beside its text: a push button's frame, a check box's
// box and gap, a group box's indent on both sides. 0: no text to measure.
int Room(HWND control, int dpi) {
  wchar_t name[16] = {};
  GetClassNameW(control, name, 16);
  const LONG style = GetWindowLongW(control, GWL_STYLE);
  RECT client{};
  GetClientRect(control, &client);
  const auto px = [dpi](int pixels) { return MulDiv(pixels, dpi, 96); };
  if (lstrcmpiW(name, L"Static") == 0) return (style & SS_TYPEMASK) <= SS_RIGHT ? client.right : 0;
  if (lstrcmpiW(name, L"Button") != 0) return 0;
  switch (style & BS_TYPEMASK) {
    case BS_PUSHBUTTON: case BS_DEFPUSHBUTTON: return client.right - px(6);
    case BS_AUTOCHECKBOX: return client.right - px(19);
    case BS_GROUPBOX: return client.right - px(16);
    default: return 0;
  }
}

// Prints each shown text of the window's controls; the number clipped.
int ClippedTexts(HWND window, int& shown) {
  int clipped = 0;
  HDC dc = GetDC(window);
  const int dpi = GetDeviceCaps(dc, LOGPIXELSX);
  for (HWND control = GetWindow(window, GW_CHILD); control;
       control = GetWindow(control, GW_HWNDNEXT)) {
    wchar_t text[256] = {};
    const int length = GetWindowTextW(control, text, 256);
    const int room = Room(control, dpi);
    if (length == 0 || room == 0 || !(GetWindowLongW(control, GWL_STYLE) & WS_VISIBLE)) continue;
    SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
    SIZE extent{};
    GetTextExtentPoint32W(dc, text, length, &extent);
    const bool fits = extent.cx + 2 <= room;
    char utf8[768] = {};
    WideCharToMultiByte(CP_UTF8, 0, text, length, utf8, sizeof utf8 - 1, nullptr, nullptr);
    std::printf("%s %ld/%d px %s\n", fits ? "fits   " : "CLIPPED", extent.cx + 2, room, utf8);
    ++shown;
    clipped += fits ? 0 : 1;
  }
  ReleaseDC(window, dc);
  return clipped;
}

}  // namespace

int main() {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  NoHandlers sink;
  morvik::Win32DialogHost main;
  main.CreateWindow(morvik::MainWindowTemplate(), sink);
  const std::unique_ptr<morvik::DialogHost> about = main.CreateModalChild();
  about->CreateWindow(morvik::AboutBoxTemplate(), sink);
  int shown = 0;
  int clipped = 0;
  for (HWND window = ThisThreadsWindow(nullptr); window; window = ThisThreadsWindow(window)) {
    clipped += ClippedTexts(window, shown);
  }
  std::printf("%d of %d shown texts clipped\n", clipped, shown);
  return clipped == 0 && shown > 0 ? 0 : 1;
}
