// The production line's sink: card records as text or JSON Lines on out, as
// JSON Lines in a log flushed after every card, and notes on err. The
// writers' threads share it; each line is written whole under one lock, so
// lines never interleave.
//
// Every write is checked. A record that does not reach out or the log is
// given on err instead, and from then on the run takes no new cards: the
// output is not written to again, and the summary says how many records
// were given on err only, and how many were lost (err failed as well).
#pragma once

#include <atomic>
#include <cstdio>
#include <iosfwd>
#include <mutex>
#include <string>
#include <string_view>

#include "production/card_record.h"

namespace morvik {

class RecordPrinter {
 public:
  // log (may be null) is closed by CloseLog; logName names it in messages.
  RecordPrinter(std::ostream& out, bool json, std::FILE* log, std::string logName, std::ostream& err)
      : out_(out), json_(json), log_(log), logName_(std::move(logName)), err_(err) {}
  // Stamps the record with the current UTC time and prints it.
  void Print(CardRecord record);
  // A line on err: a note or a trace line (ending in its own line end).
  void Note(const std::string& text);
  void TraceLine(const std::string& line);
  // The log's last flush and close; false (after saying why) when it failed.
  bool CloseLog();

  // A record missed an output: no new cards.
  bool outputFailed() const { return outputFailed_.load(); }
  // "1 record given only on stderr, 0 lost"
  std::string LossText() const;

 private:
  bool WriteOut(const std::string& line);
  bool WriteLog(const std::string& line);
  // Says once why an output failed, with the reason errno gives.
  void Failed(const std::string& output, std::string_view consequence);

  std::mutex mutex_;
  std::ostream& out_;
  bool json_;
  std::FILE* log_;
  std::string logName_;
  std::ostream& err_;
  bool outBroken_ = false;
  bool logBroken_ = false;
  std::atomic<bool> outputFailed_{false};
  int onErrOnly_ = 0;
  int lost_ = 0;
};

// "2026-12-07T01:23:45Z"
std::string UtcTimeText();

}  // namespace morvik
