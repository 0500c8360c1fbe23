#include "app/dialog/win_app.h"

namespace morvik {
namespace {
CWinApp* currentApp = nullptr;
}

CWinApp::CWinApp() { currentApp = this; }

CWinApp::~CWinApp() {
  if (currentApp == this) currentApp = nullptr;
}

CWinApp* CWinApp::Current() { return currentApp; }

const MessageMap& CWinApp::ClassMessageMap() {
  static const MessageMap map{&CCmdTarget::ClassMessageMap(), {}};
  return map;
}

int CWinApp::Run(DialogHost& mainHost) {
  mainHost_ = &mainHost;
  Start();
  SetMainWindow(nullptr);
  mainHost_ = nullptr;
  return 0;
}

}  // namespace morvik
