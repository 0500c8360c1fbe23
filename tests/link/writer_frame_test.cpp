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

}  // namespace
}  // namespace morvik
