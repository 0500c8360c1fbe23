#include "cli/record_printer.h"

#include <cerrno>
#include <chrono>
#include <ostream>
#include <utility>

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

void RecordPrinter::Print(CardRecord record) {
  record.time = UtcTimeText();
  const std::string json = RecordJson(record) + "\n";
  const std::lock_guard<std::mutex> lock(mutex_);
  const bool outOk = WriteOut(json_ ? json : RecordText(record) + "\n");
  const bool logOk = WriteLog(json);
  if (outOk && logOk) return;
  const std::string missed = !outOk && !logOk ? "standard output and " + logName_
                             : outOk          ? logName_
                                              : "standard output";
  err_ << "morvik-card: record not written to " << missed << ": " << json << std::flush;
  ++(err_ ? onErrOnly_ : lost_);
}

void RecordPrinter::Note(const std::string& text) { TraceLine(text + "\n"); }

void RecordPrinter::TraceLine(const std::string& line) {
  const std::lock_guard<std::mutex> lock(mutex_);
  err_ << line << std::flush;
}

bool RecordPrinter::CloseLog() {
  if (log_ == nullptr) return true;
  const std::lock_guard<std::mutex> lock(mutex_);
  errno = 0;
  const bool closed = std::fclose(std::exchange(log_, nullptr)) == 0;
  if (!closed && !logBroken_) Failed(logName_, "");
  return closed && !logBroken_;
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
  Failed("standard output", "; no new cards are taken");
  return false;
}

bool RecordPrinter::WriteLog(const std::string& line) {
  if (log_ == nullptr) return true;
  if (logBroken_) return false;
  errno = 0;
  if (std::fwrite(line.data(), 1, line.size(), log_) == line.size() && std::fflush(log_) == 0) return true;
  logBroken_ = true;
  Failed(logName_, "; no new cards are taken");
  return false;
}

void RecordPrinter::Failed(const std::string& output, std::string_view consequence) {
  const std::string reason = OutputFailureReason(errno);
  if (outputFailed_.exchange(true)) consequence = {};  // said with the first failure
  err_ << "morvik-card: " << output << ": " << reason << consequence << "\n" << std::flush;
}

}  // namespace morvik
