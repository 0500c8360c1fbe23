// Production windows that share a list and its journal, on headless hosts
// with loopback writers: two windows at once write each row once between
// them; a journal without locks is never used; cards left in doubt are
// named and finished when every row is done.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <set>
#include <thread>

#include "app/dialog/headless_dialog_host.h"
#include "app/layout/resources.h"
#include "app/line/line_window.h"
#include "files/file_access.h"
#include "production/meeting.h"
#include "sim/loopback_serial.h"
#include "tests/support/line_journal.h"
#include "tests/support/loopback_seat.h"

namespace morvik {
namespace {

const CustomerId kTheCid{0x12, 0x34};

using test::CardsOf;
using test::Column;
using test::Remove;

struct SharedList {
  explicit SharedList(const std::string& name, const std::string& rows)
      : list(testing::TempDir() + name), journal(JournalBeside(list)) {
    std::ofstream(PathFromUtf8(list), std::ios::binary) << "id,url\n" << rows;
    Remove(journal);
  }
  ~SharedList() {
    Remove(list);
    Remove(journal);
  }
  std::vector<nlohmann::json> Records() const {
    std::vector<nlohmann::json> records;
    std::ifstream in(PathFromUtf8(journal));
    for (std::string line; std::getline(in, line);) records.push_back(nlohmann::json::parse(line));
    return records;
  }
  std::string list;
  std::string journal;
};

std::string Rows(int count) {
  std::string rows;
  for (int n = 1; n <= count; ++n) rows += "R" + std::to_string(n) + ",http://e.com/" + std::to_string(n) + "\n";
  return rows;
}

sim::Idm IdmStartingWith(std::uint8_t first) {
  sim::Idm idm = sim::kDefaultIdm;
  idm[0] = first;
  return idm;
}

bool Idle(HeadlessDialogHost& host) { return host.IsEnabled(kIdcLineOpen); }

// Two windows started together on one list, each with a writer of its own:
// every row is written once between them, every started record names its
// window's run, and each window ends with the whole list done.
TEST(LineWindowsSharing, TwoWindowsWriteEachRowOnceBetweenThem) {
  constexpr int kRows = 6;
  const SharedList shared("line-shared-two.csv", Rows(kRows));
  sim::WriterModel writers[2];
  writers[0].StartOperator({kRows + 2, 500, 1000, IdmStartingWith(0x30)}, 0);
  writers[1].StartOperator({kRows + 2, 500, 1000, IdmStartingWith(0x50)}, 0);
  sim::VirtualClock clocks[2];
  HeadlessDialogHost hosts[2];
  std::vector<std::unique_ptr<CLineDlg>> windows;
  Meeting bothOpened(2);  // neither starts before the other has its list open
  for (int i = 0; i < 2; ++i) {
    windows.push_back(std::make_unique<CLineDlg>(hosts[i], LineOptions{{"COM3"}, true, "", shared.list},
                                                 test::WriterOnCom3(writers[i]), clocks[i]));
    hosts[i].Then([&bothOpened] { bothOpened.ArriveAndWait(); });
    hosts[i].PressEnter();
    hosts[i].WaitUntil([&host = hosts[i]] { return Idle(host); });
  }
  std::thread other([&] { windows[1]->DoModal(); });
  windows[0]->DoModal();
  other.join();
  for (HeadlessDialogHost& host : hosts) {
    EXPECT_FALSE(host.timedOut());
    EXPECT_EQ(host.window().text(kIdcLineMessage), "すべての行を書き終えました");
    EXPECT_EQ(host.window().text(kIdcLineLeft), "0");
  }
  test::ExpectEachRowOnOneCard(shared.list, shared.journal, CardsOf({&writers[0], &writers[1]}), kRows, kTheCid);
  std::map<std::string, std::set<std::string>> runsOfWriter;  // by the IDm's first byte
  for (const nlohmann::json& record : shared.Records()) {
    if (record["record"] != "started") continue;
    ASSERT_TRUE(record.contains("run")) << record.dump();
    runsOfWriter[record["idm"].get<std::string>().substr(0, 2)].insert(record["run"]);
  }
  std::set<std::string> runs;
  for (const auto& [writer, itsRuns] : runsOfWriter) {
    EXPECT_EQ(itsRuns.size(), 1u) << writer;
    runs.insert(itsRuns.begin(), itsRuns.end());
  }
  EXPECT_EQ(runs.size(), runsOfWriter.size());
}

class NoLocks final : public JournalLocks {
 public:
  RangeLock Lock(std::uint64_t, bool, int& errorNumber) override {
    errorNumber = ENOLCK;
    return RangeLock::kNoLocks;
  }
  void Unlock(std::uint64_t) override {}
};

// A journal on a file system that gives no locks is refused with why, and
// the list is not opened: no card is written without the lock.
TEST(LineWindowsSharing, JournalWithoutLocksLeavesTheListUnopened) {
  const SharedList shared("line-shared-nolocks.csv", Rows(1));
  sim::WriterModel writer;
  writer.StartOperator({1, 500, 1000}, 0);
  sim::VirtualClock clock;
  HeadlessDialogHost host;
  CLineDlg window(host, {{"COM3"}, true, "", shared.list}, test::WriterOnCom3(writer), clock,
                  [](std::FILE*) { return std::make_unique<NoLocks>(); });
  host.PressEnter();
  window.DoModal();
  ASSERT_EQ(host.window().messages().size(), 1u);
  EXPECT_TRUE(host.window().messages()[0].text.starts_with("記録ファイルを使えません。\n\n" + shared.journal + "：ファイルシステムがロックを使えません"))
      << host.window().messages()[0].text;
  EXPECT_EQ(host.window().text(kIdcLineFile), "");
  EXPECT_FALSE(host.IsEnabled(kIdcLineStart));
  EXPECT_TRUE(writer.requests().empty());
}

constexpr std::uint8_t kFirst = 0xA0;  // the operator's first card
std::string CardIdm(int n) { return IdmText(sim::OperatorCardIdm(IdmStartingWith(kFirst), n)); }

std::string Started(const std::string& idm, int row, const std::string& list, const std::string& run) {
  return R"({"record":"started","time":"2026-12-07T09:00:00Z","port":"COM3","idm":")" + idm + R"(","row":)" +
         std::to_string(row) + R"(,"id":")" + (row == 2 ? "A" : "B") + R"(","file":")" + ContentHash(list) +
         R"(","image":"I")" + (run.empty() ? "" : R"(,"run":")" + run + R"(","host":"h","pid":1)") + "}\n";
}

