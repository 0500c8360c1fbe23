#include <gtest/gtest.h>

#include <algorithm>
#include <array>

#include "link/writer_link.h"
#include "tests/support/scripted_line.h"
#include "window/headless_window.h"

namespace morvik {
namespace {

using test::ByteVector;

const ByteVector kBare(kBareSuccessReply.begin(), kBareSuccessReply.end());
const ByteVector kRequest(kF2Request.begin(), kF2Request.end());

class ExchangeTest : public testing::Test {
 protected:
  ExchangeTest() : platform(clock), link(platform, window, clock) {
    platform.port(1);
    EXPECT_TRUE(link.OpenPort("COM1"));
    reply.fill(0xEE);
  }
  test::PortScript& port() { return platform.port(1); }
  int Send(const ByteVector& request = kRequest) { return link.Exchange(request, reply); }

  test::FakeClock clock;
  test::ScriptedPlatform platform;
  HeadlessWindow window;
  WriterLink link;
  std::array<std::uint8_t, 1024> reply{};
};

TEST_F(ExchangeTest, BareSuccessIsPayloadLengthZeroAndEndsWithOneSilentRead) {
  port().replies = {kBare};
  EXPECT_EQ(Send(), 0);
  EXPECT_EQ(port().requests, std::vector<ByteVector>{kRequest});
  EXPECT_TRUE(std::equal(kBare.begin(), kBare.end(), reply.begin()));
  EXPECT_EQ(port().reads, 8);
  EXPECT_EQ(port().silentReads, 1);
  EXPECT_EQ(clock.now, 200);
}

TEST_F(ExchangeTest, FailedRepliesGiveMinusOneAndSayWhy) {
  using C = ReplyCondition;
  const struct {
    const char* what;
    ByteVector reply;
    C condition;
  } cases[] = {
      {"error status", {0x02, 0x00, 0x31, 0x00, 0x03, 0x36, 0x0D}, C::kRefused},
      {"wrong sum", {0x02, 0x00, 0x30, 0x00, 0x03, 0x34, 0x0D}, C::kBadSum},
      {"cut short", {0x02, 0x00, 0x30, 0x02, 0x41, 0x42, 0x03}, C::kCutShort},
      {"leading noise", {0x00, 0x02, 0x00, 0x30, 0x00, 0x03, 0x35, 0x0D}, C::kNoise},
      {"nothing", {}, C::kSilence},
  };
  for (const auto& c : cases) {
    port().replies = {c.reply};
    EXPECT_EQ(Send(), -1) << c.what;
    EXPECT_EQ(link.lastReply(), c.condition) << c.what;
    EXPECT_EQ(link.lastReplyDamaged(), IsDamagedReply(c.condition)) << c.what;
  }
  port().replies = {kBare};
  EXPECT_EQ(Send(), 0);
  EXPECT_EQ(link.lastReply(), C::kAnswered);
}

TEST_F(ExchangeTest, SilenceGivesMinusOneAndZeroInTheFirstReplyByte) {
  EXPECT_EQ(Send(), -1);
  EXPECT_EQ(reply[0], 0);
  EXPECT_EQ(reply[1], 0xEE);
  EXPECT_EQ(clock.now, 200);
}

TEST_F(ExchangeTest, InvalidRequestIsNeverSentAndTheBufferIsUntouched) {
  for (ByteVector bad : {ByteVector{0x02, 0x00, 0x4F, 0x02, 0xF2, 0x00, 0x03, 0x49, 0x0D},
                         ByteVector{0x02, 0x01, 0x4F, 0x02, 0xF2, 0x00, 0x03, 0x49, 0x0D},
                         ByteVector{}}) {
    EXPECT_EQ(Send(bad), -1);
  }
  EXPECT_TRUE(port().requests.empty());
  EXPECT_EQ(port().reads, 0);
  EXPECT_TRUE(std::all_of(reply.begin(), reply.end(), [](auto b) { return b == 0xEE; }));
}

TEST_F(ExchangeTest, WriteFailureSendsNothingMoreAndReadsNothing) {
  port().failWrites = true;
  EXPECT_EQ(Send(), -1);
  EXPECT_EQ(port().reads, 0);
  EXPECT_EQ(reply[0], 0xEE);
  link.port().Close();
  EXPECT_EQ(Send(), -1);  // a closed port fails at the first write
}

// The tail of an over-long reply ends in a whole success frame; the next
// request is failed by the writer. The tail is heard out and dropped, so it
// can never pass for the failed request's reply.
TEST_F(ExchangeTest, CollectsAtMost256BytesAndDropsTheRest) {
  ByteVector flood = kBare;
  flood.resize(256, 0x40);
  flood.insert(flood.end(), kBare.begin(), kBare.end());
  port().replies = {flood, {0x02, 0x00, 0x31, 0x00, 0x03, 0x36, 0x0D}};
  EXPECT_EQ(Send(), 0);
  EXPECT_EQ(port().reads, 256 + 7 + 1);  // the collection, the tail, the silence
  EXPECT_EQ(port().silentReads, 1);
  EXPECT_EQ(reply[256], 0xEE);
  port().pending.assign(kBare.begin(), kBare.end());  // stale bytes before the next request
  EXPECT_EQ(Send(), -1);
  EXPECT_EQ(port().discarded, kBare.size());
  EXPECT_EQ(reply[2], 0x31);
}

TEST_F(ExchangeTest, PayloadAbove249CanNeverBeCollectedWhole) {
  ByteVector big{0x02, 0x00, 0x30, 250};
  big.insert(big.end(), 250, 0x11);
  big.push_back(0x03);
  big.push_back(FrameSum(big));
  big.push_back(0x0D);
  ASSERT_EQ(FrameLength(big), 257u);
  port().replies = {big};
  EXPECT_EQ(Send(), -1);
}

}  // namespace
}  // namespace morvik
