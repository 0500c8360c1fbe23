// Comma-separated values as spreadsheets save them (RFC 4180): a record a
// line, fields separated by commas, a field in double quotes may hold commas,
// line ends and doubled quotes. CR LF or LF ends a record. Pure: text in,
// records out, each with the line of the file it starts on.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "words/catalog.h"

namespace morvik {

struct CsvRecord {
  std::size_t line;  // 1 for the file's first line
  std::vector<std::string> fields;
};

struct CsvRead {
  std::vector<CsvRecord> records;  // blank lines left out
  std::size_t unendedQuote = 0;    // the line a quoted field that does not end starts on; 0 when read whole
};

CsvRead ReadCsv(std::string_view text);
// The same, each record handed on as it is read, so that a large file's
// records are never held all at once: the line an unended quoted field
// starts on (the records after it are not read), else 0.
std::size_t ForEachCsvRecord(std::string_view text, const std::function<void(CsvRecord&)>& each);

// How a list's text is encoded, as offices save CSV: UTF-8 with or without
// a byte order mark, or code page 932 (a spreadsheet's "CSV" on a Japanese PC).
enum class CsvEncoding { kUtf8WithBom, kUtf8, kCp932 };

// A line of a list that reads as text both ways: the one to show someone
// who knows which the file is.
struct CsvAmbiguity {
  std::size_t line;
  std::string asUtf8;
  std::string asCp932;  // as UTF-8 text
};

// A list's bytes as UTF-8 text, and how they were read.
struct CsvText {
  std::string utf8;
  CsvEncoding encoding = CsvEncoding::kUtf8;
  std::optional<Saying> problem = std::nullopt;  // why the bytes cannot be read; none when read
  std::optional<CsvAmbiguity> ambiguous = std::nullopt;  // refused as ambiguous: its first such line
};

// The bytes in the encoding given, or else the one they say: a byte order
// mark says UTF-8, and bytes valid one way only are read that way. Bytes
// valid both ways whose UTF-8 reading holds no character past U+07FF (what
// half-width katakana in code page 932 look like read as UTF-8) cannot be
// told: refused, naming their first such line read both ways. Other bytes
// valid both ways are UTF-8 (ASCII reads the same either way).
CsvText DecodeCsvText(std::string_view bytes, std::optional<CsvEncoding> given);
// The encoding as people type its name, in any case: utf-8, utf8, cp932,
// sjis, shift_jis, shift-jis, windows-31j; nullopt for any other.
std::optional<CsvEncoding> CsvEncodingNamed(std::string_view name);
// How the encoding is named to the user: "UTF-8 with BOM", "UTF-8", "code page 932".
Said EncodingSaid(CsvEncoding encoding);

}  // namespace morvik
