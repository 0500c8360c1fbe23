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

namespace morvik {
namespace {

using Step = WriterProgress::Step;
constexpr std::size_t kLines[] = {2, 3, 5};  // the list's rows start on these lines

ContentImage RowImage(std::size_t line) {
  ContentImage image;
  for (std::size_t i = 0; i < image.size(); ++i) image[i] = static_cast<std::uint8_t>(i * 3 + line);
  return image;
}

struct KillPoint {
  const char* name;
  int card;  // 1, 2...: the card of the run it hits
  Step step;
  int block = 0;
};

// What survives the kill.
struct Remains {
  bool killed = false;  // the kill point was reached
  std::string journal;
  std::optional<sim::CardSlot> onWriter;
  std::vector<sim::CardSlot> takenOff;
};

// One run of the list on one writer with an operator putting cards on; the
// run is killed at `kill` when given. Returns what is left of it.
Remains RunList(sim::WriterModel& writer, const std::string& journalBefore, const std::optional<KillPoint>& kill) {
  std::mutex mutex;
  Remains left{false, journalBefore, {}, {}};
  bool killed = false;
  int cardsStarted = 0;

  JournalState resumed("LIST");
  ReadJournal(journalBefore, [&resumed](const JournalEntry& e) { resumed.Take(e); });
  std::vector<PlannedRow> rows;
  for (const std::size_t line : kLines) rows.push_back({line, "id" + std::to_string(line)});
  ListPlan plan(rows, "LIST", [](std::size_t row, CustomerId) { return RowImage(kLines[row]); }, resumed.rowsDone(),
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
  context.progress = [&](const WriterProgress& p) {
    if (p.step == Step::kStarting) ++cardsStarted;
    if (killed || !kill || kill->card != cardsStarted || kill->step != p.step || kill->block != p.block) return;
    killed = left.killed = true;  // from here on nothing reaches the journal or the card
    left.onWriter = writer.slot();
    left.takenOff = writer.cardsTakenOff();
  };
  const BatchOutcome outcome = RunProduction({{{"COM1"}, true}}, context, [&writer] {
    auto clock = std::make_unique<sim::VirtualClock>();
    auto platform = std::make_unique<sim::LoopbackPlatform>(*clock);
    platform->AttachWriter(1, writer);
    // A card the run leaves alone (done before) is taken off after a while.
    clock->At(20'000, [&writer] {
      if (writer.cardsPlaced() == 1 && writer.blockWrites() == 0) writer.RemoveCard();
    });
    return WriterSeat{std::move(clock), std::move(platform)};
  });
  EXPECT_TRUE(outcome.anyWriter);
  if (!killed) {
    left.onWriter = writer.slot();
    left.takenOff = writer.cardsTakenOff();
  }
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

  std::map<std::size_t, int> okRows;
  std::map<std::string, CardRecord> lastRecord;
  std::set<std::string> started;
  ReadJournal(resumed.journal, [&](const JournalEntry& e) {
    if (e.kind == JournalEntryKind::kStarted) started.insert(e.record.idm);
    if (e.kind == JournalEntryKind::kCard && e.record.result == CardResult::kOk) ++okRows[e.record.row];
    lastRecord[e.record.idm] = e.record;
  });
  for (const std::size_t line : kLines) EXPECT_EQ(okRows[line], 1) << "row " << line << "\n" << resumed.journal;

  std::map<std::string, sim::CardImage> cards;  // each card as it is at the end
  for (const Remains* run : {&killed, &resumed}) {
    for (const sim::CardSlot& card : run->takenOff) cards[IdmText(card.idm)] = card.memory;
    cards[IdmText(run->onWriter->idm)] = run->onWriter->memory;
  }
  for (const std::size_t line : kLines) {
    const auto holding = std::count_if(cards.begin(), cards.end(), [line](const auto& card) {
      return card.second == RowImage(line);
    });
    EXPECT_EQ(holding, 1) << "cards holding row " << line;
  }
  for (const auto& [idm, memory] : cards) {
    if (memory == sim::CardImage{}) continue;
    EXPECT_TRUE(started.contains(idm)) << idm << " written but named nowhere";
    ASSERT_TRUE(lastRecord.contains(idm)) << idm;
    EXPECT_EQ(memory, RowImage(lastRecord[idm].row)) << idm << " does not hold row " << lastRecord[idm].row;
  }
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
