#include "app/cli/cli_options.h"

#include <functional>
#include <map>
#include <set>

namespace morvik {

const char kUsage[] = R"(usage: morvik-card COMMAND [options]

Commands:
  connect   find the card writer on COM1-COM31 and print its port and version report
  image     compose a content image offline and print it as a card listing
  uid       detect the card and print its IDm (16 hexadecimal digits)
  write     write a content card (or, with --uid-card HEX, a UID setting card)
  clear     write 64 zero blocks to the card
  dump      read the whole card and print its listing
  batch     write and read back every new card put on the writer(s), one line per card
  verify    compare the card on the writer with the content options

Content options (image, write, batch, verify); texts are UTF-8:
  --url TEXT  --popup TEXT  --mail  --to TEXT  --cc TEXT  --title TEXT  --body TEXT
  --volume N  --led N  --sound N  --mode N  --release N  --autooff N
            list positions 0-3 (volume なし/小/中/大, led 消灯/1/2/常時,
            sound 1/2/3/IDm, mode ノーマル/フル/2秒置き/5秒置き,
            release 不使用/1分/3分/10分, autooff 不使用/60分/120分/180分)
  --init              make an initialisation card
  --service-cid HEX   the CID a terminal was used with (service cards; 0 = none)
  --read-mark         make a read card
  --yes | --no        answer OK or Cancel to every keyword question
                      (otherwise asked on the terminal; Cancel without one)
image:   --cid HEX (customer ID, default 0000)   --raw (the 256 bytes, not a listing)
write:   --uid-card HEX (write a UID setting card with this start UID)
         --verify (read the card back; exit status 5 when a block differs)
uid, write, clear, dump, verify:  --wait (keep detecting until a card answers)
connect, uid, write, clear, dump, batch, verify:  --fast (a reply ends with its frame and a
          5 ms guard instead of 200 ms of silence; for a writer that answers
          each request within 200 ms and sends nothing unasked)
batch, verify:  morvik-card batch --help

The writer's ports are COM1-COM31; set MORVIK_PORT_DIR to a directory holding
links named COM1..COM31 to use other devices (the simulator makes them).
)";

namespace {

using Setter = std::function<bool(CliOptions&, const std::string&)>;

bool ParseListPosition(const std::string& text, int& position) {
  if (text.size() == 1 && text[0] >= '0' && text[0] <= '3') {
    position = text[0] - '0';
    return true;
  }
  return false;
}

Setter Text(std::string ContentOptions::*field) {
  return [field](CliOptions& o, const std::string& v) { return (o.content.*field = v, true); };
}

Setter List(int ContentOptions::*field) {
  return [field](CliOptions& o, const std::string& v) {
    return ParseListPosition(v, o.content.*field);
  };
}

const std::map<std::string, Setter>& ValueOptions() {
  static const std::map<std::string, Setter> options = {
      {"--url", Text(&ContentOptions::url)},
      {"--popup", Text(&ContentOptions::popup)},
      {"--to", Text(&ContentOptions::to)},
      {"--cc", Text(&ContentOptions::cc)},
      {"--title", Text(&ContentOptions::title)},
      {"--body", Text(&ContentOptions::body)},
      {"--volume", List(&ContentOptions::volume)},
      {"--led", List(&ContentOptions::led)},
      {"--sound", List(&ContentOptions::sound)},
      {"--mode", List(&ContentOptions::mode)},
      {"--release", List(&ContentOptions::release)},
      {"--autooff", List(&ContentOptions::autoOff)},
      {"--service-cid",
       [](CliOptions& o, const std::string& v) { return (o.content.serviceCid = v, true); }},
      {"--cid",
       [](CliOptions& o, const std::string& v) {
         const auto cid = ParseCustomerId(v);
         if (cid) o.customerId = *cid;
         return cid.has_value();
       }},
      {"--uid-card", [](CliOptions& o, const std::string& v) { return (o.uidCard = v, true); }},
  };
  return options;
}

const std::map<std::string, std::function<void(CliOptions&)>>& FlagOptions() {
  static const std::map<std::string, std::function<void(CliOptions&)>> flags = {
      {"--mail", [](CliOptions& o) { o.content.mail = true; }},
      {"--init", [](CliOptions& o) { o.content.initCard = true; }},
      {"--read-mark", [](CliOptions& o) { o.content.readMark = true; }},
      {"--yes", [](CliOptions& o) { o.confirm = true; }},
      {"--no", [](CliOptions& o) { o.confirm = false; }},
      {"--wait", [](CliOptions& o) { o.wait = true; }},
      {"--raw", [](CliOptions& o) { o.raw = true; }},
      {"--fast", [](CliOptions& o) { o.fast = true; }},
      {"--verify", [](CliOptions& o) { o.verify = true; }},
  };
  return flags;
}

// Which options each command takes.
const std::set<std::string>& AllowedFor(const std::string& command) {
  static const std::set<std::string> content = {
      "--url",  "--popup", "--mail",    "--to",      "--cc",   "--title",       "--body",
      "--volume", "--led", "--sound",   "--mode",    "--release", "--autooff", "--init",
      "--service-cid", "--read-mark", "--yes", "--no"};
  static const std::map<std::string, std::set<std::string>> allowed = [] {
    std::set<std::string> image = content;
    image.insert({"--cid", "--raw"});
    std::set<std::string> write = content;
    write.insert({"--uid-card", "--wait", "--fast", "--verify"});
    return std::map<std::string, std::set<std::string>>{
        {"connect", {"--fast"}}, {"image", image}, {"write", write},
        {"uid", {"--wait", "--fast"}}, {"clear", {"--wait", "--fast"}},
        {"dump", {"--wait", "--fast"}}};
  }();
  static const std::set<std::string> none;
  const auto found = allowed.find(command);
  return found == allowed.end() ? none : found->second;
}

bool IsCommand(const std::string& word) {
  return word == "connect" || word == "image" || word == "uid" || word == "write" ||
         word == "clear" || word == "dump";
}

}  // namespace

