#include "app/about_dlg.h"

#include "app/layout/resources.h"

namespace morvik {

CAboutDlg::CAboutDlg(DialogHost& host) : CDialog(AboutBoxTemplate(), host) {}

const MessageMap& CAboutDlg::ClassMessageMap() {
  static const MessageMap map{&CDialog::ClassMessageMap(), {}};
  return map;
}

}  // namespace morvik
