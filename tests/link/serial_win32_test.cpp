// The Win32 platform's refusals, with a file standing in for the port: the
// exclusive open treats both alike.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "link/system_serial.h"

namespace morvik {
namespace {

TEST(Win32Platform, APortHeldElsewhereIsBusyAndAMissingOneMissing) {
  const std::filesystem::path dir = std::filesystem::temp_directory_path();
  std::ofstream(dir / "morvik-held-port") << "";
  const std::unique_ptr<SerialPlatform> platform = MakeSystemSerialPlatform();
  const std::unique_ptr<SerialDevice> held = platform->Open((dir / "morvik-held-port").string());
  ASSERT_NE(held, nullptr);
  EXPECT_EQ(platform->Open((dir / "morvik-held-port").string()), nullptr);
  EXPECT_EQ(platform->Open((dir / "morvik-no-such-port").string()), nullptr);
  const std::vector<RefusedDevice> refused = platform->TakeRefusals();
  ASSERT_EQ(refused.size(), 2u);
  EXPECT_EQ(refused[0].device, "morvik-held-port");
  EXPECT_EQ(refused[0].reason, RefusedDevice::Reason::kBusy);
  EXPECT_EQ(refused[1].device, "morvik-no-such-port");
  EXPECT_EQ(refused[1].reason, RefusedDevice::Reason::kMissing);
}

}  // namespace
}  // namespace morvik
