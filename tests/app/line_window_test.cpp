// The production window on a headless host, end to end on the loopback
// simulator in virtual time: two writers whose operators put cards on, a list
// of every card kind, a card taken off mid-write, a writer unplugged and back,
// the first run ended in the middle (by Stop, by Escape, by the close box)
// and a second start going on from the journal. What the controls show at
// each step; every row ok once in the journal, on a card holding its image.
#include <gtest/gtest.h>

#include <condition_variable>
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <set>
#include <thread>

#include "app/dialog/headless_dialog_host.h"
#include "app/layout/resources.h"
#include "app/line/line_app.h"
#include "app/line/line_texts.h"
#include "app/line/line_window.h"
#include "files/file_access.h"
#include "sim/loopback_serial.h"
#include "tests/support/line_journal.h"
#include "tests/support/line_texts_samples.h"
#include "tests/support/loopback_seat.h"

namespace morvik {
namespace {

const char kList[] =
    "id,url,popup,mail,to,title,body,init,service-cid,read-mark,uid-card\n"
    "店-1,http://www.example.com/1,ようこそ,,,,,,,,\n"
    "店-2,http://www.example.com/2,,1,to@example.com,件名,本文,,,,\n"
    "初期化-3,http://www.example.com/3,,,,,,1,,,\n"
    "サービス-4,http://www.example.com/4,,,,,,,1A2B,,\n"
    "読出-5,http://www.example.com/5,,,,,,,1A2B,1,\n"
    "UID-6,,,,,,,,,,00FF\n"
    "\"店-7\",\"http://www.example.com/7?a=1,b=2\",いらっしゃいませ,,,,,,,,\n"
    "UID-8,,,,,,,,,,0100\n";
constexpr std::size_t kRows = 8;
const CustomerId kCid{0x12, 0x34};

// Holds a writer's thread, in the middle of a card, until it is opened.
class Gate {
 public:
  void Hold(const std::function<void()>& wake) {
    std::unique_lock<std::mutex> lock(mutex_);
    ++held_;
    wake();
    opened_.wait(lock, [this] { return open_; });
  }
  void Open() {
    const std::lock_guard<std::mutex> lock(mutex_);
    open_ = true;
    opened_.notify_all();
  }
  int held() {
    const std::lock_guard<std::mutex> lock(mutex_);
    return held_;
  }

 private:
  std::mutex mutex_;
  std::condition_variable opened_;
  int held_ = 0;
  bool open_ = false;
};

// A port where no writer ever answers, looked at every virtual second: paced
// in real time, so that the threads looking leave the cores to the writers.
class PacedClock final : public Clock {
 public:
  void Sleep(std::uint32_t milliseconds) override {
    nowMs_ += milliseconds;
    std::this_thread::sleep_for(std::chrono::microseconds(10 * milliseconds));
  }
  std::int64_t NowMs() override { return nowMs_; }

 private:
  std::int64_t nowMs_ = 0;
};

class NoPorts final : public SerialPlatform {
 public:
  std::unique_ptr<SerialDevice> Open(std::string_view) override { return nullptr; }
};

using test::Column;
using test::Remove;
void RemoveWithJournal(const std::string& list) { Remove(list), Remove(JournalBeside(list)); }

enum class Ending { kStopButton, kEscapeAsked, kCloseBox };

struct LineCase {
  const char* name;
  Ending ending;
  // Else every port COM1-COM31 is looked at, COM5's writer is plugged in
  // only after the start instead of being unplugged and back, and the list
  // is chosen with the Open button.
  bool portsGiven;
};

class LineWindow : public testing::TestWithParam<LineCase> {
 protected:
  LineWindow() {
    std::ofstream(PathFromUtf8(list_), std::ios::binary) << kList;
    Remove(journal_);
    for (int i = 0; i < 2; ++i) {
      sim::Idm idm = sim::kDefaultIdm;
      idm[0] = static_cast<std::uint8_t>(0x30 + 0x20 * i);
      writers_[i].StartOperator({20, 500, 1000, idm}, 0);
    }
    sim::Faults takenOff;
    takenOff.removeCardAfterWrites = 20;  // COM3's first card leaves at block 20
    writers_[0].SetFaults(takenOff);
  }
  ~LineWindow() override {
    Remove(list_);
    Remove(journal_);
  }

