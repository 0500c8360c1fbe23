#include "app/line/line_options.h"

#include <algorithm>

#include "link/port_names.h"
#include "link/writer_link.h"

namespace morvik {
namespace {

// "com3,COM5" -> COM3, COM5; an error names what is not a port COM1-COM31, or
// a port named twice.
std::optional<Saying> ReadPorts(std::string_view text, std::vector<std::string>& ports) {
  while (true) {
    const std::size_t comma = text.find(',');
    const std::string_view name = text.substr(0, comma);
    const std::optional<int> number = ComPortNumber(name);
    if (!number || *number > kComPortCount) return Saying{Said::kLinePortsNotAPort, {std::string(name)}};
    const std::string port = "COM" + std::to_string(*number);
    if (std::find(ports.begin(), ports.end(), port) != ports.end()) return Saying{Said::kLinePortTwice, {port}};
    ports.push_back(port);
    if (comma == std::string_view::npos) return std::nullopt;
    text.remove_prefix(comma + 1);
  }
}

// The value of --name VALUE or --name=VALUE; i moves past it.
std::optional<std::string> ValueOf(const std::vector<std::string>& arguments, std::size_t& i, std::string_view name) {
  const std::string& argument = arguments[i];
  if (argument.size() > name.size() && argument.starts_with(name) && argument[name.size()] == '=') {
    return argument.substr(name.size() + 1);
  }
  if (argument != name || i + 1 >= arguments.size()) return std::nullopt;
  return arguments[++i];
}

}  // namespace

LineOptionsRead ParseLineOptions(const std::vector<std::string>& arguments) {
  LineOptions options;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (argument == "--help") return {std::nullopt, true, std::nullopt};
    if (argument == "--fast") {
      options.fast = true;
    } else if (argument.starts_with("--ports")) {
      const std::optional<std::string> ports = ValueOf(arguments, i, "--ports");
      if (!ports || !options.ports.empty()) return {std::nullopt, false, Saying{Said::kLinePortsNeedList}};
      if (std::optional<Saying> bad = ReadPorts(*ports, options.ports)) return {std::nullopt, false, *bad};
    } else if (argument.starts_with("--log")) {
      const std::optional<std::string> log = ValueOf(arguments, i, "--log");
      if (!log || log->empty() || !options.log.empty()) return {std::nullopt, false, Saying{Said::kLineLogNeedsFile}};
      options.log = *log;
    } else if (argument.starts_with("-") && argument != "-") {
      return {std::nullopt, false, Saying{Said::kLineUnknownOption, {argument}}};
    } else if (options.list.empty()) {
      options.list = argument;
    } else {
      return {std::nullopt, false, Saying{Said::kLineOneListOnly, {argument}}};
    }
  }
  return {options, false, std::nullopt};
}

std::string JournalBeside(const std::string& list) {
  constexpr std::string_view kCsv = ".csv";
  const bool csv = list.size() > kCsv.size() &&
                   std::equal(kCsv.begin(), kCsv.end(), list.end() - static_cast<std::ptrdiff_t>(kCsv.size()),
                              [](char a, char b) { return a == (b | 0x20); });
  return (csv ? list.substr(0, list.size() - kCsv.size()) : list) + ".journal.jsonl";
}

}  // namespace morvik
