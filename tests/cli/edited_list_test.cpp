// A list written whole, then edited as offices edit lists (rows appended,
// moved, removed, changed, rows of only separators, its header retyped) and
// resumed over the same journal: rows are known by what they are, so only
// the rows the edit added are written, and a row whose cells changed after
// its card was written is named with its card instead of written again.
#include <gtest/gtest.h>

#include <fstream>
#include <regex>

#include "cli/command_table.h"
#include "sim/loopback_serial.h"
#include "tests/cli/cli_bench.h"

namespace morvik {
namespace {

std::string FirstIdm(std::uint8_t first, int n) { return IdmText(sim::OperatorCardIdm({first, 0, 0, 0, 0, 0, 0, 0}, n)); }

// batch --rows list --log journal --resume journal, the operator putting on
// cards whose IDms start with `first`.
test::RunResult RunBatch(const std::string& list, const std::string& journal, std::uint8_t first,
               const std::vector<std::string>& extra) {
  sim::WriterModel model;
  model.StartOperator({6, 500, 1000, {first, 0, 0, 0, 0, 0, 0, 0}}, 0);
  const auto seat = [&model] {
    auto clock = std::make_unique<sim::VirtualClock>();
    auto platform = std::make_unique<sim::LoopbackPlatform>(*clock);
    platform->AttachWriter(2, model);
    clock->At(600'000, [] { std::fputs("the run did not end\n", stderr), std::_Exit(1); });
    return WriterSeat{std::move(clock), std::move(platform)};
  };
  std::vector<std::string> args{"batch", "--rows", list, "--ports", "COM2", "--fast", "--log", journal,
                                "--resume", journal};
  args.insert(args.end(), extra.begin(), extra.end());
  return test::RunSeated(args, seat);
}

// "row 4 (C)" of every record printed.
std::vector<std::string> RowsWritten(const std::string& out) {
  std::vector<std::string> rows;
  const std::regex row(" (row [0-9]+( \\([^)]*\\))?) ok");
  for (std::sregex_iterator it(out.begin(), out.end(), row), end; it != end; ++it) rows.push_back((*it)[1]);
  return rows;
}

struct EditCase {
  const char* name;
  std::string before, after;
  std::vector<std::string> told;  // on stderr of the resumed run ({A1}: the first run's first card)
  std::vector<std::string> written;
  std::vector<std::string> extra{};
};

class EditedList : public testing::TestWithParam<EditCase> {};

TEST_P(EditedList, WritesOnlyTheRowsTheEditAddedAndNamesTheChangedOnes) {
  const EditCase& c = GetParam();
  const std::string list = test::OwnTempPath(std::string(c.name) + ".csv");
  const std::string journal = test::OwnTempPath(std::string(c.name) + ".jsonl");
  std::ofstream(list, std::ios::binary) << c.before;
  const test::RunResult first = RunBatch(list, journal, 0xA0, {});
  ASSERT_EQ(first.status, 0) << first.err;
  std::ofstream(list, std::ios::binary) << c.after;
  const test::RunResult resumed = RunBatch(list, journal, 0xB0, c.extra);
  std::remove(list.c_str());
  std::remove(journal.c_str());
  EXPECT_EQ(resumed.status, 0) << resumed.err;
  for (std::string line : c.told) {
    line = std::regex_replace(line, std::regex("\\{A1\\}"), FirstIdm(0xA0, 1));
    EXPECT_NE(resumed.err.find(line), std::string::npos) << line << "\n" << resumed.err;
  }
  EXPECT_EQ(RowsWritten(resumed.out), c.written) << resumed.out;
}

const std::string kAb = "id,url\nA,http://a/\nB,http://b/\n";

INSTANTIATE_TEST_SUITE_P(
    Edits, EditedList,
    testing::Values(
        EditCase{"Unchanged", kAb, kAb, {"2 rows (UTF-8), 2 done before\n", "rows: 2 done, 0 left\n"}, {}},
        EditCase{"RowAppended", kAb, kAb + "C,http://c/\n",
                 {"3 rows (UTF-8), 1 row added, 0 changed since written (not written again), 2 done\n"},
                 {"row 4 (C)"}},
        EditCase{"RowsMovedAndOneAddedInFront", kAb, "id,url\nC,http://c/\nB,http://b/\nA,http://a/\n",
                 {"1 row added, 0 changed since written (not written again), 2 done\n"}, {"row 2 (C)"}},
        EditCase{"RowRemovedAndOneAdded", kAb, "id,url\nB,http://b/\nD,http://d/\n",
                 {"1 row added, 0 changed since written (not written again), 1 done, 1 row done no longer in the list\n"},
                 {"row 3 (D)"}},
        EditCase{"RowChangedAfterItsCardIsNamedNotWritten", kAb, "id,url\nA,http://a2/\nB,http://b/\n",
                 {"0 rows added, 1 changed since written (not written again), 1 done\n",
                  "row 2 (A) changed since card {A1} was written with it",
                  "not written again (--rewrite-changed writes it)\n"},
                 {}},
        EditCase{"RowChangedWrittenAgainWhenAsked", kAb, "id,url\nA,http://a2/\nB,http://b/\n",
                 {"1 changed since written (written again)"}, {"row 2 (A)"}, {"--rewrite-changed"}},
        // Without an id a row is its cells: a changed row is a new row, and
        // the third of three equal rows is the one added.
        EditCase{"RowsWithoutIdKnownByCellsAndOccurrence", "url\nhttp://a/\nhttp://a/\n",
                 "url\nhttp://b/\nhttp://a/\nhttp://a/\nhttp://a/\n",
                 {"4 rows (UTF-8), 2 rows added, 0 changed since written (not written again), 2 done\n"},
                 {"row 2", "row 5"}},
        EditCase{"SeparatorRowsAndHeaderRetyped", kAb, " ID ,URL\nA,http://a/\n,\n , \nB,http://b/\n",
                 {"2 rows of only separators skipped (lines 3, 4)\n", "0 rows added", ", 2 done\n"}, {}}),
    [](const auto& info) { return std::string(info.param.name); });

// A file system without locks (a share mounted without them): the run says
// so and no writer is touched, as two runs could write a row twice.
TEST(SharedJournal, RefusedWhereNoLockCanBeTaken) {
  class NoLocks final : public JournalLocks {
    RangeLock Lock(std::uint64_t, bool, int& errorNumber) override { return errorNumber = ENOLCK, RangeLock::kNoLocks; }
    void Unlock(std::uint64_t) override {}
  };
  const std::string list = test::OwnTempPath("nolocks.csv"), journal = test::OwnTempPath("nolocks.jsonl");
  std::ofstream(list, std::ios::binary) << kAb;
  int seats = 0;
  const test::RunResult run = test::RunSeated({"batch", "--rows", list, "--log", journal, "--resume", journal},
                                              [&seats]() -> WriterSeat { return ++seats, WriterSeat{}; }, {},
                                              [](std::FILE*) { return std::make_unique<NoLocks>(); });
  std::remove(list.c_str());
  std::remove(journal.c_str());
  EXPECT_EQ(run.status, 6);
  EXPECT_EQ(seats, 0);
  EXPECT_NE(run.err.find(".jsonl: the file system gives no locks ("), std::string::npos) << run.err;
}

}  // namespace
}  // namespace morvik
