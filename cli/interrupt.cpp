#include "cli/interrupt.h"

#include <atomic>
#include <csignal>
#include <cstdlib>
#include <string_view>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace morvik {
namespace {

std::atomic<int> interrupts{0};
std::atomic<bool> cardInProgress{false};
InterruptMode mode = InterruptMode::kCount;

constexpr std::string_view kFinishing =
    "\nmorvik-card: interrupted: finishing the cards being written"
    " (interrupt again to stop at once)\n";
constexpr std::string_view kStopping = "\nmorvik-card: interrupted again: stopping at the next block\n";

// Only what a signal handler may do: atomics, one write, ending the process.
void Say(std::string_view text) {
#ifdef _WIN32
  _write(2, text.data(), static_cast<unsigned>(text.size()));
#else
  if (write(STDERR_FILENO, text.data(), text.size()) < 0) return;
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

void OnInterrupt(int signalNumber) {
  std::signal(signalNumber, OnInterrupt);  // some C libraries reset the handler on delivery
  const int count = interrupts.fetch_add(1) + 1;
  if (count == 1 && mode == InterruptMode::kEndAtOnce) EndIdle();
  if (count == 1 && mode == InterruptMode::kEndWhenIdle && !cardInProgress.load()) EndIdle();
  if (count == 1) Say(kFinishing);
  if (count == 2) Say(kStopping);
}

}  // namespace

void InstallInterruptHandlers(InterruptMode interruptMode) {
  mode = interruptMode;
  std::signal(SIGINT, OnInterrupt);
  std::signal(SIGTERM, OnInterrupt);
}

int InterruptCount() { return interrupts.load(); }

void SetCardInProgress(bool inProgress) { cardInProgress.store(inProgress); }

}  // namespace morvik
