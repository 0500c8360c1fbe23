// morvik-card: the tool's operations from a terminal, for scripts and service
// work. Every command runs the same operations the window runs, through a
// terminal backend of the window services.
#include <unistd.h>

#include <cstdio>
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "cli/command_table.h"
#include "cli/console.h"
#include "cli/interrupt.h"
#include "files/file_access.h"
#include "link/system_serial.h"
#include "words/language.h"

namespace {

int Run(int argc, char** argv) {
  const std::vector<std::string> arguments = morvik::ConsoleArguments(argc, argv);
  const std::unique_ptr<morvik::SerialPlatform> platform = morvik::MakeSystemSerialPlatform();
  morvik::SystemClock clock;
  morvik::CliEnvironment environment{*platform, clock, std::cout, std::cerr, std::cin,
                                     isatty(STDIN_FILENO) != 0, isatty(STDERR_FILENO) != 0,
                                     isatty(STDOUT_FILENO) != 0};
  environment.language = morvik::UserLanguage();
  morvik::SpeakSystemReasonsIn(environment.language);
  const morvik::ExitCode status = morvik::RunCli(arguments, environment);
  morvik::CommandEnded();
  return morvik::Status(status);
}

}  // namespace

// Failures are results all the way up; what still escapes is a fault of ours,
// said in one line rather than as an abort.
int main(int argc, char** argv) {
  try {
    return Run(argc, argv);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "morvik-card: unexpected failure: %s\n", error.what());
  } catch (...) {
    std::fprintf(stderr, "morvik-card: unexpected failure\n");
  }
  return morvik::Status(morvik::ExitCode::kCardFailed);
}
