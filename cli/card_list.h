// A list of cards for a production run (a CSV file, one row per card), read
// once and checked whole before any writer is touched: what `batch --rows`
// runs, and what the production window runs through the same code.
#pragma once

#include <istream>
#include <optional>
#include <string>
#include <vector>

#include "cli/cli_options.h"
#include "cli/csv_reader.h"
#include "production/run_plan.h"

namespace morvik {

struct CardList {
  std::vector<PlannedRow> rows;  // each row's line and id, in the file's order
  std::string fileHash;          // ContentHash of the file: a journal's records name it
  CsvEncoding encoding = CsvEncoding::kUtf8;
  ListPlan::RowImage rowImage;   // a row's image for a writer with this customer ID
};

// The list options.production.rows names ("-": in), every row composed once,
// its questions answered as --yes/--no say; nullopt with error
// ("cards.csv: line 7: --volume: ...") when the file or a row is refused.
std::optional<CardList> ReadCardList(const CliOptions& options, std::istream& in, std::string& error);

// A list on its own, as a program without content options reads it: every
// row starts from the options' defaults, and a question refuses its row.
std::optional<CardList> ReadCardList(const std::string& path, std::string& error);

}  // namespace morvik
