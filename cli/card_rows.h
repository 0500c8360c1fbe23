// A production run from a list: a CSV file with one row per card, its columns
// named as the options of the card's fields and kinds without "--" (url,
// volume, uid-card...; CardOptionNames) and an optional id carried into the
// record. Each row's options are the command line's with the row's non-empty
// cells given in their place, through the same setters and rules as the
// command line.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "cli/cli_options.h"
#include "cli/csv_reader.h"
#include "production/card_record.h"
#include "production/row_identity.h"
#include "words/catalog.h"

namespace morvik {

// A row is known by its identity (its line, id, cells' hash and occurrence);
// its cells are kept packed, one row after the other in one text, and its
// options made again (RowOptions) when they are wanted: a list of many rows
// holds a few bytes per row beyond its cells, not a set of options each.
using CardRow = PlannedRow;

// What is wrong with a row (or with the file: line 0): the column as the
// list's header names it (empty when the whole row or file is wrong) and
// what is wrong, a kind with its values, worded where it is shown.
struct RowProblem {
  std::size_t line;
  std::string column;
  Saying said;
};

// A list read whole: the rows whose cells were taken, and every problem found.
struct CardRows {
  std::vector<std::string> header;  // the columns' names, as matched
  CliOptions commandLine;           // what every row starts from
  std::vector<CardRow> rows;
  std::string packed;                   // every row's cells in the header's order (PackCells), row after row
  std::vector<std::uint32_t> packedEnd;  // where each row's cells end in packed
  std::vector<RowProblem> problems;  // in the file's order; empty when every row is good
  CsvEncoding encoding = CsvEncoding::kUtf8;
  std::string fileHash;  // ContentHash of the file, for matching a journal to its list
  std::optional<CsvAmbiguity> ambiguous = std::nullopt;  // refused: the bytes read both ways
  std::vector<std::size_t> blankLines{};  // rows of nothing but separators and spaces, skipped
};

// The column carried into the record only. It is the one whose cells may
// hold a line end (in quotes): every entry of the window holds one line.
inline constexpr std::string_view kIdColumn = "id";

// What a row holds, whatever the order of its columns: a hash of each
// non-empty cell but the id's with its column's name.
std::string CellsHash(const std::vector<std::string>& header, const std::vector<std::string>& cells);

// The rows of a file's bytes, each starting from the command line's options.
// A header names its columns in any case, with spaces around the names; an
// id given to two rows is a problem of each row that repeats it.
CardRows ReadCardRows(std::string_view fileBytes, const CliOptions& commandLine);

// Cells as one text, each as its length in decimal, ':' and its bytes; and back.
std::string PackCells(const std::vector<std::string>& cells);
std::vector<std::string> UnpackCells(std::string_view packed);

// A row's options: the command line's with the row's cells given in their place.
CliOptions RowOptions(const CardRows& rows, std::size_t row);

// "line 7: bad value ... (the problem alone for line 0), in this language.
std::string ProblemText(const RowProblem& problem, Language language);

// A question the rows' texts raise (a keyword out of its place), and the
// lines of the rows that raise it, in the file's order.
struct RowQuestion {
  std::string text;
  std::vector<std::size_t> lines;
};

// Composes every row taken as the command line's content is composed: a row
// refused there becomes a problem of its line (the problems stay in the
// file's order). The questions are answered OK here and given back, one per
// text with every row that raises it, to be asked once for all of them.
std::vector<RowQuestion> ComposeRows(CardRows& rows);
// "rows 3, 8: " and the question's text ("row 3: " for one row).
std::string RowQuestionText(const RowQuestion& question, Language language);

}  // namespace morvik
