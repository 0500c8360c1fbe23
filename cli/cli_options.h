// What a command line of morvik-card says, as plain values: the options
// every command draws on. The option table gives them, the parser fills them.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "cli/csv_reader.h"
#include "content/card_fields.h"
#include "production/card_history.h"

namespace morvik {

// The operator's entries (UTF-8) and choices, as the window would hold them.
struct ContentOptions : CardTexts, TerminalChoices {
  ContentOptions() : TerminalChoices(DefaultChoices()) {}
  bool mail = false;
  bool initCard = false;
  std::optional<std::string> serviceCid;  // the number typed for a service card
  bool readMark = false;
};

// What a production run takes beyond the content.
struct ProductionOptions {
  std::optional<int> count;        // cards this run may start; none: until interrupted
  std::vector<std::string> ports;  // the writers, "COM3"...; none: the first found
  bool all = false;                // every port where a writer answers
  bool verify = true;              // read every card back
  bool json = false;               // records as JSON Lines
  std::string log;                 // JSON Lines appended here too, when named
  std::string rows;                // a CSV file: one row per card
  std::optional<CsvEncoding> encoding;  // the list's, as --encoding says; none: as its bytes say
  std::string resume;              // an earlier run's log: its rows done are skipped
  bool rewriteChanged = false;     // rows changed after their card was written are written again
};

struct CliOptions {
  std::string command;
  ContentOptions content;
  std::array<std::uint8_t, 2> customerId{};  // image only
  std::optional<std::string> uidCard;        // the start UID typed for a UID setting card
  std::optional<bool> confirm;               // --yes / --no
  bool wait = false;
  std::optional<int> waitSeconds;  // --wait=SECONDS
  std::optional<int> port;         // --port COMn: n
  bool trace = false;
  bool fast = false;                   // a reply ends with its frame, not with 200 ms of silence
  bool verify = false;                 // write: read the card back afterwards
  ProductionOptions production;        // batch
  std::string format;                  // listing, hex, raw, json; empty: the default
  HistoryFilter history;                // history: which cards
  std::optional<std::string> out, image, operand;
  std::vector<std::string> operands;  // every operand, for a command that takes several
  std::set<std::string, std::less<>> given;  // the option names used
};

}  // namespace morvik
