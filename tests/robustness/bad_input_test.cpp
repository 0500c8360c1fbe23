// Entries an operator should not type, through the window's write command on
// the in-process writer and through `morvik-card image`: characters the card
// cannot hold, texts whose last character straddles the entry's byte limit,
// keywords whose blanks cross a length limit, unreadable service numbers,
// lists without a selection. Every one ends in an image that carries the text
// as typed, or in a message that says what is wrong; nothing is cut or
// replaced without a word.
#include <gtest/gtest.h>

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

constexpr char kEmpty[] = "空のURL情報やメールToアドレスは設定できません";
constexpr char kPopupLimit[] = "ポップアップの長さは最大40文字";
constexpr char kUrlLimit[] = "最大184文字";
constexpr char kMailLimit[] = "最大178文字";
constexpr char kTotalLimit[] = "最大210文字";
constexpr char kBadNumber[] = "入力された番号を16進数として読み取れません";
constexpr char kCliBadNumber[] = "--service-cid is not a hexadecimal number";

struct Case {
  std::string name;
  std::map<int, std::string> texts;  // UTF-8, by control; the URL is "abc" unless given
  bool mail = false;                 // mail mode; To is "to@x" unless given
  std::optional<std::string> typed;  // the number typed for a CID card
  std::map<int, int> lists;          // list selections other than the defaults
  std::string told;                  // empty: an image is expected
  std::optional<std::string> url;    // the URL bytes the card carries, when not the entry's
  int byte249 = 0x00, byte254 = 0x3C;
  bool viaCli = true;
  std::string cliTold;  // when the command line words the refusal its own way
};

struct Entry {
  int id;
  const char* label;
  const char* option;
};
const Entry kEntries[] = {
    {kIdcUrl, "ＵＲＬ情報", "--url"},       {kIdcPopup, "ポップアップ", "--popup"},
    {kIdcMailTo, "Ｔｏ", "--to"},           {kIdcMailCc, "ｃｃ", "--cc"},
    {kIdcMailTitle, "タイトル", "--title"}, {kIdcMailBody, "本文", "--body"},
};
const std::map<int, const char*> kListOptions{
    {kIdcVolumeList, "--volume"},       {kIdcSoundTypeList, "--sound"},
    {kIdcLedPatternList, "--led"},      {kIdcModeList, "--mode"},
    {kIdcReleaseTimeList, "--release"}, {kIdcAutoOffTimeList, "--autooff"},
};

std::string A(std::size_t n) { return std::string(n, 'a'); }

// A case with the given entries; `told` empty when an image is expected.
Case Make(std::string name, std::map<int, std::string> texts, std::string told, bool mail = false) {
  Case c;
  c.name = std::move(name);
  c.texts = std::move(texts);
  c.told = std::move(told);
  c.mail = mail;
  return c;
}

Case WithUrl(Case c, std::string url) {
  c.url = std::move(url);
  return c;
}

void AddUnencodable(std::vector<Case>& table) {
  // An emoji, é, the wave dash and minus sign Windows does not map, an
  // invisible leading U+FEFF, and UTF-8 cut inside a character.
  for (const char* bad : {"x😀", "é", "〜", "−", "\xEF\xBB\xBFx", "x\xC3"}) {
    for (const Entry& entry : kEntries) {
      table.push_back(Make(std::string("unencodable in ") + entry.option, {{entry.id, bad}},
                           std::string("「") + entry.label + "」にICカードに書き込めない文字"));
    }
  }
}

// 236 to 239 ASCII bytes and a double-byte character: 238 to 241 bytes, the
// character across the 239-byte limit for the last two.
void AddCutTexts(std::vector<Case>& table) {
  for (std::size_t n = 236; n <= 239; ++n) {
    const std::string text = A(n) + "あ";
    const std::string size = std::to_string(n + 2) + " bytes in ";
    table.push_back(Make(size + "--url", {{kIdcUrl, text}}, kUrlLimit));
    table.push_back(Make(size + "--popup", {{kIdcPopup, text}}, kPopupLimit));
    for (const Entry& entry : kEntries) {
      if (entry.id == kIdcUrl || entry.id == kIdcPopup) continue;
      table.push_back(Make(size + entry.option, {{entry.id, text}}, kMailLimit, true));
    }
  }
}

