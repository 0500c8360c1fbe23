#include "cli/option_rules.h"

#include <algorithm>

namespace morvik {
namespace {

using Kind = OptionRule::Kind;

bool AnyGiven(const CliOptions& options, const std::vector<std::string_view>& names) {
  return std::any_of(names.begin(), names.end(),
                     [&](std::string_view name) { return options.given.contains(name); });
}

bool Broken(const OptionRule& rule, const CliOptions& options) {
  if (!AnyGiven(options, rule.when)) return false;
  const bool othersGiven = AnyGiven(options, rule.others);
  return rule.kind == Kind::kNeedsOneOf ? !othersGiven : othersGiven;
}

}  // namespace

const std::vector<OptionRule>& OptionRules() {
  static const std::vector<OptionRule> rules = {
      {{"--to", "--cc", "--title", "--body"}, Kind::kNeedsOneOf, {"--mail"},
       "--to, --cc, --title and --body need --mail"},
      {{"--uid-card"}, Kind::kExcludes, {"--read-mark", "--service-cid"},
       "--uid-card takes neither --read-mark nor --service-cid"},
      {{"--image"}, Kind::kExcludes, ContentOptionNames(), "--image takes no content options"},
      {{"--all"}, Kind::kExcludes, {"--ports"}, "--all and --ports exclude each other"},
  };
  return rules;
}

std::optional<std::string> BrokenOptionRule(const CliOptions& options) {
  if (options.uidCard && options.uidCard->empty()) return "--uid-card needs a start UID";
  for (const OptionRule& rule : OptionRules()) {
    if (Broken(rule, options)) return std::string(rule.message);
  }
  return std::nullopt;
}

}  // namespace morvik
