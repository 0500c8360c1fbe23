// A dialog host without a screen. Control state lives in a HeadlessWindow;
// the operator's actions are queued and run by the modal loop after any posted
// message, one at a time, as the real window would receive them. When the
// queue runs dry the operator closes the window with the close box; a window
// that stays open then gets what other threads post until it ends.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "app/dialog/dialog_host.h"
#include "window/headless_window.h"

namespace morvik {

struct DrawnIcon {
  IconHandle icon;
  int x;
  int y;
};

class HeadlessDialogHost final : public DialogHost {
 public:
  HeadlessDialogHost() = default;

  WindowServices& services() override { return window_; }
  void CreateWindow(const DialogTemplate& dialog, MessageSink& sink) override;
  void RunModalLoop() override;
  void EndModalLoop() override { running_ = false; }
  void DestroyWindow() override;
  std::string ControlText(int controlId) override { return window_.text(controlId); }
  void FocusFirstTabStop() override;
  void FocusControl(int controlId) override;
  void InsertListRow(int controlId, int row, std::span<const std::string> cells) override;
  void SetListCell(int controlId, int row, int column, std::string_view text) override;
  void DeleteListRow(int controlId, int row) override;
  void SetProgress(int controlId, int position, int range) override { progress_[controlId] = {position, range}; }
  std::optional<std::string> ChooseFileToOpen(std::string_view title, std::string_view filterName,
                                              std::string_view pattern) override;
  int AskChoice(const ChoiceQuestion& question) override;
  void PostFromThread(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) override;
  bool HasSystemMenu() override { return hasSystemMenu_; }
  void AppendSystemMenuSeparator() override { systemMenu_.push_back({0, ""}); }
  void AppendSystemMenuItem(unsigned commandValue, std::string_view text) override {
    systemMenu_.push_back({commandValue, std::string(text)});
  }
  void DefaultSystemCommand(unsigned commandValue) override {
    defaultSystemCommands_.push_back(commandValue);
  }
  void SetIcon(IconHandle icon, IconKind kind) override { icons_[kind] = icon; }
  bool IsIconic() override { return iconic_; }
  PixelSize IconMetrics() override { return iconMetrics_; }
  PixelSize ClientSize() override { return clientSize_; }
  void EraseIconBackground() override { ++iconBackgroundErases_; }
  void DrawIcon(IconHandle icon, int x, int y) override { drawnIcons_.push_back({icon, x, y}); }
  std::unique_ptr<DialogHost> CreateModalChild() override;

  // The operator's actions, queued in order. Actions on a control the
  // operator cannot reach (hidden, disabled) do nothing.
  void Click(int controlId);                  // button or check box
  void Choose(int listId, int position);      // a list entry
  void Type(int controlId, std::string text); // replaces an entry's text
  void Focus(int controlId);
  void SelectRow(int listId, int row);        // a list view's row, by the mouse
  void PressEnter();
  void PressEscape();
  void CloseBox();
  void SystemMenu(unsigned commandValue);
  void MenuCommand(int command);              // only enabled menu items
  void Then(std::function<void()> inspect);   // runs between the actions
  // Takes every message other threads post, one at a time, until condition
  // holds after one of them (or before the first); timedOut() when none
  // came for kThreadWaitMs.
  void WaitUntil(std::function<bool()> condition);
  // Called after every message posted to the window is handled, whenever it
  // is handled: to see each state a window passes through, however the
  // threads that post are scheduled.
  void WatchEachPosted(std::function<void()> watcher) { watcher_ = std::move(watcher); }
  // The operator's choice in the next file dialog; none: Cancel.
  void AnswerFileDialog(std::optional<std::string> name) { fileAnswers_.push_back(std::move(name)); }

  // The operator's answers to the next questions with named choices; when
  // none is left the box is dismissed (Escape).
  void AnswerChoices(std::initializer_list<int> choices) { choiceAnswers_.insert(choiceAnswers_.end(), choices); }
  const std::vector<ChoiceQuestion>& choiceQuestions() const { return root().choiceQuestions_; }

