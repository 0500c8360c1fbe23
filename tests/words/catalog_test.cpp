#include "words/catalog.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

namespace morvik {
namespace {

// The "{name}" marks of a wording, in any order.
std::set<std::string> MarksIn(std::string_view text) {
  std::set<std::string> marks;
  for (std::size_t open = text.find('{'); open != std::string_view::npos; open = text.find('{', open + 1)) {
    const std::size_t close = text.find('}', open);
    if (close == std::string_view::npos) break;
    marks.insert(std::string(text.substr(open + 1, close - open - 1)));
  }
  return marks;
}

TEST(Catalog, EveryKindIsWordedOnceInBothLanguagesWithEveryValue) {
  for (auto kind = static_cast<std::uint16_t>(0); kind < static_cast<std::uint16_t>(Said::kEnd); ++kind) {
    SCOPED_TRACE(kind);
    const auto matches = std::ranges::count(Catalog(), static_cast<Said>(kind), &Wording::kind);
    ASSERT_EQ(matches, 1);
    const Wording& wording = *std::ranges::find(Catalog(), static_cast<Said>(kind), &Wording::kind);
    EXPECT_FALSE(wording.english.empty());
    EXPECT_FALSE(wording.japanese.empty());
    EXPECT_NE(wording.english, wording.japanese);
    std::set<std::string> names;
    for (const std::string_view name : wording.names) {
      if (!name.empty()) names.insert(std::string(name));
    }
    EXPECT_EQ(MarksIn(wording.english), names) << wording.english;
    EXPECT_EQ(MarksIn(wording.japanese), names) << wording.japanese;
  }
  EXPECT_EQ(Catalog().size(), static_cast<std::size_t>(Said::kEnd));
}

TEST(Catalog, SayPutsEachValueInItsPlace) {
  const Saying saying{Said::kBadPosition, {"volume", "9", "3"}};
  EXPECT_EQ(Say(saying, Language::kEnglish), "bad value for --volume: 9 (a list position 0-3)");
  EXPECT_EQ(Say(saying, Language::kJapanese), "volume は 0～3 で指定してください（9）");
  // A value holding a mark of its own is not read again.
  EXPECT_EQ(Say({Said::kAtLine, {"14", "{line}"}}, Language::kEnglish), "line 14: {line}");
  EXPECT_EQ(Say({Said::kAtLine, {"{problem}", "x"}}, Language::kEnglish), "line {problem}: x");
}

struct LocaleCase {
  const char* lcAll;
  const char* lcMessages;
  const char* lang;
  Language expected;
};

class LocaleLanguage : public ::testing::TestWithParam<LocaleCase> {};

TEST_P(LocaleLanguage, FirstNonEmptyVariableDecides) {
  const LocaleCase& c = GetParam();
  EXPECT_EQ(LanguageOfLocale(c.lcAll, c.lcMessages, c.lang), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Variables, LocaleLanguage,
    ::testing::Values(LocaleCase{"", "", "ja_JP.UTF-8", Language::kJapanese},
                      LocaleCase{"", "", "C", Language::kEnglish}, LocaleCase{"", "", "", Language::kEnglish},
                      LocaleCase{"C", "", "ja_JP.UTF-8", Language::kEnglish},
                      LocaleCase{"", "ja_JP.eucJP", "en_GB.UTF-8", Language::kJapanese},
                      LocaleCase{"ja", "C", "C", Language::kJapanese},
                      LocaleCase{"POSIX", "ja_JP", "ja_JP", Language::kEnglish},
                      LocaleCase{"", "", "de_DE.UTF-8", Language::kEnglish}));

}  // namespace
}  // namespace morvik
