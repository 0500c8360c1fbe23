#include <gtest/gtest.h>

#include "cli/command_table.h"
#include "cli/production_commands.h"

namespace morvik {
namespace {

// What the production commands take; their refusals are rows of the bad-input table.
TEST(ProductionOptions, TakenByBatchAndVerify) {
  const std::vector<std::vector<std::string>> accepted = {
      {"batch", "--url", "a", "--count", "3", "--all", "--no-verify", "--fast"},
      {"batch", "--trace"},
      {"verify", "--url", "a", "--wait"}};
  for (const auto& arguments : accepted) EXPECT_TRUE(ParseCommandLine(arguments, Commands()).options) << arguments[1];
}

TEST(BatchExitStatus, LostOutputThenInterruptThenFailureThenVerifyOnly) {
  const auto tally = [](std::vector<CardResult> results, std::string problem = {}) {
    WriterTally t;
    t.port = "COM1";
    for (CardResult r : results) t.Count(r);
    t.problem = std::move(problem);
    return t;
  };
  using R = CardResult;
  const struct {
    std::vector<WriterTally> tallies;
    bool interrupted, outputFailed;
    ExitCode status;
  } cases[] = {
      {{tally({R::kOk, R::kOk}), tally({R::kOk})}, false, false, ExitCode::kOk},
      {{tally({R::kOk, R::kVerifyFailed}), tally({R::kVerifyFailed})}, false, false, ExitCode::kVerifyMismatch},
      {{tally({R::kVerifyFailed}), tally({R::kRemoved})}, false, false, ExitCode::kCardFailed},
      {{tally({R::kOk}), tally({}, "no writer answered")}, false, false, ExitCode::kCardFailed},
      {{tally({R::kOk})}, true, false, ExitCode::kInterrupted},
      {{tally({R::kWriteFailed})}, true, true, ExitCode::kOutputLost},
  };
  for (const auto& c : cases) EXPECT_EQ(BatchExitStatus(c.tallies, c.interrupted, c.outputFailed), c.status);
}

}  // namespace
}  // namespace morvik
