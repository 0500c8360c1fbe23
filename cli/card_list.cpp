#include "cli/card_list.h"

#include <algorithm>
#include <memory>
#include <set>
#include <sstream>

#include "cli/card_image_options.h"
#include "cli/option_table.h"
#include "files/file_access.h"

namespace morvik {
namespace {

// Far more than any list of cards a day of work makes.
constexpr std::size_t kRowsFileLimit = 16 << 20;
// A list's problems said before "and N more".
constexpr std::size_t kProblemsShown = 50;

// Each row's look-alikes beyond the command line's, which were said already.
std::vector<RowLookAlikes> RowsLookAlikes(const CardRows& rows, const CliOptions& commandLine) {
  std::vector<RowLookAlikes> found;
  for (std::size_t index = 0; index < rows.rows.size(); ++index) {
    const CardRow& row = rows.rows[index];
    std::vector<OptionBestFits> options = BestFitsOf(RowOptions(rows, index), &commandLine);
    if (!options.empty()) found.push_back({row.line, std::move(options)});
  }
  return found;
}

}  // namespace

ListReading ReadCardList(const CliOptions& options, std::istream& in) {
  ListReading reading;
  std::optional<std::string> bytes = ReadBoundedFile(options.production.rows, in, kRowsFileLimit, reading.unreadable);
  if (!bytes) return reading;
  auto rows = std::make_shared<CardRows>(ReadCardRows(*bytes, options));
  bytes.reset();
  reading.questions = ComposeRows(*rows);
  reading.lookAlikes = RowsLookAlikes(*rows, options);
  if (rows->problems.empty() && rows->rows.empty()) rows->problems.push_back({0, {}, {Said::kNoRows}});
  reading.problems = std::move(rows->problems);
  reading.ambiguous = std::move(rows->ambiguous);
  reading.blankLines = std::move(rows->blankLines);
  if (!reading.problems.empty()) return reading;
  CardList list{{}, rows->fileHash, ListNameOf(options.production.rows), rows->encoding, {}};
  // The plan keeps each row's identity; the rows keep their cells for the cards' images.
  list.rows = std::move(rows->rows);
  list.rowImage = [rows](std::size_t row, CustomerId cid) { return QuietImage(RowOptions(*rows, row), cid); };
  reading.list = std::move(list);
  return reading;
}

ListReading ReadCardList(const std::string& path, std::optional<CsvEncoding> encoding) {
  CliOptions options;
  std::optional<std::string> refused = GiveOption(options, "--rows", path);
  if (!refused && encoding) {
    refused = GiveOption(options, "--encoding", *encoding == CsvEncoding::kCp932 ? "cp932" : "utf-8");
  }
  if (refused) {
    ListReading reading;
    reading.unreadable = *refused;
    return reading;
  }
  std::istringstream noInput;
  return ReadCardList(options, noInput);
}

std::string BlankRowsText(const std::vector<std::size_t>& lines, Language language) {
  if (lines.empty()) return {};
  std::string numbers;
  const std::size_t shown = std::min(lines.size(), kProblemsShown);
  for (std::size_t i = 0; i < shown; ++i) numbers += (i == 0 ? "" : ", ") + std::to_string(lines[i]);
  if (lines.size() > shown) numbers += "...";
  if (lines.size() == 1) return Say({Said::kBlankRow, {numbers}}, language);
  return Say({Said::kBlankRows, {std::to_string(lines.size()), numbers}}, language);
}

std::vector<std::string> ProblemLines(const std::vector<RowProblem>& problems, Language language) {
  const std::size_t shown = std::min(problems.size(), kProblemsShown);
  std::vector<std::string> lines;
  for (std::size_t i = 0; i < shown; ++i) lines.push_back(ProblemText(problems[i], language));
  if (problems.size() > shown) {
    lines.push_back(Say({Said::kMoreProblems, {std::to_string(problems.size() - shown)}}, language));
  }
  return lines;
}

std::vector<std::string> LookAlikeLines(const std::vector<RowLookAlikes>& rows, Language language) {
  std::vector<std::string> lines;
  for (const RowLookAlikes& row : rows) {
    std::string notes;
    for (const OptionBestFits& option : row.options) {
      const std::string said =
          Say({Said::kLookAlikeOption, {std::string(option.column), LookAlikes(option.fits, language)}}, language);
      notes += notes.empty() ? said : Say({Said::kLookAlikeNextOption, {said}}, language);
    }
    lines.push_back(Say({Said::kAtLine, {std::to_string(row.line), notes}}, language));
  }
  return lines;
}

std::vector<Saying> ListLookAlikes(const std::vector<RowLookAlikes>& rows) {
  struct Seen {
    BestFit fit;
    std::size_t firstLine;
    std::set<std::size_t> lines;
  };
  std::vector<Seen> seen;
  for (const RowLookAlikes& row : rows) {
    for (const OptionBestFits& option : row.options) {
      for (const BestFit& fit : option.fits) {
        const auto same = std::ranges::find_if(seen, [&fit](const Seen& s) {
          return s.fit.character == fit.character && s.fit.writtenAs == fit.writtenAs;
        });
        if (same == seen.end()) {
          seen.push_back({fit, row.line, {row.line}});
        } else {
          same->lines.insert(row.line);
        }
      }
    }
  }
  std::vector<Saying> said;
  for (const Seen& s : seen) {
    const std::string line = std::to_string(s.firstLine);
    if (s.lines.size() == 1) {
      said.push_back({Said::kLookAlike, {s.fit.character, s.fit.writtenAs, line}});
    } else {
      said.push_back({Said::kLookAlikeInRows, {s.fit.character, s.fit.writtenAs, line, std::to_string(s.lines.size() - 1)}});
    }
  }
  return said;
}

}  // namespace morvik
