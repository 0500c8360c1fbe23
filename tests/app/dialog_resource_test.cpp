// The templates as Windows' dialog manager reads them, parsed back field by
// field; the icon file the Windows build embeds, which must match the icon as
// drawn today.
#include <gtest/gtest.h>

#include <array>
#include <fstream>
#include <iterator>

#include "app/layout/dialog_resource.h"
#include "app/layout/icon_file.h"
#include "app/layout/resources.h"

namespace morvik {
namespace {

using namespace win32_styles;

struct ParsedItem {
  std::uint32_t exStyle = 0, style = 0, id = 0;
  DialogRect rect;
  std::uint16_t windowClass = 0, titleOrdinal = 0;
  std::u16string className, title;  // a class by name: the common controls
};

struct ParsedDialog {
  std::uint32_t style = 0;
  std::u16string title, font;
  std::uint16_t pointSize = 0;
  std::vector<ParsedItem> items;
};

class Reader {
 public:
  explicit Reader(const std::vector<std::uint8_t>& bytes) : bytes_(bytes) {}
  std::uint16_t Word() {
    if (at_ + 2 > bytes_.size()) throw std::out_of_range("past the end");
    const auto value = static_cast<std::uint16_t>(bytes_[at_] | bytes_[at_ + 1] << 8);
    at_ += 2;
    return value;
  }
  std::uint16_t Peek() {
    const std::uint16_t value = Word();
    at_ -= 2;
    return value;
  }
  std::uint32_t DWord() { return Word() | static_cast<std::uint32_t>(Word()) << 16; }
  int Short() { return static_cast<std::int16_t>(Word()); }
  std::u16string Text() {
    std::u16string text;
    for (char16_t unit = Word(); unit != 0; unit = Word()) text.push_back(unit);
    return text;
  }
  void Align() { at_ = (at_ + 3) / 4 * 4; }
  void Skip(std::size_t count) { at_ += count; }
  bool AtEnd() const { return at_ == bytes_.size(); }

