// The command line and the console of the platform: arguments as UTF-8, and
// a console that shows what the tool prints (Japanese messages included):
// UTF-16, a whole line at a time, where the platform's console wants it.
#pragma once

#include <string>
#include <vector>

namespace morvik {

// The arguments after the program's name, as UTF-8.
std::vector<std::string> ConsoleArguments(int argc, char** argv);

}  // namespace morvik
