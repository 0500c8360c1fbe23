#include "cli/record_printer.h"

#include <cerrno>
#include <chrono>
#include <ostream>
#include <utility>

#include "cli/exit_code.h"
#include "files/file_access.h"

namespace morvik {

std::string UtcTimeText() {
  using namespace std::chrono;
  const auto now = floor<seconds>(system_clock::now());
  const auto day = floor<days>(now);
  const year_month_day date{day};
  const hh_mm_ss time{now - day};
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02u-%02uT%02d:%02d:%02dZ", static_cast<int>(date.year()),
                static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
                static_cast<int>(time.hours().count()), static_cast<int>(time.minutes().count()),
                static_cast<int>(time.seconds().count()));
  return text;
}

bool RecordPrinter::Started(CardRecord record) {
  record.time = UtcTimeText();
  const std::lock_guard<std::mutex> lock(mutex_);
  return WriteJournal(StartedJson(record));
}

void RecordPrinter::Print(CardRecord record) {
  record.time = UtcTimeText();
  const std::string json = RecordJson(record);
  const std::lock_guard<std::mutex> lock(mutex_);
  const bool journalOk = WriteJournal(json);
  const bool outOk = WriteOut((json_ ? json : RecordText(record)) + "\n");
  if (outOk && journalOk) return;
  const std::string missed = !outOk && !journalOk ? "standard output and " + journalName_
                             : outOk              ? journalName_
                                                  : "standard output";
  err_ << kToolSays << "record not written to " << missed << ": " << json << "\n" << std::flush;
  ++(err_ ? onErrOnly_ : lost_);
}

void RecordPrinter::Note(const std::string& text) { TraceLine(text + "\n"); }

void RecordPrinter::TraceLine(const std::string& line) {
  const std::lock_guard<std::mutex> lock(mutex_);
  err_ << line << std::flush;
}

bool RecordPrinter::CloseJournal() {
  if (!journal_) return true;
  const std::lock_guard<std::mutex> lock(mutex_);
  int reason = 0;
  const bool closed = journal_->Close(reason);
  journal_.reset();
  if (!closed && !journalBroken_) Failed(journalName_, reason, "");
  return closed && !journalBroken_;
}

std::string RecordPrinter::LossText() const {
  return std::to_string(onErrOnly_) + (onErrOnly_ == 1 ? " record" : " records") + " given only on stderr, " +
         std::to_string(lost_) + " lost";
}

bool RecordPrinter::WriteOut(const std::string& line) {
  if (outBroken_) return false;
  errno = 0;
  out_ << line << std::flush;
  if (out_) return true;
  outBroken_ = true;
  Failed("standard output", errno, "; no new cards are taken");
  return false;
}

bool RecordPrinter::WriteJournal(const std::string& line) {
  if (!journal_) return true;
  if (journalBroken_) return false;
  int reason = 0;
  if (journal_->Append(line, reason)) return true;
  journalBroken_ = true;
  Failed(journalName_, reason, "; no new cards are taken");
  return false;
}

void RecordPrinter::Failed(const std::string& output, int reason, std::string_view consequence) {
  if (outputFailed_.exchange(true)) consequence = {};  // said with the first failure
  err_ << kToolSays << output << ": " << OutputFailureReason(reason) << consequence << "\n" << std::flush;
}

}  // namespace morvik
