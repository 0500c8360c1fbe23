// The Windows build of the writer link against morvik-writer-sim, run under
// Wine: the Win32 serial device on real COM ports (Wine maps each to a
// pseudo-terminal of the Linux simulator), the real 200 ms time-outs, and a
// whole connect, content write and dump as the window runs them.
//
// scripts/test-windows prepares the ports before running this program:
//   COM1 and COM12  a silent port (a tty on which nothing ever answers)
//   COM7            the simulated writer, with the default identity and card
// COM2-COM6 do not exist. MORVIK_WINE_CARD_FILE names (as a Windows path) the
// file in which the simulator keeps its card's 256 bytes.
#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "card/block_commands.h"
#include "card/card_operations.h"
#include "content/content_settings.h"
#include "content/terminal_settings.h"
#include "link/clock.h"
#include "link/system_serial.h"
#include "window/control_ids.h"
#include "window/headless_window.h"

namespace morvik {
namespace {

using Image = std::array<std::uint8_t, 256>;
using std::chrono::milliseconds;
using std::chrono::steady_clock;

// The content card for URL "abc" on a writer whose customer ID is 12 34.
Image AbcImage() {
  Image image{};
  const std::uint8_t head[] = {0x4D, 0x76, 0x00, 0x02, 0x12, 0x34, 0x00, 0x00, 0x01, 0x12,
                               0x34, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00, 0x0B, 0x01, 0x02,
                               0x05, 0x00, 0x03, 0x00, 0x61, 0x62, 0x63, 0x00};
  const std::uint8_t tail[] = {0x85, 0x00, 0x12, 0x34, 0x00, 0x00, 0x3C, 0x00};
  std::copy(std::begin(head), std::end(head), image.begin());
  std::copy(std::begin(tail), std::end(tail), image.begin() + 248);
  return image;
}

std::vector<std::uint8_t> ReadCardFile() {
  const char* path = std::getenv("MORVIK_WINE_CARD_FILE");
  if (path == nullptr) return {};
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

long long MillisecondsSince(steady_clock::time_point start) {
  return std::chrono::duration_cast<milliseconds>(steady_clock::now() - start).count();
}

// The port's own operations on a port where nothing answers.
TEST(Win32Port, OpensByDevicePathAndAnEmptyReadEndsAfter200Ms) {
  const std::unique_ptr<SerialPlatform> platform = MakeSystemSerialPlatform();
  HeadlessWindow window;
  SystemClock clock;
  WriterLink link(*platform, window, clock);
  CSerialCom& port = link.port();

  EXPECT_FALSE(link.OpenPort("COM2"));  // no such port
  EXPECT_FALSE(port.IsOpen());
  ASSERT_TRUE(link.OpenPort("COM12")) << "\\\\.\\COM12 for a two-digit port";

  std::uint8_t byte = 0xAA;
  const steady_clock::time_point start = steady_clock::now();
  EXPECT_FALSE(port.ReadByte(byte));
  const long long waited = MillisecondsSince(start);
  EXPECT_EQ(byte, 0);
  EXPECT_GE(waited, 180);
  EXPECT_LE(waited, 1000);
  EXPECT_TRUE(port.IsOpen());  // silence leaves the port open
  EXPECT_TRUE(port.WriteByte(0x02));

  port.Close();
  port.Close();
  EXPECT_FALSE(port.IsOpen());
  EXPECT_FALSE(port.ReadByte(byte));
  EXPECT_FALSE(port.WriteByte(0x02));
}

// What the Win32 device writes reaches the port and comes back unchanged,
// and the fields nobody names survive the round trip.
TEST(Win32Port, LineSettingsAndTimeoutsReadBackAsWritten) {
  const std::unique_ptr<SerialPlatform> platform = MakeSystemSerialPlatform();
  const std::unique_ptr<SerialDevice> device = platform->Open(CSerialCom::DevicePath("COM12"));
  ASSERT_NE(device, nullptr);

  LineSettings before;
  ASSERT_TRUE(device->GetState(before));
  LineSettings wanted = before;
  wanted.BaudRate = 19200;
  wanted.ByteSize = 8;
  wanted.Parity = 0;
  wanted.StopBits = 0;
  wanted.fBinary = 1;
  wanted.fParity = 0;
  wanted.fOutxCtsFlow = 0;
  wanted.fOutxDsrFlow = 0;
  wanted.fOutX = 0;
  wanted.fInX = 0;
  ASSERT_TRUE(device->SetState(wanted));
  LineSettings after;
  ASSERT_TRUE(device->GetState(after));
  EXPECT_EQ(after.BaudRate, 19200u);
  EXPECT_EQ(after.ByteSize, 8);
  EXPECT_EQ(after.Parity, 0);
  EXPECT_EQ(after.StopBits, 0);
  EXPECT_EQ(after.fParity, 0);
  EXPECT_EQ(after.fOutxCtsFlow | after.fOutxDsrFlow | after.fOutX | after.fInX, 0);  // no flow control
  EXPECT_EQ(after.XonChar, before.XonChar);
  EXPECT_EQ(after.XoffChar, before.XoffChar);
  EXPECT_EQ(after.EofChar, before.EofChar);
  EXPECT_EQ(after.EvtChar, before.EvtChar);

  const PortTimeouts timeouts{200, 200, 0, 0, 0};
  ASSERT_TRUE(device->SetTimeouts(timeouts));
  PortTimeouts read{1, 1, 1, 1, 1};
  ASSERT_TRUE(device->GetTimeouts(read));
  const std::array<std::uint32_t, 5> got{read.ReadIntervalTimeout, read.ReadTotalTimeoutMultiplier,
                                         read.ReadTotalTimeoutConstant,
                                         read.WriteTotalTimeoutMultiplier,
                                         read.WriteTotalTimeoutConstant};
  EXPECT_EQ(got, (std::array<std::uint32_t, 5>{200, 200, 0, 0, 0}));
}

// The scan passes over the silent COM1 and the missing COM2-COM6, finds the
// writer on COM7; the content card is written and dumped, all silently.
TEST(WineEndToEnd, ConnectWriteAndDumpOnTheSimulatedWriter) {
  const std::unique_ptr<SerialPlatform> platform = MakeSystemSerialPlatform();
  HeadlessWindow window;
  SystemClock clock;
  CardOperations dialog(*platform, window, clock);

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
  const Image expected = AbcImage();
  EXPECT_EQ(window.text(kIdcReport), CardListing(expected));
  for (const ShownMessage& message : window.messages()) ADD_FAILURE() << message.text;

  const std::vector<std::uint8_t> card = ReadCardFile();
  EXPECT_EQ(card, std::vector<std::uint8_t>(expected.begin(), expected.end()))
      << "the simulator's card file (MORVIK_WINE_CARD_FILE)";
}

}  // namespace
}  // namespace morvik
