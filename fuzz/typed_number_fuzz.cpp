// The number typed for a service card, from arbitrary text, against a second
// reading of the rule: white space, a sign, a 0x prefix only when a digit
// follows, then hexadecimal digits up to the first other character; refused
// when no digit stands there or the digits need more than 32 bits.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "card/block_commands.h"
#include "fuzz/fuzz_support.h"

namespace {

bool IsHex(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

unsigned HexValue(char c) {
  if (c <= '9') return static_cast<unsigned>(c - '0');
  return static_cast<unsigned>((c | 0x20) - 'a' + 10);
}

std::optional<std::int32_t> Expected(std::string_view text) {
  if (text.empty()) return 0;
  std::size_t at = text.find_first_not_of(" \t\n\v\f\r");
  if (at == std::string_view::npos) return std::nullopt;
  const bool negative = text[at] == '-';
  if (text[at] == '-' || text[at] == '+') ++at;
  if (text.substr(at, 2) == "0x" || text.substr(at, 2) == "0X") {
    if (at + 2 < text.size() && IsHex(text[at + 2])) at += 2;
  }
  const std::size_t start = at;
  while (at < text.size() && IsHex(text[at])) ++at;
  if (at == start) return std::nullopt;
  std::string_view digits = text.substr(start, at - start);
  digits.remove_prefix(std::min(digits.find_first_not_of('0'), digits.size()));
  if (digits.size() > 8) return std::nullopt;
  std::uint32_t value = 0;
  for (char c : digits) value = value * 16 + HexValue(c);
  if (negative) value = 0u - value;
  return static_cast<std::int32_t>(value);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  FUZZ_CHECK(morvik::ParseTypedNumber(text) == Expected(text));
  return 0;
}
