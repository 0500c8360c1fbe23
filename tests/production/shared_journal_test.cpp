// Runs that share one journal, on the file system's own locks in virtual
// time: each names itself, sees the others live or gone, reads only what the
// others append, and none starts where no lock can be taken. Two runs on one
// list, one killed at every step of a card while the other goes on, then
// resumed: every row ok once, and every card blank or holding the whole image
// of the row its last record names.
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <map>
#include <set>
#include <thread>
#include <utility>

#include "production/batch_runner.h"
#include "production/other_runs.h"
#include "production/shared_journal.h"
#include "sim/loopback_serial.h"
#include "tests/support/kill_run.h"

namespace morvik {
namespace {

using Step = WriterProgress::Step;

// One per process: two checkouts may run the same case at once.
std::string TempJournal(const char* name) {
  const std::string path = testing::TempDir() + "morvik-shared-" + name + "." + std::to_string(getpid()) + ".jsonl";
  std::filesystem::remove(path);
  return path;
}

// A file system that gives no locks (a share mounted without them), or whose
// journal lock another run holds for a while.
class DoubleLocks final : public JournalLocks {
 public:
  explicit DoubleLocks(RangeLock answer) : answer_(answer) {}
  RangeLock Lock(std::uint64_t offset, bool wait, int& errorNumber) override {
    errorNumber = answer_ == RangeLock::kNoLocks ? ENOLCK : 0;
    if (offset == kAppendLockByte && answer_ == RangeLock::kHeldElsewhere) return wait ? RangeLock::kTaken : answer_;
    return answer_ == RangeLock::kHeldElsewhere ? RangeLock::kTaken : answer_;
  }
  void Unlock(std::uint64_t) override {}

