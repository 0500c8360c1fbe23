#include "cli/command_line.h"

#include <algorithm>

#include "cli/option_rules.h"
#include "cli/option_table.h"
#include "words/help_catalog.h"

namespace morvik {
namespace {

constexpr std::string_view kToolVersion = MORVIK_TOOL_VERSION;  // the package's version
constexpr std::string_view kSystemVersion = "2.11";             // the card system's

const CommandSpec* FindCommand(std::span<const CommandSpec> commands, std::string_view name) {
  for (const CommandSpec& command : commands) {
    if (command.name == name) return &command;
  }
  return nullptr;
}

bool Accepts(const CommandSpec& command, std::string_view option) {
  return std::find(command.options.begin(), command.options.end(), option) != command.options.end();
}

ParseResult UsageError(std::string_view command, const Saying& problem, Language language) {
  const std::string help =
      command.empty() ? "morvik-card --help" : "morvik-card " + std::string(command) + " --help";
  const std::string said = Say({Said::kUsageError, {Say(problem, language), help}}, language);
  return {std::nullopt, std::string(kToolSays) + said + "\n", ExitCode::kUsage};
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

// The closest name within two edits, else nothing.
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
  return std::string(best);
}

bool IsHelp(std::string_view argument) {
  return argument == "--help" || argument == "-h" || argument.starts_with("--help=");
}

// An argument the tool reads as one of its own options (or the end of them).
bool IsOptionName(std::string_view argument) {
  return argument == "--" || IsHelp(argument) || FindOption(SplitOption(argument).name) != nullptr;
}

// What is wrong with the value an option would take from the next argument:
// the name of an option is no value (a missing value would swallow the next
// option), and an optional value is taken only after "=".
std::optional<Saying> NextArgumentProblem(const CommandSpec& command, const OptionSpec& option,
                                          const std::vector<std::string>& arguments, std::size_t i) {
  const bool next = i + 1 < arguments.size();
  if (option.takes == Takes::kValue && !next) return Saying{Said::kNeedsValue, {option.name}};
  if (option.takes == Takes::kValue && IsOptionName(arguments[i + 1])) {
    return Saying{Said::kValueLooksLikeOption, {option.name, arguments[i + 1]}};
  }
  const bool looksLikeValue = next && !arguments[i + 1].starts_with("-") && command.operand.empty();
  if (option.takes == Takes::kOptionalValue && looksLikeValue) {
    return Saying{Said::kValueAfterEquals, {option.name, std::string(command.name), arguments[i + 1]}};
  }
  return std::nullopt;
}

// Takes the option at arguments[i] (and its value, which may be the next
// argument); the usage error when it cannot.
std::optional<Saying> TakeOption(const CommandSpec& command, const std::vector<std::string>& arguments,
                                 std::size_t& i, CliOptions& options, Language language) {
  const auto [name, inlineValue] = SplitOption(arguments[i]);
  const OptionSpec* option = FindOption(name);
  if (option == nullptr || !Accepts(command, name)) {
    const std::string suggestion = option == nullptr ? Suggestion(name, command.options) : "";
    if (suggestion.empty()) return Saying{Said::kDoesNotTake, {std::string(command.name), std::string(name)}};
    return Saying{Said::kDoesNotTakeDidYouMean, {std::string(command.name), std::string(name), suggestion}};
  }
  if (options.given.contains(name)) return Saying{Said::kGivenTwice, {std::string(name)}};
  if (!inlineValue) {
    if (std::optional<Saying> problem = NextArgumentProblem(command, *option, arguments, i)) return problem;
  }
  std::string_view value;
  if (option->takes == Takes::kValue) {
    value = inlineValue ? *inlineValue : std::string_view(arguments[++i]);
  } else if (inlineValue) {
    if (option->takes == Takes::kNothing) return Saying{Said::kTakesNoValue, {std::string(name)}};
    if (inlineValue->empty()) return Saying{Said::kNothingAfterEquals, {std::string(name)}};
    value = *inlineValue;
  }
  return OptionRefusal(options, name, value, language);
}

ParseResult ParseCommandOptions(const CommandSpec& command, const std::vector<std::string>& arguments,
                                Language language) {
  CliOptions options;
  options.command = command.name;
  bool optionsEnded = false;  // after "--" every argument is an operand
  for (std::size_t i = 1; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (!optionsEnded && argument == "--") {
      optionsEnded = true;
    } else if (!optionsEnded && IsHelp(argument)) {
      return {std::nullopt, CommandHelp(command, language), ExitCode::kOk};
    } else if (optionsEnded || !argument.starts_with("-") || argument == "-") {
      if (command.operand.empty() || (options.operand && !command.operand.ends_with("..."))) {
        return UsageError(command.name, {Said::kUnexpectedArgument, {argument}}, language);
      }
      if (!options.operand) options.operand = argument;
      options.operands.push_back(argument);
    } else if (const std::optional<Saying> error = TakeOption(command, arguments, i, options, language)) {
      return UsageError(command.name, *error, language);
    }
  }
  if (!command.operand.empty() && !options.operand) {
    return UsageError(command.name, {Said::kNeedsOperand, {std::string(command.name), std::string(command.operand)}},
                      language);
  }
  if (const std::optional<Saying> broken = OptionRuleBroken(options)) {
    return UsageError(command.name, *broken, language);
  }
  return {options, {}, ExitCode::kOk};
}

Saying UnknownCommand(std::string_view typed, std::span<const CommandSpec> commands) {
  std::vector<std::string_view> names;
  for (const CommandSpec& command : commands) names.push_back(command.name);
  const std::string suggestion = Suggestion(typed, names);
  if (suggestion.empty()) return {Said::kUnknownCommand, {std::string(typed)}};
  return {Said::kUnknownCommandDidYouMean, {std::string(typed), suggestion}};
}

}  // namespace

std::string ExitStatusHelp(Language language) {
  std::string text = "\n" + Say({Said::kHelpExitStatus}, language) + "\n";
  for (const ExitStatusMeaning& row : kExitStatuses) {
    std::string number = std::to_string(Status(row.code));
    number.resize(5, ' ');
    text += "  " + number + Say({row.meaning}, language) + "\n";
  }
  return text;
}

std::string UsageText(std::span<const CommandSpec> commands, Language language) {
  const std::string head = Say({Said::kHelpUsageHead}, language);
  const std::string under(DisplayWidth(head) + 1, ' ');  // the lines below the first, aligned with it
  std::string text = head + " morvik-card COMMAND [options]\n" + under + "morvik-card COMMAND --help    " +
                     Say({Said::kHelpOrHelpCommand}, language) + "\n" + under + "morvik-card --version\n\n" +
                     Say({Said::kHelpCommands}, language) + "\n";
  for (const CommandSpec& command : commands) {
    std::string name(command.name);
    name.resize(std::max<std::size_t>(name.size() + 1, 9), ' ');
    text += "  " + name + Say({command.summary}, language) + "\n";
  }
  return text + "\n" + Say({Said::kHelpHowToWrite}, language) + ExitStatusHelp(language);
}

std::string CommandHelp(const CommandSpec& command, Language language) {
  std::string text = Say({Said::kHelpUsageHead}, language) + " morvik-card " + std::string(command.name) +
                     (command.options.empty() ? "" : " [options]") +
                     (command.operand.empty() ? "" : " " + std::string(command.operand)) + "\n" +
                     Say({command.help}, language) + "\n";
  if (command.Has(kTakesKeywords)) text += Say({Said::kHelpKeywords}, language) + "\n";
  if (!command.options.empty()) text += "\n" + Say({Said::kHelpOptions}, language) + "\n";
  for (const std::string_view name : command.options) {
    const OptionSpec* option = FindOption(name);
    if (option == nullptr) continue;
    std::string head =
        "  " + std::string(option->name) +
        (option->argument.empty() || option->takes == Takes::kOptionalValue ? "" : " ") +
        std::string(option->argument);
    head.resize(std::max<std::size_t>(head.size() + 2, 22), ' ');
    text += head + OptionHelp(*option, command.name, language) + "\n";
  }
  return text;
}

ParseResult ParseCommandLine(const std::vector<std::string>& arguments, std::span<const CommandSpec> commands,
                             Language language) {
  if (arguments.empty()) return {std::nullopt, UsageText(commands, language), ExitCode::kUsage};
  const std::string& first = arguments[0];
  if (first == "--help" || first == "-h") return {std::nullopt, UsageText(commands, language), ExitCode::kOk};
  if (first == "--version") {
    return {std::nullopt,
            "morvik-card " + std::string(kToolVersion) + " (MOBILE Morvik IC Card Writer " +
                std::string(kSystemVersion) + ")\n",
            ExitCode::kOk};
  }
  if (first == "help") {
    // "help help" asks for the help of help: the overview.
    if (arguments.size() == 1 || arguments[1] == "help") return {std::nullopt, UsageText(commands, language), ExitCode::kOk};
    const CommandSpec* command = FindCommand(commands, arguments[1]);
    if (command == nullptr) return UsageError({}, UnknownCommand(arguments[1], commands), language);
    return {std::nullopt, CommandHelp(*command, language), ExitCode::kOk};
  }
  const CommandSpec* command = FindCommand(commands, first);
  if (command == nullptr) return UsageError({}, UnknownCommand(first, commands), language);
  return ParseCommandOptions(*command, arguments, language);
}

}  // namespace morvik
