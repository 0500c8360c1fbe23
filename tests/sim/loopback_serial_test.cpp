// The loopback's own behaviour: virtual time, a dead or silent line, and one
// open at a time per port. What the link and the card commands make of it is
// tested with them.
#include "sim/loopback_serial.h"

#include <gtest/gtest.h>

#include "hex_bytes.h"
#include "link/writer_link.h"
#include "window/headless_window.h"

namespace morvik::sim {
namespace {

using test::ByteVector;
using test::Hex;

const ByteVector kInformation = Hex("02 00 4F 02 F0 00 03 46 0D");
const ByteVector kDetect = Hex("02 00 78 02 01 00 03 80 0D");

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

// A silent port takes the bytes and costs its time-outs on the virtual clock only.
TEST_F(LoopbackTest, ScanOverASilentPortRunsOnVirtualTime) {
  platform.AddSilentPort(1);
  platform.AttachWriter(3, writer);
  link.ConnectWriter();
  const std::vector<OpenAttempt> expected{
      {1, 0, true}, {1, 700, true}, {2, 1400, false}, {3, 1400, true}};
  ASSERT_EQ(platform.openLog().size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(platform.openLog()[i].com, expected[i].com) << i;
    EXPECT_EQ(platform.openLog()[i].atMs, expected[i].atMs) << i;
    EXPECT_EQ(platform.openLog()[i].opened, expected[i].opened) << i;
  }
  EXPECT_EQ(platform.port(1).received, test::Concat(kInformation, kInformation));
  // 500 ms wait, five exchanges each ending with 200 ms of silence, 100 ms wait.
  EXPECT_EQ(clock.NowMs(), 1400 + 1600);
}

TEST_F(LoopbackTest, WireTimeCountsTenBitsPerByteAt19200) {
  platform.SetWireTime(true);
  platform.AttachWriter(1, writer);
  ASSERT_TRUE(link.OpenPort("COM1"));
  ASSERT_EQ(Exchange(kInformation), 8);
  // 9 request bytes and 15 reply bytes at 520 us, then 200 ms of silence.
  EXPECT_EQ(clock.NowUs(), 24 * 520 + 200'000);
}

TEST_F(LoopbackTest, DeadDeviceFailsAtOnceAndASilentWriterCostsTheTimeOut) {
  platform.AttachWriter(1, writer);
  ASSERT_TRUE(link.OpenPort("COM1"));
  platform.port(1).lineDropped = true;  // the adapter is unplugged
  EXPECT_EQ(Exchange(kDetect), -1);
  EXPECT_TRUE(writer.requests().empty());
  std::uint8_t byte = 0xEE;
  EXPECT_FALSE(link.port().ReadByte(byte));
  EXPECT_EQ(clock.NowMs(), 0);

  platform.port(1).lineDropped = false;  // the writer's line dies four bytes into its reply
  writer.SetFaults({.dropLineAfterBytes = 4});
  EXPECT_EQ(Exchange(kDetect), -1);
  EXPECT_EQ(ByteVector(reply.begin(), reply.begin() + 5), Hex("02 00 30 0A 00"));
  EXPECT_EQ(Exchange(kDetect), -1);
  EXPECT_EQ(reply[0], 0);
  EXPECT_EQ(clock.NowMs(), 400);
}

TEST_F(LoopbackTest, EachOpenIsExclusiveAndStartsWithNothingInFlight) {
  platform.AttachWriter(1, writer);
  std::unique_ptr<SerialDevice> device = platform.Open("\\\\.\\COM1");
  for (std::uint8_t b : kDetect) device->WriteByte(b);
  EXPECT_EQ(platform.Open("\\\\.\\COM1"), nullptr);
  device.reset();
  device = platform.Open("\\\\.\\COM1");
  std::uint8_t byte = 0;
  int count = -1;
  EXPECT_TRUE(device->ReadByte(byte, count));
  EXPECT_EQ(count, 0);
  EXPECT_EQ(platform.port(1).opens, 2);
}

}  // namespace
}  // namespace morvik::sim
