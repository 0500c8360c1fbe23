// The Windows build of the writer link against morvik-writer-sim, run under
// Wine: the Win32 serial device on real COM ports (Wine maps each to a
// pseudo-terminal of the Linux simulator), and a whole connect, content write
// and dump as the window runs them.
//
// scripts/test-windows prepares the ports before running this program:
//   COM1 and COM12  a silent port (a tty on which nothing ever answers)
//   COM7            the simulated writer, with the default identity and card
// COM2-COM6 do not exist. MORVIK_WINE_CARD_FILE names (as a Windows path) the
// file in which the simulator keeps its card's 256 bytes.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include "card/block_commands.h"
#include "card/card_operations.h"
#include "content/content_settings.h"
#include "content/terminal_settings.h"
#include "link/clock.h"
#include "link/system_serial.h"
#include "tests/support/abc_card.h"
#include "window/control_ids.h"
#include "window/headless_window.h"

namespace morvik {
namespace {

// The Win32 platform, keeping the last device it opened and that device's
// line settings as opened, so what the link set can be read back from it.
struct KeepingPlatform final : SerialPlatform {
  std::unique_ptr<SerialDevice> Open(std::string_view path) override {
    std::unique_ptr<SerialDevice> device = inner->Open(path);
    if (device) device->GetState(asOpened);
    opened = device.get();
    return device;
  }
  std::unique_ptr<SerialPlatform> inner = MakeSystemSerialPlatform();
  SerialDevice* opened = nullptr;
  LineSettings asOpened;
};

// On a port where nothing answers: 19200 8N1 without flow control, the other
// fields as the port had them, 200 ms time-outs; an empty read fails, leaving
// the port open.
TEST(Win32Port, LinkSetsTheLineAndTimeOutsAndAnEmptyReadFails) {
  KeepingPlatform platform;
  HeadlessWindow window;
  SystemClock clock;
  WriterLink link(platform, window, clock);
  CSerialCom& port = link.port();

  EXPECT_FALSE(link.OpenPort("COM2"));  // no such port
  EXPECT_FALSE(port.IsOpen());
  ASSERT_TRUE(link.OpenPort("COM12")) << "\\\\.\\COM12 for a two-digit port";

  LineSettings line;
  ASSERT_TRUE(platform.opened->GetState(line));
  EXPECT_EQ(line.BaudRate, 19200u);
  EXPECT_EQ((std::array<unsigned, 4>{line.ByteSize, line.Parity, line.StopBits, line.fParity}),
            (std::array<unsigned, 4>{8, 0, 0, 0}));
  EXPECT_EQ(line.fOutxCtsFlow | line.fOutxDsrFlow | line.fOutX | line.fInX, 0u);
  const LineSettings& was = platform.asOpened;
  EXPECT_EQ((std::array{line.XonChar, line.XoffChar, line.EofChar, line.EvtChar}),
            (std::array{was.XonChar, was.XoffChar, was.EofChar, was.EvtChar}));
  PortTimeouts t{1, 1, 1, 1, 1};
  ASSERT_TRUE(platform.opened->GetTimeouts(t));
  EXPECT_EQ((std::array{t.ReadIntervalTimeout, t.ReadTotalTimeoutMultiplier,
                        t.ReadTotalTimeoutConstant, t.WriteTotalTimeoutMultiplier,
                        t.WriteTotalTimeoutConstant}),
            (std::array<std::uint32_t, 5>{200, 200, 0, 0, 0}));

  std::uint8_t byte = 0xAA;
  EXPECT_FALSE(port.ReadByte(byte));
  EXPECT_EQ(byte, 0);
  EXPECT_TRUE(port.IsOpen());  // silence leaves the port open
  EXPECT_TRUE(port.WriteByte(0x02));
  port.Close();
  EXPECT_TRUE(link.OpenPort("COM12")) << "closing released the device";
}

// The scan passes over the silent COM1 and the missing COM2-COM6, finds the
// writer on COM7; the content card is written and dumped, all silently. With
// either reply end: the fast one reads several bytes per ReadFile.
class WineEndToEnd : public testing::TestWithParam<ReplyEnd> {};

TEST_P(WineEndToEnd, ConnectWriteAndDumpOnTheSimulatedWriter) {
  const std::unique_ptr<SerialPlatform> platform = MakeSystemSerialPlatform();
  HeadlessWindow window;
  SystemClock clock;
  CardOperations dialog(*platform, window, clock);
  dialog.SetReplyEnd(GetParam());

  dialog.ConnectWriter();
  ASSERT_EQ(dialog.connectedPort(), "COM7");
  EXPECT_FALSE(window.exitStatus().has_value());
  EXPECT_EQ(window.text(kIdcReport), "MRVKVer=0211, MRVKDate=261206, MRVKCID=1234");
  EXPECT_EQ(window.text(kIdcCustomerId), "1234");

  ResetContentSettings(dialog.contentSettings());
  FillSettingsLists(window);
  window.SetControlText(kIdcUrl, "abc");
  dialog.OnWriteCard();
  EXPECT_EQ(window.waitCursorBegins(), 1);
  EXPECT_EQ(window.waitCursorDepth(), 0);

  dialog.OnDumpCard();
  const auto expected = test::AbcContentCard(0x12, 0x34, 0x85);
  EXPECT_EQ(window.text(kIdcReport), CardListing(expected));
  for (const ShownMessage& message : window.messages()) ADD_FAILURE() << message.text;

  const char* cardFile = std::getenv("MORVIK_WINE_CARD_FILE");
  ASSERT_NE(cardFile, nullptr);
  std::ifstream in(cardFile, std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), test::AsString(expected))
      << "the simulator's card file";
}

INSTANTIATE_TEST_SUITE_P(ReplyEnds, WineEndToEnd,
                         testing::Values(ReplyEnd::kSilence, ReplyEnd::kFrameAndGuard));

}  // namespace
}  // namespace morvik
