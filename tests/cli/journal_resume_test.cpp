// batch --rows --resume on the loopback, one writer with an operator putting
// cards on: what a journal left by earlier runs makes of the next run (rows
// and cards done, cards in doubt, other lists, lines cut short, a file that is
// no journal), what the run says, and which cards it writes.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <regex>
#include <sstream>

#include "cli/command_table.h"
#include "production/card_record.h"
#include "sim/loopback_serial.h"
#include "tests/cli/cli_bench.h"
#include "tests/support/loopback_seat.h"

namespace morvik {
namespace {

const std::string kList = "id,url\nA,http://a/\nB,http://b/\nC,http://c/\n";  // rows on lines 2, 3, 4
const std::string kHash = ContentHash(kList);
constexpr std::uint8_t kFirst = 0xA0;  // the operator's first card: A0..., then A0...01, A0...02

std::string CardIdm(int n) { return IdmText(sim::OperatorCardIdm({kFirst, 0, 0, 0, 0, 0, 0, 0}, n)); }

std::string Started(const std::string& idm, int row, const std::string& file = kHash) {
  return R"({"record":"started","time":"2026-12-07T09:00:00Z","port":"COM2","idm":")" + idm + R"(","row":)" +
         std::to_string(row) + R"(,"file":")" + file + R"(","image":"I"})" "\n";
}

std::string Ok(const std::string& idm, int row, const std::string& file = kHash, const std::string& extra = "") {
  return R"({"record":"card","time":"2026-12-07T09:00:15Z","port":"COM2","idm":")" + idm +
         R"(","result":"ok","resends":0,"seconds":15.0,"row":)" + std::to_string(row) + R"(,"id":"X","file":")" +
         file + R"(","image":"I")" + extra + "}\n";
}

struct ResumeCase {
  const char* name;
  std::string journal;
  std::vector<std::string> told;    // on stderr, each
  std::vector<std::string> records; // stdout's lines without their time and seconds
  int status;
  int cards = 3;  // the operator puts on this many
};

class JournalResume : public testing::TestWithParam<ResumeCase> {};

