#include "cli/record_printer.h"

#include <chrono>

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
  const std::string line = json_ ? json : RecordText(record) + "\n";
  const std::lock_guard<std::mutex> lock(mutex_);
  std::fwrite(line.data(), 1, line.size(), out_);
  std::fflush(out_);
  if (log_ != nullptr) {
    std::fwrite(json.data(), 1, json.size(), log_);
    std::fflush(log_);
  }
}

void RecordPrinter::Note(const std::string& text) {
  const std::lock_guard<std::mutex> lock(mutex_);
  std::fprintf(stderr, "%s\n", text.c_str());
}

}  // namespace morvik
