// The session a command of morvik-card runs in: what it talks to (ports,
// time, standard streams), the terminal window and the card operations on
// it, connecting with interrupts in place, reading a card back after a
// write, and its output with every write checked.
#pragma once

#include <functional>
#include <iosfwd>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "card/card_operations.h"
#include "cli/cli_options.h"
#include "cli/exit_code.h"
#include "cli/terminal_window.h"
#include "link/clock.h"
#include "link/serial_device.h"
#include "production/batch_runner.h"

namespace morvik {

// What a run of the tool talks to: the ports, the time, the standard streams.
struct CliEnvironment {
  SerialPlatform& platform;
  Clock& clock;
  std::ostream& out;
  std::ostream& err;
  std::istream& in;
  bool inIsTerminal;
  bool errIsTerminal;
  bool outIsTerminal;
  // The ports and clock of each writer of a production run (one thread each);
  // empty: the system's.
  std::function<WriterSeat()> writerSeat = {};
};

// One command's run: the terminal window and the card operations on it.
class CliSession {
 public:
  // writesCards: the command writes cards (interrupts let a card finish).
  CliSession(CliEnvironment& environment, const CliOptions& options, bool writesCards);
  CliSession(const CliSession&) = delete;
  CliSession& operator=(const CliSession&) = delete;

  // Finds the writer (on --port only, with --trace frames shown); false when
  // none answered.
  bool Connect();
  // The status the window's outcome gives, or `whenDone` when nothing failed.
  ExitCode Status(ExitCode whenDone = ExitCode::kOk) const;
  void UsageError(const std::string& message);
  // Shows every frame on stderr from now on.
  void StartTrace();

  CliEnvironment& env;
  const CliOptions& options;
  TerminalWindow window;
  CardOperations operations;

 private:
  std::unique_ptr<OperationsObserver> trace_;
  bool writesCards_;
};

// Flushes what the command wrote to out; false, after saying why on err,
// when any of it did not arrive.
bool FlushStandardOutput(std::ostream& out, std::ostream& err);

// Raw bytes would garble a terminal: refused (true, after saying so) before
// any port is opened.
bool RefuseRawToTerminal(CliSession& session);
// The card on stdout (a listing by default) or in --out (raw by default).
ExitCode EmitCard(CliSession& session, std::span<const std::uint8_t, kContentImageSize> card,
                  std::string_view idm);

// The status a read-back ends a command with.
ExitCode VerifyStatus(VerifyResult::Status status);
// "verify failed at block 5", "unreadable at block 8"
std::string VerifyFailureText(const VerifyResult& result);
// Reads back the card the last write completed: a failure is told on err.
ExitCode VerifyLastWrite(CardOperations& card, std::ostream& err);
// A card command's status once interrupts are counted: 130 after an
// interrupt, saying whether the last card written is complete or where it
// stopped (unless stopTold: the window has said so already).
ExitCode StatusAfterInterrupts(const CardOperations& card, ExitCode status, bool stopTold,
                               std::ostream& err);

}  // namespace morvik
