// Code page 932 as the card holds it: the Windows bytes for what the operator
// typed, refusal of what the code page lacks, and cuts at character bounds.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <tuple>
#include <utility>

#include "window/cp932.h"
#include "window/cp932_windows_mappings.h"
#include "window/headless_window.h"

namespace morvik {
namespace {

std::string Bytes(std::initializer_list<unsigned> values) {
  return std::string(values.begin(), values.end());
}

TEST(Cp932, EncodesAsWindowsDoes) {
  const std::pair<const char*, std::string> cases[] = {
      {"", ""},
      {"abc[IM]", "abc[IM]"},
      {"ポップアップサンプル", Bytes({0x83, 0x7C, 0x83, 0x62, 0x83, 0x76, 0x83, 0x41, 0x83, 0x62,
                                     0x83, 0x76, 0x83, 0x54, 0x83, 0x93, 0x83, 0x76, 0x83, 0x8B})},
      {"～－", Bytes({0x81, 0x60, 0x81, 0x7C})},  // full-width tilde and minus
      {"①∥￢＼㈱", Bytes({0x87, 0x40, 0x81, 0x61, 0x81, 0xCA, 0x81, 0x5F, 0x87, 0x8A})},
      {"ｱ髙", Bytes({0xB1, 0xFB, 0xFC})},  // half-width kana, IBM extension row
      // Where Windows maps a character to a near one, the card holds what a
      // Windows PC would have written; the same table runs in both builds.
      {"¥100", "\x5C" "100"},          {"café", "cafe"},
      {"«»", Bytes({0x81, 0xE1, 0x81, 0xE2})}, {"ゔ", Bytes({0x83, 0x94})},
      {"\x1A\x7F", "\x1A\x7F"},        {"\u0080\uF8F0", Bytes({0x80, 0xA0})},
  };
  for (const auto& [utf8, cp932] : cases) EXPECT_EQ(EncodeCp932(utf8), cp932) << utf8;
}

// The corrections the Qt converter gets are looked up by bisection: they must
// stay sorted. In the Windows build every row must be what Windows itself does.
TEST(Cp932, WindowsMappingsAreSortedAndAgreeWithWindows) {
  EXPECT_TRUE(std::ranges::is_sorted(kWindowsMappings, {}, &WindowsMapping::character));
#ifdef _WIN32
  for (const WindowsMapping& row : kWindowsMappings) {
    const std::optional<std::string> bytes = Cp932CharacterBytes(row.character);
    if (row.bytes == kWindowsDefaultCharacter) {
      EXPECT_EQ(bytes, std::nullopt) << std::hex << static_cast<unsigned>(row.character);
    } else {
      const unsigned value = row.bytes;
      const std::string expected = value < 0x100 ? Bytes({value}) : Bytes({value >> 8, value & 0xFF});
      EXPECT_EQ(bytes, expected) << std::hex << static_cast<unsigned>(row.character);
    }
  }
#endif
}

TEST(Cp932, RefusesWhatTheCodePageLacksAndBrokenInput) {
  // An emoji, the wave dash and minus sign (look-alikes Windows does not
  // map), a private character only some converters map, UTF-8 cut inside a
  // character, a stray continuation byte, an encoded surrogate.
  for (const char* text : {"a😀b", "〜", "−", "\uF86F", "a\xC3", "a\x80z", "\xED\xA0\x80"}) {
    EXPECT_EQ(EncodeCp932(text), std::nullopt) << text;
  }
  EXPECT_FALSE(ConvertToCp932("\xF8\x90\x80\x80").validUtf8);  // no lead byte above F4
  EXPECT_TRUE(IsValidUtf8("\xE0\xA0\x80😀"));  // U+0800 and an emoji: well formed, not mapped
  EXPECT_EQ(DecodeCp932(Bytes({0x83, 0x7C, 0x87, 0x40, 0x41})), "ポ①A");
  for (const std::string& bytes : {Bytes({0x41, 0x81}), Bytes({0x85, 0x40})}) {
    EXPECT_EQ(DecodeCp932(bytes), std::nullopt);  // lead byte without trail; unassigned row
  }
}

TEST(Cp932, CutEndsOnACharacterBoundary) {
  const std::string po = Bytes({0x83, 0x7C});
  const std::tuple<std::string, std::size_t, std::size_t> cases[] = {
      {"abc", 0, 0}, {"abc", 2, 2},       {"abc", 10, 3},
      {po + po, 3, 2}, {po + po, 4, 4},   {Bytes({0xB1, 0xB2}), 1, 1},
      {"a\x81", 5, 1},  // a lead byte without its trail byte is no character
      {Bytes({0x9F, 0x40}), 1, 0}, {Bytes({0xE0, 0x40}), 1, 0},  // the ends of the gap between lead bytes
      {Bytes({0xFC, 0x4B}), 1, 0}, {Bytes({0xA0, 0xFD, 0x41}), 2, 2},  // the last lead byte; single bytes
  };
  for (const auto& [text, maxBytes, length] : cases) {
    EXPECT_EQ(CutCp932(text, maxBytes).size(), length) << maxBytes;
  }
}

TEST(Cp932, EntryIsReadAsAtMost239BytesNeverSplittingACharacter) {
  std::string kana, kanaBytes;
  for (int i = 0; i < 130; ++i) kana += "ポ";
  for (int i = 0; i < 119; ++i) kanaBytes += Bytes({0x83, 0x7C});
  const std::pair<std::string, std::string> entries[] = {
      {kana, kanaBytes},              // the 120th character would need byte 240
      {"a" + kana, "a" + kanaBytes},  // ends exactly on byte 239
      {std::string(300, 'x'), std::string(239, 'x')},
      {std::string(238, 'x') + "ポ", std::string(238, 'x')},
  };
  HeadlessWindow window;
  for (const auto& [utf8, bytes] : entries) {
    window.SetControlText(1001, utf8);
    EXPECT_EQ(window.GetEntryText(1001, kEntryBufferSize).bytes, bytes);
  }
  // The first character the card cannot hold is named by its number; one
  // past the part kept does not count.
  window.SetControlText(1001, "ab〜c😀");
  const EntryText bad = window.GetEntryText(1001, kEntryBufferSize);
  EXPECT_FALSE(bad.encodable);
  EXPECT_EQ(bad.unmappableAt, 3u);
  EXPECT_EQ(bad.unmappableCharacter, "〜");
  EXPECT_EQ(bad.bytes, "ab?c?");
  window.SetControlText(1001, std::string(239, 'x') + "😀");
  EXPECT_TRUE(window.GetEntryText(1001, kEntryBufferSize).encodable);
}

}  // namespace
}  // namespace morvik
