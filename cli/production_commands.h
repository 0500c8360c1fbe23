// The production-line commands: batch (many cards on one or several writers,
// each written, read back and reported) and verify, and what write needs for
// --verify and for interrupts.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "cli/cli_commands.h"
#include "cli/cli_options.h"
#include "card/card_operations.h"

namespace morvik {

struct BatchOptions {
  CliOptions card;  // the content options, as write takes them
  std::optional<int> count;
  std::vector<std::string> ports;
  bool all = false;
  bool verify = true;
  bool json = false;
  std::string log;
};

struct BatchParse {
  std::optional<BatchOptions> options;
  std::string error;
};

// The options of batch (or, for verify, none of its own) taken out of the
// arguments; the content options go to the parser write uses.
BatchParse ParseProductionOptions(const std::vector<std::string>& arguments);

bool IsProductionCommand(const std::string& command);
// The whole command from its arguments (the command word first) to its exit
// status; questions and messages go through the environment's terminal.
int RunProductionCommand(const std::vector<std::string>& arguments, CliEnvironment& environment);

// Reads back the card the last write completed: 0 when it holds the image,
// 5 when a block differs, 1 when it cannot be read.
int VerifyLastWrite(CardOperations& card);
// A card command's status once interrupts are counted: 130 after an
// interrupt, naming the card and block when the write stopped early.
int StatusAfterInterrupts(const CardOperations& card, int status);

extern const char kProductionUsage[];

}  // namespace morvik
