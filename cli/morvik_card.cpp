// morvik-card: the tool's operations from a terminal, for scripts and service
// work. Every command runs the same operations the window runs, through a
// terminal backend of the window services.
#include <unistd.h>

#include <iostream>
#include <string>
#include <vector>

#include "cli/cli_commands.h"
#include "cli/console.h"
#include "link/system_serial.h"

int main(int argc, char** argv) {
  const std::vector<std::string> arguments = morvik::ConsoleArguments(argc, argv);
  const std::unique_ptr<morvik::SerialPlatform> platform = morvik::MakeSystemSerialPlatform();
  morvik::SystemClock clock;
  morvik::CliEnvironment environment{*platform, clock, std::cout, std::cerr, std::cin,
                                     isatty(STDIN_FILENO) != 0, isatty(STDERR_FILENO) != 0};
  return morvik::Status(morvik::RunCli(arguments, environment));
}
