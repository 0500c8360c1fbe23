// Record times: kept in UTC, shown in local time with the offset, and the
// times a person types for --since, in zones with and without summer time.
#include "production/record_time.h"

#include <gtest/gtest.h>

#include "production/card_history.h"
#include "tests/support/time_zone.h"

namespace morvik {
namespace {

constexpr EpochSeconds k2026Dec07Utc = 1796601600;  // 2026-12-07T00:00:00Z

TEST(RecordTime, ShownInLocalTimeWithTheOffset) {
  const struct {
    const char* zone;
    const char* record;
    const char* shown;
  } cases[] = {
      {"JST-9", "2026-12-08T00:38:09Z", "2026-12-08 09:38:09 +09:00"},
      {"JST-9", "2026-12-07T23:59:59Z", "2026-12-08 08:59:59 +09:00"},
      {"UTC0", "2026-12-08T00:38:09Z", "2026-12-08 00:38:09 +00:00"},
      {"IST-5:30", "2026-12-08T00:38:09Z", "2026-12-08 06:08:09 +05:30"},
      {"EST5EDT", "2026-12-08T00:38:09Z", "2026-12-07 19:38:09 -05:00"},
#ifndef _WIN32  // Windows' C runtime keeps summer time by rules of its own (under Wine by none)
      {"EST5EDT", "2026-07-08T00:38:09Z", "2026-07-07 20:38:09 -04:00"},
#endif
      {"JST-9", "t", "t"},                                        // no record time: as it is
      {"JST-9", "2026-02-30T00:00:00Z", "2026-02-30T00:00:00Z"},  // no such day
  };
  for (const auto& c : cases) {
    const test::ScopedTimeZone zone(c.zone);
    EXPECT_EQ(LocalTimeText(c.record), c.shown) << c.zone << " " << c.record;
  }
}

TEST(RecordTime, NowIsKeptInUtc) {
  const test::ScopedTimeZone zone("JST-9");
  const std::string now = RecordTimeNow();
  ASSERT_TRUE(ParseRecordTime(now).has_value()) << now;
  EXPECT_EQ(now.back(), 'Z');
  EXPECT_EQ(ParseRecordTime("2026-12-07T00:00:00Z"), k2026Dec07Utc);
}

// --since: a date is its local midnight; a time without an offset is local.
TEST(TypedTime, DatesAndTimesWithAndWithoutOffsetsAndImpossibleOnesRefused) {
  const test::ScopedTimeZone zone("JST-9");
  const EpochSeconds nine = 9 * 3600;
  const struct {
    const char* text;
    std::optional<EpochSeconds> moment;
  } cases[] = {
      {"2026-12-07", k2026Dec07Utc - nine},
      {"2026-12-07T09:30", k2026Dec07Utc + 30 * 60},
      {"2026-12-07 09:30:15", k2026Dec07Utc + 30 * 60 + 15},
      {"2026-12-07T09:30:00Z", k2026Dec07Utc + nine + 30 * 60},
      {"2026-12-07T09:30:00+09:00", k2026Dec07Utc + 30 * 60},
      {"2026-12-07T09:30-0500", k2026Dec07Utc + 14 * 3600 + 30 * 60},
      {"2028-02-29", 1835362800},  // a leap day
      {"2026-13-01", std::nullopt},
      {"2026-00-10", std::nullopt},
      {"2026-02-29", std::nullopt},
      {"2026-02-31", std::nullopt},
      {"2026-04-31", std::nullopt},
      {"2026-12-08T25:99:99Z", std::nullopt},
      {"2026-12-08T24:00", std::nullopt},
      {"2026-12-08T23:60", std::nullopt},
      {"2026-12-08T09:30:60", std::nullopt},
      {"2026-12-08T09:30+15:00", std::nullopt},
      {"2026-12-08T09:30+09:60", std::nullopt},
      {"2026-12-08T", std::nullopt},
      {"2026-12-08T9:30", std::nullopt},
      {"2026-12-8", std::nullopt},
      {"20261208", std::nullopt},
      {"2026-12-08Z", std::nullopt},
      {"2026-12-08T09:30Zx", std::nullopt},
      {"", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(ParseTypedTime(c.text), c.moment) << c.text;
}

TEST(TypedTime, HistorySinceComparesMomentsNotTexts) {
  const test::ScopedTimeZone zone("JST-9");
  CardHistoryEntry entry{"2026-12-07T00:30:00Z", {}, false};  // 09:30 in Tokyo
  for (const auto& [since, shown] : {std::pair{"2026-12-07T09:30", true}, {"2026-12-07T09:31", false},
                                     {"2026-12-07T00:30:00Z", true}, {"2026-12-07", true}, {"2026-12-08", false}}) {
    EXPECT_EQ(Matches({.since = ParseTypedTime(since)}, entry), shown) << since;
  }
  entry.started = "no time";
  EXPECT_FALSE(Matches({.since = ParseTypedTime("2000-01-01")}, entry));
}

}  // namespace
}  // namespace morvik
