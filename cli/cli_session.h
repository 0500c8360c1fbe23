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
#include "cli/command_output.h"
#include "cli/exit_code.h"
#include "cli/terminal_window.h"
#include "link/clock.h"
#include "link/serial_device.h"
#include "production/batch_runner.h"
#include "production/shared_journal.h"
#include "words/language.h"

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
  // The locks a journal is shared under; empty: the file system's.
  SharedJournal::LocksFor journalLocks = {};
  // The language the tool says its own texts in.
  Language language = Language::kEnglish;
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
  // On stdout: the JSON line with --format json, else the text (as it is).
  void Print(std::string_view text, std::string_view jsonLine);
  // Shows every frame on stderr from now on.
  void StartTrace();

  CliEnvironment& env;
  const CliOptions& options;
  TerminalWindow window;
  CardOperations operations;

 private:
  // "COM4: no permission (join the group dialout)" for each port tried.
  MessageCause PortsWithoutWriter() const;

  std::unique_ptr<OperationsObserver> trace_;
  bool writesCards_;
};

// Why no writer was found, from the ports told: a line for each, and the
// conclusion and status their reasons call for (none when only silence and
// absent devices were found: plug the writer in, or --wait).
MessageCause NoWriterCause(std::span<const TriedPort> told, Language language);

// Flushes what the command wrote to out; false, after saying why on err,
// when any of it did not arrive.
bool FlushStandardOutput(std::ostream& out, std::ostream& err, Language language);

// Raw bytes would garble a terminal: refused (true, after saying so) before
// any port is opened.
bool RefuseRawToTerminal(CliSession& session);
// The card on stdout (a listing by default) or in --out (raw by default).
ExitCode EmitCard(CliSession& session, std::span<const std::uint8_t, kContentImageSize> card,
                  std::string_view idm);

// A card read back and compared with the image written to it: how it ended,
// and the status that ends a command with.
struct ReadBack {
  CardOutcome outcome;
  ExitCode status;
};
ReadBack ReadCardBack(CardOperations& card, std::span<const std::uint8_t, kContentImageSize> image,
                      const CardIdm& idm);
// What the last write or clear did to its card, on stdout: as text only a
// card read back (the window ends a good write silently), as JSON always.
// The command's status.
ExitCode ReportLastWrite(CliSession& session, bool readBack);
// A card command's status once interrupts are counted: 130 after an
// interrupt, saying whether the last card written is complete or where it
// stopped (unless stopTold: the window has said so already).
ExitCode StatusAfterInterrupts(const CardOperations& card, ExitCode status, bool stopTold,
                               std::ostream& err, Language language);

}  // namespace morvik
