// morvik-card-writer.exe: the operator's window on Windows, shown by Windows'
// own dialog manager.
#include "app/serial_app.h"
#include "app/win32/win32_dialog_host.h"

// After our headers: Windows' macros would rename the hosts' methods.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#include <commctrl.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  // The manifest asks for version 6 of the common controls; registering them
  // here makes sure the themed classes exist before the first dialog.
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);

  // What escapes is a fault of ours: the process ends with the status the
  // window gives a failure, not with an abort.
  try {
    morvik::Win32DialogHost host;
    return morvik::RunMainWindow(host);
  } catch (...) {
    return 1;
  }
}
