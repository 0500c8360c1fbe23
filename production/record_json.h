// The JSON objects of card records, for the production files that write them.
#pragma once

#include <nlohmann/json.hpp>
#include <string>

#include "production/card_record.h"

namespace morvik {

using JsonObject = nlohmann::ordered_json;

// "record", "time", "port", "idm", then the result's keys, the row's and the marks.
JsonObject CardObject(const CardRecord& record);
// "port", "cards", "ok", then each failure's count ("write_failed"...),
// "resends", and "recovered" and "problem" when there is something to say.
JsonObject TallyObject(const WriterTally& tally);
// One line; texts that are not UTF-8 get U+FFFD where a byte was broken,
// never an exception.
std::string JsonLine(const JsonObject& json);

}  // namespace morvik
