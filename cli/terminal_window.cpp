#include "cli/terminal_window.h"

#include <iostream>
#include <string>

#include "cli/interrupt.h"

namespace morvik {
namespace {

constexpr std::string_view kButtonAdvice = "接続を確認して再試行ボタンを押してください";
constexpr std::string_view kTerminalAdvice =
    "接続を確認してもう一度実行するか、--wait を付けて待ってください";
constexpr std::string_view kRefusedPorts = "\n\n開けなかったポート";
constexpr std::uint32_t kCardPollMs = 200;
constexpr std::uint32_t kWriterPollMs = 1000;

// The window's text as a terminal needs it: no button to press, and ports
// that could not be opened named first, as the likely cause.
std::string TerminalText(std::string_view text) {
  std::string adapted(text);
  if (const std::size_t at = adapted.find(kButtonAdvice); at != std::string::npos) {
    adapted.replace(at, kButtonAdvice.size(), kTerminalAdvice);
  }
  if (const std::size_t at = adapted.find(kRefusedPorts); at != std::string::npos) {
    adapted = adapted.substr(at + 2) + "\n" + adapted.substr(0, at);
  }
  return adapted;
}

bool SpeaksOfWriter(std::string_view text) { return text.find("Writer") != std::string_view::npos; }

}  // namespace

TerminalWindow::TerminalWindow(TerminalAnswers answers, Clock& clock, TerminalStreams streams)
    : answers_(answers), clock_(clock), streams_(streams) {
  SetAnswerer([this](const ShownMessage& shown) { return Answer(shown); });
}

int TerminalWindow::Answer(const ShownMessage& shown) {
  const unsigned buttons = shown.type & 0x0F;
  if (buttons == kMbRetryCancel) return AnswerRetry(shown);
  if (buttons == kMbOkCancel) return AnswerQuestion(shown);
  Say(Headed(shown));
  Note(Outcome::kFailed);
  return kIdOk;
}

std::string TerminalWindow::Headed(const ShownMessage& shown) const {
  const std::string subject = subjectOf_ ? subjectOf_(shown.text) : std::string();
  return (subject.empty() ? shown.caption : subject) + ": " + TerminalText(shown.text);
}

int TerminalWindow::AnswerRetry(const ShownMessage& shown) {
  const bool writer = SpeaksOfWriter(shown.text);
  if (!answers_.wait) {
    Say(Headed(shown));
    Note(writer ? Outcome::kNoWriter : Outcome::kNoCard);
    return kIdCancel;
  }
  if (!waitStartMs_) waitStartMs_ = clock_.NowMs();
  if (shown.text != lastRetryText_) {
    const std::string limit =
        answers_.waitSeconds ? "（最大" + std::to_string(*answers_.waitSeconds) + "秒）" : "";
    Say(writer ? "Morvik ICCard Writerを接続してください…" + limit
               : "ICカードを書き込み機に置いてください…" + limit);
    lastRetryText_ = shown.text;
  }
  if (answers_.waitSeconds && clock_.NowMs() - *waitStartMs_ >= *answers_.waitSeconds * 1000LL) {
    Say("待ち時間が過ぎました");
    Note(Outcome::kWaitEnded);
    return kIdCancel;
  }
  clock_.Sleep(writer ? kWriterPollMs : kCardPollMs);
  return kIdRetry;
}

int TerminalWindow::AnswerQuestion(const ShownMessage& shown) {
  if (const auto found = answered_.find(shown.text); found != answered_.end()) return found->second;
  Say(Headed(shown));
  const int answer = answers_.confirm ? (*answers_.confirm ? kIdOk : kIdCancel) : AskAtTerminal();
  answered_[shown.text] = answer;
  if (answer == kIdCancel) Note(Outcome::kRefused);
  return answer;
}

int TerminalWindow::AskAtTerminal() {
  if (!streams_.inIsTerminal) {
    Say("no terminal to answer at: taken as Cancel (answer with --yes or --no)");
    return kIdCancel;
  }
  streams_.err << "OK で続行、Cancel で中止 [o/c]: " << std::flush;
  std::string line;
  if (!std::getline(streams_.in, line) || line.empty()) {
    Say("no answer: taken as Cancel");
    return kIdCancel;
  }
  return (line[0] == 'o' || line[0] == 'O' || line[0] == 'y') ? kIdOk : kIdCancel;
}

void TerminalWindow::Say(const std::string& line) {
  if (progressOpen_) streams_.err << "\n";
  progressOpen_ = false;
  streams_.err << "morvik-card: " << line << "\n" << std::flush;
}

void TerminalWindow::Note(Outcome outcome) {
  if (outcome_ == Outcome::kDone) outcome_ = outcome;
}

// Counts blocks as the messages do, from block 0: "ブロック 12 / 63" once
// blocks 0 to 12 are done.
void TerminalWindow::ReportProgress(int done, int total) {
  if (!streams_.errIsTerminal) return;
  streams_.err << "\r" << progressVerb_ << ": ブロック " << done - 1 << " / " << total - 1;
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
