// The window templates against the window as it must look: the rules its
// items follow, the styles of the kinds, the menu, the About box; and the
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

using enum ItemKind;

// What the window's look rests on, rather than each row again: the service
// group is hidden, disabled and below the shown window, the customer ID field
// shows but takes no input, every control but the labels is a tab stop, no two
// controls share an identifier.
TEST(MainWindowTemplate, ServiceGroupHiddenBelowTheWindowAndTabStopsOnControls) {
  const auto& items = MainWindowTemplate().items;
  ASSERT_EQ(items.size(), 50u);
  std::set<int> ids;
  int hidden = 0;
  for (const DialogItem& item : items) {
    SCOPED_TRACE(item.id);
    const bool label = item.id == kIdcStatic;
    if (!label) {
      EXPECT_TRUE(ids.insert(item.id).second);
    }
    EXPECT_EQ(item.Has(kTabStop), !label && item.id != kIdcCustomerId);
    if (item.Has(kHidden)) {
      ++hidden;
      EXPECT_TRUE(item.Has(kDisabled));
      EXPECT_GE(item.rect.y, 310);
    }
  }
  EXPECT_EQ(hidden, 16);
  for (const int disabled : {kIdcMailTo, kIdcMailCc, kIdcMailTitle, kIdcMailBody, kIdcCustomerId}) {
    EXPECT_TRUE(MainWindowTemplate().Find(disabled)->Has(kDisabled)) << disabled;
  }
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
