#include "cli/terminal_window.h"

#include <algorithm>
#include <iostream>
#include <string>

#include "cli/interrupt.h"

namespace morvik {
namespace {

// What a terminal makes of each kind of message: the status a command ends
// with when it is the first to fail; for a message the window answers with
// Retry, what the terminal waits for, how often it looks, and the advice it
// gives in place of the window's button.
struct KindOnTerminal {
  MessageKind kind;
  ExitCode status;
  std::string_view waitingFor = {};
  std::uint32_t pollMs = 0;
  std::string_view advice = {};
};

constexpr KindOnTerminal kKindsOnTerminal[] = {
    {MessageKind::kOther, ExitCode::kCardFailed},
    {MessageKind::kEntry, ExitCode::kUsage},
    {MessageKind::kLimit, ExitCode::kUsage},
    {MessageKind::kQuestion, ExitCode::kUsage},
    {MessageKind::kNoWriter, ExitCode::kNoWriter, "Morvik ICCard Writerを接続してください…", 1000,
     "接続を確認してもう一度実行するか、--wait を付けて待ってください"},
    {MessageKind::kNoCard, ExitCode::kNoCard, "ICカードを書き込み機に置いてください…", 200},
    {MessageKind::kWriteStopped, ExitCode::kCardFailed},
    {MessageKind::kReadFailed, ExitCode::kCardFailed},
};

const KindOnTerminal& OnTerminal(MessageKind kind) {
  for (const KindOnTerminal& row : kKindsOnTerminal) {
    if (row.kind == kind) return row;
  }
  return kKindsOnTerminal[0];
}

// The window's text as a terminal needs it: the terminal's advice in place
// of the window's button, the length a limit counted, and what else is known
// of the cause (the ports that could not be opened) named first, as the
// likely cause.
std::string TerminalText(const OperatorMessage& message, const MessageCause& cause) {
  const std::string_view advice = OnTerminal(message.subject.kind).advice;
  std::string text = message.text + std::string(message.advice.empty() ? "" : advice);
  if (!cause.conclusion.empty()) text = cause.conclusion;
  text += CountedLength(message);
  std::string causeLines;
  for (const std::string& line : cause.lines) causeLines += line + "\n" + std::string(kToolSays);
  if (!cause.lines.empty()) return causeLines + text;
  return message.detail.empty() ? text : message.detail + "\n" + std::string(kToolSays) + text;
}

}  // namespace

std::string CountedLength(const OperatorMessage& message) {
  if (message.subject.kind != MessageKind::kLimit) return {};
  return " (" + std::to_string(message.subject.length) + " bytes)";
}

TerminalWindow::TerminalWindow(TerminalAnswers answers, Clock& clock, TerminalStreams streams)
    : answers_(answers), clock_(clock), streams_(streams) {
  SetAnswerer([this](const ShownMessage& shown) { return Answer(shown); });
}

int TerminalWindow::Answer(const ShownMessage& shown) {
  const unsigned buttons = shown.type & 0x0F;
  if (buttons == kMbRetryCancel) return AnswerRetry(shown);
  if (buttons == kMbOkCancel) return AnswerQuestion(shown);
  Say(Headed(shown));
  NoteFailure(StatusOf(shown));
  return kIdOk;
}

MessageCause TerminalWindow::CauseOf(const ShownMessage& shown) const {
  return causeOf_ ? causeOf_(shown.message) : MessageCause{};
}

ExitCode TerminalWindow::StatusOf(const ShownMessage& shown) const {
  return CauseOf(shown).status.value_or(OnTerminal(shown.message.subject.kind).status);
}

std::string TerminalWindow::Headed(const ShownMessage& shown) const {
  const std::string subject = subjectOf_ ? subjectOf_(shown.message.subject) : std::string();
  return (subject.empty() ? "" : subject + ": ") + TerminalText(shown.message, CauseOf(shown));
}

int TerminalWindow::AnswerRetry(const ShownMessage& shown) {
  const KindOnTerminal& kind = OnTerminal(shown.message.subject.kind);
  if (!answers_.wait || kind.waitingFor.empty()) {
    Say(Headed(shown));
    NoteFailure(StatusOf(shown));
    return kIdCancel;
  }
  if (!waitStartMs_) waitStartMs_ = clock_.NowMs();
  if (shown.text != lastRetryText_) {
    const std::string limit =
        answers_.waitSeconds ? "（最大" + std::to_string(*answers_.waitSeconds) + "秒）" : "";
    Say(std::string(kind.waitingFor) + limit);
    lastRetryText_ = shown.text;
  }
  if (answers_.waitSeconds && clock_.NowMs() - *waitStartMs_ >= *answers_.waitSeconds * 1000LL) {
    Say("待ち時間が過ぎました");
    NoteFailure(ExitCode::kNoCard);
    return kIdCancel;
  }
  clock_.Sleep(kind.pollMs);
  return kIdRetry;
}

int TerminalWindow::AnswerQuestion(const ShownMessage& shown) {
  if (const auto found = answered_.find(shown.text); found != answered_.end()) return found->second;
  Say(Headed(shown));
  const int answer = answers_.confirm ? (*answers_.confirm ? kIdOk : kIdCancel) : AskAtTerminal();
  answered_[shown.text] = answer;
  if (answer == kIdCancel) NoteFailure(OnTerminal(shown.message.subject.kind).status);
  return answer;
}

int TerminalWindow::AskAtTerminal() {
  if (!streams_.inIsTerminal) {
    Say(morvik::Say({Said::kNoTerminalToAnswer}, answers_.language));
    return kIdCancel;
  }
  streams_.err << "OK で続行、Cancel で中止 [o/c]: " << std::flush;
  std::string line;
  if (!std::getline(streams_.in, line) || line.empty()) {
    Say(morvik::Say({Said::kNoAnswer}, answers_.language));
    return kIdCancel;
  }
  return (line[0] == 'o' || line[0] == 'O' || line[0] == 'y') ? kIdOk : kIdCancel;
}

void TerminalWindow::Say(const std::string& line) {
  if (progressOpen_) streams_.err << "\n";
  progressOpen_ = false;
  streams_.err << kToolSays << line << "\n" << std::flush;
}

void TerminalWindow::NoteFailure(ExitCode status) {
  if (!failure_) failure_ = status;
}

bool TerminalWindow::Told(MessageKind kind) const {
  return std::ranges::any_of(messages(), [kind](const ShownMessage& shown) {
    return shown.message.subject.kind == kind;
  });
}

// Counts blocks as the messages do, from block 0: "ブロック 12 / 63" once
// blocks 0 to 12 are done.
void TerminalWindow::ReportProgress(int done, int total) {
  if (!streams_.errIsTerminal) return;
  streams_.err << "\r" << (reading_ ? "読み出し" : "書き込み") << ": ブロック " << done - 1 << " / " << total - 1;
  progressOpen_ = done < total;
  if (!progressOpen_) streams_.err << "\n";
  streams_.err << std::flush;
}

}  // namespace morvik

namespace morvik {

void TerminalWindow::BeginWaitCursor() {
  HeadlessWindow::BeginWaitCursor();
  SetCardInProgress(true);
}

void TerminalWindow::EndWaitCursor() {
  HeadlessWindow::EndWaitCursor();
  SetCardInProgress(false);
}

}  // namespace morvik
