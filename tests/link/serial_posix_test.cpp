// The termios device on a real pseudo-terminal: a rate termios lacks, the read
// time-out as the terminal holds it, and the exclusive hold on the port.
#include <fcntl.h>
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "link/device_holders.h"
#include "link/system_serial.h"
#include "link/writer_link.h"

namespace morvik {
namespace {

namespace fs = std::filesystem;

// A pseudo-terminal linked as DIR/COM1, with a descriptor of its own on the
// terminal side to read its settings through.
class PtyPort : public testing::Test {
 protected:
  void SetUp() override {
    master_ = posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(master_, 0);
    ASSERT_EQ(grantpt(master_), 0);
    ASSERT_EQ(unlockpt(master_), 0);
    slavePath_ = ptsname(master_);
    const std::string& slave = slavePath_;
    slave_ = ::open(slave.c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(slave_, 0);
    dir_ = fs::temp_directory_path() / ("morvik-posix-" + std::to_string(getpid()));
    fs::create_directories(dir_);
    fs::create_symlink(slave, dir_ / "COM1");
    setenv("MORVIK_PORT_DIR", dir_.c_str(), 1);
  }
  void TearDown() override {
    unsetenv("MORVIK_PORT_DIR");
    fs::remove_all(dir_);
    ::close(slave_);
    ::close(master_);
  }
  cc_t ReadTimeTenths() {
    termios tio{};
    EXPECT_EQ(tcgetattr(slave_, &tio), 0);
    EXPECT_EQ(tio.c_cc[VMIN], 0);
    return tio.c_cc[VTIME];
  }

  // What opening COM1 as the user nobody is told, from a child process.
  std::string RefusalToNobody() {
    int pipeFds[2];
    EXPECT_EQ(pipe(pipeFds), 0);
    const pid_t child = fork();
    if (child == 0) {
      ::close(pipeFds[0]);
      std::string said = "opened";
      if (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0) said = "setuid failed";
      const std::unique_ptr<SerialPlatform> platform = MakeSystemSerialPlatform();
      if (said == "opened" && platform->Open("\\\\.\\COM1") == nullptr) {
        const std::vector<RefusedDevice> refused = platform->TakeRefusals();
        said = refused.empty() ? "no refusal" : PortProblemText({"COM1", PortProblem::kNoPermission, refused.back()});
      }
      (void)!write(pipeFds[1], said.data(), said.size());
      _exit(0);
    }
    ::close(pipeFds[1]);
    std::string said;
    char buffer[256];
    for (ssize_t n; (n = read(pipeFds[0], buffer, sizeof buffer)) > 0;) said.append(buffer, static_cast<std::size_t>(n));
    ::close(pipeFds[0]);
    waitpid(child, nullptr, 0);
    return said;
  }

  int master_ = -1, slave_ = -1;
  std::string slavePath_;
  fs::path dir_;
};

TEST_F(PtyPort, UnknownRateIsRefusedReadTimeOutRoundsUpAndThePortIsHeldUntilClosed) {
  const std::unique_ptr<SerialPlatform> platform = MakeSystemSerialPlatform();
  std::unique_ptr<SerialDevice> device = platform->Open("\\\\.\\COM1");
  ASSERT_NE(device, nullptr);
  LineSettings line;
  line.BaudRate = 12345;
  EXPECT_FALSE(device->SetState(line));
  for (const auto& [ms, tenths] : {std::pair{200u, 2}, {250u, 3}, {1u, 1}}) {
    ASSERT_TRUE(device->SetTimeouts({ms, ms, 0, 0, 0}));
    EXPECT_EQ(ReadTimeTenths(), tenths) << ms;
  }
  // A second opener is refused and named as busy, root included.
  EXPECT_EQ(platform->Open("\\\\.\\COM1"), nullptr);
  const std::vector<RefusedDevice> refused = platform->TakeRefusals();
  ASSERT_EQ(refused.size(), 1u);
  EXPECT_EQ(refused[0].reason, RefusedDevice::Reason::kBusy);
  device.reset();
  EXPECT_NE(platform->Open("\\\\.\\COM1"), nullptr);
}

TEST_F(PtyPort, PermissionAdviceFollowsTheTerminalsModeAndGroup) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root to open the terminal as another user";
  ASSERT_EQ(chown(slavePath_.c_str(), 0, 0), 0);
  ASSERT_EQ(chmod(slavePath_.c_str(), 0600), 0);
  EXPECT_EQ(RefusalToNobody(),
            "no permission (only root may open it: ask the administrator to give it to the group dialout)");
  const group* dialout = getgrnam("dialout");
  if (dialout == nullptr) GTEST_SKIP() << "no group dialout";
  ASSERT_EQ(chown(slavePath_.c_str(), 0, dialout->gr_gid), 0);
  ASSERT_EQ(chmod(slavePath_.c_str(), 0660), 0);
  EXPECT_EQ(RefusalToNobody(), "no permission (join the group dialout)");
}

TEST(DeviceHolders, TheTerminalNumberIsReadFromTheDescriptorsInformation) {
  EXPECT_EQ(TtyIndexOf("pos:\t0\nflags:\t02100002\nmnt_id:\t24\nino:\t90\ntty-index:\t7\n"), 7);
  EXPECT_EQ(TtyIndexOf("tty-index:\t12"), 12);
  EXPECT_EQ(TtyIndexOf("pos:\t0\nflags:\t02\n"), -1);
  EXPECT_EQ(TtyIndexOf("xtty-index:\t3\n"), -1);
}

}  // namespace
}  // namespace morvik
