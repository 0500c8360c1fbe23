#include "card/card_formats.h"

#include <nlohmann/json.hpp>

namespace morvik {
namespace {

void AppendHex(std::string& text, std::uint8_t byte) {
  constexpr char kDigits[] = "0123456789ABCDEF";
  text += kDigits[byte >> 4];
  text += kDigits[byte & 0x0F];
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
  using Json = nlohmann::ordered_json;
  Json json;
  if (!idm.empty()) json["idm"] = idm;
  json["image"] = HexDigits(card);
  Json decoded = Json::object();
  for (const CardField& field : fields) decoded[field.key] = field.value;
  json["decoded"] = decoded;
  return json.dump(-1, ' ', false, Json::error_handler_t::replace) + "\n";
}

}  // namespace morvik
