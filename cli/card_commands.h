// The card commands of morvik-card: each runs the window's own operations on
// one writer (or none: image, decode) in the session it is given.
#pragma once

#include "cli/cli_options.h"
#include "cli/cli_session.h"
#include "cli/exit_code.h"

namespace morvik {

ExitCode RunConnect(const CliOptions& options, CliSession& session);
ExitCode RunPorts(const CliOptions& options, CliSession& session);
ExitCode RunImage(const CliOptions& options, CliSession& session);
ExitCode RunDecode(const CliOptions& options, CliSession& session);
ExitCode RunUid(const CliOptions& options, CliSession& session);
ExitCode RunWrite(const CliOptions& options, CliSession& session);
ExitCode RunClear(const CliOptions& options, CliSession& session);
ExitCode RunDump(const CliOptions& options, CliSession& session);
ExitCode RunVerify(const CliOptions& options, CliSession& session);

}  // namespace morvik
