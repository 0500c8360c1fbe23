// A decoded card in words, for a person or a script: named UTF-8 texts.
// A script's JSON takes the English words whatever the user's language.
#pragma once

#include "card/card_formats.h"
#include "content/card_decode.h"
#include "words/language.h"

namespace morvik {

CardFields DescribeCard(const DecodedCard& card, Language language = Language::kEnglish);

}  // namespace morvik