void AddKeywords(std::vector<Case>& table) {
  const std::string blanks16(16, ' '), blanks20(20, ' ');
  const std::string u168 = "http://" + A(161);  // with a keyword: 172 bytes
  table.push_back(WithUrl(Make("[IM] to 184", {{kIdcUrl, u168 + "[IM]"}}, ""), u168 + blanks16));
  table.push_back(Make("[IM] to 185", {{kIdcUrl, u168 + "a[IM]"}}, kUrlLimit));
  table.push_back(
      WithUrl(Make("[IM][CT] to 184", {{kIdcUrl, A(164) + "[IM][CT]"}}, ""), A(164) + blanks20));
  table.push_back(Make("[IM][CT] to 185", {{kIdcUrl, A(165) + "[IM][CT]"}}, kUrlLimit));
  // Non-mail: URL and popup (with CR LF) share 184 bytes.
  table.push_back(
      WithUrl(Make("[IM] with popup to 184", {{kIdcUrl, A(156) + "[IM]"}, {kIdcPopup, A(10)}}, ""),
              A(156) + blanks16));
  table.push_back(
      Make("[IM] with popup to 185", {{kIdcUrl, A(156) + "[IM]"}, {kIdcPopup, A(11)}}, kUrlLimit));
  // Mail: To 4, title 162 with [IM] -> 178; one more byte -> 179.
  table.push_back(Make("title [IM] to 178", {{kIdcMailTitle, A(158) + "[IM]"}}, "", true));
  table.push_back(Make("title [IM] to 179", {{kIdcMailTitle, A(159) + "[IM]"}}, kMailLimit, true));
  // Mail: URL 40, To 4 and body 166 with [IM] -> 210; one more URL byte -> 211.
  table.push_back(
      Make("body [IM] to 210", {{kIdcUrl, A(40)}, {kIdcMailBody, A(150) + "[IM]"}}, "", true));
  table.push_back(Make("body [IM] to 211", {{kIdcUrl, A(41)}, {kIdcMailBody, A(150) + "[IM]"}},
                       kTotalLimit, true));
  // The keyword itself across the entry's limit: only "[IM" is left, no blanks.
  table.push_back(Make("[IM] across 239", {{kIdcUrl, A(236) + "[IM]"}}, kUrlLimit));
  table.push_back(WithUrl(Make("[IM] at the start", {{kIdcUrl, "[IM]abc"}}, ""), blanks16 + "abc"));
  table.push_back(WithUrl(Make("[CI] at the end", {{kIdcUrl, "abc[CI]"}}, ""), "abc1234"));
  table.push_back(Make("keywords in To", {{kIdcMailTo, "[IM][CI]"}}, "", true));
  table.push_back(Make("empty URL", {{kIdcUrl, ""}}, kEmpty));
}

void AddTypedNumbers(std::vector<Case>& table) {
  for (const char* typed : {"XYZ", "123456789", "１２３", "-", " ", "#12"}) {
    Case c = Make(std::string("typed ") + typed, {}, kBadNumber);
    c.typed = typed;
    c.cliTold = kCliBadNumber;
    table.push_back(c);
  }
  // The window reads the edit as code page 932 first; the command line has
  // no such step, so this one runs through the window only.
  Case emoji = Make("typed with emoji", {}, kBadNumber);
  emoji.typed = "1A2B😀";
  emoji.viaCli = false;
  table.push_back(emoji);
}

void AddListsWithoutSelection(std::vector<Case>& table) {
  const struct {
    int id;
    int byte249, byte254;
  } lists[] = {{kIdcVolumeList, 0x00, 0x3C},      {kIdcSoundTypeList, 0x00, 0xFC},
               {kIdcLedPatternList, 0x00, 0x3C},  {kIdcModeList, 0xE0, 0x3C},
               {kIdcReleaseTimeList, 0x18, 0x3C}, {kIdcAutoOffTimeList, 0x03, 0x3C}};
  Case all = Make("no selection anywhere", {}, "");
  all.byte249 = 0xFB;
  all.byte254 = 0xFC;
  for (const auto& list : lists) {
    Case c = Make(std::string("no selection ") + kListOptions.at(list.id), {}, "");
    c.lists[list.id] = -1;
    c.byte249 = list.byte249;
    c.byte254 = list.byte254;
    table.push_back(c);
    all.lists[list.id] = -1;
  }
  table.push_back(all);
}

