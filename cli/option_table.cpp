#include "cli/option_table.h"

#include <algorithm>
#include <cctype>
#include <utility>

#include "link/number_text.h"
#include "link/port_names.h"
#include "window/control_ids.h"

namespace morvik {
namespace {

using enum Said;

Setter Flag(bool CliOptions::*field) {
  return [field](CliOptions& o, std::string_view) { return (o.*field = true, true); };
}

Setter Optional(std::optional<std::string> CliOptions::*field) {
  return [field](CliOptions& o, std::string_view v) { return (o.*field = std::string(v), true); };
}

std::optional<int> Decimal(std::string_view text, std::uint32_t max) {
  const std::optional<std::uint32_t> value = ParseDecimal(text, max);
  if (!value) return std::nullopt;
  return static_cast<int>(*value);
}

// "COM3,com5": every name a port COM1-COM31 in any case, each once; kept as "COMn".
bool SetPorts(std::vector<std::string>& ports, std::string_view text) {
  ports.clear();
  for (std::size_t start = 0;;) {
    const std::size_t comma = text.find(',', start);
    const std::optional<int> number = ComPortNumber(text.substr(start, comma - start));
    if (!number || *number > 31) return false;
    const std::string port = "COM" + std::to_string(*number);
    if (std::find(ports.begin(), ports.end(), port) != ports.end()) return false;
    ports.push_back(port);
    if (comma == std::string_view::npos) return true;
    start = comma + 1;
  }
}



OptionSpec TextOption(const TextField& field) {
  const auto text = field.text;
  return {"--" + std::string(field.name), Takes::kValue, "TEXT", {field.help},
          [text](CliOptions& o, std::string_view v) { return (o.content.*text = v, true); },
          {}, field.controlId};
}

// The field's label, its positions with their items, and its default position.
// The label is the field's own in each language: OptionHelp puts the window's
// in place of the English one.
Saying ListHelp(const ListField& field) {
  std::string items;
  for (const std::string_view item : field.items) items += (items.empty() ? "" : "/") + std::string(item);
  return {kOptionList, {std::string(field.label), std::to_string(field.items.size() - 1), items,
                        std::to_string(field.defaultIndex)}};
}

OptionSpec ListOption(const ListField& field) {
  const auto choice = field.choice;
  const std::uint32_t last = field.items.size() - 1;
  return {"--" + std::string(field.name), Takes::kValue, "N", ListHelp(field),
          [choice, last](CliOptions& o, std::string_view v) {
            const std::optional<int> position = Decimal(v, last);
            if (position) o.content.*choice = static_cast<std::uint8_t>(*position);
            return position.has_value();
          },
          Saying{kRangeListPosition, {std::to_string(last)}}, field.controlId};
}

OptionSpec FlagOption(std::string name, Said help, bool ContentOptions::*flag, int controlId) {
  return {std::move(name), Takes::kNothing, "", {help},
          [flag](CliOptions& o, std::string_view) { return (o.content.*flag = true, true); },
          {}, controlId, [flag](CliOptions& o) { o.content.*flag = false; }};
}

// The options of the card's fields, the mail check before the mail entries
// as in the window.
std::vector<OptionSpec> FieldOptions() {
  std::vector<OptionSpec> options;
  bool mail = false;
  for (const TextField& field : kTextFields) {
    if (field.mailOnly && !std::exchange(mail, true)) {
      options.push_back(FlagOption("--mail", kOptionMail, &ContentOptions::mail, kIdcMailCheck));
    }
    options.push_back(TextOption(field));
  }
  for (const ListField& field : kListFields) options.push_back(ListOption(field));
  return options;
}

// The options that say which kind of card is made.
std::vector<OptionSpec> KindOptions() {
  return {
      FlagOption("--init", kOptionInit, &ContentOptions::initCard, kIdcInitCardCheck),
      {"--service-cid", Takes::kValue, "HEX", {kOptionServiceCid},
       [](CliOptions& o, std::string_view v) { return (o.content.serviceCid = std::string(v), true); },
       {}, kIdcServiceCid},
      FlagOption("--read-mark", kOptionReadMark, &ContentOptions::readMark, 0),
      {"--uid-card", Takes::kValue, "HEX", {kOptionUidCard},
       [](CliOptions& o, std::string_view v) { return (o.uidCard = std::string(v), true); },
       {}, kIdcServiceCid},
  };
}

std::vector<OptionSpec> Joined(std::vector<OptionSpec> first, const std::vector<OptionSpec>& then) {
  first.insert(first.end(), then.begin(), then.end());
  return first;
}

// The content options but the answers.
const std::vector<OptionSpec>& CardOptions() {
  static const std::vector<OptionSpec> options = Joined(FieldOptions(), KindOptions());
  return options;
}

const std::vector<OptionSpec>& Options() {
  static const std::vector<OptionSpec> others = {
      {"--cid", Takes::kValue, "HEX", {kOptionCid},
       [](CliOptions& o, std::string_view v) {
         const auto cid = ParseCustomerId(v);
         if (cid) o.customerId = *cid;
         return cid.has_value();
       },
       Saying{kRangeCustomerId}},
      {"--yes", Takes::kNothing, "", {kOptionYes},
       [](CliOptions& o, std::string_view) { return (o.confirm = true, true); }},
      {"--no", Takes::kNothing, "", {kOptionNo},
       [](CliOptions& o, std::string_view) { return (o.confirm = false, true); }},
      {"--format", Takes::kValue, "FMT", {kOptionFormat},
       [](CliOptions& o, std::string_view v) {
         o.format = v;
         o.production.json = v == "json";
         return std::ranges::find(FormatsOf(o.command), v) != FormatsOf(o.command).end();
       }},
      {"--out", Takes::kValue, "FILE", {kOptionOut}, Optional(&CliOptions::out)},
      {"--image", Takes::kValue, "FILE", {kOptionImage}, Optional(&CliOptions::image)},
      {"--port", Takes::kValue, "COMn", {kOptionPort},
       [](CliOptions& o, std::string_view v) {
         const std::optional<int> number = ComPortNumber(v);
         if (number && *number <= 31) o.port = *number;
         return number && *number <= 31;
       },
       Saying{kRangePort}},
      {"--trace", Takes::kNothing, "", {kOptionTrace}, Flag(&CliOptions::trace)},
      {"--fast", Takes::kNothing, "", {kOptionFast}, Flag(&CliOptions::fast)},
      {"--force", Takes::kNothing, "", {kOptionForce},
       [](CliOptions&, std::string_view) { return true; }},
      {"--verify", Takes::kNothing, "", {kOptionVerify}, Flag(&CliOptions::verify)},
      {"--count", Takes::kValue, "N", {kOptionCount},
       [](CliOptions& o, std::string_view v) {
         o.production.count = Decimal(v, 0x7FFFFFFF);
         return o.production.count.value_or(0) >= 1;
       },
       Saying{kRangeCount}},
      {"--ports", Takes::kValue, "COM3,COM5", {kOptionPorts},
       [](CliOptions& o, std::string_view v) { return SetPorts(o.production.ports, v); },
       Saying{kRangePortsOnce}},
      {"--all", Takes::kNothing, "", {kOptionAll},
       [](CliOptions& o, std::string_view) { return (o.production.all = true); }},
      {"--no-verify", Takes::kNothing, "", {kOptionNoVerify},
       [](CliOptions& o, std::string_view) { return !(o.production.verify = false); }},
      {"--json", Takes::kNothing, "", {kOptionJson},
       [](CliOptions& o, std::string_view) { return (o.production.json = true); }},
      {"--log", Takes::kValue, "FILE", {kOptionLog},
       [](CliOptions& o, std::string_view v) { return !(o.production.log = v).empty(); }},
      {"--rows", Takes::kValue, "FILE", {kOptionRows},
       [](CliOptions& o, std::string_view v) { return !(o.production.rows = v).empty(); }},
      {"--encoding", Takes::kValue, "ENC", {kOptionEncoding},
       [](CliOptions& o, std::string_view v) { return (o.production.encoding = CsvEncodingNamed(v)).has_value(); },
       Saying{kRangeOneOf, {"utf-8", "utf8", "cp932", "sjis", "shift_jis", "shift-jis", "windows-31j"}}},
      {"--rewrite-changed", Takes::kNothing, "", {kOptionRewriteChanged},
       [](CliOptions& o, std::string_view) { return (o.production.rewriteChanged = true); }},
      {"--resume", Takes::kValue, "LOG", {kOptionResume},
       [](CliOptions& o, std::string_view v) { return !(o.production.resume = v).empty(); }},
      {"--idm", Takes::kValue, "HEX", {kOptionIdm},
       [](CliOptions& o, std::string_view v) {
         std::array<std::uint8_t, 8> idm{};
         if (v.size() != 16 || !ParseHexBytes(v, idm)) return false;
         std::string upper(v);
         for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
         return (o.history.idm = upper, true);
       },
       Saying{kRangeIdm}},
      {"--id", Takes::kValue, "TEXT", {kOptionId},
       [](CliOptions& o, std::string_view v) { return (o.history.id = std::string(v), true); }},
      {"--row", Takes::kValue, "N", {kOptionRow},
       [](CliOptions& o, std::string_view v) {
         const std::optional<std::uint32_t> line = ParseDecimal(v, 0x7FFFFFFF);
         if (line && *line > 0) o.history.row = *line;
         return line && *line > 0;
       },
       Saying{kRangeLineNumber}},
      {"--result", Takes::kValue, "WHICH", {kOptionResult},
       [](CliOptions& o, std::string_view v) {
         const std::pair<std::string_view, HistoryResult> results[] = {
             {"ok", HistoryResult::kOk}, {"failed", HistoryResult::kFailed}, {"doubt", HistoryResult::kDoubt}};
         for (const auto& [name, result] : results) {
           if (name == v) return (o.history.result = result, true);
         }
         return false;
       },
       Saying{kRangeOneOf, {"ok", "failed", "doubt"}}},
      {"--since", Takes::kValue, "DATE", {kOptionSince},
       [](CliOptions& o, std::string_view v) {
         o.history.since = ParseTypedTime(v);
         return o.history.since.has_value();
       },
       Saying{kRangeDate}},
      {"--wait", Takes::kOptionalValue, "[=SECONDS]", {kOptionWait},
       [](CliOptions& o, std::string_view v) {
         o.wait = true;
         if (v.empty()) return true;
         o.waitSeconds = Decimal(v, 86400);
         return o.waitSeconds.has_value();
       },
       Saying{kRangeSeconds}},
  };
  static const std::vector<OptionSpec> options = Joined(CardOptions(), others);
  return options;
}

}  // namespace

const OptionSpec* FindOption(std::string_view name) {
  for (const OptionSpec& option : Options()) {
    if (option.name == name) return &option;
  }
  return nullptr;
}

std::span<const std::string_view> FormatsOf(std::string_view command) {
  static constexpr std::string_view kCardFormats[] = {"listing", "hex", "raw", "json"};
  static constexpr std::string_view kTextFormats[] = {"text", "json"};
  if (command == "image" || command == "dump") return kCardFormats;
  return kTextFormats;
}

namespace {

// "listing, hex, raw or json"
std::string OneOf(std::span<const std::string> choices, Language language) {
  if (choices.empty()) return {};
  std::string list = choices.front();
  for (std::size_t i = 1; i + 1 < choices.size(); ++i) list = Say({kListMore, {list, choices[i]}}, language);
  return choices.size() == 1 ? list : Say({kOneOf, {list, choices.back()}}, language);
}

std::vector<std::string> FormatNames(std::string_view command) {
  const std::span<const std::string_view> formats = FormatsOf(command);
  return {formats.begin(), formats.end()};
}

// What a refused value may be; the choices of a one-of range joined as the language joins them.
std::string RangeWords(const Saying& range, Language language) {
  if (range.kind != kRangeOneOf) return Say(range, language);
  return Say({kRangeOneOf, {OneOf(range.values, language)}}, language);
}

// The list field an option gives, if it gives one.
const ListField* ListFieldOf(std::string_view option) {
  for (const ListField& field : kListFields) {
    if (option == "--" + std::string(field.name)) return &field;
  }
  return nullptr;
}

}  // namespace

std::string OptionHelp(const OptionSpec& option, std::string_view command, Language language) {
  if (option.name == "--format" && FormatsOf(command).size() != 2) {
    return Say({kOptionCardFormat, {OneOf(FormatNames(command), language)}}, language);
  }
  const ListField* list = ListFieldOf(option.name);
  if (list != nullptr && language == Language::kJapanese) {
    Saying inWindowWords = option.help;  // named as the window names the list
    inWindowWords.values[0] = std::string(list->windowLabel);
    return Say(inWindowWords, language);
  }
  return Say(option.help, language);
}

std::optional<Saying> OptionRefusal(CliOptions& options, std::string_view name, std::string_view value,
                                    Language language) {
  const OptionSpec* option = FindOption(name);
  if (option == nullptr) return Saying{Said::kNoOption, {std::string(name)}};
  if (!option->set(options, value)) {
    const std::optional<Saying> range =
        option->name == "--format" ? Saying{kRangeOneOf, FormatNames(options.command)} : option->range;
    return Saying{Said::kBadOptionValue,
                  {option->name, std::string(value), range ? RangeWords(*range, language) : std::string()}};
  }
  options.given.insert(option->name);
  return std::nullopt;
}

std::optional<std::string> GiveOption(CliOptions& options, std::string_view name,
                                      std::string_view value) {
  const std::optional<Saying> refused = OptionRefusal(options, name, value);
  if (!refused) return std::nullopt;
  return Say(*refused, Language::kEnglish);
}

void WithdrawFlag(CliOptions& options, std::string_view name) {
  const OptionSpec* option = FindOption(name);
  if (option == nullptr || !option->unset) return;
  option->unset(options);
  options.given.erase(option->name);
}

bool TakesValue(std::string_view name) {
  const OptionSpec* option = FindOption(name);
  return option != nullptr && option->takes != Takes::kNothing;
}

namespace {

// The option that gives a control: the first, or the first given of several.
const OptionSpec* OptionGiving(int controlId, const CliOptions& options) {
  const OptionSpec* chosen = nullptr;
  for (const OptionSpec& option : Options()) {
    if (option.controlId != controlId) continue;
    const bool givenInstead =
        chosen != nullptr && !options.given.contains(chosen->name) && options.given.contains(option.name);
    if (chosen == nullptr || givenInstead) chosen = &option;
  }
  return chosen;
}

}  // namespace

std::vector<std::string_view> OptionNamesConcerned(const MessageSubject& subject, const CliOptions& options) {
  std::vector<std::string_view> names;
  for (const int control : subject.controls) {
    const OptionSpec* option = OptionGiving(control, options);
    if (option != nullptr) names.push_back(option->name);
  }
  return names;
}

std::string OptionsConcerned(const MessageSubject& subject, const CliOptions& options) {
  std::string names;
  for (const std::string_view name : OptionNamesConcerned(subject, options)) {
    names += (names.empty() ? "" : ", ") + std::string(name);
  }
  return names;
}

std::vector<std::string_view> CardOptionNames() {
  std::vector<std::string_view> names;
  for (const OptionSpec& option : CardOptions()) names.push_back(option.name);
  return names;
}

std::vector<std::string_view> ContentOptionNames() {
  std::vector<std::string_view> names = CardOptionNames();
  names.insert(names.end(), {"--yes", "--no"});
  return names;
}

std::vector<std::string_view> WriterOptionNames() {
  return {"--port", "--trace", "--wait", "--fast", "--format"};
}

std::vector<std::string_view> ProductionOptionNames() {
  return {"--rows", "--encoding", "--resume", "--rewrite-changed", "--image", "--force", "--count", "--ports", "--all",
          "--no-verify", "--json", "--format", "--log", "--trace", "--fast"};
}

std::optional<std::array<std::uint8_t, 2>> ParseCustomerId(std::string_view text) {
  const std::optional<std::uint32_t> value = ParseHexDigits(text, 4);
  if (!value) return std::nullopt;
  return std::array<std::uint8_t, 2>{static_cast<std::uint8_t>(*value >> 8),
                                     static_cast<std::uint8_t>(*value & 0xFF)};
}

}  // namespace morvik
