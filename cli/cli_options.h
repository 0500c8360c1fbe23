// The command line of morvik-card: the options every command draws on, the
// command table's row type, and the one parser that turns arguments into
// plain values against that table.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "cli/exit_code.h"
#include "content/card_fields.h"
#include "production/card_history.h"
#include "window/window_services.h"

namespace morvik {

// The operator's entries (UTF-8) and choices, as the window would hold them.
struct ContentOptions : CardTexts, TerminalChoices {
  ContentOptions() : TerminalChoices(DefaultChoices()) {}
  bool mail = false;
  bool initCard = false;
  std::optional<std::string> serviceCid;  // the number typed for a service card
  bool readMark = false;
};

// What a production run takes beyond the content.
struct ProductionOptions {
  std::optional<int> count;        // cards this run may start; none: until interrupted
  std::vector<std::string> ports;  // the writers, "COM3"...; none: the first found
  bool all = false;                // every port where a writer answers
  bool verify = true;              // read every card back
  bool json = false;               // records as JSON Lines
  std::string log;                 // JSON Lines appended here too, when named
  std::string rows;                // a CSV file: one row per card
  std::string resume;              // an earlier run's log: its rows done are skipped
};

struct CliOptions {
  std::string command;
  ContentOptions content;
  std::array<std::uint8_t, 2> customerId{};  // image only
  std::optional<std::string> uidCard;        // the start UID typed for a UID setting card
  std::optional<bool> confirm;               // --yes / --no
  bool wait = false;
  std::optional<int> waitSeconds;  // --wait=SECONDS
  std::optional<int> port;         // --port COMn: n
  bool trace = false;
  bool fast = false;                   // a reply ends with its frame, not with 200 ms of silence
  bool verify = false;                 // write: read the card back afterwards
  ProductionOptions production;        // batch
  std::string format;                  // listing, hex, raw, json; empty: the default
  HistoryFilter history;                // history: which cards
  std::optional<std::string> out, image, operand;
  std::vector<std::string> operands;  // every operand, for a command that takes several
  std::set<std::string, std::less<>> given;  // the option names used
};

class CliSession;
using CommandHandler = ExitCode (*)(const CliOptions& options, CliSession& session);

// One row of the command table.
struct CommandSpec {
  std::string_view name;
  std::string_view operand;  // e.g. "FILE|-" when the command takes one
  std::string_view summary;  // one line for the overview
  std::string_view help;     // what it does, for COMMAND --help
  std::vector<std::string_view> options;
  CommandHandler handler;
  bool writesCards = false;  // an interrupt lets the card in progress finish
};

// Either options to run, or a text to print (help and version on stdout with
// status 0, a usage error on stderr with status 2).
struct ParseResult {
  std::optional<CliOptions> options;
  std::string text;
  ExitCode status = ExitCode::kOk;
};

ParseResult ParseCommandLine(const std::vector<std::string>& arguments,
                             std::span<const CommandSpec> commands);

std::string UsageText(std::span<const CommandSpec> commands);
// "exit status:" and one line for each status, as every help shows them.
std::string ExitStatusHelp();
std::string CommandHelp(const CommandSpec& command);

// Gives the option `name` (of the table) the value `value` as the command
// line does ("" for an option that takes none): the parser's words when the
// value is refused.
std::optional<std::string> GiveOption(CliOptions& options, std::string_view name,
                                      std::string_view value);
// Takes back a flag option given before, as if it had not been.
void WithdrawFlag(CliOptions& options, std::string_view name);
bool TakesValue(std::string_view name);

// "--url, --popup": the options that give the controls a message is about;
// of two options that give one control, the one given. Empty when none does.
std::string OptionsConcerned(const MessageSubject& subject, const CliOptions& options);

// "%02X%02X"-style customer ID: one to four hexadecimal digits.
std::optional<std::array<std::uint8_t, 2>> ParseCustomerId(std::string_view text);

// The option groups command rows are made of. The content options are
// those of the card's fields and kinds, then --yes and --no.
std::vector<std::string_view> ContentOptionNames();
// The content options but the answers: what a row of a list may give.
std::vector<std::string_view> CardOptionNames();
std::vector<std::string_view> WriterOptionNames();
std::vector<std::string_view> ProductionOptionNames();

}  // namespace morvik
