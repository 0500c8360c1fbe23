#include "link/port_names.h"

#include "link/number_text.h"

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
  const bool com = name.size() >= 3 && (name[0] == 'C' || name[0] == 'c') &&
                   (name[1] == 'O' || name[1] == 'o') && (name[2] == 'M' || name[2] == 'm');
  if (!com || name.substr(3).starts_with('0')) return std::nullopt;
  const std::optional<std::uint32_t> number = ParseDecimal(name.substr(3), 999999);
  if (!number) return std::nullopt;
  return static_cast<int>(*number);
}

std::optional<std::string> PosixDeviceForPath(std::string_view devicePath, const char* portDir) {
  if (!devicePath.starts_with(kDevicePrefix)) return std::nullopt;
  const std::string_view portName = devicePath.substr(kDevicePrefix.size());
  const std::optional<int> number = ComPortNumber(portName);
  if (!number) return std::nullopt;
  if (portDir != nullptr && *portDir != '\0') {
    return std::string(portDir) + "/COM" + std::to_string(*number);
  }
  for (const TableRange& range : kPortTable) {
    if (*number >= range.first && *number <= range.last) {
      return range.device + std::to_string(*number - range.first);
    }
  }
  return std::nullopt;
}

}  // namespace morvik
