#include "app/layout/dialog_resource.h"

namespace morvik {
namespace {

using namespace win32_styles;

constexpr std::uint16_t kOrdinalMark = 0xFFFF;
constexpr std::uint16_t kFontWeightNormal = 400;

// Little-endian words on a growing buffer, as the dialog manager reads them.
class ResourceWriter {
 public:
  void Word(std::uint16_t value) {
    bytes_.push_back(static_cast<std::uint8_t>(value & 0xFF));
    bytes_.push_back(static_cast<std::uint8_t>(value >> 8));
  }
  void DWord(std::uint32_t value) {
    Word(static_cast<std::uint16_t>(value & 0xFFFF));
    Word(static_cast<std::uint16_t>(value >> 16));
  }
  void Short(int value) { Word(static_cast<std::uint16_t>(static_cast<std::int16_t>(value))); }
  void Byte(std::uint8_t value) { bytes_.push_back(value); }
  // A zero-terminated UTF-16 string.
  void Text(std::string_view utf8) {
    for (const char16_t unit : Utf16FromUtf8(utf8)) Word(unit);
    Word(0);
  }
  void Ordinal(std::uint16_t value) {
    Word(kOrdinalMark);
    Word(value);
  }
  void AlignToDWord() {
    while (bytes_.size() % 4 != 0) bytes_.push_back(0);
  }
  std::vector<std::uint8_t> Take() { return std::move(bytes_); }

