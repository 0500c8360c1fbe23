// A production run from a list killed at each step of a card, in virtual time:
// what was durable in the journal and on the cards at that moment is kept,
// everything after it is lost, as when the process dies. A second run resumes
// over the same journal, with the card that lay on the writer still there.
// Afterwards every row is ok exactly once and on exactly one card, every card
// the line touched is named in the journal, and every card is blank or holds
// the whole image of the row its last record names.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <mutex>

#include "production/batch_runner.h"
#include "production/journal.h"
#include "sim/loopback_serial.h"
#include "tests/support/kill_run.h"

namespace morvik {
namespace {

using Step = WriterProgress::Step;
using test::KillPoint;
using test::Remains;
constexpr std::size_t kLines[] = {2, 3, 5};  // the list's rows start on these lines

// One run of the list on one writer with an operator putting cards on; the
// run is killed at `kill` when given. Returns what is left of it.
Remains RunList(sim::WriterModel& writer, const std::string& journalBefore, const std::optional<KillPoint>& kill) {
  std::mutex mutex;
  Remains left{false, journalBefore, {}, {}};
  bool killed = false;

  JournalState resumed("LIST");
  ReadJournal(journalBefore, [&resumed](const JournalEntry& e) { resumed.Take(e); });
  std::vector<PlannedRow> rows;
  for (const std::size_t line : kLines) rows.push_back({line, "id" + std::to_string(line)});
  ListPlan plan(rows, "LIST", [](std::size_t row, CustomerId) { return test::KillRowImage(kLines[row]); }, resumed.rowsDone(),
                std::nullopt);
  DoneCards done(resumed.cardsDone());
  CardsInDoubt inDoubt(resumed.cardsInDoubt());

  BatchContext context;
  context.plan = &plan;
  context.done = &done;
  context.inDoubt = &inDoubt;
  context.stopAfterCard = context.stopNow = [&] { return killed; };
  const auto append = [&](const std::string& line) {
    const std::lock_guard<std::mutex> lock(mutex);
    if (!killed) left.journal += line + "\n";
    return !killed;
  };
  context.starting = [&](const CardRecord& r) { return append(StartedJson(r)); };
  context.report = [&](const CardRecord& r) { append(RecordJson(r)); };
  context.progress = test::KillAt(kill, killed, left, writer);
  const BatchOutcome outcome = RunProduction({{{"COM1"}, true}}, context, test::KillRunSeat(writer));
  EXPECT_TRUE(outcome.anyWriter);
  if (!killed) left.Keep(writer);
  return left;
}

class KillMatrix : public testing::TestWithParam<KillPoint> {};

TEST_P(KillMatrix, ResumedRunLeavesEveryRowOkOnceAndEveryCardAccountedFor) {
  sim::WriterModel first;
  first.StartOperator({5, 500, 1000}, 0);
  const Remains killed = RunList(first, "", GetParam());
  ASSERT_TRUE(killed.killed && killed.onWriter);

  sim::WriterModel second;  // the same writer, the killed run's card still on it
  second.StartOperator({5, 500, 1000, killed.onWriter->idm}, 0);
  second.slot() = *killed.onWriter;
  const Remains resumed = RunList(second, killed.journal, std::nullopt);

  std::vector<JournalEntry> entries;
  ReadJournal(resumed.journal, [&entries](const JournalEntry& e) { entries.push_back(e); });
  test::ExpectEveryRowOnceOnAWholeCard(kLines, entries, {&killed, &resumed}, resumed.journal, true);
}

INSTANTIATE_TEST_SUITE_P(
    EveryStep, KillMatrix,
    testing::Values(KillPoint{"BeforeTheFirstStartedRecord", 1, Step::kStarting},
                    KillPoint{"AfterTheFirstStartedRecord", 1, Step::kWriting, 0},
                    KillPoint{"AfterBlock17", 1, Step::kWriting, 17},
                    KillPoint{"AfterTheLastBlock", 1, Step::kWriting, 64},
                    KillPoint{"DuringTheReadBack", 1, Step::kReadingBack},
                    KillPoint{"AfterTheResultRecord", 1, Step::kFinished},
                    KillPoint{"SecondCardBeforeItsStartedRecord", 2, Step::kStarting},
                    KillPoint{"SecondCardAfterBlock40", 2, Step::kWriting, 40},
                    KillPoint{"SecondCardAfterItsResultRecord", 2, Step::kFinished}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace morvik
