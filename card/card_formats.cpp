#include "card/card_formats.h"

#include <cstdio>

namespace morvik {
namespace {

void AppendHex(std::string& text, std::uint8_t byte) {
  constexpr char kDigits[] = "0123456789ABCDEF";
  text += kDigits[byte >> 4];
  text += kDigits[byte & 0x0F];
}

// A JSON string literal: quotes, backslashes and control characters escaped.
std::string Quoted(std::string_view text) {
  std::string quoted = "\"";
  for (const char c : text) {
    if (c == '"' || c == '\\') {
      quoted += '\\';
      quoted += c;
    } else if (static_cast<unsigned char>(c) < 0x20) {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\u%04X", static_cast<unsigned>(c));
      quoted += escape;
    } else {
      quoted += c;
    }
  }
  return quoted + "\"";
}

}  // namespace

std::string HexLines(std::span<const std::uint8_t, kContentImageSize> card) {
  std::string text;
  for (std::size_t i = 0; i < card.size(); ++i) {
    AppendHex(text, card[i]);
    text += (i % 16 == 15) ? '\n' : ' ';
  }
  return text;
}

std::string HexDigits(std::span<const std::uint8_t, kContentImageSize> card) {
  std::string text;
  for (const std::uint8_t byte : card) AppendHex(text, byte);
  return text;
}

std::string CardJson(std::string_view idm, std::span<const std::uint8_t, kContentImageSize> card,
                     const CardFields& fields) {
  std::string json = "{";
  if (!idm.empty()) json += "\"idm\": " + Quoted(idm) + ", ";
  json += "\"image\": " + Quoted(HexDigits(card)) + ", \"decoded\": {";
  for (std::size_t i = 0; i < fields.size(); ++i) {
    json += (i == 0 ? "" : ", ") + Quoted(fields[i].first) + ": " + Quoted(fields[i].second);
  }
  return json + "}}\n";
}

}  // namespace morvik