 private:
  const std::vector<std::uint8_t>& bytes_;
  std::size_t at_ = 0;
};

ParsedItem ReadItem(Reader& in) {
  in.Align();
  ParsedItem item;
  in.DWord();  // helpID
  item.exStyle = in.DWord();
  item.style = in.DWord();
  item.rect = {in.Short(), in.Short(), in.Short(), in.Short()};
  item.id = in.DWord();
  if (in.Peek() == 0xFFFF) {
    in.Word();
    item.windowClass = in.Word();
  } else {
    item.className = in.Text();
  }
  if (in.Peek() == 0xFFFF) {
    in.Word();
    item.titleOrdinal = in.Word();
  } else {
    item.title = in.Text();
  }
  EXPECT_EQ(in.Word(), 0) << "creation data";
  return item;
}

ParsedDialog Parse(const std::vector<std::uint8_t>& bytes) {
  Reader in(bytes);
  ParsedDialog dialog;
  EXPECT_EQ(in.DWord(), 0xFFFF0001u) << "DLGTEMPLATEEX version and signature";
  in.Skip(8);  // helpID, exStyle
  dialog.style = in.DWord();
  const std::uint16_t count = in.Word();
  in.Skip(8);  // x, y, cx, cy
  EXPECT_EQ(in.Text(), u"") << "menu";
  EXPECT_EQ(in.Text(), u"") << "class";
  dialog.title = in.Text();
  dialog.pointSize = in.Word();
  EXPECT_EQ(in.Word(), 400) << "normal weight";
  in.Skip(2);  // italic, charset
  dialog.font = in.Text();
  for (int i = 0; i < count; ++i) dialog.items.push_back(ReadItem(in));
  EXPECT_TRUE(in.AtEnd());
  return dialog;
}

class DialogResource : public testing::TestWithParam<const DialogTemplate*> {};

// Every item comes back with its identifier, place, size and text.
TEST_P(DialogResource, ParsesBackToTheTemplate) {
  const DialogTemplate& dialog = *GetParam();
  const ParsedDialog parsed = Parse(BuildDialogResource(dialog, {kWsPopup, 0}));
  EXPECT_EQ(parsed.style, kWsPopup | kDsSetFont);
  EXPECT_EQ(parsed.title, Utf16FromUtf8(dialog.title));
  EXPECT_EQ(parsed.font, Utf16FromUtf8(dialog.fontName));
  EXPECT_EQ(parsed.pointSize, dialog.pointSize);
  ASSERT_EQ(parsed.items.size(), dialog.items.size());
  for (std::size_t i = 0; i < parsed.items.size(); ++i) {
    const DialogItem& item = dialog.items[i];
    const ParsedItem& back = parsed.items[i];
    SCOPED_TRACE(testing::Message() << "item " << i + 1);
    EXPECT_EQ(static_cast<int>(static_cast<std::uint16_t>(back.id)),
              static_cast<int>(static_cast<std::uint16_t>(item.id)));
    EXPECT_EQ(back.rect, item.rect);
    EXPECT_EQ(back.title, Utf16FromUtf8(item.text));
    EXPECT_EQ(back.titleOrdinal, item.iconResource);
    EXPECT_EQ(back.style & (kWsVisible | kWsDisabled | kWsTabStop),
              (item.Has(kHidden) ? 0 : kWsVisible) | (item.Has(kDisabled) ? kWsDisabled : 0) |
                  (item.Has(kTabStop) ? kWsTabStop : 0));
  }
}

INSTANTIATE_TEST_SUITE_P(Templates, DialogResource,
                         testing::Values(&MainWindowTemplate(), &AboutBoxTemplate(), &LineWindowTemplate()));

// Windows gets no style the window is not described with: the main window is
// visible from its creation (the box over it is shown by its modal run), a
// list is an editable, sorted drop-down, the report field multi-line and
// read-only with its scroll bar.
TEST(DialogResource, WindowListAndReportStylesAsDescribed) {
  const DialogTemplate& window = MainWindowTemplate();
  const ParsedDialog main = Parse(BuildDialogResource(window, DialogWindowStyles(window, false)));
  const std::uint32_t frame =
      kWsPopup | kWsCaption | kWsSysMenu | kDsModalFrame | kDsCenter | kDsSetFont;
  EXPECT_EQ(main.style, frame | kWsVisible);
  EXPECT_EQ(DialogWindowStyles(AboutBoxTemplate(), true).style | kDsSetFont, frame);
  const auto style = [&](int id) {
    return main.items[static_cast<std::size_t>(window.Find(id) - window.items.data())].style;
  };
  for (const int list : {1011, 1014, 1017, 1018, 1019, 1024}) {
    const std::uint32_t shown = list == 1017 ? kWsDisabled : kWsVisible;
    EXPECT_EQ(style(list), kWsChild | shown | kWsTabStop | kCbsDropDown | kCbsSort) << list;
  }
  EXPECT_EQ(style(1013), kWsChild | kWsDisabled | kWsTabStop | kWsVScroll | kEsMultiLine |
                            kEsAutoHScroll | kEsReadOnly);
}

// The production window's list views and progress bar are common controls,
// named by class: a list view shows rows under headings, one row selected,
// headings that do not sort, in an edit's sunken border.
TEST(DialogResource, ListViewsAndProgressBarAreCommonControlsByName) {
  const DialogTemplate& window = LineWindowTemplate();
  const ParsedDialog line = Parse(BuildDialogResource(window, DialogWindowStyles(window, false)));
  int lists = 0;
  int bars = 0;
  for (std::size_t i = 0; i < window.items.size(); ++i) {
    const ParsedItem& back = line.items[i];
    if (window.items[i].kind == ItemKind::kListView) {
      ++lists;
      EXPECT_EQ(back.className, u"SysListView32");
      EXPECT_EQ(back.style, kWsChild | kWsVisible | kWsTabStop | kLvsReport | kLvsSingleSel | kLvsShowSelAlways |
                                kLvsNoSortHeader);
      EXPECT_EQ(back.exStyle, kWsExClientEdge);
    } else if (window.items[i].kind == ItemKind::kProgressBar) {
      ++bars;
      EXPECT_EQ(back.className, u"msctls_progress32");
      EXPECT_EQ(back.style, kWsChild | kWsVisible);
    } else {
      EXPECT_EQ(back.className, u"") << "item " << i + 1;
    }
  }
  EXPECT_EQ(lists, 2);
  EXPECT_EQ(bars, 1);
}

TEST(Utf16FromUtf8, KeepsEveryCharacterAndReplacesBrokenSequences) {
  EXPECT_EQ(Utf16FromUtf8("aポ～"), u"aポ～");
  EXPECT_EQ(Utf16FromUtf8("\xF0\xA0\xAE\xB7"), u"\xD842\xDFB7");  // outside the BMP
  EXPECT_EQ(Utf16FromUtf8("\xE3\x83"), u"\xFFFD");                  // cut short
  EXPECT_EQ(Utf16FromUtf8("\xC0\xAFx"), u"\xFFFDx");                // overlong
  EXPECT_EQ(Utf16FromUtf8("\xED\xA0\x80"), u"\xFFFD");              // a surrogate
}

// The icon resource of the Windows build is the drawing as it is now, in
// bottom-up rows with the transparency mask after the colour bits.
TEST(IconFile, CheckedInIconMatchesTheDrawing) {
  const std::array images = {DrawAppIcon(32), DrawAppIcon(16)};
  const std::vector<std::uint8_t> bytes = IconFileBytes(images);
  std::ifstream file(MORVIK_SOURCE_DIR "/app/win32/app_icon.ico", std::ios::binary);
  const std::vector<std::uint8_t> checkedIn{std::istreambuf_iterator<char>(file), {}};
  EXPECT_EQ(checkedIn, bytes) << "run morvik-make-ico app/win32/app_icon.ico";

  const std::size_t bits = 6 + 2 * 16 + 40 + 64;  // the 32-pixel image's colour bits
  const auto row = [&](int y) { return bits + static_cast<std::size_t>(31 - y) * 16; };
  const IconImage& large = images[0];
  ASSERT_EQ(large.At(8, 22), 11);  // inside the chip
  EXPECT_EQ(bytes[row(22) + 4] >> 4, 11);
  const std::size_t mask = bits + 32 * 16;
  ASSERT_EQ(large.At(0, 0), kTransparent);
  EXPECT_EQ(bytes[mask + 31 * 4] & 0x80, 0x80) << "top-left pixel transparent";
  ASSERT_EQ(large.At(1, 22), 0);
  EXPECT_EQ(bytes[mask + static_cast<std::size_t>(31 - 22) * 4] & 0x40, 0) << "card edge opaque";
}

}  // namespace
}  // namespace morvik
