#include "link/number_text.h"

namespace morvik {
namespace {

bool IsSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

}  // namespace

int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::optional<std::uint32_t> ParseDecimal(std::string_view text, std::uint32_t max) {
  if (text.empty()) return std::nullopt;
  std::uint64_t value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + static_cast<unsigned>(c - '0');
    if (value > max) return std::nullopt;
  }
  return static_cast<std::uint32_t>(value);
}

std::optional<std::uint32_t> ParseHexDigits(std::string_view text, std::size_t maxDigits) {
  if (text.empty() || text.size() > maxDigits || maxDigits > 8) return std::nullopt;
  std::uint32_t value = 0;
  for (const char c : text) {
    const int digit = HexDigitValue(c);
    if (digit < 0) return std::nullopt;
    value = value * 16 + static_cast<unsigned>(digit);
  }
  return value;
}

bool ParseHexBytes(std::string_view text, std::span<std::uint8_t> bytes) {
  if (text.size() != 2 * bytes.size()) return false;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const std::optional<std::uint32_t> byte = ParseHexDigits(text.substr(2 * i, 2), 2);
    if (!byte) return false;
    bytes[i] = static_cast<std::uint8_t>(*byte);
  }
  return true;
}

std::optional<std::uint32_t> ScanHexNumber(std::string_view text) {
  std::size_t at = 0;
  while (at < text.size() && IsSpace(text[at])) ++at;
  bool negative = false;
  if (at < text.size() && (text[at] == '+' || text[at] == '-')) negative = text[at++] == '-';
  if (at + 2 < text.size() && text[at] == '0' && (text[at + 1] == 'x' || text[at + 1] == 'X') &&
      HexDigitValue(text[at + 2]) >= 0) {
    at += 2;
  }
  std::uint64_t value = 0;
  std::size_t digits = 0;
  for (; at < text.size() && HexDigitValue(text[at]) >= 0; ++at, ++digits) {
    value = value * 16 + static_cast<unsigned>(HexDigitValue(text[at]));
    if (value > 0xFFFFFFFFu) return std::nullopt;
  }
  if (digits == 0) return std::nullopt;
  return static_cast<std::uint32_t>(negative ? (0 - value) : value);
}

}  // namespace morvik