TEST_P(JournalResume, TakesWhatTheJournalSaysAndWritesTheRest) {
  const ResumeCase& c = GetParam();
  const std::string journal = test::OwnTempPath(std::string(c.name) + ".jsonl");
  std::ofstream(journal, std::ios::binary) << c.journal;
  sim::WriterModel model;
  model.StartOperator({c.cards, 500, 1000, {kFirst, 0, 0, 0, 0, 0, 0, 0}}, 0);
  int seats = 0;
  const auto seat = [&] {
    ++seats;
    auto clock = std::make_unique<sim::VirtualClock>();
    auto platform = std::make_unique<sim::LoopbackPlatform>(*clock);
    platform->AttachWriter(2, model);
    // A card the run leaves alone is taken off in the end: the next one is put on.
    clock->At(30'000, [&model] { if (model.blockWrites() == 0) model.RemoveCard(); });
    clock->At(600'000, [] { std::fputs("the run did not end\n", stderr), std::_Exit(1); });
    return WriterSeat{std::move(clock), std::move(platform)};
  };
  const test::RunResult run =
      test::RunSeated({"batch", "--rows", "-", "--ports", "COM2", "--fast", "--log", journal, "--resume", journal}, seat, kList);
  // history reads the same journal: one line per card this run wrote, a cut line said once.
  const test::RunResult history = test::RunSeated({"history", journal, "--since", "2026-12-07T10:00:00Z"}, {});
  std::remove(journal.c_str());
  EXPECT_EQ(history.status, c.status == 2 ? 2 : 0) << history.err;
  const bool cut = !c.journal.empty() && c.journal.back() != '\n';
  if (c.status != 2) {
    EXPECT_EQ(history.out.find(" ok ") == std::string::npos, c.records.empty()) << history.out;
    EXPECT_EQ(history.err.find("cut short") != std::string::npos, cut) << history.err;
  }

  EXPECT_EQ(run.status, c.status) << run.err;
  EXPECT_EQ(run.err.find('\x1b'), std::string::npos);  // no progress board off a terminal
  for (const std::string& line : c.told) EXPECT_NE(run.err.find(line), std::string::npos) << line << "\n" << run.err;
  std::vector<std::string> records;
  std::istringstream lines(run.out);
  for (std::string line; std::getline(lines, line);) records.push_back(line.substr(line.find(" COM") + 1));
  for (std::string& record : records) record = std::regex_replace(record, std::regex(" [0-9]+\\.[0-9]s"), "");
  EXPECT_EQ(records, c.records);
  EXPECT_EQ(seats > 0, c.status != 2);
}

const std::string kTextOutput = "2026-12-07T01:33:09Z COM3 0123456789ABCDEF row 2 (A) ok 16.4s\n";

INSTANTIATE_TEST_SUITE_P(
    Journals, JournalResume,
    testing::Values(
        ResumeCase{"NoJournalYet", "", {"3 rows (UTF-8), 0 done before\n", "rows: 3 done, 0 left\n"},
                   {"COM2 " + CardIdm(1) + " row 2 (A) ok", "COM2 " + CardIdm(2) + " row 3 (B) ok",
                    "COM2 " + CardIdm(3) + " row 4 (C) ok"}, 0},
        ResumeCase{"TextOutputIsNoJournal", kTextOutput, {".jsonl: line 1 is not a journal record\n"}, {}, 2},
        ResumeCase{"GarbageAfterRecords", Started(CardIdm(9), 2) + "\x01\x02garbage\n",
                   {".jsonl: line 2 is not a journal record\n"}, {}, 2},
        // The card done before lies on the writer when the run starts: left as it is.
        ResumeCase{"CardDoneBeforeIsNotWrittenAgain", Started(CardIdm(1), 2) + Ok(CardIdm(1), 2),
                   {"1 done before\n", "COM2: " + CardIdm(1) + " written ok before (row 2, X): not written again\n",
                    "rows: 3 done, 0 left\n"},
                   {"COM2 " + CardIdm(2) + " row 3 (B) ok", "COM2 " + CardIdm(3) + " row 4 (C) ok"}, 0},
        ResumeCase{"AnotherListsRunsInTheSameJournal",
                   Started(CardIdm(7), 2, "OTHER") + Ok(CardIdm(7), 2, "OTHER") + Started(CardIdm(8), 5, "OTHER") +
                       Started(CardIdm(1), 3) + Ok(CardIdm(1), 3),
                   {"3 records of other lists skipped\n", "3 rows (UTF-8), 1 done before\n"},
                   {"COM2 " + CardIdm(2) + " row 2 (A) ok", "COM2 " + CardIdm(3) + " row 4 (C) ok"}, 0},
        ResumeCase{"LineCutShortIsSkipped", Started(CardIdm(1), 2) + Ok(CardIdm(1), 2) + Started(CardIdm(2), 3).substr(0, 50),
                   {"1 line cut short (a run ended while writing it) skipped\n", "1 done before\n"},
                   {"COM2 " + CardIdm(2) + " row 3 (B) ok", "COM2 " + CardIdm(3) + " row 4 (C) ok"}, 0},
        // Killed while writing row 4 on the first card: that card is finished with row 4.
        ResumeCase{"CardInDoubtIsFinishedWithItsRow", Started(CardIdm(1), 4),
                   {"card " + CardIdm(1) + " may hold part of row 4, started on COM2 at 2026-12-07T09:00:00Z: put it on a "
                    "writer to finish it\n"},
                   {"COM2 " + CardIdm(1) + " row 4 (C) ok (found in doubt)", "COM2 " + CardIdm(2) + " row 2 (A) ok",
                    "COM2 " + CardIdm(3) + " row 3 (B) ok"}, 0},
        ResumeCase{"CardInDoubtWhoseRowIsDoneTakesTheNext", Started(CardIdm(1), 2) + Started(CardIdm(5), 2) + Ok(CardIdm(5), 2),
                   {"card " + CardIdm(1) + " may hold part of row 2"},
                   {"COM2 " + CardIdm(1) + " row 3 (B) ok (found in doubt)", "COM2 " + CardIdm(2) + " row 4 (C) ok"}, 0},
        ResumeCase{"CardInDoubtNeverSeen", Started("FFFFFFFFFFFFFFFF", 3),
                   {"card FFFFFFFFFFFFFFFF was not seen: it may still hold part of row 3, started on COM2 at "
                    "2026-12-07T09:00:00Z\n"},
                   {"COM2 " + CardIdm(1) + " row 2 (A) ok", "COM2 " + CardIdm(2) + " row 3 (B) ok",
                    "COM2 " + CardIdm(3) + " row 4 (C) ok"}, 0},
        // Every row is done, one card left in doubt: the run finishes it with its own row, then ends.
        ResumeCase{"EveryRowDoneCardInDoubtStillFinished",
                   Started(CardIdm(7), 2) + Ok(CardIdm(7), 2) + Started(CardIdm(8), 3) + Ok(CardIdm(8), 3) +
                       Started(CardIdm(9), 4) + Ok(CardIdm(9), 4) + Started(CardIdm(1), 3),
                   {"every row is done: put each card in doubt on a writer to finish it (Ctrl-C ends the run)\n",
                    "rows: 3 done, 0 left\n"},
                   {"COM2 " + CardIdm(1) + " row 3 (B) ok (found in doubt)"}, 0},
        ResumeCase{"RowsNotReadBackAreDoneAndSaid",
                   Started(CardIdm(8), 2) + Ok(CardIdm(8), 2, kHash, R"(,"verified":false)"),
                   {"3 rows (UTF-8), 1 done before (1 of them not read back)\n"},
                   {"COM2 " + CardIdm(1) + " row 3 (B) ok", "COM2 " + CardIdm(2) + " row 4 (C) ok"}, 0}),
    [](const auto& info) { return std::string(info.param.name); });

// A script that always resumes its own log: the first run finds no journal
// and starts at the first row; a journal named apart from --log must exist.
TEST(JournalResumeFirstRun, NoJournalYetStartsWhenTheLogIsTheSameFile) {
  const std::string journal = test::OwnTempPath("first-run.jsonl");
  const std::string otherLog = test::OwnTempPath("other-log.jsonl");
  for (const std::string& log : {otherLog, journal}) {
    std::remove(journal.c_str());
    sim::WriterModel model;
    model.StartOperator({3, 500, 1000, {kFirst, 0, 0, 0, 0, 0, 0, 0}}, 0);
    const test::RunResult run = test::RunSeated(
        {"batch", "--rows", "-", "--ports", "COM3", "--fast", "--log", log, "--resume", journal}, test::WriterOnCom3(model), kList);
    const bool same = log == journal;
    EXPECT_EQ(run.status, same ? 0 : 2) << run.err;
    EXPECT_EQ(run.err.find(journal + ": no journal yet, starting at the first row\n") != std::string::npos, same) << run.err;
    EXPECT_EQ(model.blockWrites() > 0, same);
  }
  std::remove(journal.c_str());
  std::remove(otherLog.c_str());
}

}  // namespace
}  // namespace morvik
