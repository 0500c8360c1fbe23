#include "production/journal.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <nlohmann/json.hpp>

namespace morvik {
namespace {

using JournalJson = nlohmann::json;

// The keys a record is read from; any other key is passed over.
enum Key : std::size_t {
  kRecordKey, kTime, kPort, kIdm, kRow, kId, kFile, kList, kCells, kOccurrence, kRun, kHost, kPid,
  kImageHash, kImage, kResult, kBlock, kResends, kSeconds, kVerified, kFoundInDoubt, kKeyCount
};
constexpr std::array<std::string_view, kKeyCount> kKeyNames{
    "record", "time",     "port",       "idm",   "row",    "id",      "file",    "list",     "cells",
    "occurrence", "run",  "host",       "pid",   "image_hash", "image", "result", "block", "resends",
    "seconds", "verified", "found_in_doubt"};

// A key's value as the line gives it (the last, when a key is given twice).
struct Value {
  enum class Kind { kAbsent, kText, kWhole, kNegative, kFraction, kFlag, kOther };
  Kind kind = Kind::kAbsent;
  std::string text{};
  std::uint64_t whole = 0;
  double number = 0;
  bool flag = false;
  bool present() const { return kind != Kind::kAbsent; }
  bool isNumber() const { return kind == Kind::kWhole || kind == Kind::kNegative || kind == Kind::kFraction; }
};
using Fields = std::array<Value, kKeyCount>;

// Takes the values of a line's object as they are parsed, without building
// the object: a journal of a million lines is read at the speed of its bytes.
class FieldReader final : public nlohmann::json_sax<JournalJson> {
 public:
  explicit FieldReader(Fields& fields) : fields_(fields) {}
  bool isObject() const { return isObject_; }

  bool null() override { return Take(Value::Kind::kOther); }
  bool boolean(bool flag) override {
    if (Value* value = Taken(Value::Kind::kFlag)) value->flag = flag;
    return depth_ > 0;
  }
  bool number_integer(number_integer_t number) override {
    if (Value* value = Taken(Value::Kind::kNegative)) value->number = static_cast<double>(number);
    return depth_ > 0;
  }
  bool number_unsigned(number_unsigned_t number) override {
    if (Value* value = Taken(Value::Kind::kWhole)) {
      value->whole = number;
      value->number = static_cast<double>(number);
    }
    return depth_ > 0;
  }
  bool number_float(number_float_t number, const string_t&) override {
    if (Value* value = Taken(Value::Kind::kFraction)) value->number = number;
    return depth_ > 0;
  }
  bool string(string_t& text) override {
    if (Value* value = Taken(Value::Kind::kText)) value->text = std::move(text);
    return depth_ > 0;
  }
  bool binary(binary_t&) override { return Take(Value::Kind::kOther); }
  bool start_object(std::size_t) override {
    if (depth_ == 0) isObject_ = true;
    return Open();
  }
  bool key(string_t& name) override {
    if (depth_ == 1) {
      const auto known = std::ranges::find(kKeyNames, name);
      key_ = known == kKeyNames.end() ? kKeyCount : static_cast<std::size_t>(known - kKeyNames.begin());
    }
    return true;
  }
  bool end_object() override { return Close(); }
  bool start_array(std::size_t) override { return Open(); }
  bool end_array() override { return Close(); }
  bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) override { return false; }

 private:
  // The value of the top object's current key, when it is one a record is read from.
  Value* Taken(Value::Kind kind) {
    if (depth_ != 1 || key_ == kKeyCount) return nullptr;
    fields_[key_] = Value{kind};
    return &fields_[key_];
  }
  bool Take(Value::Kind kind) {
    Taken(kind);
    return depth_ > 0;
  }
  // A nested object or array is a value no record key takes.
  bool Open() {
    if (depth_ == 0 && !isObject_) return false;
    Taken(Value::Kind::kOther);
    ++depth_;
    return true;
  }
  bool Close() {
    --depth_;
    return true;
  }

