// The application class of our framework: one object per process whose start
// operation runs the main window; commands the window does not handle reach
// the application's own table.
#pragma once

#include "app/dialog/dialog_host.h"
#include "app/dialog/message_map.h"

namespace morvik {

inline constexpr int kIdHelpCommand = 57670;

class CDialog;

class CWinApp : public CCmdTarget {
 public:
  CWinApp();
  ~CWinApp() override;
  CWinApp(const CWinApp&) = delete;
  CWinApp& operator=(const CWinApp&) = delete;

  // Runs the start operation with the host the main window is shown in.
  // When it returns false there is no message loop of the application's own:
  // the result is the process's exit status, 0.
  int Run(DialogHost& mainHost);

  // The application object of this process, or nullptr.
  static CWinApp* Current();
  static const MessageMap& ClassMessageMap();

  CDialog* mainWindow() const { return mainWindow_; }

 protected:
  const MessageMap& GetMessageMap() const override { return ClassMessageMap(); }

  virtual bool Start() = 0;
  // The framework's standard help: there is no help file to open.
  void OnHelp() {}

  DialogHost& mainHost() { return *mainHost_; }
  void SetMainWindow(CDialog* window) { mainWindow_ = window; }

 private:
  DialogHost* mainHost_ = nullptr;
  CDialog* mainWindow_ = nullptr;
};

}  // namespace morvik
