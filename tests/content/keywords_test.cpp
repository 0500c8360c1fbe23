// The keyword steps: where the blanks go, what the operator is asked, and
// what Cancel stops.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "content/keywords.h"
#include "window/headless_window.h"

namespace morvik {
namespace {

const std::string kAdjacency =
    "キーワード[CT]は必ず[IM]の直後に配置する必要があります。"
    "このまま書込を続行すると[CT]はそのまま表示されます";
const std::string kTitleAndBody =
    "キーワード[IM]および[CT]はメールタイトルもしくは本文のどちらか一方にのみ設定が可能です。"
    "このまま書込を続行すると本文の分が無効になります";
const std::string k16(16, ' ');
const std::string k20(20, ' ');

struct UrlCase {
  std::string url;
  int answer;
  bool proceeds;
  std::string result;
  int hasIdm, hasCounter, offset;
  std::size_t questions;
};

TEST(Keywords, UrlBlanksFlagsAndAdjacencyQuestion) {
  const UrlCase cases[] = {
      {"http://x/[IM][CT]", kIdOk, true, "http://x/" + k20, 1, 1, 9, 0},
      {"a[IM]b", kIdOk, true, "a" + k16 + "b", 1, 0, 1, 0},
      {"[IM]", kIdOk, true, k16, 1, 0, 0, 0},
      {"[IM][CT][IM][CT]", kIdOk, true, k20 + "[IM][CT]", 1, 1, 0, 0},
      {"a[CT][IM]", kIdOk, true, "a[CT]" + k16, 1, 0, 5, 1},
      {"a[CT][IM]", kIdCancel, false, "a[CT][IM]", 0, 0, 0, 1},
      {"a[CT]", kIdOk, true, "a[CT]", 0, 0, 0, 1},
      {"a[IM]b[IM][CT]", kIdOk, true, "a" + k16 + "b[IM][CT]", 1, 0, 1, 1},
      {"[UI][CI]", kIdOk, true, "[UI][CI]", 0, 0, 0, 0},
  };
  for (const UrlCase& c : cases) {
    SCOPED_TRACE(c.url);
    HeadlessWindow window;
    window.SetDefaultAnswer(c.answer);
    ContentSettings settings;
    settings.url = c.url;
    settings.urlIdmOffset = 99;       // stale marks from an earlier build are reset
    settings.mailTitle = "[IM][CT]";  // outside mail mode title and body are
    settings.mailBody = "[CT]";       // neither questioned nor changed
    EXPECT_EQ(ApplyIdmCounterKeywords(window, settings), c.proceeds);
    EXPECT_EQ(settings.url, c.result);
    EXPECT_EQ(settings.urlHasIdm, c.hasIdm);
    EXPECT_EQ(settings.urlHasCounter, c.hasCounter);
    EXPECT_EQ(settings.urlIdmOffset, c.offset);
    EXPECT_EQ(settings.mailTitle + settings.mailBody, "[IM][CT][CT]");
    EXPECT_EQ(settings.mailHasIdm, 0);
    ASSERT_EQ(window.messages().size(), c.questions);
    for (const ShownMessage& shown : window.messages()) {
      EXPECT_EQ(shown.text, kAdjacency);
      EXPECT_EQ(shown.caption, "Error");
      EXPECT_EQ(shown.type, 0x11u);
    }
  }
}

struct MailCase {
  std::string title, body;
  std::vector<std::string> questions;  // all answered OK
  std::string title2, body2;
  int hasIdm, hasCounter, offset;
};

TEST(Keywords, MailBlanksGoIntoTitleOrBody) {
  // To "to" and cc "cc": 4 bytes of addresses; the title is 2 bytes long.
  const MailCase cases[] = {
      {"T[IM][CT]", "b", {}, "T" + k20, "b", 1, 1, 2 + 2 + 4 + 1},
      {"Ti", "xx[IM]", {}, "Ti", "xx" + k16, 1, 0, 2 + 2 + 2 + 6 + 2},
      {"[IM]", "", {}, k16, "", 1, 0, 8},
      {"[IM]", "[IM][CT]", {kTitleAndBody}, k16, "[IM][CT]", 1, 0, 8},
      {"a[IM]", "[CT]", {kAdjacency}, "a" + k16, "[CT]", 1, 0, 9},
      {"[CT]", "[CT]", {kAdjacency, kAdjacency}, "[CT]", "[CT]", 0, 0, 0},
  };
  for (const MailCase& c : cases) {
    SCOPED_TRACE(c.title + " / " + c.body);
    HeadlessWindow window;
    window.SetDefaultAnswer(kIdOk);
    ContentSettings settings;
    settings.mailEnabled = 1;
    settings.url = "u";
    settings.mailTo = "to";
    settings.mailCc = "cc";
    settings.mailTitle = c.title;
    settings.mailBody = c.body;
    ASSERT_TRUE(ApplyIdmCounterKeywords(window, settings));
    EXPECT_EQ(settings.mailTitle, c.title2);
    EXPECT_EQ(settings.mailBody, c.body2);
    EXPECT_EQ(settings.mailHasIdm, c.hasIdm);
    EXPECT_EQ(settings.mailHasCounter, c.hasCounter);
    EXPECT_EQ(settings.mailIdmOffset, c.offset);
    std::vector<std::string> asked;
    for (const ShownMessage& shown : window.messages()) asked.push_back(shown.text);
    EXPECT_EQ(asked, c.questions);
  }
}

TEST(Keywords, PopupToAndCcKeepTheirKeywords) {
  HeadlessWindow window;
  ContentSettings settings;
  settings.mailEnabled = 1;
  settings.url = "u";
  settings.popup = settings.mailTo = settings.mailCc = "[IM][CT]";
  ASSERT_TRUE(ApplyIdmCounterKeywords(window, settings));
  EXPECT_EQ(settings.popup + settings.mailTo + settings.mailCc, "[IM][CT][IM][CT][IM][CT]");
  EXPECT_EQ(settings.mailHasIdm + settings.urlHasIdm, 0);
  EXPECT_TRUE(window.messages().empty());
}

TEST(Keywords, QuestionsComeInOrderAndCancelStopsAtOnce) {
  // URL, title, body, then title-and-body; Cancel at question n shows no more.
  const std::vector<std::string> order = {kAdjacency, kAdjacency, kAdjacency, kTitleAndBody};
  for (std::size_t cancelAt = 0; cancelAt <= order.size(); ++cancelAt) {
    HeadlessWindow window;
    window.SetAnswerer([&](const ShownMessage&) {
      return window.messages().size() < cancelAt ? kIdOk : kIdCancel;
    });
    ContentSettings settings;
    settings.mailEnabled = 1;
    settings.url = "[CT]";
    settings.mailTitle = "[IM]x[CT]";
    settings.mailBody = "[IM]y[CT]";
    const bool proceeds = ApplyIdmCounterKeywords(window, settings);
    const std::size_t shown = std::min(cancelAt + 1, order.size());
    EXPECT_EQ(proceeds, cancelAt == order.size());
    ASSERT_EQ(window.messages().size(), shown);
    for (std::size_t i = 0; i < shown; ++i) EXPECT_EQ(window.messages()[i].text, order[i]);
  }
}

TEST(Keywords, CustomerIdReplacesTheFirstKeywordOfUrlTitleAndBody) {
  const std::pair<std::int32_t, std::string> cases[] = {{0, "0ABC"}, {7, "0000"}};
  for (const auto& [serviceCid, digits] : cases) {
    ContentSettings settings;
    settings.url = "u[CI]v[CI]";
    settings.mailTitle = "[CI]";
    settings.mailBody = "b[CI]";
    settings.popup = settings.mailTo = settings.mailCc = "[CI][IM]";
    ReplaceCustomerIdKeyword(settings, {0x0A, 0xBC}, serviceCid);
    EXPECT_EQ(settings.url, "u" + digits + "v[CI]");
    EXPECT_EQ(settings.mailTitle, digits);
    EXPECT_EQ(settings.mailBody, "b" + digits);
    EXPECT_EQ(settings.popup, "[CI][IM]");
    EXPECT_EQ(settings.mailTo, "[CI][IM]");
    EXPECT_EQ(settings.mailCc, "[CI][IM]");
  }
}

}  // namespace
}  // namespace morvik
