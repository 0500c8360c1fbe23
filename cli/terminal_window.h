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
#include <vector>

#include "cli/exit_code.h"
#include "link/clock.h"
#include "window/headless_window.h"

namespace morvik {

struct TerminalAnswers {
  std::optional<bool> confirm;     // --yes (true) or --no (false) for OK/Cancel questions
  bool wait = false;               // --wait: keep looking for the writer and the card
  std::optional<int> waitSeconds;  // --wait=SECONDS: for this long at most
  Language language = Language::kEnglish;  // of the tool's own lines about answers
};

struct TerminalStreams {
  std::ostream& err;
  std::istream& in;
  bool inIsTerminal;
  bool errIsTerminal;
};

// What else is known of a message's cause, in the tool's words: lines said
// first, as the likely cause (the ports tried and why each gave no writer);
// the conclusion said in place of the window's text and advice, and the
// status, when that cause calls for other ones than the message's kind.
struct MessageCause {
  std::vector<std::string> lines;
  std::string conclusion = {};
  std::optional<ExitCode> status = {};
};

// " (42 bytes)": the length a limit message counted; empty for other messages.
std::string CountedLength(const OperatorMessage& message);

class TerminalWindow : public HeadlessWindow {
 public:
  TerminalWindow(TerminalAnswers answers, Clock& clock, TerminalStreams streams);
  void ReportProgress(int done, int total) override;
  // The wait cursor brackets the writing or reading of a card.
  void BeginWaitCursor() override;
  void EndWaitCursor() override;

  // What else is known of a message's cause; its lines are said in place of
  // the window's detail (none: the window's detail).
  void SetCauseOf(std::function<MessageCause(const OperatorMessage&)> causeOf) {
    causeOf_ = std::move(causeOf);
  }
  // Names what a message is about ("--url") before its text.
  void SetSubjectOf(std::function<std::string(const MessageSubject&)> subjectOf) {
    subjectOf_ = std::move(subjectOf);
  }
  // The word the progress line begins with ("書き込み", "読み出し").
  // The progress line speaks of reading the card instead of writing it.
  void SayReading() { reading_ = true; }
  // The status of the first way the command failed; nullopt while nothing did.
  std::optional<ExitCode> failure() const { return failure_; }
  // Whether a message of this kind was shown.
  bool Told(MessageKind kind) const;

 private:
  int Answer(const ShownMessage& shown);
  int AnswerRetry(const ShownMessage& shown);
  int AnswerQuestion(const ShownMessage& shown);
  int AskAtTerminal();
  void Say(const std::string& line);
  // "--url: text", or the text alone when the message names no option (the
  // window's caption, "Error", says nothing the tool's prefix does not).
  std::string Headed(const ShownMessage& shown) const;
  MessageCause CauseOf(const ShownMessage& shown) const;
  // The status a message ends the command with.
  ExitCode StatusOf(const ShownMessage& shown) const;
  void NoteFailure(ExitCode status);

  TerminalAnswers answers_;
  Clock& clock_;
  TerminalStreams streams_;
  std::optional<ExitCode> failure_;
  std::map<std::string, int> answered_;  // a question asked again gets the same answer
  std::string lastRetryText_;
  std::optional<std::int64_t> waitStartMs_;
  bool reading_ = false;
  bool progressOpen_ = false;
  std::function<std::string(const MessageSubject&)> subjectOf_;
  std::function<MessageCause(const OperatorMessage&)> causeOf_;
};

}  // namespace morvik
