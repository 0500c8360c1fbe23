#include <gtest/gtest.h>

#include <sstream>

#include "cli/command_table.h"
#include "cli/production_commands.h"
#include "cli/progress_board.h"
#include "sim/loopback_serial.h"

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

// At a terminal batch shows a line per writer, in the order of their ports,
// and a total line, each drawn again in place; the rate once a card is done.
TEST(ProgressBoard, ALinePerWriterAndTheTotalDrawnInPlace) {
  using Step = WriterProgress::Step;
  sim::VirtualClock clock;
  std::ostringstream terminal;
  ProgressBoard board(terminal, clock, [] { return std::optional(ProgressBoard::Rows{2, 8}); });
  board.Update({Step::kWriting, "COM5", "0123456789ABCDEF", 7, 23, "shop-1", 1});
  EXPECT_EQ(terminal.str(), "COM5  row 7 (shop-1)  0123456789ABCDEF  block 23/64  1 resend\x1b[K\nrows: 2 done, 8 left\x1b[K\n");
  board.Update({Step::kWaitingForCard, "COM3", "", 0, 0, "", 0});
  board.CountCard();
  board.CountCard();
  clock.Sleep(60'000);
  terminal.str("");
  board.Update({Step::kReadingBack, "COM5", "0123456789ABCDEF", 7, 0, "", 2});
  EXPECT_EQ(terminal.str(), "\x1b[3A\r\x1b[JCOM3  waiting for a card\x1b[K\nCOM5  row 7  0123456789ABCDEF  reading back  2 resends"
                            "\x1b[K\nrows: 2 done, 8 left  2.0 cards/min  about 4 min left\x1b[K\n");
  // The last row: under a minute; none left: no time.
  ProgressBoard last(terminal, clock, [] { return std::optional(ProgressBoard::Rows{9, 1}); });
  ProgressBoard done(terminal, clock, [] { return std::optional(ProgressBoard::Rows{10, 0}); });
  for (ProgressBoard* board : {&last, &done}) {
    board->CountCard();
    board->CountCard();
    board->CountCard();
  }
  clock.Sleep(60'000);
  terminal.str("");
  last.Update({Step::kWaitingForCard, "COM3", "", 0, 0, "", 0});
  done.Update({Step::kWaitingForCard, "COM3", "", 0, 0, "", 0});
  EXPECT_EQ(terminal.str(), "COM3  waiting for a card\x1b[K\nrows: 9 done, 1 left  3.0 cards/min  under a minute left\x1b[K\n"
                            "COM3  waiting for a card\x1b[K\nrows: 10 done, 0 left  3.0 cards/min\x1b[K\n");
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
