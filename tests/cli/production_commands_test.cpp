#include <gtest/gtest.h>

#include "cli/cli_commands.h"
#include "cli/production_commands.h"

namespace morvik {
namespace {

struct OptionsCase {
  std::vector<std::string> arguments;
  std::string error;  // empty: accepted
};

const std::string kPorts = " (COM1-COM31, each once)";

class ProductionOptionsTest : public testing::TestWithParam<OptionsCase> {};

TEST_P(ProductionOptionsTest, RefusesWhatTheCommandDoesNotTakeNamingIt) {
  const ParseResult parsed = ParseCommandLine(GetParam().arguments, Commands());
  const std::string& error = GetParam().error;
  EXPECT_EQ(parsed.options.has_value(), error.empty()) << parsed.text;
  if (!error.empty()) {
    EXPECT_EQ(parsed.text, "morvik-card: " + error + " (see morvik-card " + GetParam().arguments[0] +
                               " --help)\n");
  }
}

INSTANTIATE_TEST_SUITE_P(
    Batch, ProductionOptionsTest,
    testing::Values(OptionsCase{{"batch", "--url", "a", "--count", "3", "--all", "--no-verify", "--fast"}, ""},
                    OptionsCase{{"batch", "--count", "0"}, "bad value for --count: 0"},
                    OptionsCase{{"batch", "--ports", "COM3,,COM5"}, "bad value for --ports: COM3,,COM5" + kPorts},
                    OptionsCase{{"batch", "--ports", "COM3,com3"}, "bad value for --ports: COM3,com3" + kPorts},
                    OptionsCase{{"batch", "--ports", "COM32"}, "bad value for --ports: COM32" + kPorts},
                    OptionsCase{{"batch", "--trace"}, ""},
                    OptionsCase{{"batch", "--ports", "COM3", "--all"}, "--all and --ports exclude each other"},
                    OptionsCase{{"batch", "--wait"}, "batch does not take --wait"},
                    OptionsCase{{"verify", "--url", "a", "--wait"}, ""},
                    OptionsCase{{"verify", "--json"}, "verify does not take --json"}));

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
