// Code page 932 through Qt's converter, corrected where Windows' default
// conversion maps a character differently (window/cp932_windows_mappings.h).
#include <QByteArray>
#include <QString>
#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>
#include <unordered_map>

#include "window/cp932.h"
#include "window/cp932_windows_mappings.h"

namespace morvik {
namespace {

constexpr const char* kCodePageName = "windows-31j";
constexpr QStringConverter::Flags kWholeText = QStringConverter::Flag::Stateless;

std::string BytesOf(std::uint16_t bytes) {
  if (bytes < 0x100) return std::string(1, static_cast<char>(bytes));
  return {static_cast<char>(bytes >> 8), static_cast<char>(bytes & 0xFF)};
}

std::optional<std::string> ConverterBytes(char32_t character) {
  // A fresh converter per character: its error mark stays set once raised.
  QStringEncoder toCp932(kCodePageName, kWholeText);
  const char32_t text[] = {character};
  const QByteArray bytes = toCp932(QString::fromUcs4(text, 1));
  if (!toCp932.isValid() || toCp932.hasError() || bytes.isEmpty()) return std::nullopt;
  return bytes.toStdString();
}

}  // namespace

std::optional<std::string> Cp932CharacterBytes(char32_t character) {
  const auto* mapping = std::lower_bound(
      kWindowsMappings.begin(), kWindowsMappings.end(), character,
      [](const WindowsMapping& entry, char32_t c) { return entry.character < c; });
  if (mapping != kWindowsMappings.end() && mapping->character == character) {
    if (mapping->bytes == kWindowsDefaultCharacter) return std::nullopt;
    return BytesOf(mapping->bytes);
  }
  // Making a converter costs far more than converting (the code page is
  // looked up by name): each character's bytes are kept once found, so that
  // a list of many rows converts each of its characters once.
  thread_local std::unordered_map<char32_t, std::optional<std::string>> known;
  if (const auto found = known.find(character); found != known.end()) return found->second;
  return known.emplace(character, ConverterBytes(character)).first->second;
}

std::optional<std::string> DecodeCp932(std::string_view cp932) {
  QStringDecoder fromCp932(kCodePageName, kWholeText);
  if (!fromCp932.isValid()) return std::nullopt;
  const QString text =
      fromCp932(QByteArrayView(cp932.data(), static_cast<qsizetype>(cp932.size())));
  if (fromCp932.hasError()) return std::nullopt;
  return text.toUtf8().toStdString();
}

}  // namespace morvik
