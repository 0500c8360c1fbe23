// The simulator program on a real pseudo-terminal, reached by the tool's own
// termios port code with real 200 ms time-outs.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <numeric>

#include "hex_bytes.h"
#include "link/system_serial.h"
#include "link/writer_link.h"
#include "tests/support/process.h"
#include "window/control_ids.h"
#include "window/headless_window.h"

namespace morvik::sim {
namespace {

namespace fs = std::filesystem;
using test::ByteVector;
using test::Hex;

TEST(PtyServer, ServesTheStartUpAndTheCardAndSavesTheCardOnStop) {
  const fs::path cardFile =
      fs::temp_directory_path() / ("morvik-pty-card-" + std::to_string(getpid()));
  {
    std::array<char, 256> counting{};
    std::iota(counting.begin(), counting.end(), char{0});
    std::ofstream(cardFile, std::ios::binary).write(counting.data(), counting.size());
  }
  morvik::test::Simulator simulator(
      {"--com", "3", "--silent-com", "1", "--cid", "12AB", "--card-file", cardFile.string()});
  ASSERT_TRUE(simulator.ready());
  const fs::path com3 = fs::path(simulator.portDir()) / "COM3";
  EXPECT_TRUE(fs::read_symlink(com3).string().starts_with("/dev/pts/"));

  std::unique_ptr<SerialPlatform> platform = MakeSystemSerialPlatform();
  SystemClock clock;
  HeadlessWindow window;
  WriterLink link{*platform, window, clock};
  std::array<std::uint8_t, 1024> reply{};
  // The silent port opens and never answers.
  ASSERT_TRUE(link.OpenPort("COM1"));
  EXPECT_EQ(link.Exchange(Hex("02 00 4F 02 F0 00 03 46 0D"), reply), -1);
  link.port().Close();

  ASSERT_TRUE(link.OpenPort("COM3"));
  ASSERT_EQ(link.Handshake(), HandshakeResult::kAnswered);
  EXPECT_EQ(window.text(kIdcReport), "MRVKVer=0211, MRVKDate=261206, MRVKCID=12AB");
  // Closed and opened again, the port still serves the card.
  link.port().Close();
  ASSERT_TRUE(link.OpenPort("COM3"));
  ASSERT_EQ(link.Exchange(Hex("02 00 78 0C 23 08 04 01 01 23 45 67 89 AB CD EF 03 79 0D"), reply),
            17);
  EXPECT_EQ(ByteVector(reply.begin(), reply.begin() + 24),
            Hex("02 00 30 11 00 20 21 22 23 24 25 26 27 28 29 2A 2B 2C 2D 2E 2F 03 BE 0D"));
  EXPECT_EQ(link.Exchange(
                Hex("02 00 78 10 A1 05 04 11 22 33 44 01 01 23 45 67 89 AB CD EF 03 A2 0D"), reply),
            0);
  link.port().Close();

  simulator.Stop();
  EXPECT_FALSE(fs::exists(fs::symlink_status(com3)));
  EXPECT_FALSE(fs::exists(fs::symlink_status(fs::path(simulator.portDir()) / "COM1")));
  std::ifstream saved(cardFile, std::ios::binary);
  const ByteVector card{std::istreambuf_iterator<char>(saved), {}};
  fs::remove(cardFile);
  ASSERT_EQ(card.size(), 256u);
  EXPECT_EQ(ByteVector(card.begin() + 16, card.begin() + 28),
            Hex("10 11 12 13 11 22 33 44 18 19 1A 1B"));
}

// Bad values are refused with status 2; a port another simulator serves, a
// folder that is not there and a file of another program at COMn's place with
// status 1 (as the writer's port or a silent one), leaving what was there in
// place.
TEST(PtyServer, RefusesBadValuesAndPortsItCannotTake) {
  morvik::test::Simulator first({"--com", "3"});
  ASSERT_TRUE(first.ready());
  const fs::path com3 = fs::path(first.portDir()) / "COM3";
  const fs::path target = fs::read_symlink(com3);
  const fs::path com4 = fs::path(first.portDir()) / "COM4";
  std::ofstream(com4) << "another program's file";
  const std::string missingDir = first.portDir() + "/not-there";
  const struct {
    std::vector<std::string> options;
    int status;
  } refused[] = {{{"--cid", "12345"}, 2},
                 {{"--silent-com", "300"}, 2},
                 {{"--com", "0"}, 2},
                 {{"--com", "3"}, 1},
                 {{"--com", "4"}, 1},
                 {{"--com", "6", "--silent-com", "4"}, 1},
                 {{"--port-dir", missingDir}, 1}};
  for (const auto& [options, status] : refused) {
    std::vector<std::string> args{MORVIK_WRITER_SIM, "--port-dir", first.portDir()};
    args.insert(args.end(), options.begin(), options.end());
    const morvik::test::CommandResult result = morvik::test::RunCommand(args);
    EXPECT_EQ(result.status, status) << options[0] << " " << options[1];
    EXPECT_EQ(result.out, "") << options[0] << " " << options[1];
  }
  EXPECT_EQ(fs::read_symlink(com3), target);
  EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(com4)));
  EXPECT_FALSE(fs::exists(missingDir));
}

// A simulator killed outright leaves its link; the next one on that port
// replaces it (saying so) and serves, whatever the old link points at by then:
// nothing, or a terminal another program holds.
TEST(PtyServer, ReplacesTheLinkOfAKilledSimulatorAndServes) {
  for (const bool targetTakenAgain : {false, true}) {
    SCOPED_TRACE(targetTakenAgain ? "the old terminal given to another program" : "the old terminal gone");
    morvik::test::Simulator killed({"--com", "5"});
    ASSERT_TRUE(killed.ready());
    const fs::path com5 = fs::path(killed.portDir()) / "COM5";
    killed.Kill();
    ASSERT_TRUE(fs::is_symlink(com5));
    const int otherProgramsTerminal = targetTakenAgain ? posix_openpt(O_RDWR | O_NOCTTY) : -1;
    if (targetTakenAgain) {
      ASSERT_GE(otherProgramsTerminal, 0);
      ASSERT_EQ(grantpt(otherProgramsTerminal) | unlockpt(otherProgramsTerminal), 0);
      fs::remove(com5);
      fs::create_symlink(ptsname(otherProgramsTerminal), com5);
    }
    const fs::path staleTarget = fs::read_symlink(com5);

    morvik::test::Simulator next({"--com", "5"}, killed.portDir());
    ASSERT_TRUE(next.ready()) << next.errors();
    EXPECT_TRUE(next.errors().starts_with("morvik-writer-sim: COM5: replaced the link to " + staleTarget.string() +
                                          " left by a simulator that is gone\n"))
        << next.errors();
    if (targetTakenAgain) {
      EXPECT_NE(fs::read_symlink(com5), staleTarget);
    }
    std::unique_ptr<SerialPlatform> platform = MakeSystemSerialPlatform();
    SystemClock clock;
    HeadlessWindow window;
    WriterLink link{*platform, window, clock};
    ASSERT_TRUE(link.OpenPort("COM5"));
    std::array<std::uint8_t, 1024> reply{};
    EXPECT_EQ(link.Exchange(Hex("02 00 78 0C 23 08 04 01 01 23 45 67 89 AB CD EF 03 79 0D"), reply), 17);
    link.port().Close();
    if (otherProgramsTerminal >= 0) close(otherProgramsTerminal);
  }
}

}  // namespace
}  // namespace morvik::sim
