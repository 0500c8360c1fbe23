#include "window/headless_window.h"

#include "window/cp932.h"

namespace morvik {

int HeadlessWindow::MessageBox(std::string_view text, std::string_view caption, unsigned type) {
  return ShowMessage(OperatorMessage(std::string(text), std::string(caption), type));
}

int HeadlessWindow::ShowMessage(const OperatorMessage& message) {
  ShownMessage shown{WindowText(message), message.caption, message.type, defaultAnswer_, message};
  if (answerer_) {
    shown.answer = answerer_(shown);
  } else if (!script_.empty()) {
    shown.answer = script_.front();
    script_.pop_front();
  }
  messages_.push_back(shown);
  return shown.answer;
}

EntryText HeadlessWindow::GetEntryText(int controlId, std::size_t bufferSize) {
  return EntryFromUtf8(controls_[controlId].text, bufferSize);
}

void HeadlessWindow::SetControlText(int controlId, std::string_view text) {
  controls_[controlId].text = std::string(text);
}

int HeadlessWindow::GetCheck(int controlId) { return controls_[controlId].check; }

void HeadlessWindow::SetCheck(int controlId, int state) { controls_[controlId].check = state; }

void HeadlessWindow::InsertListItem(int controlId, int position, std::string_view text) {
  listSteps_.push_back({controlId, false});
  std::vector<std::string>& items = controls_[controlId].items;
  if (position < 0 || static_cast<std::size_t>(position) > items.size()) {
    items.emplace_back(text);
  } else {
    items.insert(items.begin() + position, std::string(text));
  }
}

void HeadlessWindow::SelectListItem(int controlId, int position) {
  listSteps_.push_back({controlId, true});
  HeadlessControl& list = controls_[controlId];
  const bool valid = position >= 0 && static_cast<std::size_t>(position) < list.items.size();
  list.selection = valid ? position : -1;
}

int HeadlessWindow::GetListSelection(int controlId) { return controls_[controlId].selection; }

std::string HeadlessWindow::GetListText(int controlId) {
  const HeadlessControl& list = controls_[controlId];
  return list.selection >= 0 ? list.items[static_cast<std::size_t>(list.selection)] : list.text;
}

void HeadlessWindow::EnableControl(int controlId, bool enable) {
  controls_[controlId].enabled = enable;
}

void HeadlessWindow::BeginWaitCursor() {
  ++waitCursorDepth_;
  ++waitCursorBegins_;
}

void HeadlessWindow::EndWaitCursor() {
  if (waitCursorDepth_ > 0) --waitCursorDepth_;
}

void HeadlessWindow::PostMessage(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) {
  posted_.push_back({message, wParam, lParam});
}

void HeadlessWindow::ExitProcess(int status) {
  if (!exitStatus_) exitStatus_ = status;
}

void HeadlessWindow::ScriptAnswers(std::initializer_list<int> answers) {
  script_.insert(script_.end(), answers.begin(), answers.end());
}

}  // namespace morvik
