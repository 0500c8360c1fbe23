#include "cli/csv_reader.h"

#include <functional>

#include <algorithm>
#include <cctype>
#include <iterator>

#include "window/cp932.h"

namespace morvik {
namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

// Reads one record from `at`, which ends past the record's line end.
class RecordReader {
 public:
  RecordReader(std::string_view text, std::size_t& at, std::size_t& line)
      : text_(text), at_(at), line_(line) {}

  // False, with the line it starts on, when a quoted field does not end.
  bool Read(CsvRecord& record, std::size_t& unendedQuote) {
    record.line = line_;
    for (;;) {
      std::string field;
      if (!Field(field, unendedQuote)) return false;
      record.fields.push_back(std::move(field));
      if (at_ >= text_.size()) return true;
      const char next = text_[at_++];
      if (next == ',') continue;
      if (next == '\r' && at_ < text_.size() && text_[at_] == '\n') ++at_;
      ++line_;
      return true;
    }
  }

 private:
  bool Field(std::string& field, std::size_t& unendedQuote) {
    if (at_ < text_.size() && text_[at_] == '"') return QuotedField(field, unendedQuote);
    while (at_ < text_.size() && text_[at_] != ',' && text_[at_] != '\n' && text_[at_] != '\r') {
      field += text_[at_++];
    }
    return true;
  }

  bool QuotedField(std::string& field, std::size_t& unendedQuote) {
    const std::size_t startLine = line_;
    for (++at_; at_ < text_.size(); ++at_) {
      const char c = text_[at_];
      if (c == '"' && at_ + 1 < text_.size() && text_[at_ + 1] == '"') {
        field += '"';
        ++at_;
      } else if (c == '"') {
        ++at_;
        return RestAfterQuote(field);
      } else {
        if (c == '\n') ++line_;
        field += c;
      }
    }
    unendedQuote = startLine;
    return false;
  }

  // Text between a closing quote and the next separator is kept, as
  // spreadsheets keep it.
  bool RestAfterQuote(std::string& field) {
    while (at_ < text_.size() && text_[at_] != ',' && text_[at_] != '\n' && text_[at_] != '\r') {
      field += text_[at_++];
    }
    return true;
  }

  std::string_view text_;
  std::size_t& at_;
  std::size_t& line_;
};

bool IsBlank(const CsvRecord& record) {
  return record.fields.size() == 1 && record.fields[0].empty();
}

}  // namespace

std::size_t ForEachCsvRecord(std::string_view text, const std::function<void(CsvRecord&)>& each) {
  if (text.starts_with(kUtf8Bom)) text.remove_prefix(kUtf8Bom.size());
  std::size_t at = 0;
  std::size_t line = 1;
  std::size_t unendedQuote = 0;
  while (at < text.size()) {
    CsvRecord record;
    if (!RecordReader(text, at, line).Read(record, unendedQuote)) return unendedQuote;
    if (!IsBlank(record)) each(record);
  }
  return 0;
}

CsvRead ReadCsv(std::string_view text) {
  CsvRead read;
  read.unendedQuote = ForEachCsvRecord(text, [&read](CsvRecord& record) { read.records.push_back(std::move(record)); });
  return read;
}

namespace {

// The line (from 1) that holds the byte at `at`, without its line end.
struct LineAt {
  std::size_t number;
  std::string_view text;
};

LineAt LineHolding(std::string_view bytes, std::size_t at) {
  const std::size_t newline = bytes.rfind('\n', at);
  const std::size_t begin = newline == std::string_view::npos ? 0 : newline + 1;
  const std::size_t end = std::min(bytes.find_first_of("\r\n", at), bytes.size());
  const std::size_t number = 1 + static_cast<std::size_t>(std::count(bytes.begin(), bytes.begin() + begin, '\n'));
  return {number, bytes.substr(begin, end - begin)};
}

// Valid UTF-8 whose characters past ASCII all lie in U+0080-U+07FF (two-byte
// forms): the offset of its first such byte, else nothing.
std::optional<std::size_t> TwoByteFormsOnly(std::string_view utf8) {
  const auto byte = [](char c) { return static_cast<unsigned char>(c); };
  if (std::ranges::any_of(utf8, [&](char c) { return byte(c) >= 0xE0; })) return std::nullopt;
  const std::size_t first = static_cast<std::size_t>(
      std::ranges::find_if(utf8, [&](char c) { return byte(c) >= 0x80; }) - utf8.begin());
  if (first == utf8.size()) return std::nullopt;
  return first;
}

CsvText Refused(Saying problem) { return {{}, CsvEncoding::kUtf8, std::move(problem)}; }

CsvText AsUtf8(std::string_view bytes) {
  const bool bom = bytes.starts_with(kUtf8Bom);
  if (!IsValidUtf8(bytes)) return Refused({Said::kListNotUtf8});
  return {std::string(bytes), bom ? CsvEncoding::kUtf8WithBom : CsvEncoding::kUtf8, {}};
}

CsvText AsCp932(std::string_view bytes) {
  const std::optional<std::string> text = DecodeCp932(bytes);
  if (!text) return Refused({Said::kListNotCp932});
  return {*text, CsvEncoding::kCp932, {}};
}

}  // namespace

CsvText DecodeCsvText(std::string_view bytes, std::optional<CsvEncoding> given) {
  if (given) return *given == CsvEncoding::kCp932 ? AsCp932(bytes) : AsUtf8(bytes);
  if (bytes.starts_with(kUtf8Bom)) return AsUtf8(bytes);
  if (!IsValidUtf8(bytes)) {
    const std::optional<std::string> cp932 = DecodeCp932(bytes);
    if (!cp932) return Refused({Said::kListNeitherEncoding});
    return {*cp932, CsvEncoding::kCp932, {}};
  }
  // Only UTF-8 of two-byte forms may be code page 932 text as well: no other
  // text is decoded a second time, which would hold a large list twice more.
  const std::optional<std::size_t> twoByte = TwoByteFormsOnly(bytes);
  if (!twoByte || !DecodeCp932(bytes)) return AsUtf8(bytes);
  const LineAt line = LineHolding(bytes, *twoByte);
  CsvAmbiguity ambiguity{line.number, std::string(line.text), DecodeCp932(line.text).value_or("")};
  CsvText refused =
      Refused({Said::kListAmbiguous, {std::to_string(line.number), ambiguity.asUtf8, ambiguity.asCp932}});
  refused.ambiguous = std::move(ambiguity);
  return refused;
}

std::optional<CsvEncoding> CsvEncodingNamed(std::string_view name) {
  std::string lower(name);
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  constexpr std::string_view kCp932Names[] = {"cp932", "sjis", "shift_jis", "shift-jis", "windows-31j"};
  if (lower == "utf-8" || lower == "utf8") return CsvEncoding::kUtf8;
  if (std::ranges::find(kCp932Names, lower) != std::end(kCp932Names)) return CsvEncoding::kCp932;
  return std::nullopt;
}

Said EncodingSaid(CsvEncoding encoding) {
  switch (encoding) {
    case CsvEncoding::kUtf8WithBom: return Said::kEncodingUtf8WithBom;
    case CsvEncoding::kUtf8: return Said::kEncodingUtf8;
    case CsvEncoding::kCp932: return Said::kEncodingCp932;
  }
  return Said::kEncodingUtf8;
}

}  // namespace morvik
