// Code page 932 through Qt's converter, corrected where Windows' default
// conversion maps a character differently: Windows' best-fit look-alikes, a
// few control and private-use characters, and one character Qt maps that
// Windows does not. The corrections were read off Windows' conversion (as Wine
// implements it) for every character of the Basic Multilingual Plane.
#include <QByteArray>
#include <QString>
#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>
#include <array>
#include <cstdint>

#include "window/cp932.h"

namespace morvik {
namespace {

constexpr const char* kCodePageName = "windows-31j";
constexpr QStringConverter::Flags kWholeText = QStringConverter::Flag::Stateless;

struct WindowsMapping {
  char32_t character;
  std::uint16_t bytes;  // one byte when below 0x100; kNone: Windows writes '?'
};
constexpr std::uint16_t kNone = 0;

constexpr std::array kWindowsMappings = std::to_array<WindowsMapping>({
    {0x001A, 0x1A}, {0x001C, 0x1C}, {0x007F, 0x7F}, {0x0080, 0x80}, {0x00A1, 0x21},
    {0x00A2, 0x8191}, {0x00A3, 0x8192}, {0x00A5, 0x5C}, {0x00A6, 0x7C}, {0x00A9, 0x63},
    {0x00AA, 0x61}, {0x00AB, 0x81E1}, {0x00AC, 0x81CA}, {0x00AD, 0x2D}, {0x00AE, 0x52},
    {0x00AF, 0x8150}, {0x00B2, 0x32}, {0x00B3, 0x33}, {0x00B5, 0x83CA}, {0x00B7, 0x8145},
    {0x00B8, 0x8143}, {0x00B9, 0x31}, {0x00BA, 0x6F}, {0x00BB, 0x81E2}, {0x00C0, 0x41},
    {0x00C1, 0x41}, {0x00C2, 0x41}, {0x00C3, 0x41}, {0x00C4, 0x41}, {0x00C5, 0x41},
    {0x00C6, 0x41}, {0x00C7, 0x43}, {0x00C8, 0x45}, {0x00C9, 0x45}, {0x00CA, 0x45},
    {0x00CB, 0x45}, {0x00CC, 0x49}, {0x00CD, 0x49}, {0x00CE, 0x49}, {0x00CF, 0x49},
    {0x00D0, 0x44}, {0x00D1, 0x4E}, {0x00D2, 0x4F}, {0x00D3, 0x4F}, {0x00D4, 0x4F},
    {0x00D5, 0x4F}, {0x00D6, 0x4F}, {0x00D8, 0x4F}, {0x00D9, 0x55}, {0x00DA, 0x55},
    {0x00DB, 0x55}, {0x00DC, 0x55}, {0x00DD, 0x59}, {0x00DE, 0x54}, {0x00DF, 0x73},
    {0x00E0, 0x61}, {0x00E1, 0x61}, {0x00E2, 0x61}, {0x00E3, 0x61}, {0x00E4, 0x61},
    {0x00E5, 0x61}, {0x00E6, 0x61}, {0x00E7, 0x63}, {0x00E8, 0x65}, {0x00E9, 0x65},
    {0x00EA, 0x65}, {0x00EB, 0x65}, {0x00EC, 0x69}, {0x00ED, 0x69}, {0x00EE, 0x69},
    {0x00EF, 0x69}, {0x00F0, 0x64}, {0x00F1, 0x6E}, {0x00F2, 0x6F}, {0x00F3, 0x6F},
    {0x00F4, 0x6F}, {0x00F5, 0x6F}, {0x00F6, 0x6F}, {0x00F8, 0x6F}, {0x00F9, 0x75},
    {0x00FA, 0x75}, {0x00FB, 0x75}, {0x00FC, 0x75}, {0x00FD, 0x79}, {0x00FE, 0x74},
    {0x00FF, 0x79}, {0x3094, 0x8394}, {0xF86F, kNone}, {0xF8F0, 0xA0}, {0xF8F1, 0xFD},
    {0xF8F2, 0xFE}, {0xF8F3, 0xFF},
});

std::string BytesOf(std::uint16_t bytes) {
  if (bytes < 0x100) return std::string(1, static_cast<char>(bytes));
  return {static_cast<char>(bytes >> 8), static_cast<char>(bytes & 0xFF)};
}

}  // namespace

std::optional<std::string> Cp932CharacterBytes(char32_t character) {
  const auto* mapping = std::lower_bound(
      kWindowsMappings.begin(), kWindowsMappings.end(), character,
      [](const WindowsMapping& entry, char32_t c) { return entry.character < c; });
  if (mapping != kWindowsMappings.end() && mapping->character == character) {
    if (mapping->bytes == kNone) return std::nullopt;
    return BytesOf(mapping->bytes);
  }
  // A fresh converter per character: its error mark stays set once raised.
  QStringEncoder toCp932(kCodePageName, kWholeText);
  const char32_t text[] = {character};
  const QByteArray bytes = toCp932(QString::fromUcs4(text, 1));
  if (!toCp932.isValid() || toCp932.hasError() || bytes.isEmpty()) return std::nullopt;
  return bytes.toStdString();
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
