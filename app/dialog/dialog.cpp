#include "app/dialog/dialog.h"

#include "app/dialog/win_app.h"

namespace morvik {

CDialog::CDialog(const DialogTemplate& dialog, DialogHost& host)
    : template_(dialog), host_(host) {}

const MessageMap& CDialog::ClassMessageMap() {
  using Map = MessageMapFor<CDialog>;
  static constexpr MessageMapEntry kEntries[] = {
      Map::Command<&CDialog::OnOK>(kDialogAccepted),
      Map::Command<&CDialog::OnCancel>(kDialogCancelled),
      Map::On<&CDialog::OnInitDialog>(WM_INITDIALOG),
  };
  static const MessageMap map{&CCmdTarget::ClassMessageMap(), kEntries};
  return map;
}

int CDialog::DoModal() {
  result_ = kDialogCancelled;
  host_.CreateWindow(template_, *this);
  host_.RunModalLoop();
  Dispatch({WM_DESTROY, 0, 0});
  host_.DestroyWindow();
  return result_;
}

void CDialog::EndDialog(int result) {
  result_ = result;
  host_.EndModalLoop();
}

std::intptr_t CDialog::Dispatch(const Message& message) {
  if (const auto result = RouteMessage(message)) return *result;
  if (message.message == WM_COMMAND && CWinApp::Current() != nullptr) {
    if (const auto result = CWinApp::Current()->RouteMessage(message)) return *result;
  }
  return DefaultWindowProc(message);
}

void CDialog::OnInitDialog() {
  if (InitWindow()) host_.FocusFirstTabStop();
}

bool CDialog::InitWindow() {
  ExchangeEntries(ExchangeDirection::kToControls);
  return true;
}

void CDialog::OnOK() {
  ExchangeEntries(ExchangeDirection::kFromControls);
  EndDialog(kDialogAccepted);
}

void CDialog::OnCancel() { EndDialog(kDialogCancelled); }

std::intptr_t CDialog::DefaultWindowProc(const Message& message) {
  if (message.message != WM_SYSCOMMAND) return 0;
  const auto value = static_cast<unsigned>(message.wParam);
  if ((value & kSysCommandMask) == kScClose) {
    Dispatch(CommandMessage(kDialogCancelled));
  } else {
    host_.DefaultSystemCommand(value);
  }
  return 0;
}

void CDialog::ExchangeText(ExchangeDirection direction, int controlId, std::string& member) {
  if (direction == ExchangeDirection::kToControls) {
    services().SetControlText(controlId, member);
  } else {
    member = host_.ControlText(controlId);
  }
}

}  // namespace morvik
