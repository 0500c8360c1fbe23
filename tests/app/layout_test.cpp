// The window templates against the window as it must look: every control's
// place, text and state, the labels, the menu, the About box; and the
// conversion of dialog units to pixels.
#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "app/layout/app_icon.h"
#include "app/layout/dialog_units.h"
#include "app/layout/resources.h"
#include "window/control_ids.h"

namespace morvik {
namespace {

enum Shown { kShownOn, kShownOff, kHiddenOff_ };

struct ExpectedControl {
  int order;
  int id;
  ItemKind kind;
  const char* text;
  DialogRect rect;
  Shown state;
  bool tabStop;
};

using enum ItemKind;

// Template order, identifiers, texts, places and states at creation.
const ExpectedControl kControls[] = {
    {1, 1001, kEdit, "", {54, 31, 266, 16}, kShownOn, true},
    {2, 1007, kEdit, "", {55, 60, 169, 16}, kShownOn, true},
    {3, 1016, kCheckBox,
     "メール送信（au, Softbank携帯が対象です。ドコモ携帯では、上記URLが送信されます。）",
     {10, 91, 270, 10}, kShownOn, true},
    {5, 1002, kEdit, "", {45, 115, 138, 16}, kShownOff, true},
    {6, 1003, kEdit, "", {214, 115, 138, 16}, kShownOff, true},
    {7, 1004, kEdit, "", {45, 140, 320, 16}, kShownOff, true},
    {8, 1005, kEdit, "", {45, 162, 320, 27}, kShownOff, true},
    {9, 1011, kComboBox, "", {59, 224, 30, 70}, kShownOn, true},
    {10, 1014, kComboBox, "", {165, 224, 38, 70}, kShownOn, true},
    {11, 1000, kPushButton, "書き込み", {325, 31, 37, 16}, kShownOn, true},
    {12, 1, kPushButton, "終了", {323, 294, 43, 21}, kShownOn, true},
    {13, 1017, kComboBox, "", {155, 324, 36, 70}, kHiddenOff_, true},
    {14, 1015, kPushButton, "RIDez内容読み出し", {17, 310, 82, 19}, kHiddenOff_, true},
    {15, 1009, kPushButton, "RIDez UID チェック", {204, 330, 70, 21}, kHiddenOff_, true},
    {16, 1006, kCheckBox, "初期化カードの作成", {218, 318, 75, 10}, kHiddenOff_, true},
    {22, 1010, kEdit, "", {279, 333, 93, 20}, kHiddenOff_, true},
    {23, 1013, kMultiLineEdit, "", {10, 321, 368, 17}, kHiddenOff_, true},
    {25, 1012, kEdit, "", {346, 12, 32, 12}, kShownOff, false},
    {34, 1020, kEdit, "", {23, 335, 58, 16}, kHiddenOff_, true},
    {36, 1021, kPushButton, "書込作成", {87, 336, 54, 17}, kHiddenOff_, true},
    {37, 1022, kPushButton, "RIDezクリア", {313, 313, 53, 17}, kHiddenOff_, true},
    {38, 1023, kPushButton, "読出作成", {147, 336, 54, 17}, kHiddenOff_, true},
    {40, 1018, kComboBox, "", {45, 271, 49, 70}, kShownOn, true},
    {42, 1019, kComboBox, "", {170, 271, 38, 70}, kShownOn, true},
    {43, 1024, kComboBox, "", {263, 271, 38, 70}, kShownOn, true},
    {44, 1008, kCheckBox, "UID設定カードの作成", {220, 321, 79, 10}, kHiddenOff_, true},
};

struct ExpectedLabel {
  int order;
  ItemKind kind;
  const char* text;
  DialogRect rect;
  Shown state;
};

const ExpectedLabel kLabels[] = {
    {4, kGroupBox, "", {10, 103, 368, 95}, kShownOn},
    {17, kLabel, "ＵＲＬ情報：", {14, 33, 35, 11}, kShownOn},
    {18, kLabel, "Ｔｏ：", {6, 115, 27, 16}, kShownOn},
    {19, kLabel, "ｃｃ：", {196, 115, 13, 16}, kShownOn},
    {20, kLabel, "タイトル：", {16, 140, 27, 16}, kShownOn},
    {21, kLabel, "本文：", {16, 162, 27, 16}, kShownOn},
    {24, kLabel,
     "キーワードリファレンス    [IM]:IDm  [CT]:カウンタ  [CI]:カスタマーID  [UI]:Morvik端末ID",
     {113, 200, 242, 9}, kShownOn},
    {26, kLabel, "CUSTOMER ID", {289, 12, 47, 8}, kShownOff},
    {27, kLabel, "音設定", {113, 329, 24, 10}, kHiddenOff_},
    {28, kLabel, "音量", {17, 227, 16, 8}, kShownOn},
    {29, kLabel, "LED点灯パターン", {103, 227, 51, 8}, kShownOn},
    {30, kLabel, "音種類", {178, 332, 23, 8}, kHiddenOff_},
    {31, kLabel, "ポップアップ：", {14, 63, 36, 11}, kShownOn},
    {32, kLabel, "au, Softbankでのみ表示されます", {236, 64, 99, 9}, kShownOn},
    {33, kLabel, "使用したCIDを入力してください：", {25, 319, 100, 11}, kHiddenOff_},
    {35, kLabel, "使用開始後のMorvikを出荷時状態に戻すための特別IC Cardを作成します。",
     {25, 323, 234, 11}, kHiddenOff_},
    {39, kLabel, "モード", {19, 274, 18, 8}, kShownOn},
    {41, kLabel, "省電力一時解除時間", {102, 274, 67, 8}, kShownOn},
    {45, kLabel, "UID設定カードの作成では開始UIDを入力", {140, 321, 177, 11}, kHiddenOff_},
    {46, kLabel, "自動オフ時間", {215, 274, 40, 8}, kShownOn},
    {47, kLabel, "省電力一時解除時間は、モードが、2秒、5秒の時に有効です。", {97, 292, 187, 8},
     kShownOn},
    {48, kLabel, "携帯電話の検出後、この指定時間フルと同じ反応速度となります。", {98, 303, 192, 8},
     kShownOn},
    {49, kGroupBox, "表示機能", {10, 213, 301, 31}, kShownOn},
    {50, kGroupBox, "省電力機能", {10, 252, 300, 61}, kShownOn},
};

void ExpectState(const DialogItem& item, Shown state, int order) {
  EXPECT_EQ(item.Has(kHidden), state == kHiddenOff_) << "order " << order;
  EXPECT_EQ(item.Has(kDisabled), state != kShownOn) << "order " << order;
}

TEST(MainWindowTemplate, EveryItemSitsWhereTheWindowNeedsIt) {
  const DialogTemplate& window = MainWindowTemplate();
  ASSERT_EQ(window.items.size(), 50u);
  for (const ExpectedControl& expected : kControls) {
    const DialogItem& item = window.items[static_cast<std::size_t>(expected.order - 1)];
    EXPECT_EQ(item.id, expected.id) << "order " << expected.order;
    EXPECT_EQ(item.kind, expected.kind) << "order " << expected.order;
    EXPECT_EQ(item.text, expected.text) << "order " << expected.order;
    EXPECT_EQ(item.rect, expected.rect) << "order " << expected.order;
    EXPECT_EQ(item.Has(kTabStop), expected.tabStop) << "order " << expected.order;
    ExpectState(item, expected.state, expected.order);
  }
  for (const ExpectedLabel& expected : kLabels) {
    const DialogItem& item = window.items[static_cast<std::size_t>(expected.order - 1)];
    EXPECT_EQ(item.id, kIdcStatic) << "order " << expected.order;
    EXPECT_EQ(item.kind, expected.kind) << "order " << expected.order;
    EXPECT_EQ(item.text, expected.text) << "order " << expected.order;
    EXPECT_EQ(item.rect, expected.rect) << "order " << expected.order;
    EXPECT_FALSE(item.Has(kTabStop)) << "order " << expected.order;
    ExpectState(item, expected.state, expected.order);
  }
  EXPECT_EQ(std::size(kControls) + std::size(kLabels), window.items.size());
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
    if (item.kind == ItemKind::kComboBox) {
      EXPECT_TRUE(item.Has(kSorted)) << item.id;
    }
    if (item.kind == ItemKind::kPushButton) {
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

TEST(MainWindowTemplate, HiddenServiceControlsLieBelowTheShownWindow) {
  for (const DialogItem& item : MainWindowTemplate().items) {
    if (item.Has(kHidden)) {
      EXPECT_GE(item.rect.y, 310) << item.text;
      EXPECT_TRUE(item.Has(kDisabled)) << item.text;
    }
  }
}

TEST(MainMenu, FileAndHelpInOrder) {
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
}

TEST(MainMenu, NothingCarriesTheConnectCommand) {
  for (const MenuPopup& popup : MainMenu().popups) {
    for (const MenuItem& item : popup.items) EXPECT_NE(item.command, kIdmConnect);
  }
  EXPECT_EQ(MainWindowTemplate().Find(kIdmConnect), nullptr);
}

TEST(AboutBoxTemplate, ItemsInOrder) {
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
}

TEST(StringResources, AboutItemAndNothingElse) {
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
                         testing::Values(MulDivCase{385, 6, 4, 578}, MulDivCase{1, 6, 4, 2},
                                         MulDivCase{3, 5, 4, 4}, MulDivCase{365, 13, 8, 593},
                                         MulDivCase{-3, 5, 4, -4}, MulDivCase{7, 1, 0, -1},
                                         MulDivCase{8, 96, 72, 11}));

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
