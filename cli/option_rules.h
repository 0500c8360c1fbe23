// The rules between options, beside the option table: which options need or
// exclude which others, and what a text option may hold. The parser checks
// them once, after every option is read and before any command runs, so a
// broken rule never reaches a port.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cli/cli_options.h"
#include "words/catalog.h"

namespace morvik {

struct OptionRule {
  enum class Kind {
    kNeedsOneOf,  // an option of `when` given needs one of `others` too
    kExcludes,    // an option of `when` given refuses every option of `others`
  };
  std::vector<std::string_view> when;
  Kind kind;
  std::vector<std::string_view> others;
  // What is said when the rule is broken, its values the options given
  // without "--": the one of `when`, then the other (for kNeedsOneOf, the
  // first of `others`).
  Said message;
};

const std::vector<OptionRule>& OptionRules();

// The first rule the given options break, if any, with the options it
// concerns named without "--" (as a list's columns name them).
std::optional<Saying> OptionRuleBroken(const CliOptions& options);
// The same in English, as the command line says it.
std::optional<std::string> BrokenOptionRule(const CliOptions& options);

// The first control character of a one-line text option (named without
// "--"), if any: its code and the number of the character.
std::optional<Saying> ControlCharacterIn(std::string_view option, std::string_view text);

}  // namespace morvik
