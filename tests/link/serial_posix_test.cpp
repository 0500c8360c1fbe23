// The termios device on a real pseudo-terminal: a rate termios lacks, the read
// time-out as the terminal holds it, and the exclusive hold on the port.
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "link/system_serial.h"

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
    const std::string slave = ptsname(master_);
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

  int master_ = -1, slave_ = -1;
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

}  // namespace
}  // namespace morvik
