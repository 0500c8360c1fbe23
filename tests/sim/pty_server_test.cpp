// The simulator program on a real pseudo-terminal, reached by the tool's own
// termios port code with real 200 ms time-outs.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <numeric>

#include "hex_bytes.h"
#include "link/system_serial.h"
#include "link/writer_link.h"
#include "window/control_ids.h"
#include "window/headless_window.h"

namespace morvik::sim {
namespace {

namespace fs = std::filesystem;
using test::ByteVector;
using test::Hex;

// One run of morvik-writer-sim, its stdout on a pipe, its stderr in a file.
class SimProcess {
 public:
  bool Start(std::vector<std::string> args, const fs::path& errorFile) {
    int out[2];
    if (pipe(out) != 0) return false;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errorFile.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    args.insert(args.begin(), MORVIK_WRITER_SIM);
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    const int spawned = posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    stdout_ = out[0];
    return spawned == 0;
  }

  // The first line it prints, or "" when none comes within five seconds.
  std::string ReadLine() {
    std::string line;
    char c = 0;
    pollfd fd{stdout_, POLLIN, 0};
    while (poll(&fd, 1, 5000) == 1 && read(stdout_, &c, 1) == 1 && c != '\n') line += c;
    return line;
  }

  // Asks it to end; its exit status, or -1.
  int Stop() {
    if (pid_ <= 0) return -1;
    kill(pid_, SIGTERM);
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = 0;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  ~SimProcess() {
    if (pid_ > 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    if (stdout_ >= 0) close(stdout_);
  }

 private:
  pid_t pid_ = 0;
  int stdout_ = -1;
};

class PtyServerTest : public testing::Test {
 protected:
  PtyServerTest() {
    char pattern[] = "/tmp/morvik-sim-test-XXXXXX";
    dir = mkdtemp(pattern);
    setenv("MORVIK_PORT_DIR", dir.c_str(), 1);
  }
  ~PtyServerTest() override { fs::remove_all(dir); }

  int Exchange(const ByteVector& request) { return link.Exchange(request, reply); }
  ByteVector Reply(int payloadLength) const {
    return ByteVector(reply.begin(), reply.begin() + payloadLength + 7);
  }

  fs::path dir;
  SimProcess sim;
  std::unique_ptr<SerialPlatform> platform = MakeSystemSerialPlatform();
  SystemClock clock;
  HeadlessWindow window;
  WriterLink link{*platform, window, clock};
  std::array<std::uint8_t, 1024> reply{};
};

TEST_F(PtyServerTest, ServesTheWholeStartUpAndTheCardOnARealPty) {
  const fs::path cardFile = dir / "card.bin";
  {
    std::array<char, 256> counting{};
    std::iota(counting.begin(), counting.end(), char{0});
    std::ofstream(cardFile, std::ios::binary).write(counting.data(), counting.size());
  }
  ASSERT_TRUE(sim.Start({"--com", "3", "--silent-com", "1", "--cid", "12AB", "--card-file",
                         cardFile.string(), "--trace"},
                        dir / "trace.txt"));
  const std::string ready = sim.ReadLine();
  ASSERT_TRUE(ready.starts_with("ready COM3 /dev/pts/")) << ready;

  // The silent port opens and gives nothing, after a real time-out.
  ASSERT_TRUE(link.OpenPort("COM1"));
  const auto before = std::chrono::steady_clock::now();
  EXPECT_EQ(Exchange(Hex("02 00 4F 02 F0 00 03 46 0D")), -1);
  EXPECT_GE(std::chrono::steady_clock::now() - before, std::chrono::milliseconds(190));
  link.port().Close();

  ASSERT_TRUE(link.OpenPort("COM3"));
  ASSERT_EQ(link.Handshake(), 1);
  EXPECT_EQ(window.text(kIdcReport), "MRVKVer=0211, MRVKDate=261206, MRVKCID=12AB");

  // Closing and reopening leaves the port working.
  link.port().Close();
  ASSERT_TRUE(link.OpenPort("COM3"));
  ASSERT_EQ(Exchange(Hex("02 00 78 0C 23 08 04 01 01 23 45 67 89 AB CD EF 03 79 0D")), 17);
  EXPECT_EQ(Reply(17),
            Hex("02 00 30 11 00 20 21 22 23 24 25 26 27 28 29 2A 2B 2C 2D 2E 2F 03 BE 0D"));
  EXPECT_EQ(Exchange(Hex("02 00 78 10 A1 05 04 11 22 33 44 01 01 23 45 67 89 AB CD EF 03 A2 0D")), 0);
  link.port().Close();

  EXPECT_EQ(sim.Stop(), 0);
  EXPECT_FALSE(fs::exists(fs::symlink_status(dir / "COM3")));
  EXPECT_FALSE(fs::exists(fs::symlink_status(dir / "COM1")));
  std::ifstream saved(cardFile, std::ios::binary);
  const ByteVector card{std::istreambuf_iterator<char>(saved), {}};
  ASSERT_EQ(card.size(), 256u);
  EXPECT_EQ(ByteVector(card.begin() + 16, card.begin() + 28),
            Hex("10 11 12 13 11 22 33 44 18 19 1A 1B"));

  std::ifstream traceFile(dir / "trace.txt");
  const std::string trace{std::istreambuf_iterator<char>(traceFile), {}};
  EXPECT_NE(trace.find("> 02 00 4F 04 F1 00 12 AB 03 06 0D\n< 02 00 30 00 03 35 0D\n"),
            std::string::npos)
      << trace;
}

TEST_F(PtyServerTest, RefusesABadCommandLine) {
  ASSERT_TRUE(sim.Start({"--cid", "12345"}, dir / "error.txt"));
  EXPECT_EQ(sim.ReadLine(), "");
  EXPECT_EQ(sim.Stop(), 2);
}

}  // namespace
}  // namespace morvik::sim
