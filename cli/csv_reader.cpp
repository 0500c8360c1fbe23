#include "cli/csv_reader.h"

#include "window/cp932.h"

namespace morvik {
namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

// Reads one record from `at`, which ends past the record's line end.
class RecordReader {
 public:
  RecordReader(std::string_view text, std::size_t& at, std::size_t& line)
      : text_(text), at_(at), line_(line) {}

  // False, with the error, when a quoted field does not end.
  bool Read(CsvRecord& record, std::string& error) {
    record.line = line_;
    for (;;) {
      std::string field;
      if (!Field(field, error)) return false;
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
  bool Field(std::string& field, std::string& error) {
    if (at_ < text_.size() && text_[at_] == '"') return QuotedField(field, error);
    while (at_ < text_.size() && text_[at_] != ',' && text_[at_] != '\n' && text_[at_] != '\r') {
      field += text_[at_++];
    }
    return true;
  }

  bool QuotedField(std::string& field, std::string& error) {
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
    error = "line " + std::to_string(startLine) + ": a quoted field does not end";
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

CsvRead ReadCsv(std::string_view text) {
  if (text.starts_with(kUtf8Bom)) text.remove_prefix(kUtf8Bom.size());
  CsvRead read;
  std::size_t at = 0;
  std::size_t line = 1;
  while (at < text.size()) {
    CsvRecord record;
    if (!RecordReader(text, at, line).Read(record, read.error)) return read;
    if (!IsBlank(record)) read.records.push_back(std::move(record));
  }
  return read;
}

CsvEncoding DetectCsvEncoding(std::string_view bytes) {
  if (bytes.starts_with(kUtf8Bom)) return CsvEncoding::kUtf8WithBom;
  return IsValidUtf8(bytes) ? CsvEncoding::kUtf8 : CsvEncoding::kCp932;
}

std::string_view CsvEncodingName(CsvEncoding encoding) {
  switch (encoding) {
    case CsvEncoding::kUtf8WithBom: return "UTF-8 with BOM";
    case CsvEncoding::kUtf8: return "UTF-8";
    case CsvEncoding::kCp932: return "code page 932";
  }
  return "";
}

}  // namespace morvik
