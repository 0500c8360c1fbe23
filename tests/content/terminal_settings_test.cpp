// The settings lists, the capture of the window's entries, and the packing
// of the settings into image bytes 249 and 254.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "content/content_image.h"
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
  const std::pair<int, bool> modes[] = {{1, false}, {2, true}, {3, true}, {0, false}};
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
    EXPECT_EQ(PackPowerSettings(c.a, c.b, c.c), c.power);
    EXPECT_EQ(PackDisplaySettings(c.a, c.b, c.c), c.display);
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
  window.SelectListItem(kIdcLedPatternList, -1);
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
            std::vector<int>({3, 0, 0xFF, 1, 3, 0}));

  const struct { int check; std::int32_t serviceCid; int initCard; } cases[] = {
      {0, 0, 0}, {1, 0, 1}, {0, 0x1234, 1}, {1, -1, 1}};
  for (const auto& c : cases) {
    window.SetCheck(kIdcInitCardCheck, c.check);
    ASSERT_TRUE(CaptureContentSettings(window, settings, c.serviceCid));
    EXPECT_EQ(settings.initCard, c.initCard);
  }
}

TEST(TerminalSettings, CapturedMailExampleBuildsTheExpectedTrailer) {
  HeadlessWindow window;
  TypeExampleEntries(window);
  window.SelectListItem(kIdcReleaseTimeList, 3);
  window.SelectListItem(kIdcModeList, 1);
  ContentSettings settings;
  ResetContentSettings(settings);
  settings.mailEnabled = 1;
  ASSERT_TRUE(CaptureContentSettings(window, settings, 0));
  ContentImage image{};
  ASSERT_TRUE(BuildContentImage(window, settings, {{0x12, 0x34}, 0, 0}, image));
  EXPECT_EQ(image[248], 0x5E);
  EXPECT_EQ(image[249], 0x38);  // "フル", release time "10分" kept while disabled
  EXPECT_EQ(image[254], 0x3C);
}

TEST(TerminalSettings, UnencodableEntryIsNamedAndNothingIsCaptured) {
  const struct { int control; const char* label; } entries[] = {
      {kIdcUrl, "ＵＲＬ情報"}, {kIdcPopup, "ポップアップ"}, {kIdcMailTo, "Ｔｏ"},
      {kIdcMailCc, "ｃｃ"},    {kIdcMailTitle, "タイトル"}, {kIdcMailBody, "本文"}};
  for (const auto& entry : entries) {
    HeadlessWindow window;
    TypeExampleEntries(window);
    window.SetControlText(kIdcMailBody, "😀");  // a later bad entry is not reported
    window.SetControlText(entry.control, "café");
    ContentSettings settings;
    settings.url = "before";
    EXPECT_FALSE(CaptureContentSettings(window, settings, 0));
    EXPECT_EQ(settings.url, "before");
    ASSERT_EQ(window.messages().size(), 1u);
    EXPECT_EQ(window.messages()[0].text,
              std::string("「") + entry.label +
                  "」にICカードに書き込めない文字が含まれています。"
                  "この文字を削除するか、別の文字に置き換えてください");
    EXPECT_EQ(window.messages()[0].caption, "Error");
    EXPECT_EQ(window.messages()[0].type, 0x10u);
  }
}

}  // namespace
}  // namespace morvik
