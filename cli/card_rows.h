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

namespace morvik {

struct CardRow {
  std::size_t line;      // where the row starts in the file
  std::string id;        // the id cell, empty without that column
  CliOptions options;
};

struct CardRows {
  std::vector<CardRow> rows;
  CsvEncoding encoding = CsvEncoding::kUtf8;
  std::string fileHash;  // ContentHash of the file, for matching a journal to its list
  std::string error;     // "line 7: bad value for --volume: 9 ...", empty when all rows are good
};

// The rows of a file's bytes, each starting from the command line's options.
CardRows ReadCardRows(std::string_view fileBytes, const CliOptions& commandLine);

}  // namespace morvik
