// The journal of a production run: JSON Lines, one record before each card's
// first block is written ("started") and one with its result ("card"), each
// made durable before the run goes on. Read back it tells a resumed run which
// rows and cards are done and which cards may hold part of a row, and service
// staff which row is on a card.
#pragma once

#include <cstddef>
#include <cstdio>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "files/file_access.h"
#include "production/card_record.h"
#include "production/done_card_table.h"
#include "production/row_identity.h"

namespace morvik {

enum class JournalEntryKind { kStarted, kCard };

struct JournalEntry {
  JournalEntryKind kind = JournalEntryKind::kCard;
  CardRecord record;
};

// One line of a journal (without its line end); nullopt when it is not a
// record of a journal. A card's line written before started records existed
// (no "record" key) is a card record.
std::optional<JournalEntry> ParseJournalLine(std::string_view line);

// How a journal read ended. A line cut short by a process killed while
// writing it (a line that begins as a JSON object but does not end as one)
// is skipped and counted; any other line that is no record ends the read.
struct JournalRead {
  std::size_t records = 0;
  std::size_t cutShort = 0;
  std::size_t badLine = 0;  // the first line that is no record; 0: none
};

using JournalTake = std::function<void(const JournalEntry&)>;

// Splits bytes into lines as they arrive, in pieces of any size, and hands
// each record on; a line longer than kJournalLineLimit is no record.
class JournalParser {
 public:
  explicit JournalParser(JournalTake take) : take_(std::move(take)) {}
  // false once a line has been found that is no record.
  bool Feed(std::string_view bytes);
  // The last line, when the bytes did not end with a line end.
  JournalRead Finish();

 private:
  void Line(std::string_view line);

  JournalTake take_;
  std::string pending_;
  bool overlong_ = false;
  JournalRead read_;
  std::size_t lineNumber_ = 0;
};

inline constexpr std::size_t kJournalLineLimit = 64 * 1024;

// The whole of a journal's bytes.
JournalRead ReadJournal(std::string_view bytes, const JournalTake& take);
// A journal file, streamed; error holds "NAME: reason" when it cannot be read.
JournalRead ReadJournalFile(const std::string& utf8Name, const JournalTake& take, std::string& error);

// How a list stands against its journal: what an edit of the list changed
// since its cards were written.
struct ListChanges {
  bool edited = false;    // records name this list with other bytes
  std::size_t added = 0;  // rows no record of this list names (counted when edited)
  std::size_t changed = 0;  // rows with an id whose cells changed after their card was written ok
  std::size_t done = 0;
  std::size_t gone = 0;   // rows written ok that the list no longer has
};

// What a journal says of the cards of one list, for a run that resumes it.
// The last record of a card is what the card holds.
class JournalState {
 public:
  // Rows known only by their line in the very bytes of listHash.
  explicit JournalState(std::string listHash) : finder_(std::move(listHash), {}, {}) {}
  // Rows known by what they are (RowFinder), wherever the list has them now.
  // The rows are read, not copied: they outlive every Take.
  JournalState(std::string listHash, std::string listName, const std::vector<PlannedRow>& rows);
  void Take(const JournalEntry& entry);

  // The lines of this list's rows written and read back ok (or ok, not read back).
  const RowSet& rowsDone() const { return rowsDone_; }
  std::size_t rowsNotReadBack() const;
  // Rows with an id whose cells changed after their card was written ok, by
  // the row's index: the record of that card.
  const std::map<std::size_t, CardRecord>& rowsChanged() const { return changed_; }
  ListChanges changes() const;
  // Cards whose last record is ok, of any list or none: never written again.
  const DoneCardTable& cardsDone() const { return cardsDone_; }
  // The same, handed over: a long journal's cards are not held twice.
  DoneCardTable TakeCardsDone() { return std::move(cardsDone_); }
  // This list's cards started and left without a result: they may hold part of a row.
  const std::map<std::string, CardRecord>& cardsInDoubt() const { return inDoubt_; }
  std::map<std::string, CardRecord> TakeCardsInDoubt() { return std::move(inDoubt_); }
  // Records of other lists, or of runs without a list.
  std::size_t otherRecords() const { return otherRecords_; }

 private:
  void TakeRow(const CardRecord& record, bool ok);
  void NoteReadBack(std::size_t line, bool readBack);

  RowFinder finder_;
  bool byLine_ = true;
  const std::vector<PlannedRow>* rows_ = nullptr;
  std::vector<bool> named_;  // by row index: some record of this list names it
  RowSet rowsDone_;
  RowSet notReadBack_;  // rows whose last ok card was not read back, by line
  std::map<std::size_t, CardRecord> changed_;
  // The RowKeyDigest of each row done that the list no longer has, once or
  // more; counted by GoneRows.
  mutable std::vector<std::uint64_t> goneDone_;
  std::size_t GoneRows() const;
  std::size_t gone_ = 0;  // the rows of goneDone_ when it was last made unique
  bool edited_ = false;
  DoneCardTable cardsDone_;
  std::map<std::string, CardRecord> inDoubt_;
  std::size_t otherRecords_ = 0;
};

// Appends records to a journal file, each made durable (flushed and synced to
// the disk) before Append returns. A file whose last line was cut short gets
// a line end first, so that no record is joined to the remains of another.
class JournalWriter {
 public:
  // nullopt with errorNumber set when the file cannot be opened.
  static std::optional<JournalWriter> Open(const std::string& utf8Name, int& errorNumber);
  // One that appends and closes through others: a journal shared with other runs.
  using AppendVia = std::function<bool(std::string_view line, int& errorNumber)>;
  using CloseVia = std::function<bool(int& errorNumber)>;
  static JournalWriter Via(AppendVia append, CloseVia close);
  bool Append(std::string_view line, int& errorNumber);
  bool Close(int& errorNumber);

 private:
  explicit JournalWriter(FileHandle file) : file_(std::move(file)) {}
  FileHandle file_;
  AppendVia appendVia_;
  CloseVia closeVia_;
};

}  // namespace morvik
