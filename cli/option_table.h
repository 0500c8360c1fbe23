// The option table of morvik-card: every option with its value, help and
// range, the setter that gives it, the window control whose entry it gives,
// and the groups command rows are made of. The card's field options are made
// from the table of the card's fields.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "cli/cli_options.h"
#include "window/window_services.h"
#include "words/catalog.h"

namespace morvik {

// Sets a value from the text given; false when the text is out of range.
using Setter = std::function<bool(CliOptions&, std::string_view)>;

enum class Takes { kNothing, kValue, kOptionalValue };

struct OptionSpec {
  std::string name;
  Takes takes;
  std::string_view argument;  // as the help shows it
  Saying help;
  Setter set;
  std::optional<Saying> range = {};  // said after a refused value
  int controlId = 0;       // the window's control whose entry the option gives
  std::function<void(CliOptions&)> unset = {};  // a flag's way back to not given
};

// The formats --format takes for this command: text and json, or for the
// commands that print a card listing, hex, raw and json.
std::span<const std::string_view> FormatsOf(std::string_view command);
// The help of the option as this command's help shows it.
std::string OptionHelp(const OptionSpec& option, std::string_view command, Language language);

// The option of this name, if the table has one.
const OptionSpec* FindOption(std::string_view name);

// Gives the option `name` (of the table) the value `value` as the command
// line does ("" for an option that takes none): the parser's words when the
// value is refused.
std::optional<std::string> GiveOption(CliOptions& options, std::string_view name,
                                      std::string_view value);
// The same, the refusal a kind with its values (what the value may be said in `language`).
std::optional<Saying> OptionRefusal(CliOptions& options, std::string_view name, std::string_view value,
                                    Language language = Language::kEnglish);
// Takes back a flag option given before, as if it had not been.
void WithdrawFlag(CliOptions& options, std::string_view name);
bool TakesValue(std::string_view name);

// "--url, --popup": the options that give the controls a message is about;
// of two options that give one control, the one given. Empty when none does.
std::string OptionsConcerned(const MessageSubject& subject, const CliOptions& options);
// The same options one by one, in the order of the message's controls.
std::vector<std::string_view> OptionNamesConcerned(const MessageSubject& subject, const CliOptions& options);

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
