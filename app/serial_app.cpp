#include "app/serial_app.h"

#include "app/dialog/painting_clock.h"
#include "app/serial_dlg.h"
#include "link/system_serial.h"

namespace morvik {

const MessageMap& CSerialApp::ClassMessageMap() {
  using Map = MessageMapFor<CSerialApp>;
  static constexpr MessageMapEntry kEntries[] = {
      Map::Command<&CSerialApp::OnHelp>(kIdHelpCommand),
  };
  static const MessageMap map{&CWinApp::ClassMessageMap(), kEntries};
  return map;
}

bool CSerialApp::Start() {
  // Neither window holds an embedded control, so there is nothing to enable
  // for hosting them.
  CSerialDlg window(mainHost(), platform_, clock_);
  SetMainWindow(&window);  // until Run ends
  window.DoModal();
  return false;
}

int RunMainWindow(DialogHost& host) {
  const std::unique_ptr<SerialPlatform> serial = MakeSystemSerialPlatform();
  SystemClock systemClock;
  PaintingClock clock(systemClock, host.services());
  CSerialApp app(*serial, clock);
  return app.Run(host);
}

}  // namespace morvik
