// The production window's program: its application object runs the window
// modally, and the process ends when it has closed.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "app/dialog/dialog_host.h"

namespace morvik {

// The window on this host with the system's ports and clock; arguments are
// those after the program's name. The process's exit status: 2 after a
// command line it cannot take (said in a message box), else 0.
int RunLineWindow(DialogHost& host, const std::vector<std::string>& arguments);

// What a command line of --help, or one the window cannot take, says on a
// terminal: the usage on standard output and status 0 for --help, the
// error and the usage on standard error and status 2. nullopt: the window opens.
struct CommandLineAnswer {
  std::string text;
  bool error = false;
  int status = 0;
};
std::optional<CommandLineAnswer> AnswerCommandLine(const std::vector<std::string>& arguments);

}  // namespace morvik
