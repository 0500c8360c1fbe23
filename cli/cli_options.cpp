#include "cli/cli_options.h"

#include <algorithm>
#include <cctype>
#include <functional>
#include <utility>

#include "cli/option_rules.h"
#include "link/number_text.h"
#include "link/port_names.h"
#include "window/control_ids.h"

namespace morvik {
namespace {

constexpr std::string_view kToolVersion = MORVIK_TOOL_VERSION;  // the package's version
constexpr std::string_view kSystemVersion = "2.11";             // the card system's

// Sets a value from the text given; false when the text is out of range.
using Setter = std::function<bool(CliOptions&, std::string_view)>;

enum class Takes { kNothing, kValue, kOptionalValue };

struct OptionSpec {
  std::string name;
  Takes takes;
  std::string_view argument;  // as the help shows it
  std::string help;
  Setter set;
  std::string range = {};  // said after a refused value
  int controlId = 0;       // the window's control whose entry the option gives
  std::function<void(CliOptions&)> unset = {};  // a flag's way back to not given
};

Setter Flag(bool CliOptions::*field) {
  return [field](CliOptions& o, std::string_view) { return (o.*field = true, true); };
}

Setter Optional(std::optional<std::string> CliOptions::*field) {
  return [field](CliOptions& o, std::string_view v) { return (o.*field = std::string(v), true); };
}

std::optional<int> Decimal(std::string_view text, std::uint32_t max) {
  const std::optional<std::uint32_t> value = ParseDecimal(text, max);
  if (!value) return std::nullopt;
  return static_cast<int>(*value);
}

// "COM3,com5": every name a port COM1-COM31 in any case, each once; kept as "COMn".
bool SetPorts(std::vector<std::string>& ports, std::string_view text) {
  ports.clear();
  for (std::size_t start = 0;;) {
    const std::size_t comma = text.find(',', start);
    const std::optional<int> number = ComPortNumber(text.substr(start, comma - start));
    if (!number || *number > 31) return false;
    const std::string port = "COM" + std::to_string(*number);
    if (std::find(ports.begin(), ports.end(), port) != ports.end()) return false;
    ports.push_back(port);
    if (comma == std::string_view::npos) return true;
    start = comma + 1;
  }
}

// "2026-12-07" or "2026-12-07T01:23:45Z": a date, or a time as records give it.
bool IsRecordTimeOrDate(std::string_view text) {
  constexpr std::string_view kShape = "dddd-dd-ddTdd:dd:ddZ";
  if (text.size() != 10 && text.size() != kShape.size()) return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const bool digit = text[i] >= '0' && text[i] <= '9';
    if (kShape[i] == 'd' ? !digit : text[i] != kShape[i]) return false;
  }
  return true;
}


OptionSpec TextOption(const TextField& field) {
  const auto text = field.text;
  return {"--" + std::string(field.name), Takes::kValue, "TEXT", std::string(field.help),
          [text](CliOptions& o, std::string_view v) { return (o.content.*text = v, true); },
          {}, field.controlId};
}

// "volume: 0-3 = なし/小/中/大 (default 3)"
std::string ListHelp(const ListField& field) {
  std::string items;
  for (const std::string_view item : field.items) items += (items.empty() ? "" : "/") + std::string(item);
  return std::string(field.label) + ": 0-" + std::to_string(field.items.size() - 1) + " = " + items +
         " (default " + std::to_string(field.defaultIndex) + ")";
}

OptionSpec ListOption(const ListField& field) {
  const auto choice = field.choice;
  const std::uint32_t last = field.items.size() - 1;
  return {"--" + std::string(field.name), Takes::kValue, "N", ListHelp(field),
          [choice, last](CliOptions& o, std::string_view v) {
            const std::optional<int> position = Decimal(v, last);
            if (position) o.content.*choice = static_cast<std::uint8_t>(*position);
            return position.has_value();
          },
          " (a list position 0-" + std::to_string(last) + ")", field.controlId};
}

OptionSpec FlagOption(std::string name, std::string help, bool ContentOptions::*flag, int controlId) {
  return {std::move(name), Takes::kNothing, "", std::move(help),
          [flag](CliOptions& o, std::string_view) { return (o.content.*flag = true, true); },
          {}, controlId, [flag](CliOptions& o) { o.content.*flag = false; }};
}

// The options of the card's fields, the mail check before the mail entries
// as in the window.
std::vector<OptionSpec> FieldOptions() {
  std::vector<OptionSpec> options;
  bool mail = false;
  for (const TextField& field : kTextFields) {
    if (field.mailOnly && !std::exchange(mail, true)) {
      options.push_back(
          FlagOption("--mail", "add a mail (needs --to)", &ContentOptions::mail, kIdcMailCheck));
    }
    options.push_back(TextOption(field));
  }
  for (const ListField& field : kListFields) options.push_back(ListOption(field));
  return options;
}

// The options that say which kind of card is made.
std::vector<OptionSpec> KindOptions() {
  return {
      FlagOption("--init", "make an initialisation card", &ContentOptions::initCard,
                 kIdcInitCardCheck),
      {"--service-cid", Takes::kValue, "HEX", "make an initialisation card for CID 0-FFFF",
       [](CliOptions& o, std::string_view v) { return (o.content.serviceCid = std::string(v), true); },
       {}, kIdcServiceCid},
      FlagOption("--read-mark", "make a read card (customer ID: --service-cid, or 0)",
                 &ContentOptions::readMark, 0),
      {"--uid-card", Takes::kValue, "HEX", "make a UID setting card with this start UID, 0-FFFF",
       [](CliOptions& o, std::string_view v) { return (o.uidCard = std::string(v), true); },
       {}, kIdcServiceCid},
  };
}

std::vector<OptionSpec> Joined(std::vector<OptionSpec> first, const std::vector<OptionSpec>& then) {
  first.insert(first.end(), then.begin(), then.end());
  return first;
}

// The content options but the answers.
const std::vector<OptionSpec>& CardOptions() {
  static const std::vector<OptionSpec> options = Joined(FieldOptions(), KindOptions());
  return options;
}

const std::vector<OptionSpec>& Options() {
  static const std::vector<OptionSpec> others = {
      {"--cid", Takes::kValue, "HEX", "the customer ID to compose with, 0-FFFF (default 0000)",
       [](CliOptions& o, std::string_view v) {
         const auto cid = ParseCustomerId(v);
         if (cid) o.customerId = *cid;
         return cid.has_value();
       }},
      {"--yes", Takes::kNothing, "", "answer OK to every question",
       [](CliOptions& o, std::string_view) { return (o.confirm = true, true); }},
      {"--no", Takes::kNothing, "", "answer Cancel to every question",
       [](CliOptions& o, std::string_view) { return (o.confirm = false, true); }},
      {"--format", Takes::kValue, "FMT", "listing, hex, raw (the 256 bytes) or json; history: text or json",
       [](CliOptions& o, std::string_view v) {
         o.format = v;
         const bool history = o.command == "history";
         return v == "json" || (history ? v == "text" : v == "listing" || v == "hex" || v == "raw");
       }},
      {"--out", Takes::kValue, "FILE", "write to FILE (raw unless --format says otherwise)",
       Optional(&CliOptions::out)},
      {"--image", Takes::kValue, "FILE", "write exactly the 256 bytes of FILE",
       Optional(&CliOptions::image)},
      {"--port", Takes::kValue, "COMn", "use this port only, no scan (COM1-COM31)",
       [](CliOptions& o, std::string_view v) {
         const std::optional<int> number = ComPortNumber(v);
         if (number && *number <= 31) o.port = *number;
         return number && *number <= 31;
       }},
      {"--trace", Takes::kNothing, "", "show every frame on stderr", Flag(&CliOptions::trace)},
      {"--fast", Takes::kNothing, "", "a reply ends with its frame and 5 ms, not 200 ms of silence",
       Flag(&CliOptions::fast)},
      {"--force", Takes::kNothing, "", "write an image that is damaged or of no kind this tool writes",
       [](CliOptions&, std::string_view) { return true; }},
      {"--verify", Takes::kNothing, "", "read the card back; status 5 when a block differs",
       Flag(&CliOptions::verify)},
      {"--count", Takes::kValue, "N", "stop after N cards (default: until interrupted)",
       [](CliOptions& o, std::string_view v) {
         o.production.count = Decimal(v, 0x7FFFFFFF);
         return o.production.count.value_or(0) >= 1;
       }},
      {"--ports", Takes::kValue, "COM3,COM5", "these writers (default: the first writer found)",
       [](CliOptions& o, std::string_view v) { return SetPorts(o.production.ports, v); },
       " (COM1-COM31, each once)"},
      {"--all", Takes::kNothing, "", "every port where a writer answers",
       [](CliOptions& o, std::string_view) { return (o.production.all = true); }},
      {"--no-verify", Takes::kNothing, "", "do not read the cards back",
       [](CliOptions& o, std::string_view) { return !(o.production.verify = false); }},
      {"--json", Takes::kNothing, "", "JSON Lines: time, port, idm, result, block, resends, seconds",
       [](CliOptions& o, std::string_view) { return (o.production.json = true); }},
      {"--log", Takes::kValue, "FILE", "append JSON Lines to FILE, flushed after every card",
       [](CliOptions& o, std::string_view v) { return !(o.production.log = v).empty(); }},
      {"--rows", Takes::kValue, "FILE", "a CSV file with a row per card (columns: content options)",
       [](CliOptions& o, std::string_view v) { return !(o.production.rows = v).empty(); }},
      {"--resume", Takes::kValue, "LOG", "skip the rows an earlier run's --log records as ok",
       [](CliOptions& o, std::string_view v) { return !(o.production.resume = v).empty(); }},
      {"--idm", Takes::kValue, "HEX", "the card with this IDm (16 hexadecimal digits)",
       [](CliOptions& o, std::string_view v) {
         std::array<std::uint8_t, 8> idm{};
         if (v.size() != 16 || !ParseHexBytes(v, idm)) return false;
         std::string upper(v);
         for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
         return (o.history.idm = upper, true);
       }},
      {"--id", Takes::kValue, "TEXT", "the cards of the rows with this id",
       [](CliOptions& o, std::string_view v) { return (o.history.id = std::string(v), true); }},
      {"--row", Takes::kValue, "N", "the cards of the row on this line of its list",
       [](CliOptions& o, std::string_view v) {
         const std::optional<std::uint32_t> line = ParseDecimal(v, 0x7FFFFFFF);
         if (line && *line > 0) o.history.row = *line;
         return line && *line > 0;
       }},
      {"--result", Takes::kValue, "WHICH", "ok, failed, or doubt (started, no result)",
       [](CliOptions& o, std::string_view v) {
         const std::pair<std::string_view, HistoryResult> results[] = {
             {"ok", HistoryResult::kOk}, {"failed", HistoryResult::kFailed}, {"doubt", HistoryResult::kDoubt}};
         for (const auto& [name, result] : results) {
           if (name == v) return (o.history.result = result, true);
         }
         return false;
       },
       " (ok, failed or doubt)"},
      {"--since", Takes::kValue, "DATE", "the cards started on or after DATE (2026-12-07, or 2026-12-07T09:30:00Z)",
       [](CliOptions& o, std::string_view v) {
         if (!IsRecordTimeOrDate(v)) return false;
         return (o.history.since = std::string(v), true);
       },
       " (YYYY-MM-DD or YYYY-MM-DDTHH:MM:SSZ)"},
      {"--wait", Takes::kOptionalValue, "[=SECONDS]",
       "wait for the writer and the card (up to SECONDS; then status 4)",
       [](CliOptions& o, std::string_view v) {
         o.wait = true;
         if (v.empty()) return true;
         o.waitSeconds = Decimal(v, 86400);
         return o.waitSeconds.has_value();
       }},
  };
  static const std::vector<OptionSpec> options = Joined(CardOptions(), others);
  return options;
}

const OptionSpec* FindOption(std::string_view name) {
  for (const OptionSpec& option : Options()) {
    if (option.name == name) return &option;
  }
  return nullptr;
}

const CommandSpec* FindCommand(std::span<const CommandSpec> commands, std::string_view name) {
  for (const CommandSpec& command : commands) {
    if (command.name == name) return &command;
  }
  return nullptr;
}

bool Accepts(const CommandSpec& command, std::string_view option) {
  return std::find(command.options.begin(), command.options.end(), option) != command.options.end();
}

ParseResult UsageError(std::string_view command, const std::string& message) {
  const std::string help =
      command.empty() ? "morvik-card --help" : "morvik-card " + std::string(command) + " --help";
  return {std::nullopt, "morvik-card: " + message + " (see " + help + ")\n", ExitCode::kUsage};
}

struct NameAndValue {
  std::string_view name;
  std::optional<std::string_view> value;
};

NameAndValue SplitOption(std::string_view argument) {
  const std::size_t equals = argument.find('=');
  if (equals == std::string_view::npos) return {argument, std::nullopt};
  return {argument.substr(0, equals), argument.substr(equals + 1)};
}

// Edits (insertions, deletions, substitutions) between a and b.
std::size_t EditDistance(std::string_view a, std::string_view b) {
  std::vector<std::size_t> row(b.size() + 1);
  for (std::size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    std::size_t diagonal = row[0];
    row[0] = i;
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::size_t above = row[j];
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
      diagonal = above;
    }
  }
  return row[b.size()];
}

