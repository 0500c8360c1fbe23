// A run's tallies as the tool says them at its end, in the user's language:
// "COM3: 10 cards, 9 ok, 1 verify failed, 3 resends".
#pragma once

#include <optional>
#include <string>

#include "production/batch_worker.h"
#include "production/card_record.h"
#include "words/language.h"

namespace morvik {

// One writer's tally; `total` names all the writers together in place of a port.
std::string TallyLine(const WriterTally& tally, bool total, Language language);

// What a terminal says of a writer's event, "COM3: writer lost, looking for it";
// nullopt for what it does not say: a writer found at the start, unless
// `announceWriters`.
std::optional<std::string> WriterEventLine(const WriterEvent& event, bool announceWriters, Language language);

}  // namespace morvik
