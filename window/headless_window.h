// A window without a screen: control texts, checks, lists and states held in
// memory, message boxes answered from a script. Serves the tests and the
// command-line tool, which run the very operations the real window runs.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "window/window_services.h"

namespace morvik {

struct ShownMessage {
  std::string text;  // as the window shows it
  std::string caption;
  unsigned type;
  int answer;
  OperatorMessage message;  // as the operations gave it: its subject and the parts of its text
};

struct PostedMessage {
  unsigned message;
  std::uintptr_t wParam;
  std::intptr_t lParam;
};

// A list filled (an item inserted) or selected, in the order the window did it.
struct ListStep {
  int controlId;
  bool selected;  // false: an item inserted
  bool operator==(const ListStep&) const = default;
};

struct HeadlessControl {
  std::string text;  // UTF-8
  int check = 0;
  std::vector<std::string> items;
  int selection = -1;
  bool enabled = true;
};

class HeadlessWindow : public WindowServices {
 public:
  int MessageBox(std::string_view text, std::string_view caption, unsigned type) override;
  int ShowMessage(const OperatorMessage& message) override;
  EntryText GetEntryText(int controlId, std::size_t bufferSize) override;
  void SetControlText(int controlId, std::string_view text) override;
  int GetCheck(int controlId) override;
  void SetCheck(int controlId, int state) override;
  void InsertListItem(int controlId, int position, std::string_view text) override;
  void SelectListItem(int controlId, int position) override;
  int GetListSelection(int controlId) override;
  std::string GetListText(int controlId) override;
  void EnableControl(int controlId, bool enable) override;
  void BeginWaitCursor() override;
  void EndWaitCursor() override;
  void PostMessage(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) override;
  void ExitProcess(int status) override;

  // Answers for the next message boxes, in order. When the script runs out,
  // the answer is defaultAnswer (Cancel unless set otherwise).
  void ScriptAnswers(std::initializer_list<int> answers);
  void SetDefaultAnswer(int answer) { defaultAnswer_ = answer; }
  // Answers computed per message (used by the terminal's prompts); wins over
  // the script when set.
  void SetAnswerer(std::function<int(const ShownMessage&)> answerer) {
    answerer_ = std::move(answerer);
  }

  HeadlessControl& control(int controlId) { return controls_[controlId]; }
  const std::string& text(int controlId) { return controls_[controlId].text; }
  const std::vector<ShownMessage>& messages() const { return messages_; }
  const std::vector<ListStep>& listSteps() const { return listSteps_; }
  std::deque<PostedMessage>& posted() { return posted_; }
  std::optional<int> exitStatus() const { return exitStatus_; }
  int waitCursorDepth() const { return waitCursorDepth_; }
  int waitCursorBegins() const { return waitCursorBegins_; }

 private:
  std::map<int, HeadlessControl> controls_;
  std::deque<int> script_;
  int defaultAnswer_ = kIdCancel;
  std::function<int(const ShownMessage&)> answerer_;
  std::vector<ShownMessage> messages_;
  std::vector<ListStep> listSteps_;
  std::deque<PostedMessage> posted_;
  std::optional<int> exitStatus_;
  int waitCursorDepth_ = 0;
  int waitCursorBegins_ = 0;
};

}  // namespace morvik