// " (did you mean --url?)" for the closest name within two edits, else nothing.
std::string Suggestion(std::string_view typed, const std::vector<std::string_view>& names) {
  std::string_view best;
  std::size_t bestDistance = 3;
  for (const std::string_view name : names) {
    const std::size_t distance = EditDistance(typed, name);
    if (distance < bestDistance) {
      best = name;
      bestDistance = distance;
    }
  }
  return best.empty() ? "" : " (did you mean " + std::string(best) + "?)";
}

// Takes the option at arguments[i] (and its value, which may be the next
// argument); the usage error when it cannot.
std::optional<std::string> TakeOption(const CommandSpec& command,
                                      const std::vector<std::string>& arguments, std::size_t& i,
                                      CliOptions& options) {
  const auto [name, inlineValue] = SplitOption(arguments[i]);
  const OptionSpec* option = FindOption(name);
  if (option == nullptr || !Accepts(command, name)) {
    return std::string(command.name) + " does not take " + std::string(name) +
           (option == nullptr ? Suggestion(name, command.options) : "");
  }
  if (options.given.contains(name)) return std::string(name) + " given twice";
  std::string_view value;
  if (option->takes == Takes::kValue) {
    if (!inlineValue && i + 1 >= arguments.size()) return std::string(name) + " needs a value";
    value = inlineValue ? *inlineValue : std::string_view(arguments[++i]);
  } else if (inlineValue) {
    if (option->takes == Takes::kNothing) return std::string(name) + " takes no value";
    if (inlineValue->empty()) return std::string(name) + "= needs a value after the =";
    value = *inlineValue;
  }
  return GiveOption(options, name, value);
}

