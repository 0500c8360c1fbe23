// The reply ends on the loopback's wire timing, in virtual time.
#include "sim/loopback_serial.h"

#include <gtest/gtest.h>

#include "hex_bytes.h"
#include "link/writer_link.h"
#include "window/headless_window.h"

namespace morvik::sim {
namespace {

using test::ByteVector;
using test::Hex;

const ByteVector kF2 = Hex("02 00 4F 02 F2 00 03 48 0D");

class LoopbackTest : public testing::Test {
 protected:
  LoopbackTest() : platform(clock), link(platform, window, clock) {}
  int Exchange(const ByteVector& request) { return link.Exchange(request, reply); }

  VirtualClock clock;
  LoopbackPlatform platform;
  HeadlessWindow window;
  WriterLink link;
  WriterModel writer;
  std::array<std::uint8_t, 1024> reply{};
};

// Where a reply ends at 19200 baud, in virtual time: the F2 request (9 bytes)
// goes out from 0 and is answered by a bare success reply (7 bytes), unless the
// writer misbehaves. A read starts when the request has been handed over; a
// read of several bytes that gets fewer than it asked for ends kGapUs after
// the last, so a frame end that asks for more than the frame costs time.
struct ReplyEndCase {
  const char* what;
  ReplyEnd end;
  Faults faults;
  std::int64_t answerDelayUs;
  int result;
  std::int64_t endsAtUs;
  std::size_t leftInPort;
};
void PrintTo(const ReplyEndCase& c, std::ostream* out) { *out << c.what; }

constexpr std::int64_t kRepliedUs = 16 * 520;
constexpr std::int64_t kGapUs = 2'000;
const ReplyEndCase kReplyEndCases[] = {
    {"silence", ReplyEnd::kSilence, {}, 0, 0, kRepliedUs + 200'000, 0},
    {"frame and guard", ReplyEnd::kFrameAndGuard, {}, 0, 0, kRepliedUs + 5'000, 0},
    {"bytes after the frame", ReplyEnd::kFrameAndGuard,
     {.trailingBytesAt = 1, .trailingBytes = Hex("02 00 34 00 03")}, 0, 0,
     kRepliedUs + 5 * 520 + kGapUs + 200'000, 0},
    {"bad sum", ReplyEnd::kFrameAndGuard, {.badSumAt = 1}, 0, -1, kRepliedUs + 5'000, 0},
    {"error status", ReplyEnd::kFrameAndGuard, {.errorStatusAt = 1}, 0, -1, kRepliedUs + 5'000, 0},
    {"cut short", ReplyEnd::kFrameAndGuard, {.dropLineAfterBytes = 3}, 0, -1,
     9 * 520 + 3 * 520 + kGapUs + 200'000, 0},
    {"silent", ReplyEnd::kFrameAndGuard, {.dropLineAfterBytes = 0}, 0, -1, 200'000, 0},
    {"answer after 190 ms", ReplyEnd::kFrameAndGuard, {}, 190'000, 0,
     kRepliedUs + 190'000 + 5'000, 0},
    {"answer after 210 ms", ReplyEnd::kFrameAndGuard, {}, 210'000, -1, 200'000, 7},
    {"256 bytes kept, the rest dropped", ReplyEnd::kFrameAndGuard,
     {.trailingBytesAt = 1, .trailingBytes = ByteVector(300, 0x55)}, 0, 0,
     kRepliedUs + 300 * 520 + kGapUs + 200'000, 0},
};

class ReplyEndTest : public LoopbackTest, public testing::WithParamInterface<ReplyEndCase> {};

TEST_P(ReplyEndTest, EndsWithTheWritersLastByteAndNeverLeavesItsTail) {
  const ReplyEndCase& c = GetParam();
  platform.SetWireTime(true);
  platform.AttachWriter(1, writer);
  platform.port(1).answerDelayUs = c.answerDelayUs;
  link.SetReplyEnd(c.end);
  ASSERT_TRUE(link.OpenPort("COM1"));
  writer.SetFaults(c.faults);
  EXPECT_EQ(Exchange(kF2), c.result) << c.what;
  EXPECT_EQ(clock.NowUs(), c.endsAtUs) << c.what;
  EXPECT_EQ(platform.port(1).toTool.size(), c.leftInPort) << c.what;
  EXPECT_EQ(reply[kReplyCollectionLimit], 0) << c.what;
}

INSTANTIATE_TEST_SUITE_P(Rows, ReplyEndTest, testing::ValuesIn(kReplyEndCases));

// A port has one holder at a time: connecting again lets go of the port held
// before the scan, so the writer is found on it again.
TEST_F(LoopbackTest, ConnectingAgainFindsTheWriterOnThePortItHeld) {
  platform.AttachWriter(1, writer);
  link.ConnectWriter();
  link.ConnectWriter();
  EXPECT_EQ(link.connectedPort(), "COM1");
  EXPECT_TRUE(window.messages().empty());
}

}  // namespace
}  // namespace morvik::sim
