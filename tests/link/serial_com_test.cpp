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
  platform.port(2).failGetState = true;
  platform.port(3).failSetState = true;
  platform.port(4).failGetTimeouts = true;
  platform.port(5).failSetTimeouts = true;
  WriterLink link(platform, window, clock);
  // No such device, then each reading or setting of the port refused in turn.
  for (const char* name : {"COM9", "COM2", "COM3", "COM4", "COM5"}) {
    EXPECT_FALSE(link.OpenPort(name)) << name;
    EXPECT_FALSE(link.port().IsOpen()) << name;
  }
  EXPECT_EQ(platform.port(3).opens, 1);
}

}  // namespace
}  // namespace morvik