bool IsHelp(std::string_view argument) {
  return argument == "--help" || argument == "-h" || argument.starts_with("--help=");
}

ParseResult ParseCommandOptions(const CommandSpec& command,
                                const std::vector<std::string>& arguments) {
  CliOptions options;
  options.command = command.name;
  bool optionsEnded = false;  // after "--" every argument is an operand
  for (std::size_t i = 1; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (!optionsEnded && argument == "--") {
      optionsEnded = true;
    } else if (!optionsEnded && IsHelp(argument)) {
      return {std::nullopt, CommandHelp(command), ExitCode::kOk};
    } else if (optionsEnded || !argument.starts_with("-") || argument == "-") {
      if (command.operand.empty() || (options.operand && !command.operand.ends_with("..."))) {
        return UsageError(command.name, "unexpected argument: " + argument);
      }
      if (!options.operand) options.operand = argument;
      options.operands.push_back(argument);
    } else if (const std::optional<std::string> error = TakeOption(command, arguments, i, options)) {
      return UsageError(command.name, *error);
    }
  }
  if (!command.operand.empty() && !options.operand) {
    return UsageError(command.name,
                      std::string(command.name) + " needs " + std::string(command.operand));
  }
  if (const std::optional<std::string> broken = BrokenOptionRule(options)) {
    return UsageError(command.name, *broken);
  }
  return {options, {}, ExitCode::kOk};
}