  // In the first run COM5's writer is away from 1.5 s (0 s when every port
  // is looked at) to 3.5 s, and both writers are held in the middle of a
  // card after 4 s; a later run's writers go on freely.
  std::function<WriterSeat()> Seats(HeadlessDialogHost& host) {
    return [this, &host] {
      const bool given = GetParam().portsGiven;
      const int seat = seats_++;
      const int com = given ? (seat % 2 == 0 ? 3 : 5) : seat % 31 + 1;
      if (com != 3 && com != 5) return WriterSeat{std::make_unique<PacedClock>(), std::make_unique<NoPorts>()};
      auto clock = std::make_unique<sim::VirtualClock>();
      auto platform = std::make_unique<sim::LoopbackPlatform>(*clock);
      sim::WriterModel& writer = writers_[com == 3 ? 0 : 1];
      const bool firstRun = seat < (given ? 2 : 31);
      if (!firstRun || com == 3 || given) platform->AttachWriter(com, writer);
      if (firstRun && com == 5) {
        sim::LoopbackPort& port = platform->port(5);
        if (given) clock->At(1'500, [&port] { port.lineDropped = true; });
        clock->At(3'500, [&port, &writer, p = platform.get()] {
          port.lineDropped = false;
          p->AttachWriter(5, writer);
        });
      }
      if (firstRun) HoldMidCard(*clock, writer, host);
      return WriterSeat{std::move(clock), std::move(platform)};
    };
  }

  void HoldMidCard(sim::VirtualClock& clock, sim::WriterModel& writer, HeadlessDialogHost& host) {
    auto held = std::make_shared<bool>(false);
    for (std::int64_t ms = 4'000; ms < 60'000; ms += 20) {
      clock.At(ms, [this, &writer, &host, held] {
        const auto& requests = writer.requests();
        if (*held || requests.empty() || sim::ClassifyRequest(requests.back()) != sim::RequestKind::kBlockWrite) return;
        *held = true;
        gate_.Hold([&host] { host.PostFromThread(0, 0, 0); });
      });
    }
  }

  // What the message line and the writers' states say after each message
  // the writers post, however their threads are scheduled.
  void WatchWhatIsSaid(HeadlessDialogHost& host) {
    host.WatchEachPosted([this, &host] {
      said_.insert(host.window().text(kIdcLineMessage));
      for (const auto& row : host.ListRows(kIdcLineWriters)) states_.insert(row[0] + " " + row[kWriterState]);
    });
  }

  static bool Idle(HeadlessDialogHost& host) { return host.IsEnabled(kIdcLineOpen); }

