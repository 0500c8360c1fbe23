// The application object: its start operation runs the main window modally
// and returns false, so that the process ends when the window has closed.
#pragma once

#include "app/dialog/win_app.h"
#include "link/clock.h"
#include "link/serial_device.h"

namespace morvik {

class CSerialApp : public CWinApp {
 public:
  // The serial ports and the clock the main window's writer link uses.
  CSerialApp(SerialPlatform& platform, Clock& clock) : platform_(platform), clock_(clock) {}

  static const MessageMap& ClassMessageMap();

 protected:
  const MessageMap& GetMessageMap() const override { return ClassMessageMap(); }
  bool Start() override;

 private:
  SerialPlatform& platform_;
  Clock& clock_;
};

// The window program on this host: the system's serial ports, a clock that
// keeps the window painted while it waits, and the application object run to
// its end. The process's exit status.
int RunMainWindow(DialogHost& host);

}  // namespace morvik