std::string UnknownCommand(std::string_view typed, std::span<const CommandSpec> commands) {
  std::vector<std::string_view> names;
  for (const CommandSpec& command : commands) names.push_back(command.name);
  return "unknown command: " + std::string(typed) + Suggestion(typed, names);
}

}  // namespace

std::optional<std::string> GiveOption(CliOptions& options, std::string_view name,
                                      std::string_view value) {
  const OptionSpec* option = FindOption(name);
  if (option == nullptr) return "no option " + std::string(name);
  if (!option->set(options, value)) {
    return "bad value for " + option->name + ": " + std::string(value) + option->range;
  }
  options.given.insert(option->name);
  return std::nullopt;
}

void WithdrawFlag(CliOptions& options, std::string_view name) {
  const OptionSpec* option = FindOption(name);
  if (option == nullptr || !option->unset) return;
  option->unset(options);
  options.given.erase(option->name);
}

bool TakesValue(std::string_view name) {
  const OptionSpec* option = FindOption(name);
  return option != nullptr && option->takes != Takes::kNothing;
}

namespace {

// The option that gives a control: the first, or the first given of several.
const OptionSpec* OptionGiving(int controlId, const CliOptions& options) {
  const OptionSpec* chosen = nullptr;
  for (const OptionSpec& option : Options()) {
    if (option.controlId != controlId) continue;
    const bool givenInstead =
        chosen != nullptr && !options.given.contains(chosen->name) && options.given.contains(option.name);
    if (chosen == nullptr || givenInstead) chosen = &option;
  }
  return chosen;
}

}  // namespace

