// The Win32 platform's refusals: a port another handle holds is named busy, a
// port that is not there is not a refusal. A file stands in for the port; the
// exclusive open behaves alike for both.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "link/system_serial.h"

namespace morvik {
namespace {

TEST(Win32Platform, APortHeldElsewhereIsBusyAndAMissingOneIsNoRefusal) {
  const std::filesystem::path dir = std::filesystem::temp_directory_path();
  const std::filesystem::path held = dir / "morvik-held-port";
  std::ofstream(held) << "";
  const std::unique_ptr<SerialPlatform> platform = MakeSystemSerialPlatform();

  std::unique_ptr<SerialDevice> first = platform->Open(held.string());
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(platform->Open(held.string()), nullptr);
  EXPECT_EQ(platform->Open((dir / "morvik-no-such-port").string()), nullptr);

  const std::vector<RefusedDevice> refused = platform->TakeRefusals();
  ASSERT_EQ(refused.size(), 1u);
  EXPECT_EQ(refused[0].device, "morvik-held-port");
  EXPECT_EQ(refused[0].reason, RefusedDevice::Reason::kBusy);
  EXPECT_TRUE(platform->TakeRefusals().empty());
  first.reset();
  std::filesystem::remove(held);
}

}  // namespace
}  // namespace morvik
