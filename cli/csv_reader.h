// Comma-separated values as spreadsheets save them (RFC 4180): a record a
// line, fields separated by commas, a field in double quotes may hold commas,
// line ends and doubled quotes. CR LF or LF ends a record. Pure: text in,
// records out, each with the line of the file it starts on.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace morvik {

struct CsvRecord {
  std::size_t line;  // 1 for the file's first line
  std::vector<std::string> fields;
};

struct CsvRead {
  std::vector<CsvRecord> records;  // blank lines left out
  std::string error;               // "line 4: a quote does not end", empty when read whole
};

CsvRead ReadCsv(std::string_view text);

// How a file's text is encoded, as offices save CSV: UTF-8 with a byte order
// mark, UTF-8 without one (the whole file valid UTF-8), else code page 932.
enum class CsvEncoding { kUtf8WithBom, kUtf8, kCp932 };

CsvEncoding DetectCsvEncoding(std::string_view bytes);
// "UTF-8 with BOM", "UTF-8", "code page 932".
std::string_view CsvEncodingName(CsvEncoding encoding);

}  // namespace morvik
