#include "cli/card_rows.h"

#include <algorithm>
#include <cstdio>
#include <optional>

#include "cli/cli_commands.h"
#include "window/cp932.h"

namespace morvik {
namespace {

constexpr std::string_view kIdColumn = "id";

const std::vector<std::string_view>& TextColumns() {
  static const std::vector<std::string_view> columns = {
      "url",  "popup",   "to",      "cc",          "title",   "body", "volume", "led",
      "sound", "mode", "release", "autooff", "service-cid", "uid-card"};
  return columns;
}

const std::vector<std::string_view>& FlagColumns() {
  static const std::vector<std::string_view> columns = {"mail", "init", "read-mark"};
  return columns;
}

bool Contains(const std::vector<std::string_view>& names, std::string_view name) {
  return std::find(names.begin(), names.end(), name) != names.end();
}

// 1/yes sets a flag, 0/no clears it; nullopt for any other cell.
std::optional<bool> FlagValue(std::string_view cell) {
  if (cell == "1" || cell == "yes") return true;
  if (cell == "0" || cell == "no") return false;
  return std::nullopt;
}

// The command line without the option `name` (and its value).
void Remove(std::vector<std::string>& arguments, const std::string& name, bool takesValue) {
  for (std::size_t i = 1; i < arguments.size(); ++i) {
    if (arguments[i] == name && takesValue && i + 1 < arguments.size()) {
      arguments.erase(arguments.begin() + static_cast<std::ptrdiff_t>(i),
                      arguments.begin() + static_cast<std::ptrdiff_t>(i + 2));
      return;
    }
    if (arguments[i] == name || arguments[i].starts_with(name + "=")) {
      arguments.erase(arguments.begin() + static_cast<std::ptrdiff_t>(i));
      return;
    }
  }
}

// The row's cells in place of the command line's options; the column and
// what is wrong with its cell when one cannot be taken.
std::optional<std::string> ApplyCells(const std::vector<std::string>& header, const CsvRecord& record,
                                      std::vector<std::string>& arguments, std::string& id) {
  for (std::size_t column = 0; column < header.size() && column < record.fields.size(); ++column) {
    const std::string& name = header[column];
    const std::string& cell = record.fields[column];
    if (cell.empty()) continue;
    if (name == kIdColumn) {
      id = cell;
      continue;
    }
    const std::string option = "--" + name;
    const bool flag = Contains(FlagColumns(), name);
    Remove(arguments, option, !flag);
    if (!flag) {
      arguments.insert(arguments.end(), {option, cell});
      continue;
    }
    const std::optional<bool> value = FlagValue(cell);
    if (!value) return name + ": " + cell + " is not 1, 0, yes or no";
    if (*value) arguments.push_back(option);
  }
  if (record.fields.size() > header.size()) return std::string("more cells than the header names");
  return std::nullopt;
}

// The parser's usage line without its head and tail: "bad value for --led: 9 ...".
std::string Reason(std::string text) {
  constexpr std::string_view kHead = "morvik-card: ";
  if (text.starts_with(kHead)) text.erase(0, kHead.size());
  if (const std::size_t see = text.rfind(" (see morvik-card"); see != std::string::npos) text.resize(see);
  while (!text.empty() && text.back() == '\n') text.pop_back();
  return text;
}

std::optional<std::string> CheckHeader(const std::vector<std::string>& header) {
  for (const std::string& name : header) {
    if (name != kIdColumn && !Contains(TextColumns(), name) && !Contains(FlagColumns(), name)) {
      return "unknown column: " + name;
    }
  }
  return std::nullopt;
}

}  // namespace

CardRows ReadCardRows(std::string_view fileBytes, const std::vector<std::string>& arguments) {
  CardRows result;
  result.encoding = DetectCsvEncoding(fileBytes);
  result.fileHash = ContentHash(fileBytes);
  std::string utf8(fileBytes);
  if (result.encoding == CsvEncoding::kCp932) {
    const std::optional<std::string> decoded = DecodeCp932(fileBytes);
    if (!decoded) return {{}, result.encoding, result.fileHash, "neither UTF-8 nor code page 932"};
    utf8 = *decoded;
  }
  const CsvRead csv = ReadCsv(utf8);
  if (!csv.error.empty()) return {{}, result.encoding, result.fileHash, csv.error};
  if (csv.records.empty()) return {{}, result.encoding, result.fileHash, "no header row"};
  const std::vector<std::string>& header = csv.records[0].fields;
  if (std::optional<std::string> bad = CheckHeader(header)) {
    return {{}, result.encoding, result.fileHash, "line 1: " + *bad};
  }
  for (std::size_t i = 1; i < csv.records.size(); ++i) {
    const CsvRecord& record = csv.records[i];
    CardRow row{record.line, {}, {}};
    std::vector<std::string> rowArguments = arguments;
    std::optional<std::string> bad = ApplyCells(header, record, rowArguments, row.id);
    if (!bad) {
      const ParseResult parsed = ParseCommandLine(rowArguments, Commands());
      if (parsed.options) row.options = *parsed.options;
      if (!parsed.options) bad = Reason(parsed.text);
    }
    if (bad) return {{}, result.encoding, result.fileHash, "line " + std::to_string(record.line) + ": " + *bad};
    result.rows.push_back(std::move(row));
  }
  return result;
}

}  // namespace morvik
