// The production line's sink: card records as text or JSON Lines on out, the
// journal (started and card records, each made durable before the run goes
// on) when one is kept, and notes on err. The writers' threads share it; each
// line is written whole under one lock, so lines never interleave.
//
// Every write is checked. A card's record goes to the journal first, then to
// out; one that does not reach both is given on err instead, and from then on
// the run takes no new cards: the output is not written to again, and the
// summary says how many records were given on err only, and how many were
// lost (err failed as well). A started record that cannot be made durable
// keeps its card from being written at all.
#pragma once

#include <atomic>
#include <functional>
#include <iosfwd>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include "cli/progress_board.h"
#include "production/card_record.h"
#include "production/journal.h"

namespace morvik {

class RecordPrinter {
 public:
  // journal: none when no journal is kept; journalName names it in messages.
  RecordPrinter(std::ostream& out, bool json, std::optional<JournalWriter> journal, std::string journalName,
                std::ostream& err, Language language = Language::kEnglish)
      : out_(out),
        json_(json),
        journal_(std::move(journal)),
        journalName_(std::move(journalName)),
        err_(err),
        language_(language) {}
  // Stamps the record with the current UTC time and makes it durable in the
  // journal; true without a journal.
  bool Started(CardRecord record);
  // Stamps the record with the current UTC time and prints it.
  void Print(CardRecord record);
  // A line on err: a note or a trace line (ending in its own line end).
  void Note(const std::string& text);
  void TraceLine(const std::string& line);
  // The journal's last flush and close; false (after saying why) when it failed.
  bool CloseJournal();
  // The writers' progress on err (a terminal) from now on, below every line written.
  void ShowProgress(Clock& clock, std::function<std::optional<ProgressBoard::Rows>()> rows);
  void Progress(const WriterProgress& progress);
  // The progress taken off the terminal for good.
  void EndProgress();

  // A record missed an output: no new cards.
  bool outputFailed() const { return outputFailed_.load(); }
  // "records: 1 record given only on stderr, 0 lost"
  std::string LossText() const;

 private:
  bool WriteOut(const std::string& line);
  bool WriteJournal(const std::string& line);
  // Says once why an output failed, with the system's reason, and (with the
  // first failure only) that no new cards are taken when stopsCards.
  void Failed(const std::string& output, int reason, bool stopsCards);

  std::mutex mutex_;
  std::ostream& out_;
  bool json_;
  std::optional<JournalWriter> journal_;
  std::string journalName_;
  std::ostream& err_;
  Language language_;
  bool outBroken_ = false;
  bool journalBroken_ = false;
  std::atomic<bool> outputFailed_{false};
  int onErrOnly_ = 0;
  int lost_ = 0;
  std::optional<ProgressBoard> board_;
};

// "2026-12-07T01:23:45Z"
std::string UtcTimeText();

}  // namespace morvik