std::optional<std::array<std::uint8_t, 2>> ParseCustomerId(const std::string& text) {
  if (text.empty() || text.size() > 4) return std::nullopt;
  unsigned value = 0;
  for (char c : text) {
    const bool digit = c >= '0' && c <= '9';
    const bool lower = c >= 'a' && c <= 'f';
    const bool upper = c >= 'A' && c <= 'F';
    if (!digit && !lower && !upper) return std::nullopt;
    value = value * 16 + static_cast<unsigned>(digit ? c - '0' : (lower ? c - 'a' : c - 'A') + 10);
  }
  return std::array<std::uint8_t, 2>{static_cast<std::uint8_t>(value >> 8),
                                     static_cast<std::uint8_t>(value & 0xFF)};
}

ParseResult ParseCommandLine(const std::vector<std::string>& arguments) {
  if (arguments.empty()) return {std::nullopt, "no command given"};
  CliOptions options;
  options.command = arguments[0];
  if (!IsCommand(options.command)) return {std::nullopt, "unknown command: " + options.command};
  const std::set<std::string>& allowed = AllowedFor(options.command);
  for (std::size_t i = 1; i < arguments.size(); ++i) {
    const std::string& name = arguments[i];
    if (!allowed.count(name)) return {std::nullopt, options.command + " does not take " + name};
    if (const auto flag = FlagOptions().find(name); flag != FlagOptions().end()) {
      flag->second(options);
      continue;
    }
    if (i + 1 >= arguments.size()) return {std::nullopt, name + " needs a value"};
    const std::string& value = arguments[++i];
    if (!ValueOptions().at(name)(options, value)) {
      static const std::set<std::string> lists = {"--volume", "--led",     "--sound",
                                                   "--mode",   "--release", "--autooff"};
      const bool list = lists.count(name) != 0;
      return {std::nullopt, "bad value for " + name + ": " + value +
                                (list ? " (a list position 0-3)" : "")};
    }
  }
  if (options.uidCard && (options.content.readMark || options.content.serviceCid)) {
    return {std::nullopt, "--uid-card takes neither --read-mark nor --service-cid"};
  }
  return {options, {}};
}

}  // namespace morvik
