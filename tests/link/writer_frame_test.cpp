#include "link/writer_frame.h"

#include <gtest/gtest.h>

#include <vector>

namespace morvik {
namespace {

using V = std::vector<std::uint8_t>;

struct FrameCase {
  const char* name;
  V bytes;
  bool frame;
  bool reply;
  std::size_t length;
};

void PrintTo(const FrameCase& c, std::ostream* os) { *os << c.name; }

class FrameCheckTest : public testing::TestWithParam<FrameCase> {};

TEST_P(FrameCheckTest, JudgesTheBytesAsAWriterWould) {
  const FrameCase& c = GetParam();
  EXPECT_EQ(CheckFrame(c.bytes), c.frame);
  EXPECT_EQ(CheckReply(c.bytes), c.reply);
  EXPECT_EQ(FrameLength(c.bytes), c.length);
}

INSTANTIATE_TEST_SUITE_P(
    Frames, FrameCheckTest,
    testing::Values(
        FrameCase{"information_request", {0x02, 0x00, 0x4F, 0x02, 0xF0, 0x00, 0x03, 0x46, 0x0D},
                  true, false, 9},
        FrameCase{"bare_success", {0x02, 0x00, 0x30, 0x00, 0x03, 0x35, 0x0D}, true, true, 7},
        FrameCase{"trailing_bytes_ignored", {0x02, 0x00, 0x30, 0x00, 0x03, 0x35, 0x0D, 0xFF, 0x02},
                  true, true, 7},
        FrameCase{"error_status", {0x02, 0x00, 0x31, 0x00, 0x03, 0x36, 0x0D}, true, false, 7},
        FrameCase{"wrong_sum", {0x02, 0x00, 0x30, 0x00, 0x03, 0x36, 0x0D}, false, false, 0},
        FrameCase{"byte1_not_zero", {0x02, 0x01, 0x30, 0x00, 0x03, 0x36, 0x0D}, false, false, 0},
        FrameCase{"no_stx", {0x03, 0x00, 0x30, 0x00, 0x03, 0x36, 0x0D}, false, false, 0},
        FrameCase{"no_etx", {0x02, 0x00, 0x30, 0x00, 0x04, 0x36, 0x0D}, false, false, 0},
        FrameCase{"no_cr", {0x02, 0x00, 0x30, 0x00, 0x03, 0x35, 0x0A}, false, false, 0},
        FrameCase{"length_promises_more", {0x02, 0x00, 0x30, 0x02, 0x41, 0x03, 0x78, 0x0D}, false,
                  false, 0},
        FrameCase{"empty", {}, false, false, 0},
        FrameCase{"only_head", {0x02, 0x00, 0x30}, false, false, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FrameBuild, SumsFromStxThroughEtxAndEndsWithCr) {
  const V payload{0xF0, 0x00};
  EXPECT_EQ(BuildFrame(0x4F, payload),
            V(kInformationRequest.begin(), kInformationRequest.end()));
  const V empty;
  EXPECT_EQ(BuildFrame(0x30, empty), V(kBareSuccessReply.begin(), kBareSuccessReply.end()));
  // Every frame held ready is itself a valid frame.
  for (Bytes frame : {Bytes(kInformationRequest), Bytes(kCustomerIdEcho), Bytes(kF2Request),
                      Bytes(k7FRequest), Bytes(kCardDetectionRequest), Bytes(kBareSuccessReply)}) {
    EXPECT_EQ(FrameLength(frame), frame.size());
  }
  const V longest = BuildFrame(0x78, V(255, 0xAA));  // the longest payload
  EXPECT_EQ(longest.size(), 262u);
  EXPECT_EQ(FrameLength(longest), 262u);
}

TEST(ReplyConditions, SilenceRefusalAndEachDamageAreToldApart) {
  using C = ReplyCondition;
  const struct {
    const char* name;
    V bytes;
    C condition;
  } cases[] = {
      {"bare success", {0x02, 0x00, 0x30, 0x00, 0x03, 0x35, 0x0D}, C::kAnswered},
      {"refusal", {0x02, 0x00, 0x31, 0x00, 0x03, 0x36, 0x0D}, C::kRefused},
      {"nothing", {}, C::kSilence},
      {"wrong sum", {0x02, 0x00, 0x30, 0x00, 0x03, 0x36, 0x0D}, C::kBadSum},
      {"length one short", {0x02, 0x00, 0x30, 0x01, 0x41, 0x42, 0x03, 0x79, 0x0D}, C::kBadLength},
      {"length promises more, frame ended", {0x02, 0x00, 0x30, 0x02, 0x03, 0x37, 0x0D}, C::kBadLength},
      {"no ETX where announced", {0x02, 0x00, 0x30, 0x00, 0x04, 0x35, 0x0D}, C::kBadLength},
      {"cut after two of four payload bytes", {0x02, 0x00, 0x30, 0x04, 0x41, 0x42}, C::kCutShort},
      {"only STX", {0x02}, C::kCutShort},
      {"leading zero", {0x00, 0x02, 0x00, 0x30, 0x00, 0x03, 0x35, 0x0D}, C::kNoise},
      {"second byte not zero", {0x02, 0x01, 0x30, 0x00, 0x03, 0x36, 0x0D}, C::kNoise},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ClassifyReply(c.bytes), c.condition) << c.name;
    const bool damaged = c.condition != C::kAnswered && c.condition != C::kRefused && c.condition != C::kSilence;
    EXPECT_EQ(IsDamagedReply(c.condition), damaged) << c.name;
  }
}

TEST(ReplyConditions, EveryOneBitFlipOfAReplyIsDamagedNeverAnAnswerOrSilence) {
  const V reply = BuildFrame(kStatusSuccess, V{0xF0, 0x02, 0x11, 0x26, 0x12, 0x06, 0x12, 0x34});
  for (std::size_t at = 0; at < reply.size(); ++at) {
    for (int bit = 0; bit < 8; ++bit) {
      V flipped = reply;
      flipped[at] = static_cast<std::uint8_t>(flipped[at] ^ (1u << bit));
      EXPECT_TRUE(IsDamagedReply(ClassifyReply(flipped))) << "byte " << at << " bit " << bit;
    }
  }
}

}  // namespace
}  // namespace morvik
