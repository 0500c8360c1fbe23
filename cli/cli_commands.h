// morvik-card's commands: the command table and the session a command runs in.
#pragma once

#include <functional>
#include <iosfwd>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "cli/cli_options.h"
#include "cli/terminal_window.h"
#include "card/card_operations.h"
#include "production/batch_runner.h"
#include "link/clock.h"
#include "link/serial_device.h"

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

std::span<const CommandSpec> Commands();

// Flushes what the command wrote to out; false, after saying why on err,
// when any of it did not arrive.
bool FlushStandardOutput(std::ostream& out, std::ostream& err);

// Runs the tool on the arguments after the program name; the exit status.
ExitCode RunCli(const std::vector<std::string>& arguments, CliEnvironment& environment);

}  // namespace morvik
