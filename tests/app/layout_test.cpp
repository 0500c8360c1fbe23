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
  for (const DialogItem& item : window.items) {
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
  // Exit and About reach their commands; Help is there but greyed.
  ASSERT_EQ(menu.popups[0].items.size(), 2u);
  ASSERT_EQ(menu.popups[1].items.size(), 2u);
  EXPECT_EQ(menu.popups[0].items[1].command, 1);
  EXPECT_TRUE(menu.popups[1].items[0].greyed);
  EXPECT_EQ(menu.popups[1].items[1].command, 32776);
  EXPECT_EQ(MainWindowTemplate().Find(kIdmConnect), nullptr);
}

// The icon, the version the operator reads, and OK as the default button.
TEST(AboutBoxTemplate, IconVersionAndOkAndTheSystemMenuString) {
  const DialogTemplate& about = AboutBoxTemplate();
  ASSERT_EQ(about.items.size(), 4u);
  EXPECT_EQ(about.items[0].iconResource, kIdrMainIcon);
  EXPECT_TRUE(about.items[1].text.ends_with("Version 2.11"));
  EXPECT_EQ(about.items[3].id, 1);
  EXPECT_TRUE(about.items[3].Has(kDefaultButton | kTabStop));
  EXPECT_EQ(LoadStringResource(101), "&About Morvik...");
  EXPECT_EQ(LoadStringResource(102), "");
}

// The production window: Start is command 1 and the only default button, and
// first in the tab order, so that Return alone starts; every control is a tab
// stop; every item lies inside the window; each list view's columns fit
// inside it beside its scroll bar.
TEST(LineWindowTemplate, ReturnStartsEveryControlReachableAndEverythingInside) {
  const DialogTemplate& window = LineWindowTemplate();
  ASSERT_FALSE(window.items.empty());
  EXPECT_EQ(window.items[0].id, 1);
  std::set<int> ids;
  int defaults = 0;
  for (const DialogItem& item : window.items) {
    SCOPED_TRACE(item.id);
    const bool control = item.kind == kPushButton || item.kind == kListView || item.kind == kCheckBox;
    EXPECT_EQ(item.Has(kTabStop), control);
    if (item.id != kIdcStatic) {
      EXPECT_TRUE(ids.insert(item.id).second);
    }
    defaults += item.Has(kDefaultButton) ? 1 : 0;
    EXPECT_LE(item.rect.x + item.rect.width, window.width);
    EXPECT_LE(item.rect.y + item.rect.height, window.height);
    int columns = 0;
    for (const ListColumn& column : item.columns) columns += column.width;
    EXPECT_EQ(item.kind == kListView, columns > 0);
    EXPECT_LE(columns, item.rect.width - 5);
  }
  EXPECT_EQ(defaults, 1);
  EXPECT_TRUE(window.items[0].Has(kDefaultButton));
  EXPECT_EQ(window.fontName, MainWindowTemplate().fontName);
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
