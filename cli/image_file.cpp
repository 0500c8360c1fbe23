#include "cli/image_file.h"

#include <nlohmann/json.hpp>

#include "files/file_access.h"
#include "link/number_text.h"

namespace morvik {
namespace {

// The "image" of a JSON object as dump, image and decode print it.
std::optional<std::string> ImageOfJson(std::string_view text) {
  const std::size_t first = text.find_first_not_of(" \t\r\n");
  if (first == std::string_view::npos || text[first] != '{') return std::nullopt;
  const nlohmann::json json = nlohmann::json::parse(text, nullptr, false);
  if (!json.is_object() || !json.contains("image") || !json["image"].is_string()) return std::nullopt;
  return json["image"].get<std::string>();
}

}  // namespace

std::optional<ContentImage> CardFromText(std::string_view text) {
  ContentImage image{};
  if (text.size() == image.size()) {
    std::copy(text.begin(), text.end(), image.begin());
    return image;
  }
  if (const std::optional<std::string> digitsOfJson = ImageOfJson(text)) return CardFromText(*digitsOfJson);
  std::size_t digits = 0;
  for (const char c : text) {
    if (c == ' ' || c == '\n' || c == '\r' || c == '\t') continue;
    const int digit = HexDigitValue(c);
    if (digit < 0 || digits >= 2 * image.size()) return std::nullopt;
    image[digits / 2] = static_cast<std::uint8_t>(image[digits / 2] * 16 + digit);
    ++digits;
  }
  if (digits != 2 * image.size()) return std::nullopt;
  return image;
}

std::optional<std::string> ImageRefusal(const DecodedCard& decoded, bool yes, bool force) {
  if (decoded.kind == CardKind::kBlank && !yes) return "all zero: writing it clears the card; give --yes";
  if (force) return std::nullopt;
  if (decoded.kind == CardKind::kUnknown) return "not a card this tool writes; --force writes it anyway";
  if (IsDamaged(decoded)) return "damaged (" + DamageText(decoded) + "); --force writes it anyway";
  return std::nullopt;
}

ImageRead ReadCardImageFile(const std::string& path, std::istream& in) {
  ImageRead read;
  const std::optional<std::string> text = ReadBoundedFile(path, in, kImageFileLimit, read.error);
  if (!text) return read;
  read.image = CardFromText(*text);
  if (!read.image) {
    read.error = (path == "-" ? std::string("standard input") : path) + ": holds " +
                 std::to_string(text->size()) +
                 " bytes, not a card image (256 bytes, 512 hexadecimal digits, or dump's JSON)";
  }
  return read;
}

}  // namespace morvik
