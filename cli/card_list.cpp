#include "cli/card_list.h"

#include <memory>
#include <sstream>

#include "cli/card_image_options.h"
#include "cli/card_rows.h"
#include "cli/command_line.h"
#include "cli/command_table.h"
#include "cli/option_table.h"
#include "files/file_access.h"

namespace morvik {
namespace {

// Far more than any list of cards a day of work makes.
constexpr std::size_t kRowsFileLimit = 16 << 20;

// Why the first row that cannot be composed is refused; empty when none is.
std::string FirstRefusedRow(const CardRows& rows, const CliOptions& options) {
  for (const CardRow& row : rows.rows) {
    HeadlessWindow window;
    window.SetDefaultAnswer(options.confirm == true ? kIdOk : kIdCancel);
    if (BuildCardImage(row.options, {0, 0}, window)) continue;
    const ShownMessage* said = window.messages().empty() ? nullptr : &window.messages().back();
    const std::string subject = said ? OptionsConcerned(said->message.subject, row.options) : "";
    return "line " + std::to_string(row.line) + ": " + (subject.empty() ? "" : subject + ": ") +
           (said ? said->text : "refused");
  }
  return {};
}

}  // namespace

std::optional<CardList> ReadCardList(const CliOptions& options, std::istream& in, std::string& error) {
  const std::string& path = options.production.rows;
  const std::optional<std::string> bytes = ReadBoundedFile(path, in, kRowsFileLimit, error);
  if (!bytes) return std::nullopt;
  auto rows = std::make_shared<CardRows>(ReadCardRows(*bytes, options));
  if (rows->error.empty() && rows->rows.empty()) rows->error = "no rows below the header";
  if (rows->error.empty()) rows->error = FirstRefusedRow(*rows, options);
  if (!rows->error.empty()) {
    error = path + ": " + rows->error;
    return std::nullopt;
  }
  CardList list{{}, rows->fileHash, rows->encoding, {}};
  for (const CardRow& row : rows->rows) list.rows.push_back({row.line, row.id});
  list.rowImage = [rows](std::size_t row, CustomerId cid) { return QuietImage(rows->rows[row].options, cid); };
  return list;
}

std::optional<CardList> ReadCardList(const std::string& path, std::string& error) {
  const ParseResult parsed = ParseCommandLine({"batch", "--rows=" + path}, Commands());
  if (!parsed.options) {
    error = parsed.text;
    return std::nullopt;
  }
  std::istringstream noInput;
  return ReadCardList(*parsed.options, noInput, error);
}

}  // namespace morvik
