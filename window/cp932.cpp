#include "window/cp932.h"

#include <algorithm>
#include <array>
#include <unordered_map>

namespace morvik {
namespace {

constexpr char kDefaultCharacter = '?';

// One strict UTF-8 sequence starting at `at`: no overlong forms, no
// surrogates, nothing above U+10FFFF. Its length, 0 when it is malformed.
std::size_t DecodeUtf8(std::string_view text, std::size_t at, char32_t& character) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[at + i]); };
  const unsigned char lead = byte(0);
  if (lead < 0x80) {
    character = lead;
    return 1;
  }
  std::size_t length = 0;
  char32_t minimum = 0;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2, minimum = 0x80, character = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3, minimum = 0x800, character = lead & 0x0F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4, minimum = 0x10000, character = lead & 0x07;
  } else {
    return 0;
  }
  if (text.size() - at < length) return 0;
  for (std::size_t i = 1; i < length; ++i) {
    if ((byte(i) & 0xC0) != 0x80) return 0;
    character = (character << 6) | (byte(i) & 0x3F);
  }
  const bool surrogate = character >= 0xD800 && character <= 0xDFFF;
  if (character < minimum || character > 0x10FFFF || surrogate) return 0;
  return length;
}

// What the card shows for a character beyond ASCII: its bytes read back;
// nullopt where it has none. Kept per character once found (reading bytes
// back is as dear as converting them).
const std::optional<std::string>& WrittenAs(char32_t character) {
  thread_local std::unordered_map<char32_t, std::optional<std::string>> known;
  if (const auto found = known.find(character); found != known.end()) return found->second;
  const std::optional<std::string> bytes = Cp932CharacterBytes(character);
  return known.emplace(character, bytes ? DecodeCp932(*bytes) : std::nullopt).first->second;
}

}  // namespace

std::string_view CutCp932(std::string_view text, std::size_t maxBytes) {
  std::size_t end = 0;
  while (end < text.size()) {
    const std::size_t width = IsCp932LeadByte(static_cast<unsigned char>(text[end])) ? 2 : 1;
    // A lead byte without its trail byte is no whole character either.
    if (end + width > maxBytes || end + width > text.size()) break;
    end += width;
  }
  return text.substr(0, end);
}

bool IsValidUtf8(std::string_view text) {
  char32_t character = 0;
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t length = DecodeUtf8(text, at, character);
    if (length == 0) return false;
    at += length;
  }
  return true;
}

Cp932Text ConvertToCp932(std::string_view utf8) {
  Cp932Text converted;
  std::size_t number = 0;
  for (std::size_t at = 0; at < utf8.size();) {
    char32_t character = 0;
    const std::size_t length = DecodeUtf8(utf8, at, character);
    if (length == 0) {
      converted = Cp932Text{};
      converted.validUtf8 = false;
      return converted;
    }
    ++number;
    if (const std::optional<std::string> bytes = Cp932CharacterBytes(character)) {
      converted.bytes += *bytes;
    } else {
      if (converted.unmappableAt == 0) {
        converted.unmappableAt = number;
        converted.unmappableOffset = converted.bytes.size();
        converted.unmappableCharacter = std::string(utf8.substr(at, length));
      }
      converted.bytes += kDefaultCharacter;
    }
    at += length;
  }
  return converted;
}

std::vector<BestFit> BestFits(std::string_view utf8) {
  std::vector<BestFit> fits;
  for (std::size_t at = 0; at < utf8.size();) {
    char32_t character = 0;
    const std::size_t length = DecodeUtf8(utf8, at, character);
    if (length == 0) return {};
    const std::string typed(utf8.substr(at, length));
    at += length;
    if (character < 0x80) continue;
    const std::optional<std::string>& written = WrittenAs(character);
    const bool listed = std::ranges::any_of(fits, [&](const BestFit& fit) { return fit.character == typed; });
    if (written && *written != typed && !listed) fits.push_back({typed, *written});
  }
  return fits;
}

std::optional<std::string> EncodeCp932(std::string_view utf8) {
  Cp932Text converted = ConvertToCp932(utf8);
  if (!converted.validUtf8 || converted.unmappableAt != 0) return std::nullopt;
  return std::move(converted.bytes);
}

EntryText EntryFromUtf8(std::string_view utf8, std::size_t bufferSize) {
  Cp932Text converted = ConvertToCp932(utf8);
  EntryText entry;
  if (!converted.validUtf8) {
    entry.encodable = false;
    return entry;
  }
  const std::size_t limit = bufferSize == 0 ? 0 : bufferSize - 1;
  entry.bytes = std::string(CutCp932(converted.bytes, limit));
  if (converted.unmappableAt != 0 && converted.unmappableOffset < entry.bytes.size()) {
    entry.encodable = false;
    entry.unmappableAt = converted.unmappableAt;
    entry.unmappableCharacter = std::move(converted.unmappableCharacter);
  }
  return entry;
}

}  // namespace morvik
