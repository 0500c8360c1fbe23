// The window services on a terminal: messages go to stderr in words that fit
// a terminal, questions are answered by options or at the terminal's prompt,
// waits for the writer or the card are kept up to a limit, and progress is
// shown on stderr when it is a terminal. It also keeps how the command ended.
#pragma once

#include <functional>
#include <iosfwd>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "link/clock.h"
#include "window/headless_window.h"

namespace morvik {

struct TerminalAnswers {
  std::optional<bool> confirm;     // --yes (true) or --no (false) for OK/Cancel questions
  bool wait = false;               // --wait: keep looking for the writer and the card
  std::optional<int> waitSeconds;  // --wait=SECONDS: for this long at most
};

struct TerminalStreams {
  std::ostream& err;
  std::istream& in;
  bool inIsTerminal;
  bool errIsTerminal;
};

// How the operations ended, from what they showed and what was answered.
enum class Outcome { kDone, kFailed, kRefused, kNoWriter, kNoCard, kWaitEnded };

class TerminalWindow : public HeadlessWindow {
 public:
  TerminalWindow(TerminalAnswers answers, Clock& clock, TerminalStreams streams);
  void ReportProgress(int done, int total) override;
  // The wait cursor brackets the writing or reading of a card.
  void BeginWaitCursor() override;
  void EndWaitCursor() override;

  // Names what a message speaks of ("--url") before its text; empty: the
  // message's caption is shown instead.
  void SetSubjectOf(std::function<std::string(std::string_view)> subjectOf) {
    subjectOf_ = std::move(subjectOf);
  }
  // The word the progress line begins with ("書き込み", "読み出し").
  void SetProgressVerb(std::string verb) { progressVerb_ = std::move(verb); }
  // The first way the command failed, kDone while nothing did.
  Outcome outcome() const { return outcome_; }

 private:
  int Answer(const ShownMessage& shown);
  int AnswerRetry(const ShownMessage& shown);
  int AnswerQuestion(const ShownMessage& shown);
  int AskAtTerminal();
  void Say(const std::string& line);
  // "--url: text", or "Caption: text" when the message names no option.
  std::string Headed(const ShownMessage& shown) const;
  void Note(Outcome outcome);

  TerminalAnswers answers_;
  Clock& clock_;
  TerminalStreams streams_;
  Outcome outcome_ = Outcome::kDone;
  std::map<std::string, int> answered_;  // a question asked again gets the same answer
  std::string lastRetryText_;
  std::optional<std::int64_t> waitStartMs_;
  std::string progressVerb_ = "書き込み";
  bool progressOpen_ = false;
  std::function<std::string(std::string_view)> subjectOf_;
};

}  // namespace morvik
