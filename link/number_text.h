// Numbers and byte strings read from text: the one place that turns digits
// into values, for the tool's options, the port names, the typed service
// numbers and the simulator's options. Pure functions over string views.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace morvik {

// 0-15 for a hexadecimal digit of either case, -1 for anything else.
int HexDigitValue(char c);

// Decimal digits only (no sign, no white space), at most max; nullopt otherwise.
std::optional<std::uint32_t> ParseDecimal(std::string_view text, std::uint32_t max);

// One to maxDigits hexadecimal digits and nothing else; nullopt otherwise.
std::optional<std::uint32_t> ParseHexDigits(std::string_view text, std::size_t maxDigits);

// Exactly 2 * bytes.size() hexadecimal digits, most significant byte first.
bool ParseHexBytes(std::string_view text, std::span<std::uint8_t> bytes);

// A number read as the "%X" conversion reads it: leading white space, a sign
// and a 0x prefix accepted, reading stops at the first character that is not a
// hexadecimal digit. nullopt when the text does not begin with a hexadecimal
// number or holds a number larger than 32 bits hold: such a text is refused,
// never guessed at. A minus sign negates in 32 bits, as the conversion does.
std::optional<std::uint32_t> ScanHexNumber(std::string_view text);

}  // namespace morvik
