// The About box: template 100, no fields and no commands of its own.
#pragma once

#include "app/dialog/dialog.h"

namespace morvik {

class CAboutDlg : public CDialog {
 public:
  explicit CAboutDlg(DialogHost& host);

  static const MessageMap& ClassMessageMap();

 protected:
  const MessageMap& GetMessageMap() const override { return ClassMessageMap(); }
};

}  // namespace morvik
