#include "app/win32/text_fit.h"

#define WIN32_LEAN_AND_MEAN
#define UNICODE
#include <windows.h>

#include <cstdlib>
#include <string>

namespace morvik {
namespace {

constexpr int kOverhang = 2;           // pixels a renderer may draw past the advance width
constexpr int kNarrowestPercent = 60;  // kana condensed further stop being legible
constexpr int kSmallestPercent = 75;   // of the control's own font height

enum class TextKind { kNone, kLabel, kPushButton, kCheckBox, kGroupBox };

TextKind KindOf(HWND control) {
  wchar_t name[16] = {};
  GetClassNameW(control, name, 16);
  const auto style = static_cast<DWORD>(GetWindowLongW(control, GWL_STYLE));
  if (lstrcmpiW(name, L"Static") == 0) {
    const DWORD type = style & SS_TYPEMASK;
    return type <= SS_RIGHT || type == SS_LEFTNOWORDWRAP ? TextKind::kLabel : TextKind::kNone;
  }
  if (lstrcmpiW(name, L"Button") != 0) return TextKind::kNone;
  switch (style & BS_TYPEMASK) {
    case BS_PUSHBUTTON:
    case BS_DEFPUSHBUTTON: return TextKind::kPushButton;
    case BS_CHECKBOX:
    case BS_AUTOCHECKBOX:
    case BS_3STATE:
    case BS_AUTO3STATE:
    case BS_RADIOBUTTON:
    case BS_AUTORADIOBUTTON: return TextKind::kCheckBox;
    case BS_GROUPBOX: return TextKind::kGroupBox;
    default: return TextKind::kNone;
  }
}

// The client width less what the kind draws beside its text: a push button's
// frame and padding, a check box's box and the gap after it, a group box's
// indent on each side (the widest of Windows' and Wine's renderers).
int TextRoom(HWND control, TextKind kind, int dpi) {
  RECT client{};
  GetClientRect(control, &client);
  const int width = client.right - client.left;
  const auto scaled = [dpi](int pixels) { return MulDiv(pixels, dpi, 96); };
  switch (kind) {
    case TextKind::kPushButton: return width - 2 * scaled(3);
    case TextKind::kCheckBox: return width - scaled(13) - scaled(6);
    case TextKind::kGroupBox: return width - 2 * scaled(8);
    default: return width;
  }
}

std::wstring TextOf(HWND control) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(control)) + 1, L'\0');
  const int length = GetWindowTextW(control, text.data(), static_cast<int>(text.size()));
  text.resize(static_cast<std::size_t>(length > 0 ? length : 0));
  return text;
}

// The text's width on one line with this font, mnemonic marks as drawn.
int TextWidth(HDC dc, HFONT font, const std::wstring& text, UINT prefix) {
  const HGDIOBJ previous = SelectObject(dc, font);
  RECT bounds{};
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &bounds,
            DT_CALCRECT | DT_SINGLELINE | prefix);
  SelectObject(dc, previous);
  return bounds.right - bounds.left;
}

int AverageWidth(HDC dc, const LOGFONTW& shape) {
  HFONT font = CreateFontIndirectW(&shape);
  const HGDIOBJ previous = SelectObject(dc, font);
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc, &metrics);
  SelectObject(dc, previous);
  DeleteObject(font);
  return metrics.tmAveCharWidth;
}

// Of the same face condensed (down to kNarrowestPercent) or smaller (down to
// kSmallestPercent), the font whose text fills `room` most; the narrowest and
// smallest when none fits.
HFONT FittingFont(HDC dc, HFONT own, const std::wstring& text, UINT prefix, int room) {
  LOGFONTW shape{};
  if (GetObjectW(own, sizeof shape, &shape) == 0) return nullptr;
  const int height = std::abs(shape.lfHeight);
  const int sign = shape.lfHeight < 0 ? -1 : 1;
  HFONT best = nullptr;
  int bestWidth = 0;
  LOGFONTW last = shape;
  for (int h = height; h * 100 >= height * kSmallestPercent; --h) {
    shape.lfHeight = sign * h;
    shape.lfWidth = 0;
    const int natural = AverageWidth(dc, shape);
    for (int w = natural; w > 0 && w * 100 >= natural * kNarrowestPercent; --w) {
      shape.lfWidth = w == natural ? 0 : w;
      last = shape;
      HFONT candidate = CreateFontIndirectW(&shape);
      const int width = TextWidth(dc, candidate, text, prefix) + kOverhang;
      if (width > room || width <= bestWidth) {
        DeleteObject(candidate);
        continue;
      }
      if (best != nullptr) DeleteObject(best);
      best = candidate;
      bestWidth = width;
    }
  }
  return best != nullptr ? best : CreateFontIndirectW(&last);
}

// The font that shows the control's text whole: own when it fits, else a
// fitted one (made here); nullptr when the control shows no such text.
HFONT FontThatFits(HDC dc, HWND control, HFONT own) {
  const TextKind kind = KindOf(control);
  const std::wstring text = TextOf(control);
  if (kind == TextKind::kNone || text.empty() || own == nullptr) return nullptr;
  const bool noPrefix = GetWindowLongW(control, GWL_STYLE) & SS_NOPREFIX;
  const UINT prefix = kind == TextKind::kLabel && noPrefix ? DT_NOPREFIX : 0;
  const int room = TextRoom(control, kind, GetDeviceCaps(dc, LOGPIXELSX));
  if (TextWidth(dc, own, text, prefix) + kOverhang <= room) return own;
  return FittingFont(dc, own, text, prefix, room);
}

}  // namespace

void FitControlTexts(HWND dialog, std::vector<HFONT>& made) {
  HDC dc = GetDC(dialog);
  for (HWND control = GetWindow(dialog, GW_CHILD); control != nullptr;
       control = GetWindow(control, GW_HWNDNEXT)) {
    const auto own = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
    HFONT font = FontThatFits(dc, control, own);
    if (font == nullptr || font == own) continue;
    made.push_back(font);
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  }
  ReleaseDC(dialog, dc);
}

HFONT RefitControlText(HWND dialog, HWND control) {
  const auto own = reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0));
  HDC dc = GetDC(dialog);
  HFONT font = FontThatFits(dc, control, own);
  ReleaseDC(dialog, dc);
  if (font == nullptr) return nullptr;
  SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  return font == own ? nullptr : font;
}

}  // namespace morvik