  // Of this case alone: CTest runs the cases side by side.
  std::string list_ = testing::TempDir() + "line-" + GetParam().name + "-一覧.csv";
  std::string journal_ = testing::TempDir() + "line-" + GetParam().name + "-一覧.journal.jsonl";
  sim::WriterModel writers_[2];
  int seats_ = 0;
  Gate gate_;
  std::set<std::string> said_;
  std::set<std::string> states_;
  sim::VirtualClock windowClock_;
};

bool Contains(const std::vector<std::string>& cells, const std::string& text) {
  return std::find(cells.begin(), cells.end(), text) != cells.end();
}

TEST_P(LineWindow, RunStoppedInTheMiddleThenGoesOnFromTheJournal) {
  const LineCase& c = GetParam();
  LineOptions options{c.portsGiven ? std::vector<std::string>{"COM3", "COM5"} : std::vector<std::string>{}, true, "",
                      c.portsGiven ? list_ : ""};
  HeadlessDialogHost host;
  WatchWhatIsSaid(host);
  host.window().ScriptAnswers({kIdOk});  // Escape's question: stop
  CLineDlg window(host, options, Seats(host), windowClock_);
  std::size_t doneAtStop = 0;
  if (!c.portsGiven) {
    host.Then([&] {
      EXPECT_EQ(host.window().text(kIdcLineMessage), "「開く」でリストを選んでください");
      EXPECT_EQ(host.focus(), kIdcLineOpen);
    });
    host.AnswerFileDialog(list_);
    host.PressEnter();  // on 開く, which has the focus
  }
  host.Then([&] {
    EXPECT_EQ(host.window().text(kIdcLineFile), list_);
    EXPECT_EQ(host.window().text(kIdcLineInfo), "8 行（UTF-8）");
    EXPECT_EQ(host.window().text(kIdcLineJournal), journal_);
    EXPECT_EQ(host.window().text(kIdcLineMessage), "「開始」を押すと書き込みを始めます");
    EXPECT_EQ(host.window().text(kIdcLineLeft), "8");
    EXPECT_EQ(host.window().text(kIdcLineRate), "－");
    EXPECT_EQ(host.focus(), kIdcLineStart);
    EXPECT_FALSE(host.IsEnabled(kIdcLineStop));
  });
  host.PressEnter();  // Return alone starts
  host.WaitUntil([&] { return gate_.held() == 2; });
  host.Then([&] {
    EXPECT_EQ(Column(host, kIdcLineWriters, kWriterPort), (std::vector<std::string>{"COM3", "COM5"}));
    EXPECT_EQ(Column(host, kIdcLineWriters, kWriterCid), (std::vector<std::string>{"1234", "1234"}));
    for (const std::string& state : Column(host, kIdcLineWriters, kWriterState)) {
      EXPECT_TRUE(state.starts_with("書き込み中 ブロック ")) << state;
    }
    EXPECT_TRUE(host.IsEnabled(kIdcLineStop));
    EXPECT_FALSE(host.IsEnabled(kIdcLineStart) || host.IsEnabled(kIdcLineOpen));
    const std::vector<std::string> results = Column(host, kIdcLineRecords, kRecordResult);
    ASSERT_TRUE(Contains(results, "取り外し"));
    const auto off = std::find(results.begin(), results.end(), "取り外し") - results.begin();
    EXPECT_EQ(host.ListRows(kIdcLineRecords)[static_cast<std::size_t>(off)][kRecordReason],
              "書き込み中に外されました（ブロック 20）");
  });
  if (c.ending == Ending::kStopButton) host.Click(kIdcLineStop);
  if (c.ending == Ending::kEscapeAsked) host.PressEscape();
  if (c.ending == Ending::kCloseBox) host.CloseBox();
  host.Then([&] {
    EXPECT_EQ(host.window().text(kIdcLineMessage),
              c.ending == Ending::kCloseBox ? "書き込み中のカードを書き終えてから閉じます"
                                            : "止めています。書き込み中のカードは最後まで書きます");
    EXPECT_FALSE(host.IsEnabled(kIdcLineStop) || host.IsEnabled(kIdcLineStart));
    gate_.Open();
  });
  if (c.ending != Ending::kCloseBox) {
    host.WaitUntil([&] { return Idle(host); });
    host.Then([&] {
      // The two cards held mid-write were finished and read back.
      EXPECT_EQ(Column(host, kIdcLineWriters, kWriterState), (std::vector<std::string>{"終了", "終了"}));
      doneAtStop = std::stoul(host.window().text(kIdcLineDone));
      EXPECT_EQ(host.window().text(kIdcLineMessage),
                "止めました。残り " + std::to_string(kRows - doneAtStop) + " 行は「開始」で続きから書きます");
      EXPECT_EQ(host.focus(), kIdcLineStart);
    });
    host.Click(kIdcLineStart);
  }
  host.WaitUntil([&] { return Idle(host); });
  window.DoModal();
  EXPECT_FALSE(host.timedOut());
  EXPECT_EQ(host.window().messages().size(), c.ending == Ending::kEscapeAsked ? 1u : 0u);
  EXPECT_EQ(host.fileDialogTitles(), c.portsGiven ? std::vector<std::string>{} : std::vector<std::string>{"リストを開く"});

  HeadlessDialogHost again;  // after the close box, a new window on the same list goes on from its journal
  std::optional<CLineDlg> second;
  if (c.ending == Ending::kCloseBox) {
    WatchWhatIsSaid(again);
    second.emplace(again, options, Seats(again), windowClock_);
    again.Then([&] { doneAtStop = std::stoul(again.window().text(kIdcLineDone)); });
    again.PressEnter();
    again.WaitUntil([&] { return Idle(again); });
    second->DoModal();
    EXPECT_FALSE(again.timedOut());
  }
  HeadlessWindow& last = c.ending == Ending::kCloseBox ? again.window() : host.window();
  EXPECT_GT(doneAtStop, 0u);
  EXPECT_LT(doneAtStop, kRows);
  EXPECT_EQ(last.text(kIdcLineInfo), "8 行（UTF-8）、前回までに " + std::to_string(doneAtStop) + " 行済み：続きから書きます");
  EXPECT_EQ(last.text(kIdcLineMessage), "すべての行を書き終えました");
  EXPECT_EQ(last.text(kIdcLineDone), "8");
  EXPECT_EQ(last.text(kIdcLineLeft), "0");
  for (const char* seen : {"COM3 書き込み中 ブロック 1/64", "COM3 読み返し中", "COM3 OK（次のカードを置いてください）"}) {
    EXPECT_TRUE(states_.contains(seen)) << seen;
  }
  EXPECT_TRUE(said_.contains("COM3：カード 3023456789ABCDEF は書き込み中に外されました。置き直してください"));
  if (c.portsGiven) {
    EXPECT_TRUE(states_.contains("COM5 ライターを探しています"));
    EXPECT_TRUE(said_.contains("COM5：ライターの応答がなくなりました。探し続けます"));
    EXPECT_TRUE(said_.contains("COM5：ライターが戻りました（CID 1234）"));
  } else {
    EXPECT_TRUE(said_.contains("COM5：ライターが見つかりました（CID 1234）"));
  }

  // Every row ok exactly once in the journal, on a card that holds its row's image.
  test::ExpectEachRowOnOneCard(list_, journal_, test::CardsOf({&writers_[0], &writers_[1]}), kRows, kCid);
}

INSTANTIATE_TEST_SUITE_P(Loopback, LineWindow,
                         testing::Values(LineCase{"StopButton", Ending::kStopButton, true},
                                         LineCase{"EscapeAskedEveryPort", Ending::kEscapeAsked, false},
                                         LineCase{"CloseBoxThenANewWindow", Ending::kCloseBox, true}),
                         [](const auto& info) { return std::string(info.param.name); });

// A writer whose cards all read back wrong is set aside after the third, and
// says so after the run's end.
TEST(LineWindowWriter, SetAsideAfterThreeCardsReadBackWrong) {
  const std::string list = testing::TempDir() + "line-set-aside.csv";
  std::ofstream(PathFromUtf8(list), std::ios::binary) << "url\nhttp://e.com/1\nhttp://e.com/2\nhttp://e.com/3\n";
  Remove(JournalBeside(list));
  sim::WriterModel writer;
  writer.StartOperator({5, 500, 1000}, 0);
  writer.SetFaults({.wrongByteBlock = 5});
  const auto seats = test::WriterOnCom3(writer);
  sim::VirtualClock clock;
  HeadlessDialogHost host;
  CLineDlg window(host, {{"COM3"}, false, "", list}, seats, clock);
  host.PressEnter();
  host.WaitUntil([&] { return host.IsEnabled(kIdcLineOpen) && !host.ListRows(kIdcLineRecords).empty(); });
  window.DoModal();
  EXPECT_EQ(Column(host, kIdcLineWriters, kWriterState), (std::vector<std::string>{"休止（3 枚続けて失敗）"}));
  EXPECT_EQ(Column(host, kIdcLineRecords, kRecordReason), std::vector<std::string>(3, "読み返すと内容が違います（ブロック 5）"));
  EXPECT_EQ(host.window().text(kIdcLineFailed), "3");
  EXPECT_EQ(host.window().text(kIdcLineMessage), "止めました。残り 3 行は「開始」で続きから書きます");
  RemoveWithJournal(list);
}

// A list is taken whole or not at all: every bad row said in one box; a
// question its rows raise asked once for all of them, Cancel leaving the
// window without a list, OK taking it; bytes that read both ways asked about.
TEST(LineWindowList, BadRowsSaidTogetherAndQuestionsAskedBeforeTheListIsTaken) {
  const std::string list = testing::TempDir() + "line-list-check.csv";
  const auto open = [&list](const char* text, std::initializer_list<int> answers) {
    std::ofstream(PathFromUtf8(list), std::ios::binary) << text;
    auto host = std::make_unique<HeadlessDialogHost>();
    host->window().ScriptAnswers(answers);
    sim::VirtualClock clock;
    CLineDlg window(*host, {{"COM3"}, false, "", list}, [] { return WriterSeat{}; }, clock);
    host->PressEscape();
    window.DoModal();
    return host;
  };
  const auto bad = open("url,volume\nhttp://e.com/1,9\nhttp://e.com/2\nhttp://e.com/3,1,2\n", {});
  ASSERT_FALSE(bad->window().messages().empty());
  EXPECT_EQ(bad->window().messages()[0].text, "リストを読めません。\n\n" + list +
                                                  "\n2 行目：volume は 0～3 で指定してください（9）"
                                                  "\n3 行目：セルが 1 個です（見出しは 2 列）\n4 行目：セルが 3 個あります（見出しは 2 列）");
  EXPECT_EQ(bad->window().text(kIdcLineFile), "");

  const char kAsking[] = "url\nhttp://e.com/1[CT]\nhttp://e.com/2\nhttp://e.com/3[CT]\n";
  const auto cancelled = open(kAsking, {kIdCancel});
  ASSERT_FALSE(cancelled->window().messages().empty());
  EXPECT_TRUE(cancelled->window().messages()[0].text.starts_with("行 2, 4：キーワード[CT]は"));
  EXPECT_EQ(cancelled->window().messages()[0].type, kMbAsk);
  EXPECT_EQ(cancelled->window().text(kIdcLineFile), "");
  EXPECT_EQ(open(kAsking, {kIdOk})->window().text(kIdcLineFile), list);

  // Half-width katakana in code page 932 read as UTF-8 too: the first such
  // line shown both ways, the answer choosing the reading; dismissed (Escape,
  // the close box), the list is not opened.
  const char kBothWays[] = "url,popup\nhttp://e.com/1,\xc2\xb1\n";
  struct Answer {
    std::optional<int> choice;  // none: dismissed
    const char* info;
  };
  const Answer answers[] = {{0, "1 行（シフトJIS）"}, {1, "1 行（UTF-8）"}, {2, ""}, {{}, ""}};
  for (const Answer& answer : answers) {
    std::ofstream(PathFromUtf8(list), std::ios::binary) << kBothWays;
    HeadlessDialogHost host;
    if (answer.choice) host.AnswerChoices({*answer.choice});
    sim::WriterModel writer;
    writer.StartOperator({1, 500, 1000}, 0);
    sim::VirtualClock clock;
    CLineDlg window(host, {{"COM3"}, true, "", list}, test::WriterOnCom3(writer), clock);
    host.PressEnter();  // starts a list taken
    host.WaitUntil([&] { return host.IsEnabled(kIdcLineOpen); });
    window.DoModal();
    SCOPED_TRACE(answer.info);
    ASSERT_EQ(host.choiceQuestions().size(), 1u);
    const ChoiceQuestion& asked = host.choiceQuestions()[0];
    EXPECT_EQ(asked.text, "行 2 はシフトJIS としても UTF-8 としても読めます。\n\nシフトJIS：http://e.com/1,ﾂｱ\n"
                          "UTF-8：http://e.com/1,±\n\nどちらとして読みますか？");
    EXPECT_EQ(asked.choices, (std::vector<std::string>{"シフトJIS", "UTF-8", "開かない"}));
    EXPECT_EQ(asked.defaultChoice, 0);
    EXPECT_EQ(asked.escapeChoice, 2);
    EXPECT_EQ(host.window().text(kIdcLineInfo), answer.info);
    if (std::string(answer.info).empty()) {
      EXPECT_EQ(host.window().text(kIdcLineFile), "");
      EXPECT_EQ(host.window().text(kIdcLineMessage), "リストを開きませんでした。「開く」でリストを選んでください");
      EXPECT_TRUE(std::ranges::none_of(writer.requests(), [](const auto& request) {
        return sim::ClassifyRequest(request) == sim::RequestKind::kBlockWrite;
      }));
    }
    Remove(JournalBeside(list));
  }
  Remove(list);
}

// A bad list said to the operator: in Japanese, naming the columns as the
// list's header does (never an option of the tool); look-alikes said once
// for the whole list before it is taken.
struct ListSaid {
  const char* name;
  const char* list;
  const char* said;  // the box's text after the file's name
};

class LineWindowListSaid : public ::testing::TestWithParam<ListSaid> {};

TEST_P(LineWindowListSaid, InJapaneseWithTheListsColumnNames) {
  const ListSaid& c = GetParam();
  const std::string list = testing::TempDir() + "line-list-said-" + c.name + ".csv";
  std::ofstream(PathFromUtf8(list), std::ios::binary) << c.list;
  HeadlessDialogHost host;
  sim::VirtualClock clock;
  CLineDlg window(host, {{"COM3"}, false, "", list}, [] { return WriterSeat{}; }, clock);
  host.PressEscape();
  window.DoModal();
  ASSERT_FALSE(host.window().messages().empty());
  std::string said = host.window().messages()[0].text;
  if (said.starts_with("リストを読めません。")) said = said.substr(said.find(list) + list.size() + 1);
  EXPECT_EQ(said, c.said);
  EXPECT_EQ(said.find("--"), std::string::npos);
  EXPECT_EQ(said.find("line"), std::string::npos);
  Remove(list);
  Remove(JournalBeside(list));
}

INSTANTIATE_TEST_SUITE_P(
    BadLists, LineWindowListSaid,
    ::testing::Values(
        ListSaid{"Position", "URL , Volume\nhttp://e.com/1,9\n", "2 行目：volume は 0～3 で指定してください（9）"},
        ListSaid{"Header", "url,colour,url\n", "1 行目：colour という列は使えません\n1 行目：url の列が二つあります"},
        ListSaid{"Flag", "url,init\nhttp://e.com/1,maybe\n",
                 "2 行目：init は 1、0、yes、no のどれかで指定してください（maybe）"},
        ListSaid{"RuleBetweenColumns", "url,uid-card\nabc,12\n",
                 "2 行目：url は uid-card と一緒に指定できません：UID 設定カードには開始 UID だけを書きます"},
        ListSaid{"Needs", "url,to\nabc,t\n", "2 行目：to には mail も指定してください"},
        ListSaid{"IdTwice", "id,url\nA,http://e.com/1\nA,http://e.com/2\n",
                 "3 行目：id A は 2 行目と同じです。行ごとに違う id にしてください"},
        ListSaid{"LineEnd", "url\n\"a\nb\"\n",
                 "2 行目：url：セルの中に改行があります（改行を入れられるのは id の列だけです。引用符が抜けていませんか）"},
        ListSaid{"CardRefusal", "url,popup\nhttp://e.com/1,ppppppppppppppppppppppppppppppppppppppppp\n",
                 "2 行目：popup：ポップアップの長さは最大40文字（半角）までです（41 バイト）"},
        ListSaid{"NoRows", "url\n", "見出しの下に行がありません"},
        ListSaid{"LookAlikes", "\xef\xbb\xbfurl,popup\nhttp://e.com/\xc3\xa9,\nhttp://e.com/2,\xc3\xa9\xc3\xbc\nhttp://e.com/\xc3\xa9,\n",
                 "é は e として書き込みます（2 行目ほか 2 行）\nü は u として書き込みます（3 行目）"}),
    [](const ::testing::TestParamInfo<ListSaid>& info) { return std::string(info.param.name); });

// A writer that stops answering once its second card is read back: every
// block of it was written.
std::function<WriterSeat()> LostInTheSecondReadBack(sim::WriterModel& writer) {
  return [&writer] {
    auto clock = std::make_unique<sim::VirtualClock>();
    auto platform = std::make_unique<sim::LoopbackPlatform>(*clock);
    platform->AttachWriter(3, writer);
    sim::LoopbackPort& port = platform->port(3);
    for (std::int64_t ms = 0; ms < 60'000; ms += 5) {
      clock->At(ms, [&writer, &port] {
        const auto& requests = writer.requests();
        const auto kind = [](const auto& request) { return sim::ClassifyRequest(request); };
        if (!requests.empty() && kind(requests.back()) == sim::RequestKind::kBlockRead &&
            std::ranges::count(requests, sim::RequestKind::kBlockWrite, kind) >= 2 * kCardBlocks) {
          port.lineDropped = true;
        }
      });
    }
    return WriterSeat{std::move(clock), std::move(platform)};
  };
}

std::string WriteList(const std::string& name, const std::string& rows) {
  const std::string list = testing::TempDir() + name;
  std::ofstream(PathFromUtf8(list), std::ios::binary) << "id,url\n" << rows;
  Remove(JournalBeside(list));
  return list;
}

// A second list opened leaves nothing of the first run on screen; the
// message line says the last thing that happened; a card of the recent
// cards selected is said whole; a writer lost in the read-back is said as
// such; the cards per minute wait for a run.
TEST(LineWindowView, SecondListStartsCleanAndTheMessageLineFollowsTheRun) {
  const std::string first = WriteList("line-view-1.csv", "A1,http://e.com/a\nA2,http://e.com/b\n");
  const std::string second = WriteList("line-view-2.csv", "B,http://e.com/b\nC,http://e.com/c\n");
  sim::WriterModel writer;
  writer.StartOperator({2, 500, 1000}, 0);
  sim::VirtualClock clock;
  clock.Sleep(60'000);  // the window's clock has long run before the first run
  HeadlessDialogHost host;
  std::set<std::string> said;
  host.WatchEachPosted([&] { said.insert(host.window().text(kIdcLineMessage)); });
  CLineDlg window(host, {{"COM3"}, true, "", ""}, LostInTheSecondReadBack(writer), clock);
  const std::string lost = "読み返し中にライターの応答がなくなりました（64 ブロック書き込み済み）";
  host.Then([&] { EXPECT_EQ(host.window().text(kIdcLineRate), "－"); });
  host.AnswerFileDialog(first);
  host.Click(kIdcLineOpen);
  host.PressEnter();
  host.WaitUntil([&] { return host.ListRows(kIdcLineRecords).size() == 2; });
  host.WaitUntil([&] { return host.window().text(kIdcLineMessage) == "COM3：ライターの応答がなくなりました。探し続けます"; });
  host.SelectRow(kIdcLineRecords, 0);
  host.Then([&] {
    EXPECT_EQ(Column(host, kIdcLineRecords, kRecordReason), (std::vector<std::string>{lost, ""}));
    const std::string idm = host.ListRows(kIdcLineRecords)[0][kRecordIdm];
    EXPECT_TRUE(said.contains("COM3：行 2（A1）をカード " + host.ListRows(kIdcLineRecords)[1][kRecordIdm] + " に書き込みました"));
    EXPECT_TRUE(said.contains("COM3：カード " + idm +
                              " は書き込み済みですが、読み返し中にライターの応答がなくなりました。つなぎを確かめてください"));
    EXPECT_EQ(host.window().text(kIdcLineMessage), "行 3（A2） カード " + idm + "：ライター応答なし：" + lost);
    EXPECT_EQ(host.window().text(kIdcLineFailed), "1");
    clock.Sleep(60'000);
  });
  host.Click(kIdcLineStop);
  host.WaitUntil([&] { return host.IsEnabled(kIdcLineOpen); });
  host.AnswerFileDialog(second);
  host.Click(kIdcLineOpen);
  host.Then([&] {
    EXPECT_EQ(host.window().text(kIdcLineFile), second);
    EXPECT_TRUE(host.ListRows(kIdcLineWriters).empty());
    EXPECT_TRUE(host.ListRows(kIdcLineRecords).empty());
    EXPECT_EQ(host.window().text(kIdcLineFailed), "0");
    EXPECT_EQ(host.window().text(kIdcLineDone), "0");
    EXPECT_EQ(host.window().text(kIdcLineLeft), "2");
    EXPECT_EQ(host.window().text(kIdcLineRate), "－");
    EXPECT_EQ(host.window().text(kIdcLineMessage), "「開始」を押すと書き込みを始めます");
  });
  window.DoModal();
  EXPECT_FALSE(host.timedOut());
  for (const std::string& list : {first, second}) RemoveWithJournal(list);
}

// An ok card is said on the message line, and the 高速 box, on when the
// command line says --fast, decides how the next run talks to the writer:
// a card takes seconds with it, far longer without.
TEST(LineWindowFast, TheCheckBoxDecidesTheNextRun) {
  struct Case {
    bool fastOption;
    bool clicked;
    bool fast;
  };
  for (const Case c : {Case{true, false, true}, Case{false, false, false}, Case{false, true, true}}) {
    const std::string list = WriteList("line-fast.csv", "A,http://e.com/a\n");
    sim::WriterModel writer;
    writer.StartOperator({1, 500, 1000}, 0);
    sim::VirtualClock clock;
    HeadlessDialogHost host;
    CLineDlg window(host, {{"COM3"}, c.fastOption, "", list}, test::WriterOnCom3(writer), clock);
    host.Then([&] { EXPECT_EQ(host.window().GetCheck(kIdcLineFast), c.fastOption ? 1 : 0); });
    if (c.clicked) host.Click(kIdcLineFast);
    // The box is looked at after each message of the run, not once after 開始:
    // the run's messages are taken before the next action, so a quick run may
    // already have ended by then.
    int looksWhileRunning = 0;
    host.WatchEachPosted([&] {
      if (host.IsEnabled(kIdcLineOpen)) return;
      ++looksWhileRunning;
      EXPECT_FALSE(host.IsEnabled(kIdcLineFast));
    });
    host.PressEnter();
    host.WaitUntil([&] { return host.IsEnabled(kIdcLineOpen); });
    window.DoModal();
    EXPECT_GT(looksWhileRunning, 0);
    SCOPED_TRACE(std::to_string(c.fastOption) + std::to_string(c.clicked));
    EXPECT_EQ(host.window().text(kIdcLineMessage), "すべての行を書き終えました");
    EXPECT_TRUE(host.IsEnabled(kIdcLineFast));
    std::ifstream journal(PathFromUtf8(JournalBeside(list)));
    double seconds = 0;
    for (std::string line; std::getline(journal, line);) {
      const nlohmann::json record = nlohmann::json::parse(line);
      if (record["record"] == "card") seconds = record["seconds"];
    }
    EXPECT_EQ(seconds < 5.0, c.fast) << seconds;
    RemoveWithJournal(list);
  }
}

// After a journal it cannot read, the window has no list and says so.
TEST(LineWindowList, UnreadableJournalLeavesTheListUnopened) {
  const std::string list = WriteList("line-bad-journal.csv", "A,http://e.com/a\n");
  std::ofstream(PathFromUtf8(JournalBeside(list)), std::ios::binary) << "not a record\n";
  HeadlessDialogHost host;
  sim::VirtualClock clock;
  CLineDlg window(host, {{"COM3"}, true, "", list}, [] { return WriterSeat{}; }, clock);
  window.DoModal();
  ASSERT_EQ(host.window().messages().size(), 1u);
  EXPECT_TRUE(host.window().messages()[0].text.starts_with("記録ファイルを読めません。")) << host.window().messages()[0].text;
  EXPECT_EQ(host.window().text(kIdcLineFile), "");
  EXPECT_EQ(host.window().text(kIdcLineMessage), "リストを開きませんでした。「開く」でリストを選んでください");
  RemoveWithJournal(list);
}

// Every state, result and reason the lists show fits its column whole, at
// the width the dialog manager gives a character (a full-width one is two
// average characters, 8 dialog units), with a cell's margins.
TEST(LineWindowTemplateColumns, HoldTheLongestStateResultAndReason) {
  const auto units = [](std::string_view utf8) {
    int width = 0;
    for (std::size_t i = 0; i < utf8.size();) {
      const auto lead = static_cast<unsigned char>(utf8[i]);
      const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
      width += length >= 3 ? 8 : 4;
      i += length;
    }
    return width;
  };
  constexpr int kCellMargins = 8;
  const DialogTemplate& window = LineWindowTemplate();
  const auto column = [&window](int list, int index) {
    return window.Find(list)->columns[static_cast<std::size_t>(index)].width;
  };
  const std::tuple<std::vector<std::string>, int, int> columns[] = {
      {test::EveryWriterState(), kIdcLineWriters, kWriterState},
      {test::EveryResult(), kIdcLineRecords, kRecordResult},
      {test::EveryReason(), kIdcLineRecords, kRecordReason}};
  for (const auto& [texts, list, index] : columns) {
    for (const std::string& text : texts) EXPECT_LE(units(text) + kCellMargins, column(list, index)) << text;
  }
}

// The program: a command line it cannot take is said in a box (status 2);
// without arguments the window opens, waiting for a list.
TEST(LineProgram, CommandLineRefusedOrTheWindowOpened) {
  HeadlessDialogHost refused;
  EXPECT_EQ(RunLineWindow(refused, {"--ports", "COM40"}), 2);
  ASSERT_EQ(refused.window().messages().size(), 1u);
  EXPECT_EQ(refused.window().messages()[0].text,
            "--ports：COM1～COM31 のポートではありません：COM40\n\n使い方: " + std::string(kLineUsage));
  HeadlessDialogHost help;
  EXPECT_EQ(RunLineWindow(help, {"--help"}), 0);
  EXPECT_EQ(help.shownTemplates(), std::vector<int>{});
  HeadlessDialogHost opened;
  EXPECT_EQ(RunLineWindow(opened, {}), 0);
  EXPECT_EQ(opened.shownTemplates(), std::vector<int>{kIddLineWindow});
}

TEST(LineTexts, ListInfoSaysWhatIsLeftOfTheList) {
  EXPECT_EQ(line_texts::ListInfo(3, CsvEncoding::kUtf8, 0, 0), "3 行（UTF-8）");
  EXPECT_EQ(line_texts::ListInfo(3, CsvEncoding::kCp932, 3, 0), "3 行（シフトJIS）、前回までにすべて済み");
  EXPECT_EQ(line_texts::ListInfo(3, CsvEncoding::kUtf8WithBom, 2, 1),
            "3 行（UTF-8、BOM 付き）、前回までに 2 行済み：続きから書きます、途中のカード 1 枚");
  EXPECT_EQ(line_texts::CardsInDoubt({{}, {}}), "途中のカード 2 枚（ライターに置くと仕上げます）：最近のカードの一覧に 1 枚ずつ挙げました");
  EXPECT_EQ(std::ranges::count(line_texts::AskRewrite(std::vector<CardRecord>(9, {.time = "", .port = "", .idm = "X"})).detail, '\n'), 8);
}

}  // namespace
}  // namespace morvik
