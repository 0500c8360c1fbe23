// The one parser of morvik-card's command line: arguments against the command
// table's rows and the option table, into plain options or a text to print
// (help, version, a usage error). The command table's row type lives here.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "cli/cli_options.h"
#include "cli/exit_code.h"
#include "words/catalog.h"

namespace morvik {

class CliSession;
using CommandHandler = ExitCode (*)(const CliOptions& options, CliSession& session);

// What running a command involves, said in its row of the command table.
enum CommandFlags : unsigned {
  kOpensPorts = 1u << 0,   // looks for the writer: MORVIK_PORT_DIR must name a folder
  kWritesCards = 1u << 1,  // an interrupt lets the card in progress finish
  kTakesKeywords = 1u << 2,  // its texts take keywords: its help says them
};

// One row of the command table.
struct CommandSpec {
  std::string_view name;
  std::string_view operand;  // e.g. "FILE|-" when the command takes one
  Said summary;  // one line for the overview
  Said help;     // what it does, for COMMAND --help
  std::vector<std::string_view> options;
  CommandHandler handler;
  unsigned flags = 0;  // CommandFlags

  constexpr bool Has(CommandFlags flag) const { return (flags & flag) != 0; }
};

// Either options to run, or a text to print (help and version on stdout with
// status 0, a usage error on stderr with status 2).
struct ParseResult {
  std::optional<CliOptions> options;
  std::string text;
  ExitCode status = ExitCode::kOk;
};

// Help and usage errors in `language`; option names and statuses are the same in every language.
ParseResult ParseCommandLine(const std::vector<std::string>& arguments, std::span<const CommandSpec> commands,
                             Language language = Language::kEnglish);

std::string UsageText(std::span<const CommandSpec> commands, Language language);
// "exit status:" and one line for each status, as every help shows them.
std::string ExitStatusHelp(Language language);
std::string CommandHelp(const CommandSpec& command, Language language);

}  // namespace morvik
