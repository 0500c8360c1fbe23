// The command line and the console of the platform: arguments as UTF-8, and
// a console that shows the UTF-8 the tool prints (Japanese messages included).
#pragma once

#include <string>
#include <vector>

namespace morvik {

// The arguments after the program's name, as UTF-8.
std::vector<std::string> ConsoleArguments(int argc, char** argv);

}  // namespace morvik
