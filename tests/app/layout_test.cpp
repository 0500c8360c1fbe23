// The window templates against the window as it must look: every item's
// identifier, kind, text and state, representative places, the menu, the About
// box; and the conversion of dialog units to pixels.
#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "app/layout/app_icon.h"
#include "app/layout/dialog_units.h"
#include "app/layout/resources.h"
#include "window/control_ids.h"

namespace morvik {
namespace {

enum Shown { kOn, kOff, kHiddenOff };  // enabled; shown but disabled; hidden and disabled
constexpr int S = kIdcStatic;
using enum ItemKind;

struct Expected {
  int id;
  ItemKind kind;
  const char* text;
  Shown state;
};

// Every item in template order: identifier, kind, text and state at creation.
const Expected kItems[] = {
    {1001, kEdit, "", kOn}, {1007, kEdit, "", kOn},
    {1016, kCheckBox, "メール送信（au, Softbank携帯が対象です。ドコモ携帯では、上記URLが送信されます。）", kOn},
    {S, kGroupBox, "", kOn}, {1002, kEdit, "", kOff}, {1003, kEdit, "", kOff},
    {1004, kEdit, "", kOff}, {1005, kEdit, "", kOff}, {1011, kComboBox, "", kOn},
    {1014, kComboBox, "", kOn}, {1000, kPushButton, "書き込み", kOn},  // 11
    {1, kPushButton, "終了", kOn}, {1017, kComboBox, "", kHiddenOff},
    {1015, kPushButton, "RIDez内容読み出し", kHiddenOff},
    {1009, kPushButton, "RIDez UID チェック", kHiddenOff},
    {1006, kCheckBox, "初期化カードの作成", kHiddenOff}, {S, kLabel, "ＵＲＬ情報：", kOn},  // 17
    {S, kLabel, "Ｔｏ：", kOn}, {S, kLabel, "ｃｃ：", kOn}, {S, kLabel, "タイトル：", kOn},
    {S, kLabel, "本文：", kOn}, {1010, kEdit, "", kHiddenOff},
    {1013, kMultiLineEdit, "", kHiddenOff},  // 23
    {S, kLabel, "キーワードリファレンス    [IM]:IDm  [CT]:カウンタ  [CI]:カスタマーID  [UI]:Morvik端末ID", kOn},
    {1012, kEdit, "", kOff}, {S, kLabel, "CUSTOMER ID", kOff}, {S, kLabel, "音設定", kHiddenOff},
    {S, kLabel, "音量", kOn}, {S, kLabel, "LED点灯パターン", kOn},  // 29
    {S, kLabel, "音種類", kHiddenOff}, {S, kLabel, "ポップアップ：", kOn},
    {S, kLabel, "au, Softbankでのみ表示されます", kOn},
    {S, kLabel, "使用したCIDを入力してください：", kHiddenOff}, {1020, kEdit, "", kHiddenOff},  // 34
    {S, kLabel, "使用開始後のMorvikを出荷時状態に戻すための特別IC Cardを作成します。", kHiddenOff},
    {1021, kPushButton, "書込作成", kHiddenOff}, {1022, kPushButton, "RIDezクリア", kHiddenOff},
    {1023, kPushButton, "読出作成", kHiddenOff}, {S, kLabel, "モード", kOn},  // 39
    {1018, kComboBox, "", kOn}, {S, kLabel, "省電力一時解除時間", kOn},
    {1019, kComboBox, "", kOn}, {1024, kComboBox, "", kOn},
    {1008, kCheckBox, "UID設定カードの作成", kHiddenOff},  // 44
    {S, kLabel, "UID設定カードの作成では開始UIDを入力", kHiddenOff},
    {S, kLabel, "自動オフ時間", kOn},
    {S, kLabel, "省電力一時解除時間は、モードが、2秒、5秒の時に有効です。", kOn},
    {S, kLabel, "携帯電話の検出後、この指定時間フルと同じ反応速度となります。", kOn},
    {S, kGroupBox, "表示機能", kOn}, {S, kGroupBox, "省電力機能", kOn},  // 50
};

TEST(MainWindowTemplate, EveryItemInOrderWithItsTextAndStateAndSomePlaces) {
  const auto items = MainWindowTemplate().items;
  ASSERT_EQ(items.size(), std::size(kItems));
  for (std::size_t i = 0; i < items.size(); ++i) {
    const Expected& expected = kItems[i];
    SCOPED_TRACE(testing::Message() << "order " << i + 1);
    EXPECT_EQ(items[i].id, expected.id);
    EXPECT_EQ(items[i].kind, expected.kind);
    EXPECT_EQ(items[i].text, expected.text);
    EXPECT_EQ(items[i].Has(kHidden), expected.state == kHiddenOff);
    EXPECT_EQ(items[i].Has(kDisabled), expected.state != kOn);
    EXPECT_EQ(items[i].Has(kTabStop), expected.id != S && expected.id != kIdcCustomerId);
    if (items[i].Has(kHidden)) {
      EXPECT_GE(items[i].rect.y, 310) << "below the shown window";
    }
  }
  const std::pair<int, DialogRect> places[] = {
      {1, {54, 31, 266, 16}},   {3, {10, 91, 270, 10}},    {4, {10, 103, 368, 95}},
      {9, {59, 224, 30, 70}},   {12, {323, 294, 43, 21}},  {23, {10, 321, 368, 17}},
      {24, {113, 200, 242, 9}}, {25, {346, 12, 32, 12}},   {50, {10, 252, 300, 61}}};
  for (const auto& [order, rect] : places) EXPECT_EQ(items[order - 1].rect, rect) << order;
}

TEST(MainWindowTemplate, WindowAndStylesOfTheKinds) {
  const DialogTemplate& window = MainWindowTemplate();
  EXPECT_EQ(window.title, "MOBILE Morvik IC Card Writer");
  EXPECT_EQ(window.width, 385);
  EXPECT_EQ(window.height, 365);
  EXPECT_EQ(window.fontName, "MS UI Gothic");
  EXPECT_EQ(window.pointSize, 8);
  for (const int raised : {kIdcExit, kIdcCheckUid}) EXPECT_TRUE(window.Find(raised)->Has(kRaisedBorder));
  for (const int readOnly : {kIdcUidDisplay, kIdcReport, kIdcCustomerId}) {
    EXPECT_TRUE(window.Find(readOnly)->Has(kReadOnly));
  }
  EXPECT_TRUE(window.Find(kIdcCustomerId)->Has(kNoBorder));
  EXPECT_TRUE(window.Find(kIdcReport)->Has(kVerticalScroll));
  for (const DialogItem& item : window.items) {
    if (item.kind == kComboBox) {
      EXPECT_TRUE(item.Has(kSorted)) << item.id;
    }
    if (item.kind == kPushButton) {
      EXPECT_FALSE(item.Has(kDefaultButton)) << item.id;
    }
  }
  // Right-aligned, vertically centred: the mail labels; left and centred: URL and popup.
  for (const int order : {18, 19, 20, 21}) {
    EXPECT_TRUE(window.items[order - 1].Has(kAlignRight | kCenterVertically)) << order;
  }
  for (const int order : {17, 31}) {
    EXPECT_FALSE(window.items[order - 1].Has(kAlignRight)) << order;
    EXPECT_TRUE(window.items[order - 1].Has(kCenterVertically)) << order;
  }
}

TEST(MainMenu, FileAndHelpInOrderAndNoConnectCommand) {
  const MenuTemplate& menu = MainMenu();
  EXPECT_EQ(MainWindowTemplate().menu, &menu);
  EXPECT_EQ(menu.resourceId, 131);
  ASSERT_EQ(menu.popups.size(), 2u);
  EXPECT_EQ(menu.popups[0].text, "ファイル");
  ASSERT_EQ(menu.popups[0].items.size(), 2u);
  EXPECT_TRUE(menu.popups[0].items[0].IsSeparator());
  EXPECT_EQ(menu.popups[0].items[1].text, "終了");
  EXPECT_EQ(menu.popups[0].items[1].command, 1);
  EXPECT_FALSE(menu.popups[0].items[1].greyed);
  EXPECT_EQ(menu.popups[1].text, "ヘルプ");
  ASSERT_EQ(menu.popups[1].items.size(), 2u);
  EXPECT_EQ(menu.popups[1].items[0].text, "ヘルプ");
  EXPECT_EQ(menu.popups[1].items[0].command, 57670);
  EXPECT_TRUE(menu.popups[1].items[0].greyed);
  EXPECT_EQ(menu.popups[1].items[1].text, "バージョン情報");
  EXPECT_EQ(menu.popups[1].items[1].command, 32776);
  EXPECT_FALSE(menu.popups[1].items[1].greyed);
  EXPECT_EQ(MainWindowTemplate().Find(kIdmConnect), nullptr);
}

TEST(AboutBoxTemplate, ItemsInOrderAndTheSystemMenuString) {
  const DialogTemplate& about = AboutBoxTemplate();
  EXPECT_EQ(about.resourceId, 100);
  EXPECT_EQ(about.title, "MOBILE Morvik IC Card Writerについて");
  EXPECT_EQ(about.width, 267);
  EXPECT_EQ(about.height, 64);
  EXPECT_EQ(about.fontName, "MS Sans Serif");
  ASSERT_EQ(about.items.size(), 4u);
  EXPECT_EQ(about.items[0].kind, ItemKind::kIcon);
  EXPECT_EQ(about.items[0].iconResource, kIdrMainIcon);
  EXPECT_EQ((DialogRect{about.items[0].rect.x, about.items[0].rect.y}), (DialogRect{11, 19}));
  EXPECT_TRUE(about.items[1].text.ends_with("Version 2.11"));
  EXPECT_NE(about.items[1].text.find("®"), std::string_view::npos);
  EXPECT_TRUE(about.items[1].Has(kNoPrefix | kGroupStart));
  EXPECT_EQ(about.items[1].rect, (DialogRect{40, 20, 212, 8}));
  EXPECT_FALSE(about.items[2].text.empty());
  EXPECT_EQ(about.items[2].rect, (DialogRect{40, 33, 119, 8}));
  EXPECT_EQ(about.items[3].id, 1);
  EXPECT_EQ(about.items[3].text, "OK");
  EXPECT_EQ(about.items[3].rect, (DialogRect{210, 33, 50, 14}));
  EXPECT_TRUE(about.items[3].Has(kDefaultButton | kTabStop | kGroupStart));
  EXPECT_EQ(LoadStringResource(101), "&About Morvik...");
  EXPECT_EQ(LoadStringResource(102), "");
}

struct MulDivCase {
  int number, numerator, denominator, expected;
};

class MulDivTest : public testing::TestWithParam<MulDivCase> {};

TEST_P(MulDivTest, RoundsHalfAwayFromZero) {
  const MulDivCase c = GetParam();
  EXPECT_EQ(MulDiv(c.number, c.numerator, c.denominator), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, MulDivTest,
                         testing::ValuesIn(std::vector<MulDivCase>{
                             {385, 6, 4, 578}, {1, 6, 4, 2}, {3, 5, 4, 4}, {365, 13, 8, 593},
                             {-3, 5, 4, -4}, {7, 1, 0, -1}, {8, 96, 72, 11}}));

TEST(DialogUnits, BaseUnitsAndPixelsAsWindowsComputesThem) {
  // 52 letters 286 pixels wide: average 5.5, rounded up to 6.
  const DialogBaseUnits base = BaseUnitsFromFont(286, 13);
  EXPECT_EQ(base.x, 6);
  EXPECT_EQ(base.y, 13);
  EXPECT_EQ(BaseUnitsFromFont(259, 11).x, 5);
  EXPECT_EQ(ToPixels({54, 31, 266, 16}, base), (PixelRect{81, 50, 399, 26}));
}

TEST(AppIcon, TwoSizesInSixteenColoursWithATransparentBorder) {
  for (const int size : {32, 16}) {
    const IconImage icon = DrawAppIcon(size);
    ASSERT_EQ(icon.pixels.size(), static_cast<std::size_t>(size * size));
    std::set<int> colours(icon.pixels.begin(), icon.pixels.end());
    EXPECT_TRUE(colours.contains(kTransparent)) << size;
    EXPECT_GE(colours.size(), 4u) << size;
    for (const int colour : colours) EXPECT_TRUE(colour >= kTransparent && colour < 16) << size;
    EXPECT_EQ(icon.At(0, 0), kTransparent) << size;
    EXPECT_EQ(icon.At(size - 1, size - 1), kTransparent) << size;
  }
}

}  // namespace
}  // namespace morvik
