// morvik-card-line.exe: the production window on Windows, shown by Windows'
// own dialog manager.
#include "app/line/line_app.h"
#include "app/win32/win32_dialog_host.h"

// After our headers: Windows' macros would rename the hosts' methods.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

namespace {

std::string Utf8(const wchar_t* wide) {
  const int size = WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<std::size_t>(size > 0 ? size : 1), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide, -1, utf8.data(), size, nullptr, nullptr);
  utf8.resize(utf8.size() - 1);
  return utf8;
}

// The arguments after the program's name, as UTF-8 from Windows' own UTF-16 command line.
std::vector<std::string> Arguments() {
  int count = 0;
  wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::string> arguments;
  for (int i = 1; wide != nullptr && i < count; ++i) arguments.push_back(Utf8(wide[i]));
  LocalFree(wide);
  return arguments;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  // The list views and the progress bar are common controls: their classes
  // are registered before the first dialog.
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&controls);

  // What escapes is a fault of ours: the process ends with a failure's
  // status, not with an abort.
  try {
    morvik::Win32DialogHost host;
    return morvik::RunLineWindow(host, Arguments());
  } catch (...) {
    return 1;
  }
}
