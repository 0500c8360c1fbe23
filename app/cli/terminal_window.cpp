#include "app/cli/terminal_window.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>

#include "app/cli/interrupt.h"

namespace morvik {

TerminalWindow::TerminalWindow(TerminalAnswers answers)
    : answers_(answers), progressOnTerminal_(isatty(STDERR_FILENO) != 0) {
  SetAnswerer([this](const ShownMessage& shown) { return Answer(shown); });
}

int TerminalWindow::Answer(const ShownMessage& shown) {
  const unsigned buttons = shown.type & 0x0F;
  if (buttons == kMbRetryCancel) {
    // A retried detection repeats its message on every attempt: say it once.
    if (shown.text != lastRetryText_) std::cerr << shown.caption << ": " << shown.text << "\n";
    lastRetryText_ = shown.text;
    if (answers_.retryDetection && shown.text.find("ICカード") != std::string::npos) {
      usleep(200 * 1000);
      return kIdRetry;
    }
    failed_ = true;
    return kIdCancel;
  }
  std::cerr << shown.caption << ": " << shown.text << "\n";
  if (buttons == kMbOkCancel) {
    const int answer = answers_.confirm ? (*answers_.confirm ? kIdOk : kIdCancel)
                                        : AskAtTerminal(shown);
    if (answer == kIdCancel) failed_ = true;
    return answer;
  }
  failed_ = true;
  return kIdOk;
}

int TerminalWindow::AskAtTerminal(const ShownMessage&) {
  if (isatty(STDIN_FILENO) == 0) return kIdCancel;
  std::cerr << "OK で続行、Cancel で中止 [o/c]: " << std::flush;
  std::string line;
  if (!std::getline(std::cin, line)) return kIdCancel;
  return (!line.empty() && (line[0] == 'o' || line[0] == 'O' || line[0] == 'y')) ? kIdOk
                                                                                 : kIdCancel;
}

void TerminalWindow::ExitProcess(int status) {
  HeadlessWindow::ExitProcess(status);
  std::cout.flush();
  std::exit(status);
}

void TerminalWindow::ReportProgress(int done, int total) {
  if (!progressOnTerminal_) return;
  std::fprintf(stderr, "\rblock %d/%d", done, total);
  if (done == total) std::fputc('\n', stderr);
  std::fflush(stderr);
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