 private:
  std::vector<std::uint8_t> bytes_;
};

std::uint32_t StateStyles(const DialogItem& item) {
  std::uint32_t style = kWsChild;
  if (!item.Has(kHidden)) style |= kWsVisible;
  if (item.Has(kDisabled)) style |= kWsDisabled;
  if (item.Has(kTabStop)) style |= kWsTabStop;
  if (item.Has(kGroupStart)) style |= kWsGroup;
  if (item.Has(kVerticalScroll)) style |= kWsVScroll;
  return style;
}

std::uint32_t EditStyle(const DialogItem& item) {
  std::uint32_t style = kEsAutoHScroll;
  if (item.kind == ItemKind::kMultiLineEdit) style |= kEsMultiLine;
  if (item.Has(kReadOnly)) style |= kEsReadOnly;
  return style;
}

std::uint32_t LabelStyle(const DialogItem& item) {
  std::uint32_t style = item.Has(kAlignRight) ? kSsRight : 0;
  if (item.Has(kCenterVertically)) style |= kSsCenterImage;
  if (item.Has(kNoPrefix)) style |= kSsNoPrefix;
  return style;
}

std::uint32_t KindStyle(const DialogItem& item) {
  switch (item.kind) {
    case ItemKind::kEdit:
    case ItemKind::kMultiLineEdit: return EditStyle(item);
    case ItemKind::kPushButton: return item.Has(kDefaultButton) ? kBsDefPushButton : 0;
    case ItemKind::kCheckBox: return kBsAutoCheckBox;
    case ItemKind::kGroupBox: return kBsGroupBox;
    case ItemKind::kComboBox:
      return kCbsDropDown | (item.Has(kSorted) ? kCbsSort : 0);
    case ItemKind::kLabel: return LabelStyle(item);
    case ItemKind::kIcon: return kSsIcon;
    case ItemKind::kListView: return kLvsReport | kLvsSingleSel | kLvsShowSelAlways | kLvsNoSortHeader;
    case ItemKind::kProgressBar: return 0;
  }
  return 0;
}

std::uint32_t ExtendedStyle(const DialogItem& item) {
  const bool edit = item.kind == ItemKind::kEdit || item.kind == ItemKind::kMultiLineEdit ||
                    item.kind == ItemKind::kListView;
  std::uint32_t exStyle = edit && !item.Has(kNoBorder) ? kWsExClientEdge : 0;
  if (item.Has(kRaisedBorder)) exStyle |= kWsExDlgModalFrame;
  return exStyle;
}

// The styles and window class Windows creates an item with.
WindowStyles ItemWindowStyles(const DialogItem& item) {
  return {StateStyles(item) | KindStyle(item), ExtendedStyle(item)};
}

std::uint16_t ItemWindowClass(ItemKind kind) {
  switch (kind) {
    case ItemKind::kEdit:
    case ItemKind::kMultiLineEdit: return kEditClass;
    case ItemKind::kComboBox: return kComboBoxClass;
    case ItemKind::kLabel:
    case ItemKind::kIcon: return kStaticClass;
    case ItemKind::kPushButton:
    case ItemKind::kCheckBox:
    case ItemKind::kGroupBox: return kButtonClass;
    case ItemKind::kListView:
    case ItemKind::kProgressBar: return 0;  // named instead
  }
  return kStaticClass;
}

std::string_view ItemClassName(ItemKind kind) {
  if (kind == ItemKind::kListView) return kListViewClass;
  if (kind == ItemKind::kProgressBar) return kProgressBarClass;
  return {};
}

void WriteHeader(ResourceWriter& out, const DialogTemplate& dialog, WindowStyles window) {
  out.Word(1);             // dlgVer
  out.Word(kOrdinalMark);  // signature of the extended form
  out.DWord(0);            // helpID
  out.DWord(window.exStyle);
  out.DWord(window.style | kDsSetFont);
  out.Word(static_cast<std::uint16_t>(dialog.items.size()));
  out.Short(0);
  out.Short(0);
  out.Short(dialog.width);
  out.Short(dialog.height);
  out.Word(0);  // no menu
  out.Word(0);  // the dialog class
  out.Text(dialog.title);
  out.Word(static_cast<std::uint16_t>(dialog.pointSize));
  out.Word(kFontWeightNormal);
  out.Byte(0);  // not italic
  out.Byte(kDefaultCharset);
  out.Text(dialog.fontName);
}

void WriteItem(ResourceWriter& out, const DialogItem& item) {
  out.AlignToDWord();
  const WindowStyles styles = ItemWindowStyles(item);
  out.DWord(0);  // helpID
  out.DWord(styles.exStyle);
  out.DWord(styles.style);
  out.Short(item.rect.x);
  out.Short(item.rect.y);
  out.Short(item.rect.width);
  out.Short(item.rect.height);
  out.DWord(static_cast<std::uint32_t>(item.id));
  if (const std::string_view name = ItemClassName(item.kind); !name.empty()) {
    out.Text(name);
  } else {
    out.Ordinal(ItemWindowClass(item.kind));
  }
  if (item.kind == ItemKind::kIcon) {
    out.Ordinal(static_cast<std::uint16_t>(item.iconResource));
  } else {
    out.Text(item.text);
  }
  out.Word(0);  // no creation data
}

// The code point starting at text[i]; i moves past it.
char32_t NextCodePoint(std::string_view text, std::size_t& i) {
  constexpr char32_t kReplacement = 0xFFFD;
  const auto lead = static_cast<unsigned char>(text[i++]);
  if (lead < 0x80) return lead;
  const int extra = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : 0;
  if (extra == 0 || lead > 0xF4) return kReplacement;
  char32_t code = lead & (0x3F >> extra);
  for (int n = 0; n < extra; ++n) {
    if (i >= text.size() || (static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) {
      return kReplacement;
    }
    code = (code << 6) | (static_cast<unsigned char>(text[i++]) & 0x3F);
  }
  constexpr char32_t kSmallest[] = {0, 0x80, 0x800, 0x10000};
  const bool surrogate = code >= 0xD800 && code <= 0xDFFF;
  if (code < kSmallest[extra] || code > 0x10FFFF || surrogate) return kReplacement;
  return code;
}

}  // namespace

WindowStyles DialogWindowStyles(const DialogTemplate& dialog, bool owned) {
  std::uint32_t style = kWsPopup | kWsCaption | kWsSysMenu | kDsModalFrame | kDsCenter;
  if (dialog.visible) style |= kWsVisible;
  return {style, owned ? 0u : kWsExAppWindow};
}

std::vector<std::uint8_t> BuildDialogResource(const DialogTemplate& dialog, WindowStyles window) {
  ResourceWriter out;
  WriteHeader(out, dialog, window);
  for (const DialogItem& item : dialog.items) WriteItem(out, item);
  return out.Take();
}

std::u16string Utf16FromUtf8(std::string_view utf8) {
  std::u16string result;
  std::size_t i = 0;
  while (i < utf8.size()) {
    const char32_t code = NextCodePoint(utf8, i);
    if (code < 0x10000) {
      result.push_back(static_cast<char16_t>(code));
    } else {
      result.push_back(static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10)));
      result.push_back(static_cast<char16_t>(0xDC00 + ((code - 0x10000) & 0x3FF)));
    }
  }
  return result;
}

}  // namespace morvik
