// morvik-card's command table, each command with its help, its options and
// what running it involves, and the one entry that parses a command line and
// runs the command it names.
#pragma once

#include <span>
#include <string>
#include <vector>

#include "cli/cli_session.h"
#include "cli/command_line.h"

namespace morvik {

std::span<const CommandSpec> Commands();

// Runs the tool on the arguments after the program name; the exit status.
ExitCode RunCli(const std::vector<std::string>& arguments, CliEnvironment& environment);

}  // namespace morvik
