// The production-line commands: batch (many cards on one or several writers,
// each written, read back and reported) and verify, and what write needs for
// --verify and for interrupts.
#pragma once

#include <string>
#include <vector>

#include "card/card_operations.h"

namespace morvik {

bool IsProductionCommand(const std::string& command);
// The whole command from its arguments (the command word first) to its exit status.
int RunProductionCommand(const std::vector<std::string>& arguments);

// Reads back the card the last write completed: 0 when it holds the image,
// 5 when a block differs, 1 when it cannot be read.
int VerifyLastWrite(CardOperations& card);
// A card command's status once interrupts are counted: 130 after an
// interrupt, naming the card and block when the write stopped early.
int StatusAfterInterrupts(const CardOperations& card, int status);

extern const char kProductionUsage[];

}  // namespace morvik
