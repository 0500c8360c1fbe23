// The exit statuses of morvik-card, one list for every command and the
// production line. The window keeps its own: status 1 when no writer answers.
#pragma once

namespace morvik {

enum class ExitCode : int {
  kOk = 0,
  kCardFailed = 1,      // the card operation failed
  kUsage = 2,           // usage or bad input: texts, limits, refused questions
  kNoWriter = 3,        // no writer found
  kNoCard = 4,          // no card on the writer, or the operator's wait ended
  kVerifyMismatch = 5,  // the card does not hold what was written
  kInterrupted = 130,   // SIGINT or SIGTERM
};

constexpr int Status(ExitCode code) { return static_cast<int>(code); }

}  // namespace morvik