std::string Ok(const std::string& idm, int row, const std::string& list) {
  return R"({"record":"card","time":"2026-12-07T09:00:15Z","port":"COM3","idm":")" + idm +
         R"(","result":"ok","resends":0,"seconds":15.0,"row":)" + std::to_string(row) + R"(,"file":")" +
         ContentHash(list) + R"(","image":"I"})" "\n";
}

enum class Starter { kNoRunName, kRunGone, kRunAlive };

class LineWindowInDoubt : public testing::TestWithParam<Starter> {};

// Every row done, card 1 started with row 3 and left without a result: the
// window names it on opening and 開始 finishes it with row 3, read back;
// a card a live run is writing is that run's, and nothing is left to do.
TEST_P(LineWindowInDoubt, EveryRowDoneACardInDoubtIsNamedAndFinished) {
  // Of this case alone: CTest runs the cases side by side.
  const SharedList shared("line-in-doubt-" + std::to_string(static_cast<int>(GetParam())) + ".csv", "A,http://e.com/a\nB,http://e.com/b\n");
  std::string listText;
  std::getline(std::ifstream(PathFromUtf8(shared.list)), listText, '\0');
  Saying error{Said::kEnd};
  const std::unique_ptr<SharedJournal> other = SharedJournal::Open(shared.journal, FileLocks, {}, error);
  ASSERT_TRUE(other) << Say(error, Language::kEnglish);
  const std::string run =
      GetParam() == Starter::kNoRunName ? "" : GetParam() == Starter::kRunGone ? "R0000007" : other->name().run;
  if (GetParam() == Starter::kRunGone) {
    ASSERT_NE(other->name().run, run);
  }
  std::ofstream(PathFromUtf8(shared.journal), std::ios::binary)
      << Started(CardIdm(7), 2, listText, "") << Ok(CardIdm(7), 2, listText) << Started(CardIdm(8), 3, listText, "")
      << Ok(CardIdm(8), 3, listText) << Started(CardIdm(1), 3, listText, run);
  const bool inDoubt = GetParam() != Starter::kRunAlive;
  sim::WriterModel writer;
  writer.StartOperator({1, 500, 1000, IdmStartingWith(kFirst)}, 0);
  sim::VirtualClock clock;
  HeadlessDialogHost host;
  CLineDlg window(host, {{"COM3"}, true, "", shared.list}, test::WriterOnCom3(writer), clock);
  const std::string named = "途中のカード 1 枚（ライターに置くと仕上げます）：カード " + CardIdm(1) +
                            " 行 3（B） COM3 2026-12-07T09:00:00Z";
  host.Then([&] {
    EXPECT_EQ(host.window().text(kIdcLineInfo),
              std::string("2 行（UTF-8）、前回までにすべて済み") + (inDoubt ? "、途中のカード 1 枚" : ""));
    EXPECT_EQ(host.window().text(kIdcLineMessage), inDoubt ? named : "このリストはすべて書き込み済みです");
    EXPECT_EQ(host.IsEnabled(kIdcLineStart), inDoubt);
    EXPECT_EQ(host.window().text(kIdcLineStart), inDoubt ? "途中のカードを仕上げる(&S)" : "開始(&S)");
  });
  host.PressEnter();
  host.WaitUntil([&] { return Idle(host); });
  window.DoModal();
  EXPECT_FALSE(host.timedOut());
  EXPECT_FALSE(host.IsEnabled(kIdcLineStart));
  EXPECT_EQ(host.window().text(kIdcLineStart), "開始(&S)");
  const nlohmann::json last = shared.Records().back();
  if (!inDoubt) {
    EXPECT_EQ(last["record"], "started");
    EXPECT_EQ(writer.blockWrites(), 0u);
    return;
  }
  EXPECT_EQ(host.window().text(kIdcLineMessage), "すべての行を書き終えました");
  EXPECT_EQ(last["record"], "card");
  EXPECT_EQ(last["idm"], CardIdm(1));
  EXPECT_EQ(last["row"], 3);
  EXPECT_EQ(last["result"], "ok");
  EXPECT_EQ(last.value("found_in_doubt", false), true);
  EXPECT_EQ(last.value("verified", true), true);
  const std::optional<ContentImage> image = ReadCardList(shared.list).list->rowImage(1, kTheCid);
  ASSERT_TRUE(image);
  const sim::CardImage card = CardsOf({&writer}).at(CardIdm(1));
  EXPECT_TRUE(std::equal(image->begin(), image->end(), card.begin()));
}

