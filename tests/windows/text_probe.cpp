// text-probe.exe: builds the main window, the About box and the production
// window as the programs do (our host over Windows' dialog manager, texts fitted) and measures
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

namespace {

struct NoHandlers final : morvik::MessageSink {
  std::intptr_t Dispatch(const morvik::Message&) override { return 0; }
};

struct Totals {
  int shown = 0;
  int clipped = 0;
};

// The client width less what the kind draws beside its text: a push button's
// frame, a check box's box and gap, a group box's indent. 0: no such text.
int Room(HWND control, int dpi) {
  wchar_t name[16] = {};
  GetClassNameW(control, name, 16);
  const LONG style = GetWindowLongW(control, GWL_STYLE);
  int beside = -1;
  if (lstrcmpiW(name, L"Static") == 0 && (style & SS_TYPEMASK) <= SS_RIGHT) beside = 0;
  if (lstrcmpiW(name, L"Button") == 0) {
    const LONG kind = style & BS_TYPEMASK;
    beside = kind <= BS_DEFPUSHBUTTON ? 6 : kind == BS_AUTOCHECKBOX ? 19 : -1;
    if (kind == BS_GROUPBOX) beside = 16;
  }
  RECT client{};
  GetClientRect(control, &client);
  return beside < 0 ? 0 : client.right - MulDiv(beside, dpi, 96);
}

BOOL CALLBACK MeasureTexts(HWND window, LPARAM data) {
  auto& totals = *reinterpret_cast<Totals*>(data);
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
    ++totals.shown;
    totals.clipped += fits ? 0 : 1;
  }
  ReleaseDC(window, dc);
  return TRUE;
}

}  // namespace

int main() {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&controls);
  NoHandlers sink;
  morvik::Win32DialogHost main;
  main.CreateWindow(morvik::MainWindowTemplate(), sink);
  const std::unique_ptr<morvik::DialogHost> about = main.CreateModalChild();
  about->CreateWindow(morvik::AboutBoxTemplate(), sink);
  morvik::Win32DialogHost line;
  line.CreateWindow(morvik::LineWindowTemplate(), sink);
  Totals totals;
  EnumThreadWindows(GetCurrentThreadId(), MeasureTexts, reinterpret_cast<LPARAM>(&totals));
  std::printf("%d of %d shown texts clipped\n", totals.clipped, totals.shown);
  return totals.clipped == 0 && totals.shown > 0 ? 0 : 1;
}
