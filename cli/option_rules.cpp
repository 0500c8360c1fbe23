#include "cli/option_rules.h"

#include <algorithm>
#include <cstdio>

#include "cli/option_table.h"

namespace morvik {
namespace {

using Kind = OptionRule::Kind;

std::optional<std::string_view> FirstGiven(const CliOptions& options,
                                           const std::vector<std::string_view>& names) {
  for (const std::string_view name : names) {
    if (options.given.contains(name)) return name;
  }
  return std::nullopt;
}

// "--url" as a list's column names it: "url".
std::string ColumnOf(std::string_view option) {
  return std::string(option.starts_with("--") ? option.substr(2) : option);
}

std::optional<Saying> Broken(const OptionRule& rule, const CliOptions& options) {
  const std::optional<std::string_view> when = FirstGiven(options, rule.when);
  if (!when) return std::nullopt;
  const std::optional<std::string_view> other = FirstGiven(options, rule.others);
  if (rule.kind == Kind::kNeedsOneOf && !other) return Saying{rule.message, {ColumnOf(*when), ColumnOf(rule.others[0])}};
  if (rule.kind == Kind::kExcludes && other) return Saying{rule.message, {ColumnOf(*when), ColumnOf(*other)}};
  return std::nullopt;
}

// A UID setting card carries its start UID and nothing of the content.
std::vector<std::string_view> NotOnAUidCard() {
  std::vector<std::string_view> names = CardOptionNames();
  std::erase(names, "--uid-card");
  names.push_back("--cid");
  return names;
}

// Every entry of the window holds one line.
std::optional<Saying> ControlCharacterInTexts(const CliOptions& options) {
  for (const TextField& field : kTextFields) {
    if (std::optional<Saying> found = ControlCharacterIn(field.name, options.content.*field.text)) {
      return found;
    }
  }
  return std::nullopt;
}

}  // namespace

const std::vector<OptionRule>& OptionRules() {
  static const std::vector<OptionRule> rules = {
      {{"--to", "--cc", "--title", "--body"}, Kind::kNeedsOneOf, {"--mail"}, Said::kColumnNeeds},
      {{"--yes"}, Kind::kExcludes, {"--no"}, Said::kColumnsExclude},
      {{"--all"}, Kind::kExcludes, {"--ports"}, Said::kColumnsExclude},
      {{"--resume", "--encoding"}, Kind::kNeedsOneOf, {"--rows"}, Said::kColumnNeeds},
      {{"--rewrite-changed"}, Kind::kNeedsOneOf, {"--resume"}, Said::kColumnNeeds},
      {{"--force"}, Kind::kNeedsOneOf, {"--image"}, Said::kColumnNeeds},
      {{"--rows"}, Kind::kExcludes, {"--image"}, Said::kColumnsExclude},
      {{"--uid-card"}, Kind::kExcludes, NotOnAUidCard(),
       Said::kNotOnUidCard},
      {{"--image"}, Kind::kExcludes, CardOptionNames(),
       Said::kNotWithImage},
  };
  return rules;
}

std::optional<Saying> OptionRuleBroken(const CliOptions& options) {
  if (options.uidCard && options.uidCard->empty()) return Saying{Said::kNeedsStartUid};
  for (const OptionRule& rule : OptionRules()) {
    if (std::optional<Saying> broken = Broken(rule, options)) return broken;
  }
  return ControlCharacterInTexts(options);
}

std::optional<std::string> BrokenOptionRule(const CliOptions& options) {
  const std::optional<Saying> broken = OptionRuleBroken(options);
  if (!broken) return std::nullopt;
  return Say(*broken, Language::kEnglish);
}

std::optional<Saying> ControlCharacterIn(std::string_view option, std::string_view text) {
  std::size_t character = 0;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if ((byte & 0xC0) != 0x80) ++character;  // a UTF-8 character's first byte
    if (byte >= 0x20 && byte != 0x7F) continue;
    char code[8];
    std::snprintf(code, sizeof code, "0x%02X", byte);
    return Saying{Said::kControlCharacter, {ColumnOf(option), code, std::to_string(character)}};
  }
  return std::nullopt;
}

}  // namespace morvik
