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

namespace morvik {

struct OptionRule {
  enum class Kind {
    kNeedsOneOf,  // an option of `when` given needs one of `others` too
    kExcludes,    // an option of `when` given refuses every option of `others`
  };
  std::vector<std::string_view> when;
  Kind kind;
  std::vector<std::string_view> others;
  // What is said when the rule is broken: {when} and {other} stand for the
  // options given (for kNeedsOneOf, {other} is the first of `others`).
  std::string_view message;
};

const std::vector<OptionRule>& OptionRules();

// The message of the first rule the given options break, if any.
std::optional<std::string> BrokenOptionRule(const CliOptions& options);

// "--url: a control character (0x0A) at character 4: ..." for the first
// control character of a one-line text option, if any.
std::optional<std::string> ControlCharacterIn(std::string_view option, std::string_view text);

}  // namespace morvik
