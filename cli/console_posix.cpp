#include "cli/console.h"

#include <csignal>

namespace morvik {

// A POSIX terminal takes the arguments and the output as UTF-8 already. A
// closed pipe is an output the tool reports as failed, with its records
// kept, not a signal that ends it without a word.
std::vector<std::string> ConsoleArguments(int argc, char** argv) {
  std::signal(SIGPIPE, SIG_IGN);
  return std::vector<std::string>(argv + 1, argv + argc);
}

}  // namespace morvik