  Fields& fields_;
  std::size_t depth_ = 0;
  std::size_t key_ = kKeyCount;
  bool isObject_ = false;
};

// The text at key, when the object has one there; a missing key is "" for optional texts.
bool TextAt(const Fields& fields, Key key, std::string& text, bool required) {
  const Value& value = fields[key];
  if (!value.present()) return !required;
  if (value.kind != Value::Kind::kText) return false;
  text = value.text;
  return true;
}

template <class Number>
bool NumberAt(const Fields& fields, Key key, Number& number) {
  const Value& value = fields[key];
  if (!value.present()) return true;
  if (value.kind != Value::Kind::kWhole || value.whole > 0x7FFFFFFF) return false;
  number = static_cast<Number>(value.whole);
  return true;
}

bool FlagAt(const Fields& fields, Key key, bool& flag) {
  const Value& value = fields[key];
  if (!value.present()) return true;
  if (value.kind != Value::Kind::kFlag) return false;
  flag = value.flag;
  return true;
}

bool SecondsAt(const Fields& fields, double& seconds) {
  const Value& value = fields[kSeconds];
  if (!value.present()) return true;
  if (!value.isNumber()) return false;
  seconds = value.number;
  return seconds >= 0 && seconds < 1e9;  // no card takes thirty years
}

std::optional<CardResult> ResultOfKey(std::string_view key) {
  constexpr std::array<std::pair<std::string_view, CardResult>, 6> kResults{{
      {"ok", CardResult::kOk},
      {"write-failed", CardResult::kWriteFailed},
      {"verify-failed", CardResult::kVerifyFailed},
      {"removed", CardResult::kRemoved},
      {"interrupted", CardResult::kInterrupted},
      {"writer-lost", CardResult::kWriterLost},
  }};
  for (const auto& [name, result] : kResults) {
    if (name == key) return result;
  }
  return std::nullopt;
}

std::optional<JournalEntryKind> KindOf(const Fields& fields) {
  std::string kind = "card";
  if (!TextAt(fields, kRecordKey, kind, false)) return std::nullopt;
  if (kind == "started") return JournalEntryKind::kStarted;
  if (kind == "card") return JournalEntryKind::kCard;
  return std::nullopt;
}

bool ReadCard(const Fields& fields, CardRecord& r) {
  std::string result;
  if (!TextAt(fields, kResult, result, true)) return false;
  const std::optional<CardResult> known = ResultOfKey(result);
  if (!known) return false;
  r.result = *known;
  return NumberAt(fields, kBlock, r.block) && NumberAt(fields, kResends, r.resends) && SecondsAt(fields, r.seconds) &&
         FlagAt(fields, kVerified, r.verified) && FlagAt(fields, kFoundInDoubt, r.foundInDoubt);
}

// The image's hash: "image_hash", or "image" in a journal written before the
// key had its own name.
bool ImageHashAt(const Fields& fields, std::string& hash, bool required) {
  return fields[kImageHash].present() || !fields[kImage].present() ? TextAt(fields, kImageHash, hash, required)
                                                                    : TextAt(fields, kImage, hash, required);
}

}  // namespace

std::optional<JournalEntry> ParseJournalLine(std::string_view line) {
  Fields json;
  FieldReader reader(json);
  if (!JournalJson::sax_parse(line, &reader) || !reader.isObject()) return std::nullopt;
  JournalEntry entry;
  const std::optional<JournalEntryKind> kind = KindOf(json);
  if (!kind) return std::nullopt;
  entry.kind = *kind;
  CardRecord& r = entry.record;
  const bool common = TextAt(json, kTime, r.time, true) && TextAt(json, kPort, r.port, true) &&
                      TextAt(json, kIdm, r.idm, true) && NumberAt(json, kRow, r.row) &&
                      TextAt(json, kId, r.id, false) && TextAt(json, kFile, r.file, r.row != 0) &&
                      TextAt(json, kList, r.list, false) && TextAt(json, kCells, r.cells, false) &&
                      NumberAt(json, kOccurrence, r.occurrence) && TextAt(json, kRun, r.run, false) &&
                      TextAt(json, kHost, r.host, false) && NumberAt(json, kPid, r.pid) &&
                      ImageHashAt(json, r.image, entry.kind == JournalEntryKind::kStarted);
  if (!common || (entry.kind == JournalEntryKind::kCard && !ReadCard(json, r))) return std::nullopt;
  return entry;
}

bool JournalParser::Feed(std::string_view bytes) {
  while (!bytes.empty() && read_.badLine == 0) {
    const std::size_t end = bytes.find('\n');
    const std::string_view piece = bytes.substr(0, end);
    if (pending_.size() + piece.size() > kJournalLineLimit) {
      overlong_ = true;
      pending_.clear();
    } else if (!overlong_) {
      pending_.append(piece);
    }
    if (end == std::string_view::npos) break;
    bytes.remove_prefix(end + 1);
    Line(pending_);
    pending_.clear();
    overlong_ = false;
  }
  return read_.badLine == 0;
}

JournalRead JournalParser::Finish() {
  if (read_.badLine == 0 && (!pending_.empty() || overlong_)) Line(pending_);
  pending_.clear();
  return read_;
}

void JournalParser::Line(std::string_view line) {
  ++lineNumber_;
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  if (line.empty() && !overlong_) return;
  const std::optional<JournalEntry> entry = overlong_ ? std::nullopt : ParseJournalLine(line);
  if (entry) {
    ++read_.records;
    take_(*entry);
  } else if (!overlong_ && line.front() == '{' && !JournalJson::accept(line)) {
    ++read_.cutShort;
  } else {
    read_.badLine = lineNumber_;
  }
}

JournalRead ReadJournal(std::string_view bytes, const JournalTake& take) {
  JournalParser parser(take);
  parser.Feed(bytes);
  return parser.Finish();
}

