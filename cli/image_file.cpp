#include "cli/image_file.h"

#include <nlohmann/json.hpp>

#include "files/file_access.h"
#include "link/number_text.h"
#include "words/catalog.h"

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

namespace {

// "check byte wrong, sections cut"
std::string DamageWords(const DecodedCard& card, Language language) {
  std::string text = card.checkByteRight ? "" : Say({Said::kCheckByteWrong}, language);
  if (!card.sectionsWhole) {
    text += (text.empty() ? "" : Say({Said::kLineListSeparator}, language)) + Say({Said::kSectionsCut}, language);
  }
  return text;
}

}  // namespace

std::optional<std::string> ImageRefusal(const DecodedCard& decoded, bool yes, bool force, Language language) {
  if (decoded.kind == CardKind::kBlank && !yes) return Say({Said::kImageAllZero}, language);
  if (force) return std::nullopt;
  if (decoded.kind == CardKind::kUnknown) return Say({Said::kImageNotACard}, language);
  if (IsDamaged(decoded)) return Say({Said::kImageDamaged, {DamageWords(decoded, language)}}, language);
  return std::nullopt;
}

ImageRead ReadCardImageFile(const std::string& path, std::istream& in, Language language) {
  ImageRead read;
  const std::optional<std::string> text = ReadBoundedFile(path, in, kImageFileLimit, read.error);
  if (!text) return read;
  read.image = CardFromText(*text);
  if (!read.image) {
    const std::string file = path == "-" ? Say({Said::kStandardInput}, language) : path;
    read.error = Say({Said::kImageNotAnImage, {file, std::to_string(text->size())}}, language);
  }
  return read;
}

}  // namespace morvik
