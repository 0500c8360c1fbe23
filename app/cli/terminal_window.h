// The window services on a terminal: messages go to stderr, questions are
// answered by options or at the terminal's prompt, progress is shown on stderr.
#pragma once

#include <optional>

#include "window/headless_window.h"

namespace morvik {

struct TerminalAnswers {
  std::optional<bool> confirm;  // --yes (true) or --no (false) for OK/Cancel questions
  bool retryDetection = false;  // --wait: keep detecting until a card answers
};

class TerminalWindow : public HeadlessWindow {
 public:
  explicit TerminalWindow(TerminalAnswers answers);
  void ExitProcess(int status) override;
  void ReportProgress(int done, int total) override;
  // The wait cursor brackets the writing or reading of a card.
  void BeginWaitCursor() override;
  void EndWaitCursor() override;

  // True once an error was shown or a question or retry was answered Cancel:
  // the command did not do what was asked.
  bool failed() const { return failed_; }

 private:
  int Answer(const ShownMessage& shown);
  int AskAtTerminal(const ShownMessage& shown);

  TerminalAnswers answers_;
  bool failed_ = false;
  bool progressOnTerminal_;
  std::string lastRetryText_;
};

}  // namespace morvik