JournalRead ReadJournalFile(const std::string& utf8Name, const JournalTake& take, std::string& error) {
  if (const std::string refusal = NotARegularFile(utf8Name); !refusal.empty()) {
    error = utf8Name + ": " + refusal;
    return {};
  }
  int reason = 0;
  const FileHandle file = OpenFile(utf8Name, OpenFor::kReading, reason);
  if (!file) {
    error = utf8Name + ": " + SystemReason(reason);
    return {};
  }
  JournalParser parser(take);
  std::string chunk(64 * 1024, '\0');
  for (;;) {
    errno = 0;
    const std::size_t got = std::fread(chunk.data(), 1, chunk.size(), file.get());
    if (std::ferror(file.get())) {
      error = utf8Name + ": " + SystemReason(errno);
      return {};
    }
    if (!parser.Feed(std::string_view(chunk).substr(0, got)) || got < chunk.size()) break;
  }
  return parser.Finish();
}

JournalState::JournalState(std::string listHash, std::string listName, const std::vector<PlannedRow>& rows)
    : finder_(std::move(listHash), std::move(listName), rows), byLine_(false), rows_(&rows), named_(rows.size(), false) {}

void JournalState::Take(const JournalEntry& entry) {
  const CardRecord& r = entry.record;
  const bool thisList = finder_.OfThisList(r);
  if (!thisList) ++otherRecords_;
  if (thisList && r.file != finder_.listHash()) edited_ = true;
  const bool started = entry.kind == JournalEntryKind::kStarted;
  const bool ok = !started && r.result == CardResult::kOk;
  if (ok) {
    cardsDone_.Add(r);
  } else {
    cardsDone_.Remove(r.idm);
  }
  if (started && thisList) {
    inDoubt_[r.idm] = r;
  } else {
    inDoubt_.erase(r.idm);
  }
  if (thisList) TakeRow(r, ok);
}

// Rows known by line take the record's line; rows known by what they are
// take the row the record names, wherever it is now.
void JournalState::TakeRow(const CardRecord& r, bool ok) {
  if (byLine_) {
    if (!ok) return;
    rowsDone_.insert(r.row);
    NoteReadBack(r.row, r.verified);
    return;
  }
  const std::optional<std::size_t> index = finder_.Find(r);
  if (!index) {
    if (const std::string key = RowKeyOf(r); ok && !key.empty()) goneDone_.push_back(RowKeyDigest(key));
    // Held once each, however many records name them.
    if (goneDone_.size() > 2 * gone_ + 1024) gone_ = GoneRows();
    return;
  }
  named_[*index] = true;
  if (!ok) return;
  const PlannedRow& row = (*rows_)[*index];
  if (!row.id.empty() && !r.cells.empty() && r.cells != row.cells) {
    changed_[*index] = r;
    return;
  }
  changed_.erase(*index);
  rowsDone_.insert(row.line);
  NoteReadBack(row.line, r.verified);
}

void JournalState::NoteReadBack(std::size_t line, bool readBack) {
  if (readBack) {
    notReadBack_.erase(line);
  } else {
    notReadBack_.insert(line);
  }
}

ListChanges JournalState::changes() const {
  ListChanges changes;
  changes.edited = edited_;
  changes.changed = changed_.size();
  changes.done = rowsDone_.size();
  changes.gone = GoneRows();
  if (edited_) changes.added = static_cast<std::size_t>(std::count(named_.begin(), named_.end(), false));
  return changes;
}

std::size_t JournalState::GoneRows() const {
  std::ranges::sort(goneDone_);
  goneDone_.erase(std::unique(goneDone_.begin(), goneDone_.end()), goneDone_.end());
  return goneDone_.size();
}

std::size_t JournalState::rowsNotReadBack() const {
  return notReadBack_.size();  // each is a row done: no row done is ever undone
}

std::optional<JournalWriter> JournalWriter::Open(const std::string& utf8Name, int& errorNumber) {
  bool endsInLineEnd = true;
  const FileHandle existing =
      NotARegularFile(utf8Name).empty() ? OpenFile(utf8Name, OpenFor::kReading, errorNumber) : nullptr;
  if (existing) {
    endsInLineEnd = std::fseek(existing.get(), -1, SEEK_END) != 0 || std::fgetc(existing.get()) == '\n';
  }
  FileHandle file = OpenFile(utf8Name, OpenFor::kAppending, errorNumber);
  if (!file) return std::nullopt;
  JournalWriter writer(std::move(file));
  if (!endsInLineEnd && !writer.Append("", errorNumber)) return std::nullopt;
  return writer;
}

JournalWriter JournalWriter::Via(AppendVia append, CloseVia close) {
  JournalWriter writer(nullptr);
  writer.appendVia_ = std::move(append);
  writer.closeVia_ = std::move(close);
  return writer;
}

bool JournalWriter::Append(std::string_view line, int& errorNumber) {
  if (appendVia_) return appendVia_(line, errorNumber);
  errno = 0;
  const std::string text = std::string(line) + "\n";
  if (std::fwrite(text.data(), 1, text.size(), file_.get()) != text.size()) {
    errorNumber = errno;
    return false;
  }
  return SyncToDisk(file_.get(), errorNumber);
}

bool JournalWriter::Close(int& errorNumber) {
  if (closeVia_) return closeVia_(errorNumber);
  return CloseFile(std::move(file_), errorNumber);
}

}  // namespace morvik
