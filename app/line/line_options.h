// The production window's command line:
//   morvik-card-line [--ports COM3,COM5] [--fast] [--log FILE] [LIST.csv]
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "words/catalog.h"

namespace morvik {

inline constexpr std::string_view kLineUsage =
    "morvik-card-line [--ports COM3,COM5] [--fast] [--log FILE] [LIST.csv]";

struct LineOptions {
  std::vector<std::string> ports;  // "COM3"...; none: every port COM1-COM31
  bool fast = false;               // a reply ends with its frame, as batch --fast
  std::string log;                 // the journal; empty: beside the list
  std::string list;                // empty: chosen with the Open button
};

struct LineOptionsRead {
  std::optional<LineOptions> options;
  bool help = false;   // --help: the usage, nothing else
  std::optional<Saying> error;  // what is wrong with the command line
};

// The arguments after the program's name; --ports and --log also as --name=VALUE.
LineOptionsRead ParseLineOptions(const std::vector<std::string>& arguments);

// The journal kept beside a list: LIST.csv -> LIST.journal.jsonl.
std::string JournalBeside(const std::string& list);

}  // namespace morvik
