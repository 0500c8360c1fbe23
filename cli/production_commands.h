// The production-line commands of the command table, batch (many cards on one
// or several writers, each written, read back and reported) and verify, and
// what write needs of them for --verify and for interrupts.
#pragma once

#include <iosfwd>
#include <span>

#include "cli/cli_commands.h"
#include "cli/cli_options.h"
#include "card/card_operations.h"
#include "production/card_record.h"

namespace morvik {

ExitCode RunBatch(const CliOptions& options, CliSession& session);
ExitCode RunVerify(const CliOptions& options, CliSession& session);
ExitCode RunHistory(const CliOptions& options, CliSession& session);

// The status a read-back ends a command with.
ExitCode VerifyStatus(VerifyResult::Status status);
// Reads back the card the last write completed: a failure is told on err.
ExitCode VerifyLastWrite(CardOperations& card, std::ostream& err);
// A card command's status once interrupts are counted: 130 after an
// interrupt, saying whether the last card written is complete or where it
// stopped (unless stopTold: the window has said so already).
ExitCode StatusAfterInterrupts(const CardOperations& card, ExitCode status, bool stopTold,
                               std::ostream& err);
// Output lost when a record missed stdout or the log (what a script cannot
// learn in any other way comes first); else interrupted when interrupted;
// else done when every card is ok and no writer had a problem left at the
// end, the verify mismatch when verify failures are the only failures, the
// card failure otherwise.
ExitCode BatchExitStatus(std::span<const WriterTally> tallies, bool interrupted, bool outputFailed);

}  // namespace morvik
