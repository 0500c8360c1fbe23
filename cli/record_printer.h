// The production line's sink: card records as text or JSON Lines on one
// stream, and as JSON Lines in a log that is flushed after every card. The
// writers' threads share it; it writes whole lines, so lines never interleave.
#pragma once

#include <cstdio>
#include <mutex>
#include <string>

#include "production/card_record.h"

namespace morvik {

class RecordPrinter {
 public:
  RecordPrinter(std::FILE* out, bool json, std::FILE* log) : out_(out), json_(json), log_(log) {}
  // Stamps the record with the current UTC time and prints it.
  void Print(CardRecord record);
  // A line on stderr, never inside a record line.
  void Note(const std::string& text);

 private:
  std::mutex mutex_;
  std::FILE* out_;
  bool json_;
  std::FILE* log_;
};

// "2026-12-07T01:23:45Z"
std::string UtcTimeText();

}  // namespace morvik
