// The times of card records: kept in UTC ("2026-12-07T01:33:09Z"), as the
// journal travels between PCs; shown to people in the local time with its
// offset ("2026-12-07 10:33:09 +09:00"); and the times a person types to
// choose records by.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace morvik {

// Seconds since 1970-01-01T00:00:00Z.
using EpochSeconds = std::int64_t;

// The time of now as records keep it: "2026-12-07T01:33:09Z".
std::string RecordTimeNow();
// A record's time, nullopt when the text is not one or names no real moment.
std::optional<EpochSeconds> ParseRecordTime(std::string_view text);
// "2026-12-07 10:33:09 +09:00": a record's time in the local time zone (TZ
// where the system takes it from there); a text that is no record time is
// shown as it is.
std::string LocalTimeText(std::string_view recordTime);
// A moment a person types: a date ("2026-12-07", its start), or a date and
// time ("2026-12-07T09:30", "2026-12-07 09:30:15"), either with an offset
// ("Z", "+09:00", "-0500") or without one, then in local time. nullopt when
// the text is none of these, or the date or time does not exist
// ("2026-02-31", "25:00").
std::optional<EpochSeconds> ParseTypedTime(std::string_view text);

}  // namespace morvik