INSTANTIATE_TEST_SUITE_P(Starters, LineWindowInDoubt,
                         testing::Values(Starter::kNoRunName, Starter::kRunGone, Starter::kRunAlive));

// Row 2 is on a card another run is writing: it waits while that run lives.
// Once the run is gone, its card is named at once and at the end, row 2 is
// written here, and Start is left to finish the card.
TEST(LineWindowsSharing, ACardOfARunThatGoesIsNamedDuringTheRunAndAtItsEnd) {
  const SharedList shared("line-shared-gone.csv", "A,http://e.com/a\nB,http://e.com/b\n");
  std::string listText;
  std::getline(std::ifstream(PathFromUtf8(shared.list)), listText, '\0');
  Saying error{Said::kEnd};
  std::unique_ptr<SharedJournal> other = SharedJournal::Open(shared.journal, FileLocks, {}, error);
  ASSERT_TRUE(other) << Say(error, Language::kEnglish);
  std::ofstream(PathFromUtf8(shared.journal), std::ios::binary)
      << Started("FFFFFFFFFFFFFFFF", 2, listText, other->name().run);
  sim::WriterModel writer;
  writer.StartOperator({2, 500, 1000, IdmStartingWith(kFirst)}, 0);
  sim::VirtualClock clock;
  HeadlessDialogHost host;
  std::set<std::string> said;
  host.WatchEachPosted([&] { said.insert(host.window().text(kIdcLineMessage)); });
  CLineDlg window(host, {{"COM3"}, true, "", shared.list}, test::WriterOnCom3(writer), clock);
  host.PressEnter();
  host.WaitUntil([&] { return host.ListRows(kIdcLineRecords).size() == 1; });
  host.Then([&] {
    EXPECT_EQ(host.ListRows(kIdcLineRecords)[0][kRecordId], "B");
    other.reset();
  });
  host.WaitUntil([&] { return Idle(host); });
  window.DoModal();
  EXPECT_FALSE(host.timedOut());
  const std::string named =
      "途中のカード 1 枚（ライターに置くと仕上げます）：カード FFFFFFFFFFFFFFFF 行 2（A） COM3 2026-12-07T09:00:00Z";
  EXPECT_TRUE(said.contains(named));
  EXPECT_EQ(host.window().text(kIdcLineMessage), named);
  EXPECT_EQ(host.window().text(kIdcLineStart), "途中のカードを仕上げる(&S)");
  EXPECT_EQ(Column(host, kIdcLineRecords, kRecordId), (std::vector<std::string>{"A", "A", "B"}));  // A in doubt, then written
}