 private:
  RangeLock answer_;
};

TEST(SharedJournal, NoRunStartsWhereNoLockCanBeTaken) {
  const std::string path = TempJournal("nolocks");
  Saying error{Said::kEnd};
  const auto journal = SharedJournal::Open(
      path, [](std::FILE*) { return std::make_unique<DoubleLocks>(RangeLock::kNoLocks); }, {}, error);
  EXPECT_EQ(journal, nullptr);
  EXPECT_EQ(error.kind, Said::kJournalNoLocks);
}

TEST(SharedJournal, ARunWaitingForTheLockSaysSoOnceAndGoesOn) {
  const std::string path = TempJournal("waiting");
  Saying error{Said::kEnd};
  int said = 0;
  const auto journal = SharedJournal::Open(
      path, [](std::FILE*) { return std::make_unique<DoubleLocks>(RangeLock::kHeldElsewhere); }, [&said] { ++said; },
      error);
  ASSERT_NE(journal, nullptr) << Say(error, Language::kEnglish);
  EXPECT_EQ(said, 1);  // opening the appender waited for the lock
}

TEST(SharedJournal, RunsNameThemselvesSeeEachOtherLiveOrGoneAndReadOnlyWhatOthersAppend) {
  const std::string path = TempJournal("two");
  Saying error{Said::kEnd};
  auto first = SharedJournal::Open(path, FileLocks, {}, error);
  auto second = SharedJournal::Open(path, FileLocks, {}, error);
  ASSERT_TRUE(first && second) << Say(error, Language::kEnglish);
  const std::string secondRun = second->name().run;
  EXPECT_NE(first->name().run, secondRun);
  EXPECT_TRUE(first->Alive(secondRun));
  EXPECT_FALSE(first->Alive("R9999999"));  // no such run
  EXPECT_FALSE(first->Alive("someone"));

  CardRecord started;
  started.time = "T";
  started.port = "COM1";
  started.idm = "01";
  started.row = 2;
  started.file = "LIST";
  started.image = "I";
  int reason = 0;
  // A run killed in the middle of a record left it cut short: the next record starts a line of its own.
  std::FILE* raw = std::fopen(path.c_str(), "ab");
  std::fputs(R"({"record":"started","ti)", raw);
  std::fclose(raw);
  ASSERT_TRUE(second->Append(StartedJson(Signed(started, *second)), reason));
  ASSERT_TRUE(first->Append(StartedJson(Signed(started, *first)), reason));
  std::vector<std::string> seenByFirst, seenBySecond;
  const JournalRead read = first->CatchUp([&](const JournalEntry& e) { seenByFirst.push_back(e.record.run); });
  second->CatchUp([&](const JournalEntry& e) { seenBySecond.push_back(e.record.run); });
  EXPECT_EQ(read.cutShort, 1u);
  EXPECT_EQ(seenByFirst, std::vector<std::string>{secondRun});
  EXPECT_EQ(seenBySecond, std::vector<std::string>{first->name().run});
  first->CatchUp([&](const JournalEntry& e) { seenByFirst.push_back(e.record.run); });
  EXPECT_EQ(seenByFirst.size(), 1u);  // nothing new

  ASSERT_TRUE(second->Close(reason));
  second.reset();  // the run is gone: its lock with it
  EXPECT_FALSE(first->Alive(secondRun));
  EXPECT_TRUE(first->Close(reason));
}

// A journal longer than one read, and a line still being written: every whole
// line is read once, the unfinished one when it is whole.
TEST(SharedJournal, ReadsEveryWholeLineOnceAndALineBeingWrittenWhenItIsWhole) {
  const std::string path = TempJournal("long");
  Saying error{Said::kEnd};
  auto writer = SharedJournal::Open(path, FileLocks, {}, error);
  auto reader = SharedJournal::Open(path, FileLocks, {}, error);
  ASSERT_TRUE(writer && reader) << Say(error, Language::kEnglish);
  CardRecord card;
  card.time = "T";
  card.port = "COM1";
  card.idm = "0123456789ABCDEF";
  int reason = 0;
  for (int i = 0; i < 1500; ++i) ASSERT_TRUE(writer->Append(RecordJson(Signed(card, *writer)), reason));
  std::FILE* raw = std::fopen(path.c_str(), "ab");
  const std::string last = RecordJson(card);
  std::fputs(last.substr(0, 20).c_str(), raw);
  std::fflush(raw);
  int seen = 0;
  const auto count = [&seen](const JournalEntry&) { ++seen; };
  EXPECT_EQ(reader->CatchUp(count).records, 1500u);
  std::fputs((last.substr(20) + "\n").c_str(), raw);
  std::fclose(raw);
  reader->CatchUp(count);
  reader->CatchUp(count);
  EXPECT_EQ(seen, 1501);
}

// Cards other runs started: a live run's card keeps its row from this run; a
// gone run's card of this list is in doubt here (and said), of another list not.
TEST(OtherRuns, ALiveRunsRowWaitsAGoneRunsCardOfThisListIsInDoubt) {
  std::vector<PlannedRow> rows{{2, "A"}, {3, "B"}};
  ListPlan plan(rows, "LIST", [](std::size_t, CustomerId) { return ContentImage{}; }, {}, std::nullopt);
  DoneCards done;
  CardsInDoubt inDoubt;
  std::set<std::string> alive{"R0000001"};
  std::vector<std::string> said;
  OtherRuns others(&plan, done, inDoubt, [&alive](const std::string& run) { return alive.contains(run); },
                   [&said](const CardRecord& r) { said.push_back(r.idm); });
  const auto started = [](const char* idm, std::size_t row, const char* file, const char* run) {
    CardRecord r;
    r.idm = idm;
    r.row = row;
    r.file = file;
    r.run = run;
    return JournalEntry{JournalEntryKind::kStarted, r};
  };
  others.Take(started("01", 2, "LIST", "R0000001"));
  others.Take(started("02", 3, "OTHER", "R0000002"));
  others.Review();
  const std::optional<CardJob> first = plan.Take({0, 0}, nullptr);
  ASSERT_TRUE(first);
  EXPECT_EQ(first->line, 3u);  // row 2 is on the live run's card
  EXPECT_TRUE(inDoubt.empty());  // the gone run's card is of another list
  alive.clear();
  others.Review();
  ASSERT_EQ(inDoubt.Left().size(), 1u);
  EXPECT_EQ(inDoubt.Left()[0].idm, "01");
  EXPECT_EQ(said, std::vector<std::string>{"01"});
  EXPECT_EQ(plan.Take({0, 0}, nullptr)->line, 2u);  // free again
}

// --- two runs on one list, one of them killed ---------------------------------

constexpr std::size_t kSharedLines[] = {2, 3, 4, 5, 6};

using test::KillPoint;
using test::KillRowImage;
using test::Remains;

// One run of the list on the shared journal; limit: the rows it may take.
Remains RunShared(sim::WriterModel& writer, const std::string& path, const std::optional<KillPoint>& kill,
                  std::optional<std::size_t> limit) {
  Remains left;
  Saying error{Said::kEnd};
  std::unique_ptr<SharedJournal> journal = SharedJournal::Open(path, FileLocks, {}, error);
  EXPECT_TRUE(journal) << Say(error, Language::kEnglish);
  if (!journal) return left;
  std::vector<PlannedRow> rows;
  for (const std::size_t line : kSharedLines) rows.push_back({line, "id" + std::to_string(line), "C", 1});
  JournalState state("LIST", "list.csv", rows);
  journal->CatchUp([&state](const JournalEntry& e) { state.Take(e); });
  ListPlan plan(rows, "LIST", [](std::size_t row, CustomerId) { return KillRowImage(kSharedLines[row]); }, state.rowsDone(),
                limit, "list.csv");
  DoneCards done(state.cardsDone());
  CardsInDoubt inDoubt;
  OtherRuns others(&plan, done, inDoubt, [&journal](const std::string& run) { return journal->Alive(run); });
  SortStartedCards(state.cardsInDoubt(), journal.get(), others, inDoubt, {});

  std::atomic<bool> killed{false};
  BatchContext context;
  context.plan = &plan;
  context.done = &done;
  context.inDoubt = &inDoubt;
  context.stopAfterCard = context.stopNow = [&] { return killed.load(); };
  const auto append = [&](const std::string& line) {
    int reason = 0;
    return !killed && journal->Append(line, reason);
  };
  context.starting = [&](const CardRecord& r) { return append(StartedJson(r)); };
  context.report = [&](const CardRecord& r) { append(RecordJson(r)); };
  context.progress = test::KillAt(kill, killed, left, writer);
  ShareJournal(context, *journal, &others);
  RunProduction({{{"COM1"}, true}}, context, test::KillRunSeat(writer));
  if (!killed) left.Keep(writer);
  return left;  // the journal closes with the run: its own lock goes
}

class TwoRunKillMatrix : public testing::TestWithParam<KillPoint> {};

TEST_P(TwoRunKillMatrix, EveryRowOkOnceAndEveryCardWholeWhileTheOtherRunGoesOn) {
  const std::string path = TempJournal(GetParam().name);
  sim::WriterModel killedWriter, otherWriter;
  killedWriter.StartOperator({6, 500, 1000}, 0);
  otherWriter.StartOperator({4, 500, 1000, {0xB0, 0, 0, 0, 0, 0, 0, 0}}, 0);
  Remains killed, other;
  std::thread otherRun([&] { other = RunShared(otherWriter, path, std::nullopt, 2); });
  killed = RunShared(killedWriter, path, GetParam(), std::nullopt);
  otherRun.join();
  ASSERT_TRUE(killed.killed && killed.onWriter);

  sim::WriterModel again;  // the killed run's writer, its card still on it
  again.StartOperator({6, 500, 1000, killed.onWriter->idm}, 0);
  again.slot() = *killed.onWriter;
  const Remains resumed = RunShared(again, path, std::nullopt, std::nullopt);

  std::string journal;
  std::vector<JournalEntry> entries;
  std::string error;
  ReadJournalFile(path, [&](const JournalEntry& e) {
    entries.push_back(e);
    journal += (e.kind == JournalEntryKind::kStarted ? "started " : "card ") + e.record.idm + " row " +
               std::to_string(e.record.row) + " " + e.record.run + "\n";
  }, error);
  test::ExpectEveryRowOnceOnAWholeCard(kSharedLines, entries, {&killed, &other, &resumed}, journal);
  std::filesystem::remove(path);
}

INSTANTIATE_TEST_SUITE_P(
    EveryStep, TwoRunKillMatrix,
    testing::Values(KillPoint{"BeforeItsStartedRecord", 1, Step::kStarting},
                    KillPoint{"AfterItsStartedRecord", 1, Step::kWriting, 0},
                    KillPoint{"MidWrite", 1, Step::kWriting, 30},
                    KillPoint{"InTheReadBack", 1, Step::kReadingBack},
                    KillPoint{"AfterItsResult", 1, Step::kFinished},
                    KillPoint{"SecondCardMidWrite", 2, Step::kWriting, 50}),
    [](const auto& info) { return std::string(info.param.name); });

// A card of another list whose run is gone is no card in doubt of this one.
TEST(OtherRuns, ACardOfAnotherListLeftByARunGoneIsNotInDoubtHere) {
  const std::vector<PlannedRow> rows{{2, "id2", "C", 1}};
  ListPlan plan(rows, "LIST", [](std::size_t, CustomerId) { return KillRowImage(2); }, {}, std::nullopt, "list.csv");
  DoneCards done;
  CardsInDoubt inDoubt;
  int found = 0;
  OtherRuns others(&plan, done, inDoubt, [](const std::string&) { return false; },
                   [&found](const CardRecord&) { ++found; });
  CardRecord started;
  started.idm = "0123456789ABCDEF";
  started.row = 2;
  started.file = "OTHER";
  started.list = "other.csv";
  started.run = "R0000009";
  others.TakeStarted(started);
  others.Review();
  EXPECT_TRUE(inDoubt.empty());
  EXPECT_EQ(found, 0);
}

}  // namespace
}  // namespace morvik
