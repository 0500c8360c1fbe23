// A time zone for the length of a test, so that local times come out the
// same on every machine: TZ in the POSIX form ("JST-9" is UTC+9).
#pragma once

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

namespace morvik::test {

class ScopedTimeZone {
 public:
  explicit ScopedTimeZone(const char* zone) {
    if (const char* before = std::getenv("TZ")) before_ = before;
    Set(zone);
  }
  ~ScopedTimeZone() { Set(before_ ? before_->c_str() : nullptr); }
  ScopedTimeZone(const ScopedTimeZone&) = delete;
  ScopedTimeZone& operator=(const ScopedTimeZone&) = delete;

 private:
  static void Set(const char* zone) {
#ifdef _WIN32
    _putenv_s("TZ", zone != nullptr ? zone : "");
    _tzset();
#else
    if (zone != nullptr) {
      setenv("TZ", zone, 1);
    } else {
      unsetenv("TZ");
    }
    tzset();
#endif
  }
  std::optional<std::string> before_;
};

}  // namespace morvik::test
