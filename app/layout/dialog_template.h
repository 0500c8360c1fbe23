// Window templates as data: every item of a dialog with its identifier, kind,
// text, position and size in dialog units, and its style and state bits, in
// template order (which is also the tab order). Menus likewise.
#pragma once

#include <span>
#include <string_view>

namespace morvik {

inline constexpr int kIdcStatic = -1;  // labels and group boxes carry no identifier

enum class ItemKind {
  kEdit,           // one line
  kMultiLineEdit,
  kPushButton,
  kCheckBox,       // toggles itself
  kComboBox,       // drop-down with an editable field
  kLabel,
  kGroupBox,
  kIcon,
  kListView,       // rows of cells under column headings, filled by the program
  kProgressBar,
};

// Style and state bits of an item.
enum ItemStyle : unsigned {
  kTabStop = 1u << 0,
  kHidden = 1u << 1,
  kDisabled = 1u << 2,
  kReadOnly = 1u << 3,
  kNoBorder = 1u << 4,
  kRaisedBorder = 1u << 5,
  kAlignRight = 1u << 6,         // labels; left-aligned otherwise
  kCenterVertically = 1u << 7,   // labels
  kNoPrefix = 1u << 8,           // labels: '&' is shown, not a mnemonic
  kGroupStart = 1u << 9,
  kSorted = 1u << 10,            // lists
  kVerticalScroll = 1u << 11,
  kDefaultButton = 1u << 12,
};

struct DialogRect {
  int x = 0;
  int y = 0;
  int width = 0;   // 0 for an icon: the icon's own size
  int height = 0;

  friend constexpr bool operator==(const DialogRect&, const DialogRect&) = default;
};

// A column of a list view: its heading and width in dialog units.
struct ListColumn {
  std::string_view heading;
  int width = 0;
};

struct DialogItem {
  int id = kIdcStatic;
  ItemKind kind = ItemKind::kLabel;
  std::string_view text;
  DialogRect rect;
  unsigned style = 0;
  int iconResource = 0;                  // icons only
  std::span<const ListColumn> columns{};  // list views only

  constexpr bool Has(unsigned bits) const { return (style & bits) == bits; }
};

struct MenuItem {
  std::string_view text;  // empty for a separator
  int command = 0;
  bool greyed = false;

  constexpr bool IsSeparator() const { return text.empty(); }
};

struct MenuPopup {
  std::string_view text;
  std::span<const MenuItem> items;
};

struct MenuTemplate {
  int resourceId = 0;
  std::span<const MenuPopup> popups;
};

struct DialogTemplate {
  int resourceId = 0;
  std::string_view title;
  int width = 0;   // client area, dialog units
  int height = 0;
  std::string_view fontName;
  int pointSize = 8;
  std::span<const DialogItem> items;
  const MenuTemplate* menu = nullptr;
  bool visible = false;  // shown from its creation, once initialised

  // The item with this identifier, or nullptr.
  const DialogItem* Find(int id) const;
};

}  // namespace morvik
