#include "cli/record_printer.h"

#include <cerrno>
#include <chrono>
#include <ostream>
#include <utility>

#include "cli/exit_code.h"
#include "files/file_access.h"
#include "production/record_time.h"
#include "words/catalog.h"

namespace morvik {
namespace {

// The progress board taken off the terminal while a line is written, and put
// back below it.
class BoardAside {
 public:
  explicit BoardAside(std::optional<ProgressBoard>& board) : board_(board) {
    if (board_) board_->Erase();
  }
  ~BoardAside() {
    if (board_) board_->Draw();
  }
  BoardAside(const BoardAside&) = delete;
  BoardAside& operator=(const BoardAside&) = delete;

 private:
  std::optional<ProgressBoard>& board_;
};

}  // namespace

std::string UtcTimeText() { return RecordTimeNow(); }

bool RecordPrinter::Started(CardRecord record) {
  record.time = UtcTimeText();
  const std::lock_guard<std::mutex> lock(mutex_);
  return WriteJournal(StartedJson(record));
}

void RecordPrinter::Print(CardRecord record) {
  record.time = UtcTimeText();
  const std::string json = RecordJson(record);
  const std::lock_guard<std::mutex> lock(mutex_);
  const BoardAside aside(board_);
  if (board_) board_->CountCard();
  const bool journalOk = WriteJournal(json);
  const bool outOk = WriteOut((json_ ? json : RecordText(record, language_)) + "\n");
  if (outOk && journalOk) return;
  const std::string missed = !outOk && !journalOk ? Say({Said::kStandardOutputAnd, {journalName_}}, language_)
                             : outOk              ? journalName_
                                                  : Say({Said::kStandardOutput}, language_);
  err_ << kToolSays << Say({Said::kRecordNotWritten, {missed, json}}, language_) << "\n" << std::flush;
  ++(err_ ? onErrOnly_ : lost_);
}

void RecordPrinter::Note(const std::string& text) { TraceLine(text + "\n"); }

void RecordPrinter::TraceLine(const std::string& line) {
  const std::lock_guard<std::mutex> lock(mutex_);
  const BoardAside aside(board_);
  err_ << line << std::flush;
}

void RecordPrinter::ShowProgress(Clock& clock, std::function<std::optional<ProgressBoard::Rows>()> rows) {
  const std::lock_guard<std::mutex> lock(mutex_);
  board_.emplace(err_, clock, std::move(rows), language_);
}

void RecordPrinter::Progress(const WriterProgress& progress) {
  const std::lock_guard<std::mutex> lock(mutex_);
  if (board_) board_->Update(progress);
}

void RecordPrinter::EndProgress() {
  const std::lock_guard<std::mutex> lock(mutex_);
  if (board_) board_->Erase();
  board_.reset();
}

bool RecordPrinter::CloseJournal() {
  if (!journal_) return true;
  const std::lock_guard<std::mutex> lock(mutex_);
  int reason = 0;
  const bool closed = journal_->Close(reason);
  journal_.reset();
  if (!closed && !journalBroken_) Failed(journalName_, reason, false);
  return closed && !journalBroken_;
}

std::string RecordPrinter::LossText() const {
  const std::string lost = std::to_string(lost_);
  return onErrOnly_ == 1 ? Say({Said::kOneRecordOnErr, {lost}}, language_)
                         : Say({Said::kRecordsOnErr, {std::to_string(onErrOnly_), lost}}, language_);
}

bool RecordPrinter::WriteOut(const std::string& line) {
  if (outBroken_) return false;
  errno = 0;
  out_ << line << std::flush;
  if (out_) return true;
  outBroken_ = true;
  Failed(Say({Said::kStandardOutput}, language_), errno, true);
  return false;
}

bool RecordPrinter::WriteJournal(const std::string& line) {
  if (!journal_) return true;
  if (journalBroken_) return false;
  int reason = 0;
  if (journal_->Append(line, reason)) return true;
  journalBroken_ = true;
  Failed(journalName_, reason, true);
  return false;
}

void RecordPrinter::Failed(const std::string& output, int reason, bool stopsCards) {
  if (outputFailed_.exchange(true)) stopsCards = false;  // said with the first failure
  err_ << kToolSays << output << ": " << OutputFailureReason(reason)
       << (stopsCards ? Say({Said::kNoNewCards}, language_) : "") << "\n" << std::flush;
}

}  // namespace morvik
