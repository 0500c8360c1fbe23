#include "production/record_time.h"

#include <chrono>
#include <cstdio>
#include <ctime>

namespace morvik {
namespace {

using namespace std::chrono;

// The fields of a moment as written, before any time zone is applied.
struct CivilTime {
  int year = 0;
  unsigned month = 0, day = 0;
  int hour = 0, minute = 0, second = 0;
};

year_month_day DateOf(const CivilTime& t) {
  return year_month_day{std::chrono::year{t.year}, std::chrono::month{t.month}, std::chrono::day{t.day}};
}

bool Valid(const CivilTime& t) {
  return DateOf(t).ok() && t.hour >= 0 && t.hour <= 23 && t.minute >= 0 && t.minute <= 59 && t.second >= 0 &&
         t.second <= 59;
}

// The civil time read as UTC.
EpochSeconds AsUtc(const CivilTime& t) {
  const sys_days date{DateOf(t)};
  return date.time_since_epoch().count() * 86400LL + t.hour * 3600LL + t.minute * 60LL + t.second;
}

// The civil time read in the local time zone; nullopt where the system cannot tell.
std::optional<EpochSeconds> AsLocal(const CivilTime& t) {
  std::tm fields{};
  fields.tm_year = t.year - 1900;
  fields.tm_mon = static_cast<int>(t.month) - 1;
  fields.tm_mday = static_cast<int>(t.day);
  fields.tm_hour = t.hour;
  fields.tm_min = t.minute;
  fields.tm_sec = t.second;
  fields.tm_isdst = -1;
  const std::time_t local = std::mktime(&fields);
  if (local == static_cast<std::time_t>(-1)) return std::nullopt;
  return static_cast<EpochSeconds>(local);
}

std::optional<CivilTime> LocalFields(EpochSeconds seconds) {
  const auto time = static_cast<std::time_t>(seconds);
  std::tm fields{};
#ifdef _WIN32
  if (localtime_s(&fields, &time) != 0) return std::nullopt;
#else
  if (localtime_r(&time, &fields) == nullptr) return std::nullopt;
#endif
  return CivilTime{fields.tm_year + 1900, static_cast<unsigned>(fields.tm_mon + 1),
                   static_cast<unsigned>(fields.tm_mday), fields.tm_hour, fields.tm_min, fields.tm_sec};
}

// Reads a text from its front: digits, and the characters between them.
class Reader {
 public:
  explicit Reader(std::string_view text) : text_(text) {}
  bool Number(int digits, int& value) {
    const auto count = static_cast<std::size_t>(digits);
    if (text_.size() < count) return false;
    value = 0;
    for (std::size_t i = 0; i < count; ++i) {
      if (text_[i] < '0' || text_[i] > '9') return false;
      value = value * 10 + (text_[i] - '0');
    }
    text_.remove_prefix(count);
    return true;
  }
  bool Take(char c) {
    if (text_.empty() || text_.front() != c) return false;
    text_.remove_prefix(1);
    return true;
  }
  bool TakeAny(std::string_view chars, char& taken) {
    if (text_.empty() || chars.find(text_.front()) == std::string_view::npos) return false;
    taken = text_.front();
    text_.remove_prefix(1);
    return true;
  }
  bool AtEnd() const { return text_.empty(); }

 private:
  std::string_view text_;
};

bool ReadDate(Reader& reader, CivilTime& t) {
  int month = 0, day = 0;
  if (!reader.Number(4, t.year) || !reader.Take('-') || !reader.Number(2, month) || !reader.Take('-') ||
      !reader.Number(2, day)) {
    return false;
  }
  t.month = static_cast<unsigned>(month);
  t.day = static_cast<unsigned>(day);
  return true;
}

// HH:MM, and :SS when given.
bool ReadClock(Reader& reader, CivilTime& t) {
  if (!reader.Number(2, t.hour) || !reader.Take(':') || !reader.Number(2, t.minute)) return false;
  return !reader.Take(':') || reader.Number(2, t.second);
}

// "Z", "+09:00", "-0500" as seconds east of UTC; nothing when no offset follows.
bool ReadOffset(Reader& reader, std::optional<int>& east) {
  if (reader.Take('Z')) return (east = 0, true);
  char sign = 0;
  if (!reader.TakeAny("+-", sign)) return true;
  int hours = 0, minutes = 0;
  if (!reader.Number(2, hours)) return false;
  reader.Take(':');
  if (!reader.Number(2, minutes) || hours > 14 || minutes > 59) return false;
  east = (sign == '+' ? 1 : -1) * (hours * 3600 + minutes * 60);
  return true;
}

}  // namespace

std::string RecordTimeNow() {
  const auto now = floor<seconds>(system_clock::now());
  const auto today = floor<days>(now);
  const year_month_day date{today};
  const hh_mm_ss time{now - today};
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02u-%02uT%02d:%02d:%02dZ", static_cast<int>(date.year()),
                static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
                static_cast<int>(time.hours().count()), static_cast<int>(time.minutes().count()),
                static_cast<int>(time.seconds().count()));
  return text;
}

std::optional<EpochSeconds> ParseRecordTime(std::string_view text) {
  Reader reader(text);
  CivilTime t;
  const bool shaped = ReadDate(reader, t) && reader.Take('T') && reader.Number(2, t.hour) && reader.Take(':') &&
                      reader.Number(2, t.minute) && reader.Take(':') && reader.Number(2, t.second) &&
                      reader.Take('Z') && reader.AtEnd();
  if (!shaped || !Valid(t)) return std::nullopt;
  return AsUtc(t);
}

std::string LocalTimeText(std::string_view recordTime) {
  const std::optional<EpochSeconds> utc = ParseRecordTime(recordTime);
  const std::optional<CivilTime> local = utc ? LocalFields(*utc) : std::nullopt;
  if (!local) return std::string(recordTime);
  const EpochSeconds east = AsUtc(*local) - *utc;
  const EpochSeconds minutes = (east < 0 ? -east : east) / 60;
  char text[64];
  std::snprintf(text, sizeof text, "%04d-%02u-%02u %02d:%02d:%02d %c%02d:%02d", local->year, local->month,
                local->day, local->hour, local->minute, local->second, east < 0 ? '-' : '+',
                static_cast<int>(minutes / 60), static_cast<int>(minutes % 60));
  return text;
}

std::optional<EpochSeconds> ParseTypedTime(std::string_view text) {
  Reader reader(text);
  CivilTime t;
  if (!ReadDate(reader, t)) return std::nullopt;
  std::optional<int> east;
  char separator = 0;
  if (reader.TakeAny("T ", separator) && (!ReadClock(reader, t) || !ReadOffset(reader, east))) return std::nullopt;
  if (!reader.AtEnd() || !Valid(t)) return std::nullopt;
  if (east) return AsUtc(t) - *east;
  return AsLocal(t);
}

}  // namespace morvik
