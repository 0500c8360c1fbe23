// The dialog class of our framework: a window built from a template, run
// modally, with a command table and control access by identifier.
#pragma once

#include <string>

#include "app/dialog/dialog_host.h"
#include "app/dialog/message_map.h"

namespace morvik {

inline constexpr int kDialogAccepted = 1;
inline constexpr int kDialogCancelled = 2;

enum class ExchangeDirection { kToControls, kFromControls };

// A list object that operates one combo box once attached.
class CComboBox {
 public:
  // Takes effect the first time; later calls do nothing.
  void Attach(int controlId) {
    if (controlId_ == 0) controlId_ = controlId;
  }
  int controlId() const { return controlId_; }

 private:
  int controlId_ = 0;
};

class CDialog : public CCmdTarget, public MessageSink {
 public:
  CDialog(const DialogTemplate& dialog, DialogHost& host);

  // Creates the window, initialises it, runs its messages until it ends and
  // destroys it. 1 when accepted, 2 when cancelled.
  int DoModal();
  void EndDialog(int result);

  // A message for this window: its table, then for commands the
  // application's, then the default handling.
  std::intptr_t Dispatch(const Message& message) override;

  static const MessageMap& ClassMessageMap();

  DialogHost& host() { return host_; }
  WindowServices& services() { return host_.services(); }
  const DialogTemplate& dialogTemplate() const { return template_; }

 protected:
  const MessageMap& GetMessageMap() const override { return ClassMessageMap(); }

  // The window exists and is not yet shown: its initialisation runs.
  void OnInitDialog();
  // Runs the exchange towards the controls; true lets the focus go to the
  // first tab stop.
  virtual bool InitWindow();
  virtual void ExchangeEntries(ExchangeDirection /*direction*/) {}
  // Accept: the exchange from the controls, then the end with 1.
  virtual void OnOK();
  // Cancel: the end with 2.
  virtual void OnCancel();

  // What the window does with a message nobody handles.
  std::intptr_t DefaultWindowProc(const Message& message);

  void ExchangeText(ExchangeDirection direction, int controlId, std::string& member);
  static void AttachList(CComboBox& list, int controlId) { list.Attach(controlId); }

 private:
  const DialogTemplate& template_;
  DialogHost& host_;
  int result_ = kDialogCancelled;
};

}  // namespace morvik
