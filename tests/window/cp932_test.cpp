// Code page 932 as the card holds it: the Windows bytes for what the operator
// typed, refusal of what the code page lacks, and cuts at character bounds.
#include <iconv.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "window/cp932.h"
#include "window/headless_window.h"

namespace morvik {
namespace {

std::string Bytes(std::initializer_list<unsigned> values) {
  std::string bytes;
  for (unsigned v : values) bytes.push_back(static_cast<char>(v));
  return bytes;
}

// glibc's own CP932 table, as an independent second opinion.
std::optional<std::string> IconvCp932(const std::string& utf8) {
  iconv_t cd = iconv_open("CP932", "UTF-8");
  if (cd == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
  std::string in = utf8;
  std::vector<char> out(in.size() * 2 + 4);
  char* inPtr = in.data();
  char* outPtr = out.data();
  std::size_t inLeft = in.size();
  std::size_t outLeft = out.size();
  const std::size_t result = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
  iconv_close(cd);
  if (result == static_cast<std::size_t>(-1)) return std::nullopt;
  return std::string(out.data(), out.size() - outLeft);
}

struct EncodeCase {
  const char* utf8;
  std::string cp932;
};

TEST(Cp932Encode, GivesWindowsBytesAndAgreesWithIconv) {
  const std::vector<EncodeCase> cases = {
      {"", ""},
      {"abc[IM]", "abc[IM]"},
      {"～", Bytes({0x81, 0x60})},  // full-width tilde, not the wave dash
      {"－", Bytes({0x81, 0x7C})},
      {"①", Bytes({0x87, 0x40})},
      {"∥", Bytes({0x81, 0x61})},
      {"￢", Bytes({0x81, 0xCA})},
      {"＼", Bytes({0x81, 0x5F})},
      {"㈱", Bytes({0x87, 0x8A})},
      {"ｱ", Bytes({0xB1})},  // half-width katakana is one byte
      {"ポップ", Bytes({0x83, 0x7C, 0x83, 0x62, 0x83, 0x76})},
      {"髙", Bytes({0xFB, 0xFC})},  // IBM extension row
  };
  for (const EncodeCase& c : cases) {
    SCOPED_TRACE(c.utf8);
    EXPECT_EQ(EncodeCp932(c.utf8), std::optional<std::string>(c.cp932));
    EXPECT_EQ(IconvCp932(c.utf8), std::optional<std::string>(c.cp932));
  }
}

TEST(Cp932Encode, SampleTextIsTwentyBytes) {
  const std::optional<std::string> bytes = EncodeCp932("ポップアップサンプル");
  ASSERT_TRUE(bytes);
  EXPECT_EQ(bytes->size(), 20u);
}

TEST(Cp932Encode, RefusesWhatTheCodePageLacks) {
  const char* const refused[] = {
      "é",            // Latin small e with acute: no code page 932 character
      "a😀b",         // emoji beside plain text
      "〜",           // wave dash: Windows maps only the full-width tilde
      "−",            // minus sign: only the full-width hyphen-minus
      "\xC3",         // UTF-8 cut inside a character
      "a\x80z",       // stray continuation byte
  };
  for (const char* text : refused) {
    SCOPED_TRACE(text);
    EXPECT_EQ(EncodeCp932(text), std::nullopt);
  }
}

TEST(Cp932Decode, RoundTripsAndRefusesBrokenBytes) {
  EXPECT_EQ(DecodeCp932(Bytes({0x83, 0x7C, 0x87, 0x40, 0x41})), std::optional<std::string>("ポ①A"));
  EXPECT_EQ(DecodeCp932(Bytes({0x41, 0x81})), std::nullopt);  // lead byte without trail
  EXPECT_EQ(DecodeCp932(Bytes({0x81})), std::nullopt);
  EXPECT_EQ(DecodeCp932(Bytes({0x85, 0x40})), std::nullopt);  // unassigned row
}

struct CutCase {
  std::string text;
  std::size_t maxBytes;
  std::size_t expectedLength;
};

TEST(Cp932Cut, EndsOnACharacterBoundary) {
  const std::string kana = Bytes({0x83, 0x7C});  // ポ
  const std::vector<CutCase> cases = {
      {"abc", 0, 0},
      {"abc", 2, 2},
      {"abc", 10, 3},
      {kana + kana, 3, 2},           // would split the second character
      {kana + kana, 4, 4},
      {"a" + kana, 2, 1},
      {Bytes({0xB1, 0xB2}), 1, 1},   // half-width katakana are single bytes
      {"a" + Bytes({0x81}), 5, 1},   // a lead byte without trail is dropped
      {"a" + Bytes({0x81}), 2, 1},
  };
  for (const CutCase& c : cases) {
    SCOPED_TRACE(testing::Message() << "maxBytes " << c.maxBytes);
    EXPECT_EQ(CutCp932(c.text, c.maxBytes).size(), c.expectedLength);
  }
}

TEST(Cp932Cut, EntryIsReadAsAtMost239BytesNeverSplittingACharacter) {
  std::string kana;
  for (int i = 0; i < 130; ++i) kana += "ポ";
  struct Entry {
    std::string utf8;
    std::string expectedBytes;
  };
  std::string kanaBytes;
  for (int i = 0; i < 119; ++i) kanaBytes += Bytes({0x83, 0x7C});
  const std::vector<Entry> entries = {
      {kana, kanaBytes},                      // 239th byte would be a lead byte: 238
      {"a" + kana, "a" + kanaBytes},          // ends exactly at 239
      {std::string(300, 'x'), std::string(239, 'x')},
      {std::string(239, 'x'), std::string(239, 'x')},
      {std::string(238, 'x') + "ポ", std::string(238, 'x')},
  };
  HeadlessWindow window;
  for (const Entry& entry : entries) {
    window.SetControlText(1001, entry.utf8);
    const EntryText read = window.GetEntryText(1001, kEntryBufferSize);
    EXPECT_TRUE(read.encodable);
    EXPECT_EQ(read.bytes, entry.expectedBytes) << "length " << read.bytes.size();
  }
  window.SetControlText(1002, "abcé");
  EXPECT_FALSE(window.GetEntryText(1002, kEntryBufferSize).encodable);
}

}  // namespace
}  // namespace morvik
