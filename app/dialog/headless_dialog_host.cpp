#include "app/dialog/headless_dialog_host.h"

#include <chrono>

#include "app/dialog/keys.h"

namespace morvik {

void HeadlessDialogHost::CreateWindow(const DialogTemplate& dialog, MessageSink& sink) {
  template_ = &dialog;
  sink_ = &sink;
  for (const DialogItem& item : dialog.items) {
    if (item.id == kIdcStatic) continue;
    HeadlessControl& control = window_.control(item.id);
    control.text = std::string(item.text);
    control.enabled = !item.Has(kDisabled);
    visible_[item.id] = !item.Has(kHidden);
  }
  root().shownTemplates_.push_back(dialog.resourceId);
  Send({WM_INITDIALOG, 0, 0});
}

void HeadlessDialogHost::RunModalLoop() {
  running_ = true;
  bool closed = false;
  while (running_ && !window_.exitStatus()) {
    if (HasPosted()) {
      DeliverPosted();
    } else if (!input_.empty()) {
      const std::function<void()> action = std::move(input_.front());
      input_.pop_front();
      action();
    } else if (!closed) {
      closed = true;
      Send(SystemCommandMessage(kScClose));
    } else if (!WaitForThreadPost()) {
      running_ = false;
    }
  }
}

bool HeadlessDialogHost::HasPosted() {
  const std::lock_guard<std::mutex> lock(inboxMutex_);
  return !window_.posted().empty() || !inbox_.empty();
}

bool HeadlessDialogHost::WaitForThreadPost() {
  std::unique_lock<std::mutex> lock(inboxMutex_);
  if (inboxFilled_.wait_for(lock, std::chrono::milliseconds(kThreadWaitMs), [this] { return !inbox_.empty(); })) {
    return true;
  }
  timedOut_ = true;
  return false;
}

void HeadlessDialogHost::PostFromThread(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) {
  const std::lock_guard<std::mutex> lock(inboxMutex_);
  inbox_.push_back({message, wParam, lParam});
  inboxFilled_.notify_all();
}

void HeadlessDialogHost::WaitUntil(std::function<bool()> condition) {
  Queue([this, condition = std::move(condition)] {
    bool met = condition();
    afterEachPosted_ = [&met, &condition](const Message&) { met = met || condition(); };
    while (!met && running_ && !window_.exitStatus() && (HasPosted() || WaitForThreadPost())) DeliverPosted();
    afterEachPosted_ = nullptr;
  });
}

void HeadlessDialogHost::DestroyWindow() { sink_ = nullptr; }

// Those this thread posted first, then one from another thread at a time.
void HeadlessDialogHost::DeliverPosted() {
  while (!window_.exitStatus()) {
    PostedMessage posted{};
    if (!window_.posted().empty()) {
      posted = window_.posted().front();
      window_.posted().pop_front();
    } else {
      const std::lock_guard<std::mutex> lock(inboxMutex_);
      if (inbox_.empty()) return;
      posted = inbox_.front();
      inbox_.pop_front();
    }
    const Message message{posted.message, posted.wParam, posted.lParam};
    Send(message);
    if (watcher_) watcher_();
    if (afterEachPosted_) afterEachPosted_(message);
  }
}

void HeadlessDialogHost::FocusFirstTabStop() {
  for (const DialogItem& item : template_->items) {
    if (item.Has(kTabStop) && Reachable(item.id)) {
      focus_ = item.id;
      return;
    }
  }
}

void HeadlessDialogHost::FocusControl(int controlId) {
  if (Item(controlId) != nullptr && Reachable(controlId)) focus_ = controlId;
}

void HeadlessDialogHost::InsertListRow(int controlId, int row, std::span<const std::string> cells) {
  std::vector<std::vector<std::string>>& rows = listRows_[controlId];
  const auto at = static_cast<std::size_t>(row) < rows.size() && row >= 0 ? rows.begin() + row : rows.end();
  rows.insert(at, std::vector<std::string>(cells.begin(), cells.end()));
}

void HeadlessDialogHost::SetListCell(int controlId, int row, int column, std::string_view text) {
  std::vector<std::vector<std::string>>& rows = listRows_[controlId];
  if (row < 0 || static_cast<std::size_t>(row) >= rows.size()) return;
  std::vector<std::string>& cells = rows[static_cast<std::size_t>(row)];
  if (column >= 0 && static_cast<std::size_t>(column) < cells.size()) cells[static_cast<std::size_t>(column)] = text;
}

void HeadlessDialogHost::DeleteListRow(int controlId, int row) {
  std::vector<std::vector<std::string>>& rows = listRows_[controlId];
  if (row >= 0 && static_cast<std::size_t>(row) < rows.size()) rows.erase(rows.begin() + row);
}

std::optional<std::string> HeadlessDialogHost::ChooseFileToOpen(std::string_view title, std::string_view,
                                                                std::string_view) {
  root().fileDialogTitles_.emplace_back(title);
  if (fileAnswers_.empty()) return std::nullopt;
  std::optional<std::string> answer = std::move(fileAnswers_.front());
  fileAnswers_.pop_front();
  return answer;
}

int HeadlessDialogHost::AskChoice(const ChoiceQuestion& question) {
  root().choiceQuestions_.push_back(question);
  if (choiceAnswers_.empty()) return question.escapeChoice;
  const int answer = choiceAnswers_.front();
  choiceAnswers_.pop_front();
  return answer;
}

std::unique_ptr<DialogHost> HeadlessDialogHost::CreateModalChild() {
  return std::unique_ptr<DialogHost>(new HeadlessDialogHost(this));
}

IconHandle HeadlessDialogHost::icon(IconKind kind) const {
  const auto found = icons_.find(kind);
  return found == icons_.end() ? 0 : found->second;
}

bool HeadlessDialogHost::IsVisible(int controlId) const {
  const auto found = visible_.find(controlId);
  return found != visible_.end() && found->second;
}

bool HeadlessDialogHost::Reachable(int controlId) {
  return IsVisible(controlId) && window_.control(controlId).enabled;
}

const DialogItem* HeadlessDialogHost::Item(int controlId) const {
  return template_ ? template_->Find(controlId) : nullptr;
}

void HeadlessDialogHost::Send(const Message& message) {
  dispatched_.push_back(message);
  if (sink_) sink_->Dispatch(message);
}

void HeadlessDialogHost::Click(int controlId) {
  Queue([this, controlId] {
    if (!Reachable(controlId)) return;
    const DialogItem* item = Item(controlId);
    if (item && item->kind == ItemKind::kCheckBox) {
      HeadlessControl& box = window_.control(controlId);
      box.check = box.check == 1 ? 0 : 1;
    }
    Send(CommandMessage(controlId, kBnClicked));
  });
}

void HeadlessDialogHost::Choose(int listId, int position) {
  Queue([this, listId, position] {
    if (!Reachable(listId)) return;
    window_.SelectListItem(listId, position);
    Send(CommandMessage(listId, kCbnSelChange));
  });
}

void HeadlessDialogHost::Type(int controlId, std::string text) {
  Queue([this, controlId, text = std::move(text)] {
    if (!Reachable(controlId)) return;
    HeadlessControl& control = window_.control(controlId);
    control.text = text;
    // Typing into a list's field leaves the list without a selection.
    if (!control.items.empty()) control.selection = -1;
  });
}

void HeadlessDialogHost::Focus(int controlId) {
  Queue([this, controlId] {
    const DialogItem* item = Item(controlId);
    if (item && item->Has(kTabStop) && Reachable(controlId)) focus_ = controlId;
  });
}

void HeadlessDialogHost::SelectRow(int listId, int row) {
  Queue([this, listId, row] {
    if (!Reachable(listId) || row < 0 || static_cast<std::size_t>(row) >= listRows_[listId].size()) return;
    Send({WM_COMMAND, CommandMessage(listId, kLvnRowSelected).wParam, row});
  });
}

void HeadlessDialogHost::PressEnter() {
  Queue([this] { Send(CommandMessage(EnterKeyCommand(Item(focus_)))); });
}

void HeadlessDialogHost::PressEscape() {
  Queue([this] { Send(CommandMessage(kEscapeCommand)); });
}

void HeadlessDialogHost::CloseBox() {
  Queue([this] { Send(SystemCommandMessage(kScClose)); });
}

void HeadlessDialogHost::SystemMenu(unsigned commandValue) {
  Queue([this, commandValue] { Send(SystemCommandMessage(commandValue)); });
}

void HeadlessDialogHost::MenuCommand(int command) {
  Queue([this, command] {
    if (!template_ || !template_->menu) return;
    for (const MenuPopup& popup : template_->menu->popups) {
      for (const MenuItem& item : popup.items) {
        if (!item.IsSeparator() && item.command == command && !item.greyed) {
          Send(CommandMessage(command, kBnClicked));
          return;
        }
      }
    }
  });
}

void HeadlessDialogHost::Then(std::function<void()> inspect) { Queue(std::move(inspect)); }

}  // namespace morvik
