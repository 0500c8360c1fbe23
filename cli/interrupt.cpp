#include "cli/interrupt.h"

#include <atomic>
#include <csignal>
#include <array>
#include <cstdlib>
#include <mutex>
#include <string>
#include <string_view>

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#include <io.h>
#else
#include <unistd.h>
#endif

#include "cli/exit_code.h"
#include "words/catalog.h"

namespace morvik {
namespace {

std::atomic<int> interrupts{0};
std::atomic<bool> cardInProgress{false};
InterruptMode mode = InterruptMode::kCount;

// At a terminal the echoed ^C, or a progress line, leaves the cursor in the
// middle of a line: the message starts on a line of its own there.
std::atomic<bool> errIsTerminal{false};

std::atomic<Language> language{Language::kEnglish};

// What the handler says, worded in both languages before any handler is
// installed: a signal handler may not build a text.
struct InterruptTexts {
  std::string finishingCard;
  std::string finishingCards;
  std::string stopping;
};
std::array<InterruptTexts, 2> texts;
std::once_flag textsWorded;

std::string Line(Said said, Language in) { return std::string(kToolSays) + Say({said}, in) + "\n"; }

void WordTexts() {
  for (const Language in : {Language::kEnglish, Language::kJapanese}) {
    texts[static_cast<std::size_t>(in)] = {Line(Said::kInterruptedFinishingCard, in),
                                           Line(Said::kInterruptedFinishingCards, in), Line(Said::kInterruptedAgain, in)};
  }
}

// Only what a signal handler may do: atomics, writes, ending the process.
void Write(std::string_view text) {
#ifdef _WIN32
  _write(2, text.data(), static_cast<unsigned>(text.size()));
#else
  if (write(STDERR_FILENO, text.data(), text.size()) < 0) return;
#endif
}

void SayLine(std::string_view line) {
  if (errIsTerminal.load()) Write("\n");
  Write(line);
}

bool StderrIsTerminal() {
#ifdef _WIN32
  return _isatty(2) != 0;
#else
  return isatty(STDERR_FILENO) != 0;
#endif
}

// Windows runs the handler on a thread of its own, where exit may run the
// clean-ups registered with atexit (the console's code pages); a POSIX
// handler may only end the process outright.
[[noreturn]] void EndIdle() {
#ifdef _WIN32
  std::exit(130);
#else
  std::_Exit(130);
#endif
}

void Interrupt() {
  const int count = interrupts.fetch_add(1) + 1;
  if (count == 1 && mode == InterruptMode::kEndAtOnce) EndIdle();
  if (count == 1 && mode == InterruptMode::kEndWhenIdle && !cardInProgress.load()) EndIdle();
  const InterruptTexts& said = texts[static_cast<std::size_t>(language.load())];
  if (count == 1) SayLine(mode == InterruptMode::kCount ? said.finishingCards : said.finishingCard);
  if (count == 2) SayLine(said.stopping);
}

#ifdef _WIN32

HANDLE commandEnded = nullptr;
// Windows ends a process this long after its console was closed: what is left
// of the time goes to stopping the cards at the next block and writing their records.
constexpr DWORD kClosingGraceMs = 4500;

BOOL WINAPI OnConsoleEvent(DWORD event) {
  if (event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT) {
    Interrupt();
    return TRUE;
  }
  // The console closed, log-off, shutdown: the process ends when this
  // returns, so the cards stop at the next block now.
  while (interrupts.load() < 2) Interrupt();
  if (commandEnded != nullptr) WaitForSingleObject(commandEnded, kClosingGraceMs);
  return TRUE;
}

#else

void OnSignal(int signalNumber) {
  std::signal(signalNumber, OnSignal);  // some C libraries reset the handler on delivery
  Interrupt();
}

#endif

}  // namespace

void InstallInterruptHandlers(InterruptMode interruptMode, Language in) {
  std::call_once(textsWorded, WordTexts);
  language.store(in);
  mode = interruptMode;
  errIsTerminal.store(StderrIsTerminal());
#ifdef _WIN32
  if (commandEnded == nullptr) commandEnded = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
#else
  for (const int signalNumber : {SIGINT, SIGTERM, SIGHUP}) std::signal(signalNumber, OnSignal);
#endif
}

int InterruptCount() { return interrupts.load(); }

void SetCardInProgress(bool inProgress) { cardInProgress.store(inProgress); }

void CommandEnded() {
#ifdef _WIN32
  if (commandEnded != nullptr) SetEvent(commandEnded);
#endif
}

}  // namespace morvik
