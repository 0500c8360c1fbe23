#include "app/dialog/headless_dialog_host.h"

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
  while (running_ && !window_.exitStatus()) {
    if (!window_.posted().empty()) {
      DeliverPosted();
    } else if (!input_.empty()) {
      const std::function<void()> action = std::move(input_.front());
      input_.pop_front();
      action();
    } else {
      Send(SystemCommandMessage(kScClose));
      running_ = false;
    }
  }
}

void HeadlessDialogHost::DestroyWindow() { sink_ = nullptr; }

void HeadlessDialogHost::DeliverPosted() {
  while (!window_.posted().empty() && !window_.exitStatus()) {
    const PostedMessage posted = window_.posted().front();
    window_.posted().pop_front();
    Send({posted.message, posted.wParam, posted.lParam});
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
