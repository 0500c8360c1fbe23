// The exit statuses of morvik-card, one list for every command and the
// production line, with the words the help (and README) gives each. The
// window keeps its own: status 1 when no writer answers.
#pragma once

#include <string_view>

#include "words/catalog.h"

namespace morvik {

enum class ExitCode : int {
  kOk = 0,
  kCardFailed = 1,      // the card operation failed
  kWriterAnswersBadly = 1,  // a writer answers, but its replies arrive damaged
  kUsage = 2,           // usage or bad input: texts, limits, refused questions
  kNoWriter = 3,        // no writer found
  kNoCard = 4,          // no card on the writer, or the operator's wait ended
  kVerifyMismatch = 5,  // the card does not hold what was written
  kOutputLost = 6,      // stdout, --out or --log could not be written: a result went unrecorded
  kInterrupted = 130,   // SIGINT or SIGTERM
};

struct ExitStatusMeaning {
  ExitCode code;
  Said meaning;
};

inline constexpr ExitStatusMeaning kExitStatuses[] = {
    {ExitCode::kOk, Said::kExitDone},
    {ExitCode::kCardFailed, Said::kExitCardFailed},
    {ExitCode::kUsage, Said::kExitUsage},
    {ExitCode::kNoWriter, Said::kExitNoWriter},
    {ExitCode::kNoCard, Said::kExitNoCard},
    {ExitCode::kVerifyMismatch, Said::kExitVerifyMismatch},
    {ExitCode::kOutputLost, Said::kExitOutputLost},
    {ExitCode::kInterrupted, Said::kExitInterrupted},
};

// What every line the tool says on stderr begins with.
inline constexpr std::string_view kToolSays = "morvik-card: ";

// The number the process ends with.
constexpr int Status(ExitCode code) { return static_cast<int>(code); }

}  // namespace morvik