std::string OptionsConcerned(const MessageSubject& subject, const CliOptions& options) {
  std::string names;
  for (const int control : subject.controls) {
    const OptionSpec* option = OptionGiving(control, options);
    if (option != nullptr) names += (names.empty() ? "" : ", ") + option->name;
  }
  return names;
}

std::vector<std::string_view> CardOptionNames() {
  std::vector<std::string_view> names;
  for (const OptionSpec& option : CardOptions()) names.push_back(option.name);
  return names;
}

std::vector<std::string_view> ContentOptionNames() {
  std::vector<std::string_view> names = CardOptionNames();
  names.insert(names.end(), {"--yes", "--no"});
  return names;
}

std::vector<std::string_view> WriterOptionNames() {
  return {"--port", "--trace", "--wait", "--fast"};
}

std::vector<std::string_view> ProductionOptionNames() {
  return {"--rows", "--resume", "--image", "--force", "--count", "--ports", "--all",
          "--no-verify", "--json", "--log", "--trace", "--fast"};
}

std::optional<std::array<std::uint8_t, 2>> ParseCustomerId(std::string_view text) {
  const std::optional<std::uint32_t> value = ParseHexDigits(text, 4);
  if (!value) return std::nullopt;
  return std::array<std::uint8_t, 2>{static_cast<std::uint8_t>(*value >> 8),
                                     static_cast<std::uint8_t>(*value & 0xFF)};
}

std::string ExitStatusHelp() {
  std::string text = "\nexit status:\n";
  for (const ExitStatusMeaning& row : kExitStatuses) {
    std::string number = std::to_string(Status(row.code));
    number.resize(5, ' ');
    text += "  " + number + std::string(row.meaning) + "\n";
  }
  return text;
}

std::string UsageText(std::span<const CommandSpec> commands) {
  std::string text =
      "usage: morvik-card COMMAND [options]\n"
      "       morvik-card COMMAND --help    (or: morvik-card help COMMAND)\n"
      "       morvik-card --version\n\ncommands:\n";
  for (const CommandSpec& command : commands) {
    std::string name(command.name);
    name.resize(std::max<std::size_t>(name.size() + 1, 9), ' ');
    text += "  " + name + std::string(command.summary) + "\n";
  }
  return text +
         "\nOptions are written --name VALUE or --name=VALUE; texts are UTF-8.\n"
         "The writer is looked for on COM1-COM31; MORVIK_PORT_DIR may name a folder\n"
         "of links COM1..COM31 to other devices (the simulator makes them).\n" +
         ExitStatusHelp();
}

std::string CommandHelp(const CommandSpec& command) {
  std::string text = "usage: morvik-card " + std::string(command.name) +
                     (command.options.empty() ? "" : " [options]") +
                     (command.operand.empty() ? "" : " " + std::string(command.operand)) + "\n" +
                     std::string(command.help) + "\n";
  if (!command.options.empty()) text += "\noptions:\n";
  for (const std::string_view name : command.options) {
    const OptionSpec* option = FindOption(name);
    if (option == nullptr) continue;
    std::string head =
        "  " + std::string(option->name) +
        (option->argument.empty() || option->takes == Takes::kOptionalValue ? "" : " ") +
        std::string(option->argument);
    head.resize(std::max<std::size_t>(head.size() + 2, 22), ' ');
    text += head + option->help + "\n";
  }
  return text;
}

ParseResult ParseCommandLine(const std::vector<std::string>& arguments,
                             std::span<const CommandSpec> commands) {
  if (arguments.empty()) return {std::nullopt, UsageText(commands), ExitCode::kUsage};
  const std::string& first = arguments[0];
  if (first == "--help" || first == "-h") return {std::nullopt, UsageText(commands), ExitCode::kOk};
  if (first == "--version") {
    return {std::nullopt,
            "morvik-card " + std::string(kToolVersion) + " (MOBILE Morvik IC Card Writer " +
                std::string(kSystemVersion) + ")\n",
            ExitCode::kOk};
  }
  if (first == "help") {
    if (arguments.size() == 1) return {std::nullopt, UsageText(commands), ExitCode::kOk};
    const CommandSpec* command = FindCommand(commands, arguments[1]);
    if (command == nullptr) return UsageError({}, UnknownCommand(arguments[1], commands));
    return {std::nullopt, CommandHelp(*command), ExitCode::kOk};
  }
  const CommandSpec* command = FindCommand(commands, first);
  if (command == nullptr) return UsageError({}, UnknownCommand(first, commands));
  return ParseCommandOptions(*command, arguments);
}

}  // namespace morvik