  // Runs every posted message now (as the loop would), for stepping by hand.
  void DeliverPosted();

  HeadlessWindow& window() { return window_; }
  bool IsVisible(int controlId) const;
  bool IsEnabled(int controlId) { return window_.control(controlId).enabled; }
  int focus() const { return focus_; }
  // A list view's cells, row by row; a progress bar's position and range.
  const std::vector<std::vector<std::string>>& ListRows(int controlId) { return listRows_[controlId]; }
  std::pair<int, int> Progress(int controlId) { return progress_[controlId]; }
  const std::vector<std::string>& fileDialogTitles() const { return fileDialogTitles_; }
  bool timedOut() const { return timedOut_; }
  void SetHasSystemMenu(bool has) { hasSystemMenu_ = has; }
  void SetIconic(bool iconic) { iconic_ = iconic; }
  void SetClientSize(PixelSize size) { clientSize_ = size; }
  void SetIconMetrics(PixelSize size) { iconMetrics_ = size; }

  struct SystemMenuEntry {
    unsigned commandValue;  // 0 with empty text: a separator
    std::string text;
  };
  const std::vector<SystemMenuEntry>& systemMenu() const { return systemMenu_; }
  const std::vector<unsigned>& defaultSystemCommands() const { return defaultSystemCommands_; }
  IconHandle icon(IconKind kind) const;
  const std::vector<DrawnIcon>& drawnIcons() const { return drawnIcons_; }
  int iconBackgroundErases() const { return iconBackgroundErases_; }
  // Resource identifiers of the templates of every window shown, this one's
  // and its modal boxes', in order.
  const std::vector<int>& shownTemplates() const { return root().shownTemplates_; }
  const std::vector<Message>& dispatched() const { return dispatched_; }

 private:
  explicit HeadlessDialogHost(HeadlessDialogHost* parent) : parent_(parent) {}
  const HeadlessDialogHost& root() const { return parent_ ? parent_->root() : *this; }
  HeadlessDialogHost& root() { return parent_ ? parent_->root() : *this; }
  void Queue(std::function<void()> action) { input_.push_back(std::move(action)); }
  bool Reachable(int controlId);
  const DialogItem* Item(int controlId) const;
  void Send(const Message& message);
  bool HasPosted();
  // Waits for a message from another thread; false when none came in time.
  bool WaitForThreadPost();

  HeadlessDialogHost* parent_ = nullptr;
  HeadlessWindow window_;
  const DialogTemplate* template_ = nullptr;
  MessageSink* sink_ = nullptr;
  std::map<int, bool> visible_;
  std::deque<std::function<void()>> input_;
  bool running_ = false;
  int focus_ = 0;
  bool hasSystemMenu_ = true;
  bool iconic_ = false;
  PixelSize clientSize_{577, 593};
  PixelSize iconMetrics_{32, 32};
  std::vector<SystemMenuEntry> systemMenu_;
  std::vector<unsigned> defaultSystemCommands_;
  std::map<IconKind, IconHandle> icons_;
  std::vector<DrawnIcon> drawnIcons_;
  int iconBackgroundErases_ = 0;
  std::vector<int> shownTemplates_;
  std::vector<Message> dispatched_;
  std::map<int, std::vector<std::vector<std::string>>> listRows_;
  std::map<int, std::pair<int, int>> progress_;
  std::deque<std::optional<std::string>> fileAnswers_;
  std::vector<std::string> fileDialogTitles_;
  std::deque<int> choiceAnswers_;
  std::vector<ChoiceQuestion> choiceQuestions_;
  std::mutex inboxMutex_;
  std::condition_variable inboxFilled_;
  std::deque<PostedMessage> inbox_;  // posted by other threads
  std::function<void(const Message&)> afterEachPosted_;
  std::function<void()> watcher_;
  bool timedOut_ = false;
};

// Real time a headless window waits for other threads before it gives up.
inline constexpr int kThreadWaitMs = 30'000;

}  // namespace morvik
