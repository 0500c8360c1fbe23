#include "link/port_names.h"

#include <gtest/gtest.h>

namespace morvik {
namespace {

TEST(PortNames, FixedTableCoversCom1ToCom31) {
  const struct {
    const char* path;
    const char* device;
  } table[] = {
      {"\\\\.\\COM1", "/dev/ttyUSB0"},  {"\\\\.\\COM10", "/dev/ttyUSB9"},
      {"\\\\.\\COM11", "/dev/ttyACM0"}, {"\\\\.\\COM20", "/dev/ttyACM9"},
      {"\\\\.\\COM21", "/dev/ttyS0"},   {"\\\\.\\COM31", "/dev/ttyS10"},
  };
  for (const auto& row : table) {
    EXPECT_EQ(PosixDeviceForPath(row.path, nullptr), std::optional<std::string>(row.device))
        << row.path;
  }
  for (const char* outside : {"\\\\.\\COM0", "\\\\.\\COM32", "\\\\.\\COM01", "COM3",
                              "\\\\.\\COMX", "\\\\.\\LPT1", "\\\\.\\COM"}) {
    EXPECT_EQ(PosixDeviceForPath(outside, nullptr), std::nullopt) << outside;
  }
}

TEST(PortNames, PortDirectoryReplacesTheTable) {
  EXPECT_EQ(PosixDeviceForPath("\\\\.\\COM3", "/tmp/ports"), "/tmp/ports/COM3");
  EXPECT_EQ(PosixDeviceForPath("\\\\.\\COM31", "/tmp/ports"), "/tmp/ports/COM31");
  EXPECT_EQ(PosixDeviceForPath("\\\\.\\COM3", ""), "/dev/ttyUSB2");
  EXPECT_EQ(PosixDeviceForPath("\\\\.\\COM3/../x", "/tmp/ports"), std::nullopt);
}

}  // namespace
}  // namespace morvik
