// A list of cards for a production run (a CSV file, one row per card), read
// once and checked whole before any writer is touched: what `batch --rows`
// runs, and what the production window runs through the same code.
#pragma once

#include <istream>
#include <optional>
#include <string>
#include <vector>

#include "cli/card_image_options.h"
#include "cli/card_rows.h"
#include "cli/cli_options.h"
#include "cli/csv_reader.h"
#include "production/run_plan.h"

namespace morvik {

struct CardList {
  std::vector<PlannedRow> rows;  // each row's line and id, in the file's order
  std::string fileHash;          // ContentHash of the file: a journal's records name it
  std::string name;              // the file's name without its folder; empty for stdin
  CsvEncoding encoding = CsvEncoding::kUtf8;
  ListPlan::RowImage rowImage;   // a row's image for a writer with this customer ID
};

// The characters of a row the card gets as look-alikes, beyond those of the
// command line (said already).
struct RowLookAlikes {
  std::size_t line;
  std::vector<OptionBestFits> options;
};

// What reading a list found. The list is there when the file was read and
// no row has a problem; its questions are still to be asked, and the list
// taken only when every one is answered OK.
struct ListReading {
  std::optional<CardList> list;
  std::string unreadable;               // why the file could not be read ("cards.csv: ...")
  std::vector<RowProblem> problems;     // every bad row, in the file's order
  std::vector<RowLookAlikes> lookAlikes;  // one per row with any, in the file's order
  std::vector<RowQuestion> questions;   // one per text, with every row that raises it
  std::optional<CsvAmbiguity> ambiguous;  // refused as both UTF-8 and code page 932: read again saying which
  std::vector<std::size_t> blankLines;    // rows of nothing but separators, skipped
};

// "3 rows of only separators skipped (lines 4, 9, 12)"; empty for none.
std::string BlankRowsText(const std::vector<std::size_t>& lines, Language language);

// The list options.production.rows names ("-": in), every row checked as the
// command line is and composed once.
ListReading ReadCardList(const CliOptions& options, std::istream& in);

// A list on its own, as a program without content options reads it: every
// row starts from the options' defaults; the encoding as given, else as the
// bytes say.
ListReading ReadCardList(const std::string& path, std::optional<CsvEncoding> encoding = std::nullopt);

// The first problems, one per line ("line 7: --volume: ..."), then
// "and N more" past the first 50: enough to fix a whole column at once.
std::vector<std::string> ProblemLines(const std::vector<RowProblem>& problems, Language language);

// "line 3: --url: é is written as e; --popup: ü as u", one per row.
std::vector<std::string> LookAlikeLines(const std::vector<RowLookAlikes>& rows, Language language);
// Each character once for the whole list, with its first line and how many
// other rows hold it: "é は e として書き込みます（3 行目ほか 2 行）".
std::vector<Saying> ListLookAlikes(const std::vector<RowLookAlikes>& rows);

}  // namespace morvik
