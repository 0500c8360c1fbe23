#include "cli/card_rows.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <optional>
#include <set>
#include <span>

#include "cli/card_image_options.h"
#include "cli/option_rules.h"
#include "cli/option_table.h"
#include "cli/terminal_window.h"

namespace morvik {
namespace {

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

// A cell a column of a list's positions refuses: the last position it takes.
std::optional<std::size_t> LastPosition(std::string_view column) {
  for (const ListField& field : kListFields) {
    if (field.name == column) return field.items.size() - 1;
  }
  return std::nullopt;
}

std::optional<Saying> GiveCell(const std::string& name, const std::string& cell, CliOptions& options) {
  const std::string option = "--" + name;
  if (TakesValue(option)) {
    if (!GiveOption(options, option, cell)) return std::nullopt;
    if (const std::optional<std::size_t> last = LastPosition(name)) {
      return Saying{Said::kBadPosition, {name, cell, std::to_string(*last)}};
    }
    return Saying{Said::kBadValue, {name, cell}};
  }
  const std::optional<bool> value = FlagValue(cell);
  if (!value) return Saying{Said::kNotAFlag, {name, cell}};
  if (*value) {
    if (GiveOption(options, option, "")) return Saying{Said::kBadValue, {name, cell}};
    return std::nullopt;
  }
  WithdrawFlag(options, option);
  return std::nullopt;
}

RowProblem RowProblemOf(std::size_t line, Saying said) {
  // Every kind of a row's cells names its column first.
  std::string column = said.values.empty() ? "" : said.values.front();
  return {line, std::move(column), std::move(said)};
}

// Gives the row's cells in place of the command line's options; what is
// wrong with the row when it cannot be taken.
std::optional<RowProblem> ApplyCells(const std::vector<std::string>& header, const CsvRecord& record,
                                     CliOptions& options, std::string& id) {
  if (record.fields.size() != header.size()) {
    const std::size_t cells = record.fields.size();
    const std::string columns = std::to_string(header.size());
    if (cells == 1) return RowProblem{record.line, {}, {Said::kOneCell, {columns}}};
    return RowProblem{record.line, {}, {Said::kCells, {std::to_string(cells), columns}}};
  }
  for (std::size_t column = 0; column < header.size(); ++column) {
    const std::string& name = header[column];
    const std::string& cell = record.fields[column];
    if (cell.empty()) continue;
    if (name == kIdColumn) {
      id = cell;
    } else if (cell.find_first_of("\r\n") != std::string::npos) {
      return RowProblemOf(record.line, {Said::kLineEndInCell, {name, std::string(kIdColumn)}});
    } else if (std::optional<Saying> refused = GiveCell(name, cell, options)) {
      return RowProblemOf(record.line, std::move(*refused));
    }
  }
  if (std::optional<Saying> broken = OptionRuleBroken(options)) return RowProblemOf(record.line, std::move(*broken));
  return std::nullopt;
}

// Every column unknown or named twice.
std::vector<RowProblem> HeaderProblems(const std::vector<std::string>& header) {
  std::vector<RowProblem> problems;
  std::set<std::string, std::less<>> seen;
  for (const std::string& name : header) {
    if (name != kIdColumn && !IsOptionColumn(name)) problems.push_back({1, name, {Said::kUnknownColumn, {name}}});
    if (!seen.insert(name).second) problems.push_back({1, name, {Said::kColumnTwice, {name}}});
  }
  return problems;
}

// "URL " and " url" name the url column.
std::string ColumnName(std::string_view cell) {
  const std::size_t begin = cell.find_first_not_of(" \t");
  if (begin == std::string_view::npos) return {};
  const std::size_t end = cell.find_last_not_of(" \t");
  std::string name(cell.substr(begin, end + 1 - begin));
  for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return name;
}

// Nothing but separators and spaces: a row a spreadsheet saves for cells once touched.
bool IsBlankRow(const CsvRecord& record) {
  return std::ranges::all_of(record.fields,
                             [](const std::string& cell) { return cell.find_first_not_of(" \t") == std::string::npos; });
}

// Each row's how-manyth occurrence of its cells, and each id given again:
// rows sorted by a text of theirs, each run of equal texts in the file's order.
template <class TextOf, class EachRun>
void RunsOfEqual(std::vector<CardRow>& rows, const TextOf& textOf, const EachRun& eachRun) {
  std::vector<std::uint32_t> order(rows.size());
  for (std::uint32_t i = 0; i < order.size(); ++i) order[i] = i;
  std::ranges::stable_sort(order, {}, [&](std::uint32_t i) { return std::string_view(textOf(rows[i])); });
  for (std::size_t begin = 0; begin < order.size();) {
    std::size_t end = begin + 1;
    while (end < order.size() && textOf(rows[order[end]]) == textOf(rows[order[begin]])) ++end;
    eachRun(std::span<const std::uint32_t>(order).subspan(begin, end - begin));
    begin = end;
  }
}

void NumberRows(CardRows& rows) {
  RunsOfEqual(rows.rows, [](const CardRow& row) -> const std::string& { return row.cells; },
              [&rows](std::span<const std::uint32_t> run) {
                for (std::size_t n = 0; n < run.size(); ++n) rows.rows[run[n]].occurrence = n + 1;
              });
  RunsOfEqual(rows.rows, [](const CardRow& row) -> const std::string& { return row.id; },
              [&rows](std::span<const std::uint32_t> run) {
                const CardRow& first = rows.rows[run.front()];
                if (first.id.empty()) return;
                for (const std::uint32_t again : run.subspan(1)) {
                  const CardRow& row = rows.rows[again];
                  rows.problems.push_back({row.line,
                                           std::string(kIdColumn),
                                           {Said::kIdRepeated, {row.id, std::to_string(first.line)}}});
                }
              });
}

CardRows Refused(CardRows rows, Saying said, std::size_t line = 0) {
  rows.problems.push_back({line, {}, std::move(said)});
  return rows;
}

// The columns a message of the card is about, as the list names them: "url, popup".
std::string ColumnsConcerned(const MessageSubject& subject, const CliOptions& options) {
  std::string columns;
  for (const std::string_view option : OptionNamesConcerned(subject, options)) {
    columns += (columns.empty() ? "" : ", ") + std::string(option.substr(2));
  }
  return columns;
}

// A row the card refuses: the card's own message, and the length it counted.
RowProblem CardRefusal(std::size_t line, const ShownMessage* said, const CliOptions& options) {
  if (said == nullptr) return {line, {}, {Said::kRowRefused}};
  const std::string columns = ColumnsConcerned(said->message.subject, options);
  const std::string column = columns.substr(0, columns.find(','));
  if (said->message.subject.kind == MessageKind::kLimit) {
    return {line, column,
            {Said::kCardRefusedCounted, {columns, said->text, std::to_string(said->message.subject.length)}}};
  }
  return {line, column, {Said::kCardRefused, {columns, said->text}}};
}

}  // namespace

std::string ProblemText(const RowProblem& problem, Language language) {
  const std::string text = Say(problem.said, language);
  if (problem.line == 0) return text;
  return Say({Said::kAtLine, {std::to_string(problem.line), text}}, language);
}

std::vector<RowQuestion> ComposeRows(CardRows& rows) {
  std::vector<RowQuestion> questions;
  for (std::size_t index = 0; index < rows.rows.size(); ++index) {
    const CardRow& row = rows.rows[index];
    HeadlessWindow window;
    window.SetDefaultAnswer(kIdOk);
    const CliOptions options = RowOptions(rows, index);
    const bool composed = BuildCardImage(options, {0, 0}, window).has_value();
    for (const ShownMessage& shown : window.messages()) {
      if (shown.message.subject.kind != MessageKind::kQuestion) continue;
      const auto asked = std::ranges::find(questions, shown.text, &RowQuestion::text);
      if (asked == questions.end()) {
        questions.push_back({shown.text, {row.line}});
      } else if (asked->lines.back() != row.line) {
        asked->lines.push_back(row.line);
      }
    }
    if (composed) continue;
    const ShownMessage* said = window.messages().empty() ? nullptr : &window.messages().back();
    rows.problems.push_back(CardRefusal(row.line, said, options));
  }
  std::ranges::stable_sort(rows.problems, {}, &RowProblem::line);
  return questions;
}

std::string RowQuestionText(const RowQuestion& question, Language language) {
  std::string lines;
  for (const std::size_t line : question.lines) lines += (lines.empty() ? "" : ", ") + std::to_string(line);
  return Say({question.lines.size() == 1 ? Said::kQuestionRow : Said::kQuestionRows, {lines, question.text}}, language);
}

std::string CellsHash(const std::vector<std::string>& header, const std::vector<std::string>& cells) {
  std::map<std::string_view, std::string_view> named;
  for (std::size_t column = 0; column < header.size() && column < cells.size(); ++column) {
    if (header[column] != kIdColumn && !cells[column].empty()) named.emplace(header[column], cells[column]);
  }
  std::string text;
  for (const auto& [name, cell] : named) {
    text.append(name).append(":").append(std::to_string(cell.size())).append(":").append(cell);
  }
  return ContentHash(text);
}

std::string PackCells(const std::vector<std::string>& cells) {
  std::string packed;
  for (const std::string& cell : cells) packed.append(std::to_string(cell.size())).append(":").append(cell);
  return packed;
}

std::vector<std::string> UnpackCells(std::string_view packed) {
  std::vector<std::string> cells;
  while (!packed.empty()) {
    const std::size_t colon = packed.find(':');
    if (colon == std::string_view::npos) break;
    std::size_t size = 0;
    for (const char digit : packed.substr(0, colon)) size = size * 10 + static_cast<std::size_t>(digit - '0');
    cells.emplace_back(packed.substr(colon + 1, size));
    packed.remove_prefix(std::min(packed.size(), colon + 1 + size));
  }
  return cells;
}

CliOptions RowOptions(const CardRows& rows, std::size_t row) {
  CliOptions options = rows.commandLine;
  std::string id;
  const std::size_t begin = row == 0 ? 0 : rows.packedEnd[row - 1];
  const std::string_view packed = std::string_view(rows.packed).substr(begin, rows.packedEnd[row] - begin);
  // The row was taken once with these very cells: they are given again
  // without a problem, so no line is needed to name one.
  ApplyCells(rows.header, CsvRecord{0, UnpackCells(packed)}, options, id);
  return options;
}

// How many lines hold more than a line end: as many rows at most, what the
// rows are reserved for (a file of blank lines reserves nothing).
std::size_t LinesHoldingText(std::string_view text) {
  std::size_t lines = 0;
  bool holding = false;
  for (const char c : text) {
    const bool lineEnd = c == '\n' || c == '\r';
    if (lineEnd && holding) ++lines;
    holding = !lineEnd;
  }
  return lines + (holding ? 1 : 0);
}

// A row of the list: its cells taken, or its problem named.
void TakeRow(CardRows& rows, CsvRecord& record) {
  if (IsBlankRow(record)) {
    rows.blankLines.push_back(record.line);
    return;
  }
  CardRow row{record.line, {}};
  CliOptions options = rows.commandLine;
  if (std::optional<RowProblem> bad = ApplyCells(rows.header, record, options, row.id)) {
    rows.problems.push_back(std::move(*bad));
    return;
  }
  rows.packed += PackCells(record.fields);
  rows.packedEnd.push_back(static_cast<std::uint32_t>(rows.packed.size()));
  row.cells = CellsHash(rows.header, record.fields);
  rows.rows.push_back(std::move(row));
}

CardRows ReadCardRows(std::string_view fileBytes, const CliOptions& commandLine) {
  CardRows result;
  result.commandLine = commandLine;
  result.fileHash = ContentHash(fileBytes);
  const CsvText text = DecodeCsvText(fileBytes, commandLine.production.encoding);
  result.encoding = text.encoding;
  result.ambiguous = text.ambiguous;
  if (text.problem) return Refused(std::move(result), *text.problem);
  const std::size_t lines = LinesHoldingText(text.utf8);
  bool headerRead = false;
  bool headerGood = false;
  const std::size_t unendedQuote = ForEachCsvRecord(text.utf8, [&](CsvRecord& record) {
    if (headerRead) {
      if (headerGood) TakeRow(result, record);
      return;
    }
    headerRead = true;
    for (const std::string& cell : record.fields) result.header.push_back(ColumnName(cell));
    result.problems = HeaderProblems(result.header);
    headerGood = result.problems.empty();
    result.rows.reserve(headerGood ? lines : 0);
    result.packedEnd.reserve(headerGood ? lines : 0);
    // Each cell packed takes its length's digits and ':' for its separator:
    // up to two bytes more than in the file for cells of up to 99 bytes.
    result.packed.reserve(headerGood ? text.utf8.size() + 2 * lines * result.header.size() : 0);
  });
  if (unendedQuote != 0) {
    CardRows refused{{}, commandLine, {}, {}, {}, {}, result.encoding, result.fileHash, result.ambiguous};
    return Refused(std::move(refused), {Said::kQuoteNotEnded}, unendedQuote);
  }
  if (!headerRead) return Refused(std::move(result), {Said::kNoHeaderRow});
  if (!headerGood) return result;
  // Rows of only separators, or cells of 100 bytes and more, leave much of
  // what was reserved unused: given back.
  if (result.packed.capacity() > result.packed.size() + result.packed.size() / 8) result.packed.shrink_to_fit();
  if (result.rows.capacity() > result.rows.size() + result.rows.size() / 8) {
    result.rows.shrink_to_fit();
    result.packedEnd.shrink_to_fit();
  }
  NumberRows(result);
  std::ranges::stable_sort(result.problems, {}, &RowProblem::line);
  return result;
}

}  // namespace morvik
