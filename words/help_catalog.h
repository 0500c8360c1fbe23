// The help's words (the kinds from kHelpUsageHead on, with the production
// window's command-line refusals), kept apart from the messages for their
// length, and the width a text takes on a terminal.
#pragma once

#include <cstddef>
#include <span>
#include <string_view>

#include "words/catalog.h"

namespace morvik {

std::span<const Wording> HelpCatalog();

// The columns a UTF-8 text takes on a terminal: two for a wide character
// (kana, kanji, full-width forms), one for any other.
std::size_t DisplayWidth(std::string_view utf8);

}  // namespace morvik
