// A run's tallies as the tool says them at its end, in the user's language:
// "COM3: 10 cards, 9 ok, 1 verify failed, 3 resends".
#pragma once

#include <string>

#include "production/card_record.h"
#include "words/language.h"

namespace morvik {

// One writer's tally; `total` names all the writers together in place of a port.
std::string TallyLine(const WriterTally& tally, bool total, Language language);

}  // namespace morvik
