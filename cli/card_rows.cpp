#include "cli/card_rows.h"

#include <algorithm>
#include <cstdio>
#include <optional>

#include "cli/option_rules.h"
#include "cli/option_table.h"
#include "window/cp932.h"

namespace morvik {
namespace {

constexpr std::string_view kIdColumn = "id";

// A column names an option of the card's fields or kinds, without "--".
bool IsOptionColumn(std::string_view name) {
  const std::vector<std::string_view> options = CardOptionNames();
  return std::find(options.begin(), options.end(), "--" + std::string(name)) != options.end();
}

// 1/yes sets a flag, 0/no clears it; nullopt for any other cell.
std::optional<bool> FlagValue(std::string_view cell) {
  if (cell == "1" || cell == "yes") return true;
  if (cell == "0" || cell == "no") return false;
  return std::nullopt;
}

// Gives the row's cells in place of the command line's options; what is
// wrong with a cell when one cannot be taken.
std::optional<std::string> ApplyCells(const std::vector<std::string>& header, const CsvRecord& record,
                                      CliOptions& options, std::string& id) {
  for (std::size_t column = 0; column < header.size() && column < record.fields.size(); ++column) {
    const std::string& name = header[column];
    const std::string& cell = record.fields[column];
    if (cell.empty()) continue;
    if (name == kIdColumn) {
      id = cell;
      continue;
    }
    const std::string option = "--" + name;
    if (TakesValue(option)) {
      if (std::optional<std::string> refused = GiveOption(options, option, cell)) return refused;
      continue;
    }
    const std::optional<bool> value = FlagValue(cell);
    if (!value) return name + ": " + cell + " is not 1, 0, yes or no";
    if (*value) {
      GiveOption(options, option, "");
    } else {
      WithdrawFlag(options, option);
    }
  }
  if (record.fields.size() > header.size()) return std::string("more cells than the header names");
  return BrokenOptionRule(options);
}

std::optional<std::string> CheckHeader(const std::vector<std::string>& header) {
  for (const std::string& name : header) {
    if (name != kIdColumn && !IsOptionColumn(name)) return "unknown column: " + name;
  }
  return std::nullopt;
}

}  // namespace

CardRows ReadCardRows(std::string_view fileBytes, const CliOptions& commandLine) {
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
    CardRow row{record.line, {}, commandLine};
    if (const std::optional<std::string> bad = ApplyCells(header, record, row.options, row.id)) {
      return {{}, result.encoding, result.fileHash, "line " + std::to_string(record.line) + ": " + *bad};
    }
    result.rows.push_back(std::move(row));
  }
  return result;
}

}  // namespace morvik
