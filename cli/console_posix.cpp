#include "cli/console.h"

namespace morvik {

// A POSIX terminal takes the arguments and the output as UTF-8 already.
std::vector<std::string> ConsoleArguments(int argc, char** argv) {
  return std::vector<std::string>(argv + 1, argv + argc);
}

}  // namespace morvik
