#include "link/port_names.h"

namespace morvik {
namespace {

constexpr std::string_view kDevicePrefix = "\\\\.\\";

struct TableRange {
  int first;
  int last;
  const char* device;
};

constexpr TableRange kPortTable[] = {
    {1, 10, "/dev/ttyUSB"},
    {11, 20, "/dev/ttyACM"},
    {21, 31, "/dev/ttyS"},
};

}  // namespace

std::optional<int> ComPortNumber(std::string_view name) {
  if (!name.starts_with("COM")) return std::nullopt;
  const std::string_view digits = name.substr(3);
  if (digits.empty() || digits.size() > 6 || digits[0] == '0') return std::nullopt;
  int number = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return std::nullopt;
    number = number * 10 + (c - '0');
  }
  return number;
}

std::optional<std::string> PosixDeviceForPath(std::string_view devicePath, const char* portDir) {
  if (!devicePath.starts_with(kDevicePrefix)) return std::nullopt;
  const std::string_view portName = devicePath.substr(kDevicePrefix.size());
  const std::optional<int> number = ComPortNumber(portName);
  if (!number) return std::nullopt;
  if (portDir != nullptr && *portDir != '\0') {
    return std::string(portDir) + "/" + std::string(portName);
  }
  for (const TableRange& range : kPortTable) {
    if (*number >= range.first && *number <= range.last) {
      return range.device + std::to_string(*number - range.first);
    }
  }
  return std::nullopt;
}

}  // namespace morvik
