// A decoded card in words, for a person or a script: named UTF-8 texts.
#pragma once

#include "card/card_formats.h"
#include "content/card_decode.h"

namespace morvik {

CardFields DescribeCard(const DecodedCard& card);

}  // namespace morvik
