#include <gtest/gtest.h>

#include <optional>

#include "link/writer_link.h"
#include "tests/support/scripted_line.h"
#include "window/control_ids.h"
#include "window/headless_window.h"

namespace morvik {
namespace {

using test::ByteVector;

ByteVector Frame(std::initializer_list<std::uint8_t> bytes) { return ByteVector(bytes); }
ByteVector Reply(ByteVector payload) { return BuildFrame(kStatusSuccess, payload); }

const ByteVector kBareReply(kBareSuccessReply.begin(), kBareSuccessReply.end());
const ByteVector kInfo =
    Reply({0xF0, 0x02, 0x11, 0x26, 0x12, 0x06, 0x12, 0xAB});  // Ver 0211, Date 261206, CID 12AB
const ByteVector kSilence;

const ByteVector kInfoRequest(kInformationRequest.begin(), kInformationRequest.end());
const ByteVector kEchoFor12AB =
    Frame({0x02, 0x00, 0x4F, 0x04, 0xF1, 0x00, 0x12, 0xAB, 0x03, 0x06, 0x0D});

const ByteVector kRefused = Frame({0x02, 0x00, 0x31, 0x00, 0x03, 0x36, 0x0D});

ByteVector InfoWithABadSum() {
  ByteVector badSum = kInfo;
  ++badSum[badSum.size() - 2];
  return badSum;
}

// The first 7F reply is never looked at: a refusal there still connects.
std::deque<ByteVector> WholeSequence() { return {kInfo, kBareReply, kBareReply, kRefused, kBareReply}; }

struct Connection {
  Connection() : platform(clock), link(platform, window, clock) {}
  test::FakeClock clock;
  test::ScriptedPlatform platform;
  HeadlessWindow window;
  WriterLink link;
};

class ConnectTest : public testing::Test, public Connection {};

TEST_F(ConnectTest, WriterOnCom1ConnectsWithTheExactStartUpSequence) {
  platform.port(1).replies = WholeSequence();
  link.ConnectWriter();

  const std::vector<ByteVector> expected = {
      kInfoRequest, kEchoFor12AB, ByteVector(kF2Request.begin(), kF2Request.end()),
      ByteVector(k7FRequest.begin(), k7FRequest.end()),
      ByteVector(k7FRequest.begin(), k7FRequest.end())};
  EXPECT_EQ(platform.port(1).requests, expected);
  EXPECT_EQ(platform.opened, std::vector<std::string>{"\\\\.\\COM1"});
  EXPECT_EQ(clock.sleeps, (std::vector<std::uint32_t>{500, 100}));
  EXPECT_EQ(window.text(kIdcCustomerId), "12AB");
  EXPECT_EQ(link.customerIdEntry(), "12AB");
  EXPECT_EQ(window.text(kIdcReport), "MRVKVer=0211, MRVKDate=261206, MRVKCID=12AB");
  EXPECT_TRUE(link.port().IsOpen());
  EXPECT_TRUE(window.messages().empty());
  EXPECT_EQ(link.customerId(), (std::array<std::uint8_t, 2>{0x12, 0xAB}));
}

TEST_F(ConnectTest, UnansweredFirstRequestReopensTheSamePortOnce) {
  std::deque<ByteVector> replies = WholeSequence();
  replies.push_front(kSilence);
  platform.port(1).replies = replies;
  link.ConnectWriter();
  EXPECT_EQ(platform.port(1).opens, 2);
  EXPECT_EQ(clock.sleeps, (std::vector<std::uint32_t>{500, 500, 100}));
  EXPECT_EQ(window.text(kIdcCustomerId), "12AB");
}

TEST_F(ConnectTest, SilentPortCostsTwoAttemptsThenTheScanMovesOn) {
  platform.port(1);  // opens, never answers
  platform.port(3).replies = WholeSequence();
  link.ConnectWriter();
  EXPECT_EQ(platform.port(1).opens, 2);
  EXPECT_EQ(platform.port(1).requests.size(), 2u);
  EXPECT_EQ(platform.port(3).opens, 1);
  EXPECT_EQ(platform.opened.size(), 4u);  // COM1, COM1, COM2 (absent), COM3
}

TEST_F(ConnectTest, RetryMarkCarriesToTheNextPortWhenAPortCannotBeReopened) {
  platform.port(1).maxOpens = 1;
  platform.port(2);
  platform.port(3).replies = WholeSequence();
  link.ConnectWriter();
  EXPECT_EQ(platform.port(1).opens, 1);
  EXPECT_EQ(platform.port(2).opens, 1);  // passed over after a single silent attempt
  EXPECT_EQ(platform.port(3).opens, 1);
  EXPECT_EQ(window.text(kIdcCustomerId), "12AB");
}

TEST_F(ConnectTest, BadStartUpRepliesPassThePortOverAtOnce) {
  const struct {
    const char* what;
    std::deque<ByteVector> replies;
  } cases[] = {
      {"payload of 7", {Reply({0xF0, 0x02, 0x11, 0x26, 0x12, 0x06, 0x12})}},
      {"payload byte 0 not F0", {Reply({0xF1, 0x02, 0x11, 0x26, 0x12, 0x06, 0x12, 0xAB})}},
      {"echo unanswered", {kInfo}},
      {"F2 refused", {kInfo, kBareReply, kRefused}},
      {"second 7F reply with payload", {kInfo, kBareReply, kBareReply, kBareReply, Reply({0x00})}},
  };
  for (const auto& c : cases) {
    Connection on;
    on.platform.port(1).replies = c.replies;
    on.platform.port(2).replies = {Reply({0xF0, 0x01, 0x00, 0x20, 0x01, 0x01, 0x0A, 0xBC}), kBareReply, kBareReply, kBareReply, kBareReply};
    on.link.ConnectWriter();
    EXPECT_EQ(on.platform.port(1).opens, 1) << c.what;
    EXPECT_EQ(on.window.text(kIdcCustomerId), "0ABC") << c.what;
  }
}

// A start-up that hears something, however damaged, is a writer answering
// badly; only silence on every try is nothing answering. The second try on a
// fresh open goes on as for silence.
TEST(StartUpFaults, DamagedRepliesAreToldFromSilence) {
  const ByteVector badSum = InfoWithABadSum();
  const ByteVector cut(kInfo.begin(), kInfo.begin() + 6);
  const ByteVector shortInfo = Reply({0xF0, 0x02, 0x11});
  using C = ReplyCondition;
  const struct {
    const char* what;
    std::deque<ByteVector> replies;
    C fault;
    std::optional<PortProblem> problem;  // nullopt: the writer connects
  } cases[] = {
      {"silence twice", {}, C::kSilence, PortProblem::kNoAnswer},
      {"wrong sum twice", {badSum, badSum}, C::kBadSum, PortProblem::kDamaged},
      {"cut short, then silence", {cut, kSilence}, C::kCutShort, PortProblem::kDamaged},
      {"silence, then a wrong sum", {kSilence, badSum}, C::kBadSum, PortProblem::kDamaged},
      {"information of the wrong length", {shortInfo}, C::kBadLength, PortProblem::kDamaged},
      {"F2 refused", {kInfo, kBareReply, kRefused}, C::kRefused, PortProblem::kDamaged},
      {"echo with a wrong sum", {kInfo, badSum}, C::kBadSum, PortProblem::kDamaged},
      {"wrong sum, then the whole sequence", {badSum, kInfo, kBareReply, kBareReply, kBareReply, kBareReply}, C::kAnswered, std::nullopt},
  };
  for (const auto& c : cases) {
    Connection on;
    on.platform.port(1).replies = c.replies;
    EXPECT_EQ(on.link.ConnectOnPort("COM1"), !c.problem) << c.what;
    EXPECT_EQ(on.link.startUpFault(), c.fault) << c.what;
    if (!c.problem) continue;
    ASSERT_EQ(on.link.triedPorts().size(), 1u) << c.what;
    EXPECT_EQ(on.link.triedPorts()[0].problem, *c.problem) << c.what;
  }
}

// Advice names a group only when that group may read and write the device.
TEST(PortProblems, PermissionAdviceFollowsTheModeAndOwner) {
  const struct {
    std::optional<unsigned> mode;
    const char* owner;
    const char* group;
    const char* text;
  } cases[] = {
      {0660, "root", "dialout", "no permission (join the group dialout)"},
      {0600, "root", "root", "no permission (only root may open it: ask the administrator to give it to the group dialout)"},
      {0640, "root", "dialout", "no permission (only root may open it: ask the administrator to give it to the group dialout)"},
      {0620, "kim", "tty", "no permission (only kim may open it: ask the administrator to give it to the group dialout)"},
      {0000, "kim", "kim", "no permission (only root may open it: ask the administrator to give it to the group dialout)"},
      {std::nullopt, "", "uucp", "no permission (join the group uucp)"},
      {std::nullopt, "", "", "no permission (join the group that owns the device)"},
  };
  for (const auto& c : cases) {
    RefusedDevice device{"/dev/ttyUSB0", RefusedDevice::Reason::kPermission, c.group, c.owner, c.mode};
    EXPECT_EQ(PortProblemText({"COM3", PortProblem::kNoPermission, device}), c.text) << c.owner << c.group;
  }
  RefusedDevice held{"/dev/ttyUSB0", RefusedDevice::Reason::kBusy};
  EXPECT_EQ(PortProblemText({"COM3", PortProblem::kBusy, held}), "in use by another program");
  held.holders = "minicom (pid 42)";
  EXPECT_EQ(PortProblemText({"COM3", PortProblem::kBusy, held}), "in use by another program: minicom (pid 42)");
}

TEST_F(ConnectTest, NoWriterAsksRetryOrCancelAndCancelEndsWithStatusOne) {
  window.ScriptAnswers({kIdRetry, kIdCancel});
  link.ConnectWriter();
  ASSERT_EQ(window.messages().size(), 2u);
  const ShownMessage& shown = window.messages()[0];
  EXPECT_EQ(shown.text,
            "Morvik ICCard Writerが接続されていません。接続を確認して再試行ボタンを押してください");
  EXPECT_EQ(shown.caption, "Error");
  EXPECT_EQ(shown.type, 0x15u);
  EXPECT_EQ(window.exitStatus(), 1);
  ASSERT_EQ(platform.opened.size(), 62u);  // each scan COM1..COM31, the second from COM1 again
  EXPECT_EQ(platform.opened[0], "\\\\.\\COM1");
  EXPECT_EQ(platform.opened[30], "\\\\.\\COM31");
  EXPECT_EQ(platform.opened[31], "\\\\.\\COM1");
  EXPECT_FALSE(link.port().IsOpen());
}

// Ports that could not be opened, and ports whose replies arrive damaged, are
// named after a blank line, each with what to check, on one line.
TEST_F(ConnectTest, RefusedAndDamagedPortsAreNamedAfterABlankLineWithWhatToCheck) {
  platform.port(2).replies = {InfoWithABadSum(), InfoWithABadSum()};
  platform.port(5).refuseOpen = true;
  link.ConnectWriter();
  ASSERT_EQ(window.messages().size(), 1u);
  EXPECT_EQ(window.messages()[0].text,
            "Morvik ICCard Writerが接続されていません。接続を確認して再試行ボタンを押してください\n\n"
            "開けなかったポート: \\\\.\\COM5（使用中）。ポートを使用中の他のプログラムを終了してください。応答が壊れて届くポート: COM2。"
            "ケーブルと、そばで動いている機器を確認してください。");
}

}  // namespace
}  // namespace morvik
