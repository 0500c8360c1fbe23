// The command line of morvik-card, parsed into plain values.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace morvik {

// The operator's entries and choices, as the window would hold them.
struct ContentOptions {
  std::string url, popup, to, cc, title, body;  // UTF-8
  bool mail = false;
  // List positions 0-3.
  int volume = 3, led = 3, sound = 0, mode = 0, release = 0, autoOff = 0;
  bool initCard = false;
  std::optional<std::string> serviceCid;  // the number typed for a service card
  bool readMark = false;
};

struct CliOptions {
  std::string command;
  ContentOptions content;
  std::array<std::uint8_t, 2> customerId{};  // image only
  std::optional<std::string> uidCard;        // write only: the start UID
  std::optional<bool> confirm;               // --yes / --no
  bool wait = false;
  bool raw = false;
  bool fast = false;  // a reply ends with its frame, not with 200 ms of silence
  bool verify = false;  // write: read the card back afterwards
};

struct ParseResult {
  std::optional<CliOptions> options;
  std::string error;  // set when options is empty
};

ParseResult ParseCommandLine(const std::vector<std::string>& arguments);

// "%02X%02X"-style customer ID: one to four hexadecimal digits.
std::optional<std::array<std::uint8_t, 2>> ParseCustomerId(const std::string& text);

extern const char kUsage[];

}  // namespace morvik
