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

std::string Said(std::string_view message, std::string_view when, std::string_view other) {
  std::string text(message);
  for (const auto& [mark, name] : {std::pair{std::string_view("{when}"), when}, {"{other}", other}}) {
    if (const std::size_t at = text.find(mark); at != std::string::npos) text.replace(at, mark.size(), name);
  }
  return text;
}

std::optional<std::string> Broken(const OptionRule& rule, const CliOptions& options) {
  const std::optional<std::string_view> when = FirstGiven(options, rule.when);
  if (!when) return std::nullopt;
  const std::optional<std::string_view> other = FirstGiven(options, rule.others);
  if (rule.kind == Kind::kNeedsOneOf && !other) return Said(rule.message, *when, rule.others[0]);
  if (rule.kind == Kind::kExcludes && other) return Said(rule.message, *when, *other);
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
std::optional<std::string> ControlCharacterInTexts(const CliOptions& options) {
  for (const TextField& field : kTextFields) {
    const std::string option = "--" + std::string(field.name);
    if (std::optional<std::string> found = ControlCharacterIn(option, options.content.*field.text)) {
      return found;
    }
  }
  return std::nullopt;
}

}  // namespace

const std::vector<OptionRule>& OptionRules() {
  static const std::vector<OptionRule> rules = {
      {{"--to", "--cc", "--title", "--body"}, Kind::kNeedsOneOf, {"--mail"}, "{when} needs {other}"},
      {{"--yes"}, Kind::kExcludes, {"--no"}, "{when} and {other} exclude each other"},
      {{"--all"}, Kind::kExcludes, {"--ports"}, "{when} and {other} exclude each other"},
      {{"--resume", "--encoding"}, Kind::kNeedsOneOf, {"--rows"}, "{when} needs {other}"},
      {{"--rewrite-changed"}, Kind::kNeedsOneOf, {"--resume"}, "{when} needs {other}"},
      {{"--force"}, Kind::kNeedsOneOf, {"--image"}, "{when} needs {other}"},
      {{"--rows"}, Kind::kExcludes, {"--image"}, "{when} and {other} exclude each other"},
      {{"--uid-card"}, Kind::kExcludes, NotOnAUidCard(),
       "{other} does not go with {when}: a UID setting card carries its start UID only"},
      {{"--image"}, Kind::kExcludes, CardOptionNames(),
       "{other} does not go with {when}: the card gets the file's bytes as they are"},
  };
  return rules;
}

std::optional<std::string> BrokenOptionRule(const CliOptions& options) {
  if (options.uidCard && options.uidCard->empty()) return "--uid-card needs a start UID";
  for (const OptionRule& rule : OptionRules()) {
    if (std::optional<std::string> broken = Broken(rule, options)) return broken;
  }
  return ControlCharacterInTexts(options);
}

std::optional<std::string> ControlCharacterIn(std::string_view option, std::string_view text) {
  std::size_t character = 0;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if ((byte & 0xC0) != 0x80) ++character;  // a UTF-8 character's first byte
    if (byte >= 0x20 && byte != 0x7F) continue;
    char code[8];
    std::snprintf(code, sizeof code, "0x%02X", byte);
    return std::string(option) + ": a control character (" + code + ") at character " +
           std::to_string(character) + ": the entry holds one line of text";
  }
  return std::nullopt;
}

}  // namespace morvik
