#include "sim/server_options.h"

#include <cstdlib>
#include <functional>
#include <span>
#include <string_view>

#include "link/number_text.h"

namespace morvik::sim {
namespace {

constexpr int kHighestCom = 255;

std::optional<int> ParseCount(std::string_view text) {
  const std::optional<std::uint32_t> value = ParseDecimal(text, 0x7FFFFFFF);
  if (!value) return std::nullopt;
  return static_cast<int>(*value);
}

// An even number of hexadecimal digits, at least two.
std::optional<std::vector<std::uint8_t>> HexByteString(std::string_view text) {
  std::vector<std::uint8_t> bytes(text.size() / 2);
  if (bytes.empty() || !ParseHexBytes(text, bytes)) return std::nullopt;
  return bytes;
}

// A request a reply fault is aimed at: its number, or "all".
std::optional<int> ParseAim(std::string_view text) {
  if (text == "all") return kEveryRequest;
  return ParseCount(text);
}

// "AIM:REST" as used by the faults that need a second value.
bool SplitAim(std::string_view text, int& aim, std::string_view& rest) {
  const std::size_t colon = text.find(':');
  if (colon == std::string_view::npos) return false;
  const std::optional<int> parsed = ParseAim(text.substr(0, colon));
  if (!parsed) return false;
  aim = *parsed;
  rest = text.substr(colon + 1);
  return true;
}

bool SetCount(std::string_view text, int& field) {
  const std::optional<int> value = ParseCount(text);
  if (value) field = *value;
  return value.has_value();
}

bool SetAim(std::string_view text, int& field) {
  const std::optional<int> value = ParseAim(text);
  if (value) field = *value;
  return value.has_value();
}

bool SetCom(std::string_view text, int& com) {
  return SetCount(text, com) && com >= 1 && com <= kHighestCom;
}

bool SetResizedPayload(std::string_view text, Faults& f) {
  std::string_view length;
  int value = 0;
  if (!SplitAim(text, f.resizedPayloadAt, length) || !SetCount(length, value) || value > 255) {
    return false;
  }
  f.resizedPayloadLength = static_cast<std::size_t>(value);
  return true;
}

bool SetTrailing(std::string_view text, Faults& f) {
  std::string_view hex;
  if (!SplitAim(text, f.trailingBytesAt, hex)) return false;
  const std::optional<std::vector<std::uint8_t>> bytes = HexByteString(hex);
  if (bytes) f.trailingBytes = *bytes;
  return bytes.has_value();
}

bool SetSwap(std::string_view text, Faults& f) {
  const std::size_t colon = text.find(':');
  return colon != std::string_view::npos &&
         SetCount(text.substr(0, colon), f.swapCardAfterDetections) &&
         ParseHexBytes(text.substr(colon + 1), f.swapIdm);
}

bool SetDropAfter(std::string_view text, Faults& f) {
  const std::optional<int> value = ParseCount(text);
  if (value) f.dropLineAfterBytes = static_cast<std::size_t>(*value);
  return value.has_value();
}

// "N" or "N:HOLD_MS:GAP_MS".
bool SetOperator(std::string_view text, OperatorPlan& plan) {
  const std::size_t first = text.find(':');
  if (first == std::string_view::npos) return SetCount(text, plan.cards);
  const std::size_t second = text.find(':', first + 1);
  int hold = 0;
  int gap = 0;
  if (second == std::string_view::npos || !SetCount(text.substr(0, first), plan.cards) ||
      !SetCount(text.substr(first + 1, second - first - 1), hold) ||
      !SetCount(text.substr(second + 1), gap)) {
    return false;
  }
  plan.holdMs = hold;
  plan.gapMs = gap;
  return true;
}

// "N" or "N:SEED".
bool SetGarble(std::string_view text, Faults& f) {
  const std::size_t colon = text.find(':');
  int seed = 0;  // 0: the port number's, set when the model is made
  if (!SetCount(text.substr(0, colon), f.garbleOneIn) || f.garbleOneIn == 0) return false;
  if (colon != std::string_view::npos && !SetCount(text.substr(colon + 1), seed)) return false;
  f.garbleSeed = static_cast<std::uint32_t>(seed);
  return true;
}

// "N:MS"
bool SetUnplug(std::string_view text, ServerOptions& o) {
  const std::size_t colon = text.find(':');
  return colon != std::string_view::npos && SetCount(text.substr(0, colon), o.unplugAfterWrites) &&
         o.unplugAfterWrites > 0 && SetCount(text.substr(colon + 1), o.unpluggedMs);
}

bool SetBlock(std::string_view text, int& block) {
  return SetCount(text, block) && block < static_cast<int>(kBlockCount);
}

using Setter = std::function<bool(std::string_view, ServerOptions&)>;

struct OptionRule {
  std::string_view name;
  bool takesValue;
  Setter set;
};

const std::vector<OptionRule>& Rules() {
  using O = ServerOptions;
  using V = std::string_view;
  static const std::vector<OptionRule> rules{
      {"--help", false, [](V, O& o) { return o.help = true; }},
      {"--port-dir", true, [](V v, O& o) { return !(o.portDir = v).empty(); }},
      {"--com", true, [](V v, O& o) { return SetCom(v, o.com); }},
      {"--silent-com", true,
       [](V v, O& o) {
         int com = 0;
         if (!SetCom(v, com)) return false;
         o.silentComs.push_back(com);
         return true;
       }},
      {"--ver", true, [](V v, O& o) { return ParseHexBytes(v, o.identity.ver); }},
      {"--date", true, [](V v, O& o) { return ParseHexBytes(v, o.identity.date); }},
      {"--cid", true, [](V v, O& o) { return ParseHexBytes(v, o.identity.cid); }},
      {"--idm", true, [](V v, O& o) { return ParseHexBytes(v, o.idm); }},
      {"--no-card", false, [](V, O& o) { return o.noCard = true; }},
      {"--card-file", true, [](V v, O& o) { return !(o.cardFile = v).empty(); }},
      {"--pace", false, [](V, O& o) { return o.pace = true; }},
      {"--latency", true, [](V v, O& o) { return SetCount(v, o.latencyMs); }},
      {"--trace", false, [](V, O& o) { return o.trace = true; }},
      {"--silent-info", true, [](V v, O& o) { return SetCount(v, o.faults.silentInformationRequests); }},
      {"--bad-sum", true, [](V v, O& o) { return SetAim(v, o.faults.badSumAt); }},
      {"--error-status", true, [](V v, O& o) { return SetAim(v, o.faults.errorStatusAt); }},
      {"--payload-length", true, [](V v, O& o) { return SetResizedPayload(v, o.faults); }},
      {"--trailing", true, [](V v, O& o) { return SetTrailing(v, o.faults); }},
      {"--oversized-reply", true, [](V v, O& o) { return SetAim(v, o.faults.oversizedReplyAt); }},
      {"--drop-after", true, [](V v, O& o) { return SetDropAfter(v, o.faults); }},
      {"--remove-card-after", true, [](V v, O& o) { return SetCount(v, o.faults.removeCardAfterWrites); }},
      {"--fail-write", true, [](V v, O& o) { return SetCount(v, o.faults.failBlockWriteAt); }},
      {"--fail-reads", true, [](V v, O& o) { return SetCount(v, o.faults.failReads); }},
      {"--swap-card", true, [](V v, O& o) { return SetSwap(v, o.faults); }},
      {"--fault-run", true, [](V v, O& o) { return SetCount(v, o.faults.aimedRun) && o.faults.aimedRun > 0; }},
      {"--garble", true, [](V v, O& o) { return SetGarble(v, o.faults); }},
      {"--wrong-byte", true, [](V v, O& o) { return SetBlock(v, o.faults.wrongByteBlock); }},
      {"--operator", true, [](V v, O& o) { return SetOperator(v, o.operatorPlan); }},
      {"--unplug-after", true, [](V v, O& o) { return SetUnplug(v, o); }},
  };
  return rules;
}

const OptionRule* FindRule(std::string_view name) {
  for (const OptionRule& rule : Rules()) {
    if (rule.name == name) return &rule;
  }
  return nullptr;
}

}  // namespace

bool ParseServerOptions(int argc, char** argv, ServerOptions& options, std::string& error) {
  if (const char* dir = std::getenv("MORVIK_PORT_DIR")) options.portDir = dir;
  for (int i = 1; i < argc; ++i) {
    std::string_view arg = argv[i];
    std::optional<std::string_view> value;
    if (const std::size_t equals = arg.find('='); equals != std::string_view::npos) {
      value = arg.substr(equals + 1);
      arg = arg.substr(0, equals);
    }
    const OptionRule* rule = FindRule(arg);
    if (rule == nullptr) {
      error = "unknown option " + std::string(arg);
      return false;
    }
    if (rule->takesValue && !value) {
      if (i + 1 >= argc) {
        error = std::string(arg) + " needs a value";
        return false;
      }
      value = argv[++i];
    }
    if (!rule->set(value.value_or(""), options)) {
      error = "bad value for " + std::string(arg) + ": " + std::string(value.value_or(""));
      return false;
    }
  }
  return true;
}

const char* ServerUsage() {
  return R"(usage: morvik-writer-sim [options]
Serves a simulated card writer on a pseudo-terminal linked as DIR/COMn.

  --port-dir DIR          where the COMn links go (default $MORVIK_PORT_DIR)
  --com N                 the writer's port number (default 1)
  --silent-com N          also a port that opens but never answers (repeatable)
  --ver HEX4 --date HEX6 --cid HEX4
                          the writer's identity (default 0211, 261206, 1234)
  --idm HEX16             the IDm of the card on the writer
  --no-card               start with no card on the writer
  --card-file FILE        load the 256-byte card memory from FILE if it exists,
                          save it after every block write and at exit
  --pace                  keep 19200 baud timing in both directions
  --latency MS            answer each request MS milliseconds after it arrived
  --operator N[:HOLD:GAP] an operator puts N cards on in turn (IDms counting up
                          from --idm): a card is taken off once block requests
                          for it have stopped for HOLD ms (default 500) and
                          the tool asks for a card again, the
                          next put on GAP ms later (default 1000); with
                          --card-file, card n is saved as FILE.n
  --trace                 print each request (>) and reply (<), timed, on stderr
Faults (REQ is a request number counted from start, or "all"):
  --silent-info K         no answer to the first K information requests
  --bad-sum REQ           wrong checksum in the reply
  --error-status REQ      error status instead of the answer
  --payload-length REQ:L  the reply carries L payload bytes
  --trailing REQ:HEX      extra bytes after the reply
  --oversized-reply REQ   the reply runs past 256 bytes and ends in a
                          second, made-up success reply
  --drop-after N          the line dies after N bytes of output
  --remove-card-after N   the card is taken off after N block writes
  --fail-write N          the Nth block write fails
  --fail-reads K          the first K block reads fail
  --swap-card N:HEX16     after N detections another card lies on the writer
  --wrong-byte BLOCK      the card stores a wrong byte in this block
  --fault-run N           a fault aimed at a request (and --fail-write) hits N
                          requests in a row from there (default 1)
  --garble N[:SEED]       line noise: one bit flipped in about one reply in N,
                          drawn at random from SEED (default: the port number)
  --unplug-after N:MS     the writer is unplugged at the first request after N
                          block writes (that request goes unanswered) and
                          plugged in again MS ms later; the card stays on it
Prints "ready COMn /dev/pts/N" when it serves; ends on SIGTERM or SIGINT.
)";
}

}  // namespace morvik::sim