// A list written, then R1 changed and R3 appended: R3 is written, R1 only when the one question says so.
class LineWindowEdited : public testing::TestWithParam<std::optional<int>> {};  // the answer; none: Escape

TEST_P(LineWindowEdited, WritesTheAddedRowAndTheChangedOneOnlyWhenTold) {
  const SharedList shared("line-edited-" + std::to_string(GetParam().value_or(2)) + ".csv", Rows(2));
  sim::WriterModel writer;
  writer.StartOperator({4, 500, 1000, IdmStartingWith(kFirst)}, 0);
  sim::VirtualClock clock;
  HeadlessDialogHost hosts[2];
  if (GetParam()) hosts[1].AnswerChoices({*GetParam()});
  for (HeadlessDialogHost& host : hosts) {
    CLineDlg window(host, {{"COM3"}, true, "", shared.list}, test::WriterOnCom3(writer), clock);
    host.PressEnter();
    host.WaitUntil([&] { return Idle(host); });
    window.DoModal();
    std::ofstream(PathFromUtf8(shared.list), std::ios::binary) << "id,url\nR1,http://e.com/new\nR2,http://e.com/2\nR3,http://e.com/3\n";
  }
  ASSERT_EQ(hosts[1].choiceQuestions().size(), 1u);
  const auto& [text, caption, choices, byDefault, byEscape, detail] = hosts[1].choiceQuestions()[0];
  EXPECT_TRUE(text.starts_with("書き込んだ後に変わった行が 1 行あります：\n\n行 2（R1）：カード " + CardIdm(1))) << text;
  EXPECT_EQ(std::tuple(choices[0], choices[1], byDefault, byEscape), std::tuple("書き直す", "書き直さない", 1, 1));
  EXPECT_EQ(hosts[1].window().text(kIdcLineInfo), "3 行（UTF-8）、前回までに " + std::string(GetParam() == 0 ? "1" : "2") +
            " 行済み：続きから書きます、追加 1 行、書き込み後に変わった行 1 行（" + (GetParam() == 0 ? "書き直します）" : "書き直しません）"));
  EXPECT_EQ(Column(hosts[1], kIdcLineRecords, kRecordId), (GetParam() == 0 ? std::vector<std::string>{"R3", "R1"} : std::vector<std::string>{"R3"}));
}

INSTANTIATE_TEST_SUITE_P(Answers, LineWindowEdited, testing::Values(std::nullopt, 0, 1));

}  // namespace
}  // namespace morvik
