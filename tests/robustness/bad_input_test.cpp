// Entries an operator should not type, through the window's write command on
// the in-process writer and through `morvik-card image`: characters the card
// cannot hold, texts whose last character straddles the entry's byte limit,
// keywords whose blanks cross a length limit or that only look like keywords
// inside a character, unreadable or too large service numbers, lists holding
// none of their items. Every one ends in an image that carries the text
// as typed, or in a message that says what is wrong; nothing is cut or
// replaced without a word.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "card/card_operations.h"
#include "content/terminal_settings.h"
#include "sim/loopback_serial.h"
#include "window/control_ids.h"
#include "window/cp932.h"
#include "window/headless_window.h"

#ifdef MORVIK_CARD
#include "tests/support/process.h"
#endif

namespace morvik {
namespace {

constexpr char kUrlLimit[] = "最大184文字";
constexpr char kMailLimit[] = "最大178文字";
constexpr char kPopupLimit[] = "ポップアップの長さは最大40文字";
constexpr char kBadNumber[] = "入力された番号を16進数として読み取れません";

struct Case {
  std::string name;
  std::map<int, std::string> texts;  // by control; URL "abc", mail To "to@x" unless given
  std::string told;                  // empty: an image is expected
  bool mail = false;
  std::optional<std::string> url{};    // the URL bytes the card carries, when not the entry's
  std::optional<std::string> typed{};  // the number typed for a CID card
  std::map<int, int> lists{};          // list selections other than the defaults
  int byte249 = 0x00, byte254 = 0x3C;
};

const struct {
  int id;
  const char *label, *option;
} kEntries[] = {
    {kIdcUrl, "ＵＲＬ情報", "--url"},       {kIdcPopup, "ポップアップ", "--popup"},
    {kIdcMailTo, "Ｔｏ", "--to"},           {kIdcMailCc, "ｃｃ", "--cc"},
    {kIdcMailTitle, "タイトル", "--title"}, {kIdcMailBody, "本文", "--body"},
};
const struct {
  int id;
  const char *option, *label;
} kLists[] = {
    {kIdcVolumeList, "--volume", "音量"},
    {kIdcSoundTypeList, "--sound", "音種類"},
    {kIdcLedPatternList, "--led", "LED点灯パターン"},
    {kIdcModeList, "--mode", "モード"},
    {kIdcReleaseTimeList, "--release", "省電力一時解除時間"},
    {kIdcAutoOffTimeList, "--autooff", "自動オフ時間"}};

std::string A(std::size_t n) { return std::string(n, 'a'); }

std::vector<Case> AllCases() {
  std::vector<Case> table;
  // An emoji, the wave dash and minus sign Windows does not map, an invisible
  // leading U+FEFF, each named with its place; UTF-8 cut inside a character.
  // In each entry, the mail entries in mail mode.
  const std::pair<const char*, const char*> unencodable[] = {
      {"x😀", "の2文字目「😀」"}, {"〜", "の1文字目「〜」"}, {"−", "の1文字目「−」"},
      {"\xEF\xBB\xBFx", "の1文字目「\xEF\xBB\xBF」"}, {"x\xC3", "にICカードに書き込めない文字"}};
  for (const auto& [bad, told] : unencodable)
    for (const auto& e : kEntries)
      table.push_back({std::string("unencodable in ") + e.option,
                       {{e.id, bad}},
                       std::string("「") + e.label + "」" + told,
                       e.id != kIdcUrl && e.id != kIdcPopup});
  // What never reaches the card does not stop it; a Windows best fit is taken.
  table.push_back({"emoji in To, not mail", {{kIdcMailTo, "😀"}}, ""});
  table.push_back({"best fit", {{kIdcUrl, "café¥"}}, "", false, "cafe\\"});
  // 236 to 239 ASCII bytes and a double-byte character: 238 to 241 bytes, the
  // character across the 239-byte limit for the last two.
  for (std::size_t n = 236; n <= 239; ++n) {
    for (const auto& e : kEntries) {
      const bool mail = e.id != kIdcUrl && e.id != kIdcPopup;
      table.push_back({std::to_string(n + 2) + " bytes in " + e.option,
                       {{e.id, A(n) + "あ"}},
                       mail              ? kMailLimit
                       : e.id == kIdcUrl ? kUrlLimit
                                         : kPopupLimit,
                       mail});
    }
  }
  // Keywords whose blanks take a text to its limit and one byte past it.
  const std::string b16(16, ' '), b20(20, ' '), u168 = "http://" + A(161);
  const std::vector<Case> keywords = {
      {"[IM] to 184", {{kIdcUrl, u168 + "[IM]"}}, "", false, u168 + b16},
      {"[IM] to 185", {{kIdcUrl, u168 + "a[IM]"}}, kUrlLimit},
      {"[IM][CT] to 184", {{kIdcUrl, A(164) + "[IM][CT]"}}, "", false, A(164) + b20},
      {"[IM][CT] to 185", {{kIdcUrl, A(165) + "[IM][CT]"}}, kUrlLimit},
      // Not mail: URL and popup (with CR LF) share 184 bytes.
      {"[IM], popup to 184",
       {{kIdcUrl, A(156) + "[IM]"}, {kIdcPopup, A(10)}},
       "",
       false,
       A(156) + b16},
      {"[IM], popup to 185", {{kIdcUrl, A(156) + "[IM]"}, {kIdcPopup, A(11)}}, kUrlLimit},
      // Mail: To 4, title 162 with [IM] -> 178; one more byte -> 179.
      {"title [IM] to 178", {{kIdcMailTitle, A(158) + "[IM]"}}, "", true},
      {"title [IM] to 179", {{kIdcMailTitle, A(159) + "[IM]"}}, kMailLimit, true},
      // Mail: URL 40, To 4 and body 166 with [IM] -> 210; one more URL byte -> 211.
      {"body [IM] to 210", {{kIdcUrl, A(40)}, {kIdcMailBody, A(150) + "[IM]"}}, "", true},
      {"body [IM] to 211",
       {{kIdcUrl, A(41)}, {kIdcMailBody, A(150) + "[IM]"}},
       "最大210文字",
       true},
      // The keyword itself across the entry's limit: only "[IM" is left, no blanks.
      {"[IM] across 239", {{kIdcUrl, A(236) + "[IM]"}}, kUrlLimit},
      {"[IM] at the start", {{kIdcUrl, "[IM]abc"}}, "", false, b16 + "abc"},
      {"[CI] at the end", {{kIdcUrl, "abc[CI]"}}, "", false, "abc1234"},
      {"keywords in To", {{kIdcMailTo, "[IM][CI]"}}, "", true},
      {"empty URL", {{kIdcUrl, ""}}, "空のURL情報やメールToアドレスは設定できません"},
      // "ー" is 81 5B: its trail byte is no "[".
      {"ー before IM]", {{kIdcUrl, "aーIM]"}}, "", false, "a\x81\x5BIM]"},
      {"ー before CI]", {{kIdcUrl, "ーCI][CI]"}}, "", false, "\x81\x5B" "CI]1234"},
      {"ー before IM] then [IM]", {{kIdcUrl, "ーIM][IM]"}}, "", false, "\x81\x5BIM]" + b16},
  };
  table.insert(table.end(), keywords.begin(), keywords.end());
  for (const char* typed : {"XYZ", "123456789", "１２３", "-", " ", "#12", "10000", "-1"})
    table.push_back({std::string("typed ") + typed, {}, kBadNumber, false, {}, typed});
  // Lists whose field holds none of their items.
  for (const auto& list : kLists)
    table.push_back({std::string("no item in ") + list.option, {},
                     std::string("「") + list.label + "」に一覧にない値", false, {}, {},
                     {{list.id, -1}}});
  return table;
}

std::map<int, std::string> TextsOf(const Case& c) {
  std::map<int, std::string> texts{{kIdcUrl, "abc"}};
  if (c.mail) texts[kIdcMailTo] = "to@x";
  for (const auto& [id, text] : c.texts) texts[id] = text;
  return texts;
}

// The write command on the in-process writer; the card it leaves, or nullopt
// when nothing was written.
std::optional<ContentImage> WriteThroughWindow(const Case& c, std::vector<ShownMessage>& shown) {
  sim::VirtualClock clock;
  sim::LoopbackPlatform platform(clock);
  sim::WriterModel writer;
  platform.AttachWriter(1, writer);
  HeadlessWindow window;
  window.SetDefaultAnswer(kIdOk);
  CardOperations ops(platform, window, clock);
  ops.ConnectWriter();
  FillSettingsLists(window);
  for (const auto& [id, text] : TextsOf(c)) window.SetControlText(id, text);
  for (const auto& [id, position] : c.lists) window.SelectListItem(id, position);
  ops.contentSettings().mailEnabled = c.mail ? 1 : 0;
  writer.ClearRequests();
  if (c.typed) window.SetControlText(kIdcServiceCid, *c.typed);
  c.typed ? ops.OnCreateWriteCard() : ops.OnWriteCard();
  shown = window.messages();
  const int writes = writer.CountRequests(sim::RequestKind::kBlockWrite);
  EXPECT_TRUE(writes == 0 || writes == 64) << writes;
  if (writes == 0) return std::nullopt;
  return writer.slot().memory;
}

// The window writes the card or refuses saying why; the command line composes
// the very same image, or refuses on stderr with a failing status.
TEST(BadInput, EveryEntryEndsInAnImageOrAMessage) {
  const std::vector<Case> table = AllCases();
  for (const Case& c : table) {
    SCOPED_TRACE(c.name);
    std::vector<ShownMessage> shown;
    const std::optional<ContentImage> card = WriteThroughWindow(c, shown);
    const std::string first = shown.empty() ? "no message" : shown[0].text;
    if (c.told.empty()) {
      ASSERT_TRUE(card.has_value()) << first;
      EXPECT_TRUE(shown.empty());
      const std::string url = c.url.value_or(EncodeCp932(TextsOf(c).at(kIdcUrl)).value_or("?"));
      EXPECT_EQ(std::string(card->begin() + 24, card->begin() + 24 + (*card)[22]), url);
      EXPECT_EQ((*card)[249], c.byte249);
      EXPECT_EQ((*card)[254], c.byte254);
    } else {
      EXPECT_FALSE(card.has_value());
      EXPECT_TRUE(std::ranges::any_of(shown, [&](const ShownMessage& m) {
        return m.text.find(c.told) != std::string::npos;
      })) << first;
    }
#ifdef MORVIK_CARD
    std::vector<std::string> args{MORVIK_CARD, "image", "--format=raw", "--cid", "1234", "--yes"};
    if (c.mail) args.push_back("--mail");
    for (const auto& [id, text] : TextsOf(c))
      for (const auto& e : kEntries)
        if (e.id == id) args.insert(args.end(), {e.option, text});
    for (const auto& list : kLists)
      if (c.lists.contains(list.id)) args.insert(args.end(), {list.option, "255"});
    if (c.typed) args.insert(args.end(), {"--service-cid", *c.typed});
    const test::CommandResult result = test::RunCommand(args);
    const bool mailTexts = std::ranges::any_of(TextsOf(c), [](const auto& entry) {
      return entry.first != kIdcUrl && entry.first != kIdcPopup;
    });
    if (!c.mail && mailTexts) {
      // The tool refuses mail texts that would not reach the card.
      EXPECT_EQ(result.status, 2);
      EXPECT_NE(result.err.find("needs --mail"), std::string::npos) << result.err;
    } else if (c.told.empty()) {
      EXPECT_EQ(result.status, 0) << result.err;
      EXPECT_EQ(result.out, std::string(card->begin(), card->end()));
    } else {
      EXPECT_EQ(result.status, 2);
      EXPECT_EQ(result.out, "");
      const std::string told = c.lists.empty() ? c.told : "a list position 0-3";
      EXPECT_NE(result.err.find(told), std::string::npos) << result.err;
    }
#endif
  }
  std::printf("bad input: %zu cases\n", table.size());
}

}  // namespace
}  // namespace morvik
