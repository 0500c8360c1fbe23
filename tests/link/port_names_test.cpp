#include "link/port_names.h"

#include <gtest/gtest.h>

namespace morvik {
namespace {

// The fixed devices know COM1-COM31 only; a port directory replaces them, and
// no name reaches outside it.
TEST(PortNames, FixedDevicesOrThePortDirectory) {
  EXPECT_EQ(PosixDeviceForPath("\\\\.\\COM20", nullptr), "/dev/ttyACM9");
  EXPECT_EQ(PosixDeviceForPath("\\\\.\\COM31", nullptr), "/dev/ttyS10");
  EXPECT_EQ(PosixDeviceForPath("\\\\.\\COM3", "/tmp/ports"), "/tmp/ports/COM3");
  EXPECT_EQ(PosixDeviceForPath("\\\\.\\COM3", ""), "/dev/ttyUSB2");
  EXPECT_EQ(PosixDeviceForPath("\\\\.\\COM3/../x", "/tmp/ports"), std::nullopt);
  for (const char* outside : {"\\\\.\\COM0", "\\\\.\\COM32", "\\\\.\\COM01", "COM3", "\\\\.\\COMX",
                              "\\\\.\\LPT1", "\\\\.\\COM"}) {
    EXPECT_EQ(PosixDeviceForPath(outside, nullptr), std::nullopt) << outside;
  }
}

}  // namespace
}  // namespace morvik
