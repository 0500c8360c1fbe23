// The production-line commands of morvik-card: batch (many cards on one or
// several writers, each written, read back and recorded in the journal) and
// history (which row is on which card, from the journals).
#pragma once

#include <span>

#include "cli/cli_options.h"
#include "cli/cli_session.h"
#include "cli/exit_code.h"
#include "production/card_record.h"

namespace morvik {

ExitCode RunBatch(const CliOptions& options, CliSession& session);
ExitCode RunHistory(const CliOptions& options, CliSession& session);

// Output lost when a record missed stdout or the log (what a script cannot
// learn in any other way comes first); else interrupted when interrupted;
// else done when every card is ok and no writer had a problem left at the
// end, the verify mismatch when verify failures are the only failures, the
// card failure otherwise.
ExitCode BatchExitStatus(std::span<const WriterTally> tallies, bool interrupted, bool outputFailed);

}  // namespace morvik
