// The keywords an operator may type into the content texts. [IM] (the card's
// IDm) and [CT] (a counter) become blanks that the terminal fills in; the
// image records where they stand. [CI] becomes the customer ID at once.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "content/content_settings.h"
#include "window/window_services.h"

namespace morvik {

inline constexpr std::string_view kIdmKeyword = "[IM]";
inline constexpr std::string_view kCounterKeyword = "[CT]";
inline constexpr std::string_view kCustomerIdKeyword = "[CI]";

// What a text carries: no [IM], an [IM] alone, or [IM] directly followed by [CT].
enum class KeywordCode { kNone, kIdm, kIdmCounter };

struct IdmCounterSearch {
  bool proceed = true;                     // false: the operator chose Cancel
  std::optional<std::size_t> idmPosition;  // byte offset of the first [IM]
  KeywordCode code = KeywordCode::kNone;
};

// Finds the first [IM] of a text and whether [CT] directly follows it. A [CT]
// anywhere else is questioned; on OK it stays in the text as typed.
IdmCounterSearch FindIdmCounter(WindowServices& window, std::string_view text);

// Puts the [IM]/[CT] blanks into the URL and, in mail mode, into the title or
// the body, and records their places in the six keyword fields. False when the
// operator chose Cancel in one of the questions.
bool ApplyIdmCounterKeywords(WindowServices& window, ContentSettings& settings);

// Overwrites the first [CI] of the URL, title and body with the customer ID as
// four hexadecimal digits, or with 0000 while a service card CID is set.
void ReplaceCustomerIdKeyword(ContentSettings& settings,
                              const std::array<std::uint8_t, 2>& customerId,
                              std::int32_t serviceCid);

// Replaces the keyword at `position` (8 bytes for [IM][CT], else 4) by 20 or
// 16 blanks; the text grows by 12 bytes. Nothing happens when the keyword
// would reach past the end of the text.
void PutKeywordBlanks(std::string& text, std::size_t position, KeywordCode code);

// Four upper-case hexadecimal digits: the first byte, then the second.
std::string CustomerIdDigits(const std::array<std::uint8_t, 2>& customerId);

}  // namespace morvik
