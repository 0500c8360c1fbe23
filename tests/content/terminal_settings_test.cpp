// The settings lists, the capture of the window's entries, and the packing
// of the settings into image bytes 249 and 254.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "content/terminal_settings.h"
#include "window/control_ids.h"
#include "window/headless_window.h"

namespace morvik {
namespace {

TEST(TerminalSettings, ListsOpenOnTheirDefaultsWithReleaseTimeDisabled) {
  HeadlessWindow window;
  FillSettingsLists(window);
  const std::pair<int, int> defaults[] = {{1011, 3}, {1017, 0}, {1014, 3},
                                          {1018, 0}, {1019, 0}, {1024, 0}};
  for (const auto& [id, selected] : defaults) {
    EXPECT_EQ(window.control(id).items.size(), 4u) << id;
    EXPECT_EQ(window.GetListSelection(id), selected) << id;
  }
  EXPECT_EQ(window.control(kIdcModeList).items,
            (std::vector<std::string>{"ノーマル", "フル", "2秒置き", "5秒置き"}));
  EXPECT_FALSE(window.control(kIdcReleaseTimeList).enabled);
  EXPECT_TRUE(window.control(kIdcAutoOffTimeList).enabled);

  // Only the interval modes use the release time.
  // A mode list without a selection (-1) is neither of the two others.
  const std::pair<int, bool> modes[] = {{1, false}, {2, true}, {3, true}, {0, false}, {-1, true}};
  for (const auto& [mode, enabled] : modes) {
    window.SelectListItem(kIdcModeList, mode);
    OnModeChanged(window);
    EXPECT_EQ(window.control(kIdcReleaseTimeList).enabled, enabled) << mode;
  }
}

TEST(TerminalSettings, PackingKeepsTheLowBitsOfEachIndex) {
  const struct { std::uint8_t a, b, c, power, display; } cases[] = {
      // powerMode/soundType, releaseTime/volume, autoOffTime/ledPattern
      {0, 0, 0, 0x00, 0x00}, {0, 3, 3, 0x1B, 0x3C}, {3, 2, 3, 0x73, 0xEC},
      {1, 3, 0, 0x38, 0x70}, {0xFF, 0, 0, 0xE0, 0xC0}, {0, 0xFF, 0xFF, 0x1B, 0x3C},
  };
  for (const auto& c : cases) {
    const TerminalChoices power{.powerMode = c.a, .releaseTime = c.b, .autoOffTime = c.c};
    const TerminalChoices display{.volume = c.b, .soundType = c.a, .ledPattern = c.c};
    EXPECT_EQ(PackSettingsByte(power, 249), c.power);
    EXPECT_EQ(PackSettingsByte(display, 254), c.display);
  }
}

void TypeExampleEntries(HeadlessWindow& window) {
  FillSettingsLists(window);
  window.SetControlText(kIdcUrl, "abc");
  window.SetControlText(kIdcPopup, "xy");
  window.SetControlText(kIdcMailTo, "t");
  window.SetControlText(kIdcMailTitle, "T");
  window.SetControlText(kIdcMailBody, "B");
}

TEST(TerminalSettings, CaptureReadsEntriesListsAndInitCard) {
  HeadlessWindow window;
  TypeExampleEntries(window);
  window.SelectListItem(kIdcReleaseTimeList, 3);  // "10分", then mode "フル"
  window.SelectListItem(kIdcModeList, 1);
  OnModeChanged(window);
  window.SelectListItem(kIdcLedPatternList, -1);  // typed into the field: one of its items
  window.SetControlText(kIdcLedPatternList, "2");
  window.SetControlText(kIdcPopup, std::string(250, 'p'));

  ContentSettings settings;
  settings.mailEnabled = 1;  // left to the mail check box
  settings.urlHasIdm = 1;    // left to the keyword step
  ASSERT_TRUE(CaptureContentSettings(window, settings, 0));
  EXPECT_EQ(settings.url + "|" + settings.mailTo + settings.mailCc + settings.mailTitle +
                settings.mailBody, "abc|tTB");
  EXPECT_EQ(settings.popup, std::string(239, 'p'));
  EXPECT_EQ(settings.mailEnabled + settings.urlHasIdm, 2);
  EXPECT_EQ(std::vector<int>({settings.volume, settings.soundType, settings.ledPattern,
                              settings.powerMode, settings.releaseTime, settings.autoOffTime}),
            std::vector<int>({3, 0, 2, 1, 3, 0}));

  const struct { int check; std::int32_t serviceCid; int initCard; } cases[] = {
      {0, 0, 0}, {1, 0, 1}, {0, 0x1234, 1}, {1, -1, 1}};
  for (const auto& c : cases) {
    window.SetCheck(kIdcInitCardCheck, c.check);
    ASSERT_TRUE(CaptureContentSettings(window, settings, c.serviceCid));
    EXPECT_EQ(settings.initCard, c.initCard);
  }
}

// A text the card will carry with a character it cannot hold, or a list
// field holding none of its items, stops the capture with a message naming
// it; the mail entries count only in mail mode. With a second wrong control,
// the message is about the one read first: the entries, then the lists in the
// order 1011, 1017, 1014, 1018, 1019, 1024.
TEST(TerminalSettings, RefusalsNameTheEntryOrListAndCaptureNothing) {
  const struct {
    int control;
    const char* typed;
    int mail;
    const char* message;  // nullptr: captured
    int alsoWrong = 0;    // a second control holding "😀"
  } cases[] = {
      {kIdcUrl, "ab😀", 0, "「ＵＲＬ情報」の3文字目「😀」はICカードに書き込めない文字です。"},
      {kIdcPopup, "〜", 0, "「ポップアップ」の1文字目「〜」はICカードに書き込めない文字です。"},
      {kIdcMailTo, "😀", 1, "「Ｔｏ」の1文字目「😀」はICカードに書き込めない文字です。"},
      {kIdcMailCc, "😀", 1, "「ｃｃ」の1文字目「😀」はICカードに書き込めない文字です。"},
      {kIdcMailTitle, "T😀", 1, "「タイトル」の2文字目「😀」はICカードに書き込めない文字です。"},
      {kIdcMailBody, "😀", 1, "「本文」の1文字目「😀」はICカードに書き込めない文字です。"},
      {kIdcMailTo, "😀", 0, nullptr}, {kIdcMailCc, "😀", 0, nullptr},
      {kIdcMailTitle, "😀", 0, nullptr}, {kIdcMailBody, "😀", 0, nullptr},
      {kIdcUrl, "¥", 0, nullptr},  // Windows writes 5C for it
      {kIdcVolumeList, "大きい", 0, "「音量」に一覧にない値が入力されています。一覧から選んでください"},
      {kIdcAutoOffTimeList, "", 0, "「自動オフ時間」に一覧にない値が入力されています。一覧から選んでください"},
      {kIdcVolumeList, "大きい", 0, "「ＵＲＬ情報」の1文字目", kIdcUrl},
      {kIdcAutoOffTimeList, "", 0, "「省電力一時解除時間」に一覧にない値", kIdcReleaseTimeList},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.typed);
    HeadlessWindow window;
    TypeExampleEntries(window);
    window.SelectListItem(c.control, -1);
    window.SetControlText(c.control, c.typed);
    if (c.alsoWrong != 0) {
      window.SelectListItem(c.alsoWrong, -1);
      window.SetControlText(c.alsoWrong, "😀");
    }
    ContentSettings settings;
    settings.url = "before";
    settings.mailEnabled = c.mail;
    EXPECT_EQ(CaptureContentSettings(window, settings, 0), c.message == nullptr);
    if (c.message == nullptr) {
      EXPECT_TRUE(window.messages().empty());
      continue;
    }
    EXPECT_EQ(settings.url, "before");
    ASSERT_EQ(window.messages().size(), 1u);
    EXPECT_TRUE(window.messages()[0].text.starts_with(c.message)) << window.messages()[0].text;
    EXPECT_EQ(window.messages()[0].caption, "Error");
    EXPECT_EQ(window.messages()[0].type, 0x10u);
  }
}

}  // namespace
}  // namespace morvik
