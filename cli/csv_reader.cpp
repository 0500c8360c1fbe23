#include "cli/csv_reader.h"

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

// The length of the UTF-8 sequence a lead byte starts, 0 for no lead byte.
std::size_t SequenceLength(unsigned char lead) {
  if (lead < 0x80) return 1;
  if (lead >= 0xC2 && lead <= 0xDF) return 2;
  if (lead >= 0xE0 && lead <= 0xEF) return 3;
  if (lead >= 0xF0 && lead <= 0xF4) return 4;
  return 0;
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

bool IsValidUtf8(std::string_view text) {
  for (std::size_t at = 0; at < text.size();) {
    const auto lead = static_cast<unsigned char>(text[at]);
    const std::size_t length = SequenceLength(lead);
    if (length == 0 || at + length > text.size()) return false;
    for (std::size_t i = 1; i < length; ++i) {
      if ((static_cast<unsigned char>(text[at + i]) & 0xC0) != 0x80) return false;
    }
    const auto second = static_cast<unsigned char>(length > 1 ? text[at + 1] : 0);
    if ((lead == 0xE0 && second < 0xA0) || (lead == 0xED && second > 0x9F) ||
        (lead == 0xF0 && second < 0x90) || (lead == 0xF4 && second > 0x8F)) {
      return false;  // overlong, a surrogate, or past U+10FFFF
    }
    at += length;
  }
  return true;
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
