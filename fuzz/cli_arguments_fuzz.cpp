// The tool's argument handling: any arguments (the input split at NUL bytes)
// run in-process on a machine with no writer and virtual time. The tool never
// aborts or lets an exception out, ends with a status of its list, and what
// it refuses as usage opens no port. Arguments that would write files, wait
// long or start the production line's threads are left out.
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "cli/command_table.h"
#include "fuzz/fuzz_support.h"
#include "sim/loopback_serial.h"

namespace {

std::vector<std::string> Arguments(const std::uint8_t* data, std::size_t size) {
  std::vector<std::string> arguments(1);
  for (std::size_t i = 0; i < size && arguments.size() <= 16; ++i) {
    if (data[i] == 0) {
      arguments.emplace_back();
    } else {
      arguments.back() += static_cast<char>(data[i]);
    }
  }
  return arguments;
}

bool LeftOut(const std::vector<std::string>& arguments) {
  for (const std::string& argument : arguments) {
    // --wait alone waits without end, and a long wait scans the ports for long.
    const bool longWait = argument.starts_with("--wait") && (argument.size() < 7 || argument.size() > 9);
    if (argument.starts_with("--out") || argument.starts_with("--log") || longWait || argument == "batch") {
      return true;
    }
  }
  return false;
}

bool Listed(int status) {
  for (const morvik::ExitStatusMeaning& row : morvik::kExitStatuses) {
    if (morvik::Status(row.code) == status) return true;
  }
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::vector<std::string> arguments = Arguments(data, size);
  if (LeftOut(arguments)) return 0;
  morvik::sim::VirtualClock clock;
  morvik::sim::LoopbackPlatform platform(clock);
  std::ostringstream out, err;
  std::istringstream in;
  morvik::CliEnvironment environment{platform, clock, out, err, in, false, false, false};
  const int status = morvik::Status(morvik::RunCli(arguments, environment));
  FUZZ_CHECK(Listed(status));
  if (status == morvik::Status(morvik::ExitCode::kUsage)) FUZZ_CHECK(platform.openLog().empty());
  FUZZ_CHECK(status == 0 || !err.str().empty());
  return 0;
}
