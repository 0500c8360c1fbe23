#include "link/serial_com.h"

#include <gtest/gtest.h>

#include "link/clock.h"
#include "link/writer_link.h"
#include "tests/support/scripted_line.h"
#include "window/headless_window.h"

namespace morvik {
namespace {

using test::FakeClock;
using test::ScriptedPlatform;

// The start-up waits the writer needs really pass: at least, never less.
TEST(SystemClock, SleepWaitsAtLeastTheTimeAsked) {
  SystemClock clock;
  const std::int64_t before = clock.NowMs();
  clock.Sleep(30);
  EXPECT_GE(clock.NowMs() - before, 30);
}

TEST(SerialCom, EveryOperationOnAClosedPortFailsAtOnce) {
  FakeClock clock;
  ScriptedPlatform platform(clock);
  CSerialCom port(platform);
  std::uint8_t byte = 0x55;
  EXPECT_FALSE(port.ReadByte(byte));
  EXPECT_EQ(byte, 0);
  EXPECT_FALSE(port.WriteByte(0x02));
  EXPECT_FALSE(port.SetState(19200, 8, 0, 0, 0));
  EXPECT_FALSE(port.SetTimeouts(200, 200, 0, 0, 0));
  std::size_t count = 9;
  EXPECT_FALSE(port.ReadAvailable(std::span(&byte, 1), 200, count));
  EXPECT_EQ(count, 0u);
  port.Close();
  port.Close();
  EXPECT_FALSE(port.IsOpen());
  EXPECT_EQ(clock.now, 0);
}

TEST(SerialCom, DevicePathPrefixesEveryPortNumber) {
  EXPECT_EQ(CSerialCom::DevicePath("COM3"), "\\\\.\\COM3");
  EXPECT_EQ(CSerialCom::DevicePath("COM12"), "\\\\.\\COM12");
}

TEST(OpenPort, PutsTheWritersLineSettingsAndKeepsTheRest) {
  FakeClock clock;
  ScriptedPlatform platform(clock);
  HeadlessWindow window;
  test::PortScript& script = platform.port(4);
  script.settings.BaudRate = 9600;
  script.settings.Parity = 2;
  script.settings.fOutxCtsFlow = 1;
  script.settings.fDtrControl = 1;
  script.settings.fRtsControl = 2;
  script.settings.fOutX = 1;
  script.settings.XonChar = 0x21;
  script.settings.fTXContinueOnXoff = 1;
  script.timeouts.ReadTotalTimeoutConstant = 999;
  WriterLink link(platform, window, clock);

  ASSERT_TRUE(link.OpenPort("COM4"));
  const LineSettings& s = script.settings;
  EXPECT_EQ(s.BaudRate, 19200u);
  EXPECT_EQ(s.ByteSize, 8);
  EXPECT_EQ(s.Parity, 0);
  EXPECT_EQ(s.StopBits, 0);
  EXPECT_EQ(s.fBinary, 1u);
  EXPECT_EQ(s.fOutxCtsFlow + s.fOutxDsrFlow + s.fDtrControl + s.fRtsControl + s.fOutX + s.fInX +
                s.fNull + s.fDsrSensitivity + s.fAbortOnError + s.fParity,
            0u);
  EXPECT_EQ(s.XonChar, 0x21);
  EXPECT_EQ(s.fTXContinueOnXoff, 1u);
  const PortTimeouts& t = script.timeouts;
  EXPECT_EQ(t.ReadIntervalTimeout, 200u);
  EXPECT_EQ(t.ReadTotalTimeoutMultiplier, 200u);
  EXPECT_EQ(t.ReadTotalTimeoutConstant, 0u);
  EXPECT_EQ(t.WriteTotalTimeoutMultiplier, 0u);
  EXPECT_EQ(t.WriteTotalTimeoutConstant, 0u);
}

TEST(OpenPort, AnyFailureLeavesThePortClosed) {
  FakeClock clock;
  ScriptedPlatform platform(clock);
  HeadlessWindow window;
  platform.port(2).failSetState = true;
  platform.port(3).failSetTimeouts = true;
  WriterLink link(platform, window, clock);
  EXPECT_FALSE(link.OpenPort("COM9"));  // no such device
  EXPECT_FALSE(link.port().IsOpen());
  EXPECT_FALSE(link.OpenPort("COM2"));  // settings refused
  EXPECT_FALSE(link.port().IsOpen());
  EXPECT_EQ(platform.port(2).opens, 1);
  EXPECT_FALSE(link.OpenPort("COM3"));  // time-outs refused
  EXPECT_FALSE(link.port().IsOpen());
}

}  // namespace
}  // namespace morvik
