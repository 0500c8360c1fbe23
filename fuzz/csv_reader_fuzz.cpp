// The CSV reader on any text: it never reads past the text, records come in
// the order of their lines, and the records written out again (every field
// quoted) read back as the same records; a list's bytes read in any encoding
// are valid UTF-8.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "cli/csv_reader.h"
#include "fuzz/fuzz_support.h"
#include "window/cp932.h"

namespace {

std::string Written(const morvik::CsvRead& read) {
  std::string text;
  for (const morvik::CsvRecord& record : read.records) {
    for (std::size_t i = 0; i < record.fields.size(); ++i) {
      text += i == 0 ? "\"" : ",\"";
      for (const char c : record.fields[i]) text += c == '"' ? std::string("\"\"") : std::string(1, c);
      text += '"';
    }
    text += "\r\n";
  }
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const morvik::CsvRead read = morvik::ReadCsv(text);
  std::size_t line = 0;
  for (const morvik::CsvRecord& record : read.records) {
    FUZZ_CHECK(record.line > line && !record.fields.empty());
    line = record.line;
  }
  if (read.unendedQuote != 0 || text.starts_with("\xEF\xBB\xBF")) return 0;
  const morvik::CsvRead again = morvik::ReadCsv(Written(read));
  FUZZ_CHECK(again.unendedQuote == 0 && again.records.size() == read.records.size());
  for (std::size_t i = 0; i < read.records.size(); ++i) {
    FUZZ_CHECK(again.records[i].fields == read.records[i].fields);
  }
  const morvik::CsvText decoded = morvik::DecodeCsvText(text, std::nullopt);
  FUZZ_CHECK(decoded.problem || morvik::IsValidUtf8(decoded.utf8));
  return 0;
}