std::vector<Case> AllCases() {
  std::vector<Case> table;
  AddUnencodable(table);
  AddCutTexts(table);
  AddKeywords(table);
  AddTypedNumbers(table);
  AddListsWithoutSelection(table);
  return table;
}

std::map<int, std::string> TextsOf(const Case& c) {
  std::map<int, std::string> texts{{kIdcUrl, "abc"}};
  if (c.mail) texts[kIdcMailTo] = "to@x";
  for (const auto& [id, text] : c.texts) texts[id] = text;
  return texts;
}

// The URL the card must carry: the entry as code page 932 unless the case says.
std::string ExpectedUrl(const Case& c) {
  return c.url.value_or(EncodeCp932(TextsOf(c).at(kIdcUrl)).value_or("?"));
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
  if (c.typed) {
    window.SetControlText(kIdcServiceCid, *c.typed);
    ops.OnCreateWriteCard();
  } else {
    ops.OnWriteCard();
  }
  shown = window.messages();
  const int writes = writer.CountRequests(sim::RequestKind::kBlockWrite);
  EXPECT_TRUE(writes == 0 || writes == 64) << writes;
  if (writes == 0) return std::nullopt;
  return writer.slot().memory;
}

bool Mentions(const std::vector<ShownMessage>& shown, const std::string& part) {
  for (const ShownMessage& m : shown) {
    if (m.text.find(part) != std::string::npos) return true;
  }
  return false;
}

TEST(BadInput, EveryEntryEndsInAnImageOrAMessageThroughTheWindow) {
  for (const Case& c : AllCases()) {
    SCOPED_TRACE(c.name);
    std::vector<ShownMessage> shown;
    const std::optional<ContentImage> card = WriteThroughWindow(c, shown);
    if (!c.told.empty()) {
      EXPECT_FALSE(card.has_value());
      EXPECT_TRUE(Mentions(shown, c.told)) << (shown.empty() ? "no message" : shown[0].text);
      continue;
    }
    ASSERT_TRUE(card.has_value()) << (shown.empty() ? "no message" : shown[0].text);
    EXPECT_TRUE(shown.empty());
    const std::string url = ExpectedUrl(c);
    EXPECT_EQ((*card)[22], url.size());
    EXPECT_EQ(std::string(card->begin() + 24, card->begin() + 24 + (*card)[22]), url);
    EXPECT_EQ((*card)[249], c.byte249);
    EXPECT_EQ((*card)[254], c.byte254);
  }
}

#ifdef MORVIK_CARD

std::vector<std::string> ImageCommand(const Case& c) {
  std::vector<std::string> args{MORVIK_CARD, "image", "--raw", "--cid", "1234", "--yes"};
  if (c.mail) args.push_back("--mail");
  for (const auto& [id, text] : TextsOf(c)) {
    for (const Entry& entry : kEntries) {
      if (entry.id == id) args.insert(args.end(), {entry.option, text});
    }
  }
  for (const auto& [id, position] : c.lists) {
    args.insert(args.end(), {kListOptions.at(id), position < 0 ? "255" : std::to_string(position)});
  }
  if (c.typed) args.insert(args.end(), {"--service-cid", *c.typed});
  return args;
}

// The command line composes the very image the window writes, or refuses
// with the same words, on stderr and with a failing status.
TEST(BadInput, TheImageCommandAgreesWithTheWindow) {
  for (const Case& c : AllCases()) {
    if (!c.viaCli) continue;
    SCOPED_TRACE(c.name);
    const test::CommandResult result = test::RunCommand(ImageCommand(c));
    if (!c.told.empty()) {
      EXPECT_NE(result.status, 0);
      EXPECT_EQ(result.out, "");
      const std::string& told = c.cliTold.empty() ? c.told : c.cliTold;
      EXPECT_NE(result.err.find(told), std::string::npos) << result.err;
      continue;
    }
    std::vector<ShownMessage> shown;
    const std::optional<ContentImage> card = WriteThroughWindow(c, shown);
    ASSERT_EQ(result.status, 0) << result.err;
    ASSERT_TRUE(card.has_value());
    EXPECT_EQ(result.out, std::string(card->begin(), card->end()));
  }
}

#endif

}  // namespace
}  // namespace morvik
