// The templates in the binary form Windows' dialog manager reads: a
// DLGTEMPLATEEX header with its font, then one DLGITEMTEMPLATEEX per item,
// each on a 4-byte boundary. Plain bytes, built the same on every platform.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "app/layout/dialog_template.h"

namespace morvik::win32_styles {

// Window and control styles with the values Windows gives them.
inline constexpr std::uint32_t kWsPopup = 0x80000000;
inline constexpr std::uint32_t kWsChild = 0x40000000;
inline constexpr std::uint32_t kWsVisible = 0x10000000;
inline constexpr std::uint32_t kWsDisabled = 0x08000000;
inline constexpr std::uint32_t kWsCaption = 0x00C00000;
inline constexpr std::uint32_t kWsVScroll = 0x00200000;
inline constexpr std::uint32_t kWsSysMenu = 0x00080000;
inline constexpr std::uint32_t kWsGroup = 0x00020000;
inline constexpr std::uint32_t kWsTabStop = 0x00010000;
inline constexpr std::uint32_t kDsSetFont = 0x40;
inline constexpr std::uint32_t kDsModalFrame = 0x80;
inline constexpr std::uint32_t kDsCenter = 0x800;
inline constexpr std::uint32_t kWsExDlgModalFrame = 0x1;
inline constexpr std::uint32_t kWsExClientEdge = 0x200;
inline constexpr std::uint32_t kWsExAppWindow = 0x40000;

inline constexpr std::uint32_t kEsMultiLine = 0x4;
inline constexpr std::uint32_t kEsAutoHScroll = 0x80;
inline constexpr std::uint32_t kEsReadOnly = 0x800;
inline constexpr std::uint32_t kBsDefPushButton = 0x1;
inline constexpr std::uint32_t kBsAutoCheckBox = 0x3;
inline constexpr std::uint32_t kBsGroupBox = 0x7;
inline constexpr std::uint32_t kCbsDropDown = 0x2;
inline constexpr std::uint32_t kCbsSort = 0x100;
inline constexpr std::uint32_t kSsRight = 0x2;
inline constexpr std::uint32_t kSsIcon = 0x3;
inline constexpr std::uint32_t kSsNoPrefix = 0x80;
inline constexpr std::uint32_t kSsCenterImage = 0x200;
inline constexpr std::uint32_t kLvsReport = 0x1;
inline constexpr std::uint32_t kLvsSingleSel = 0x4;
inline constexpr std::uint32_t kLvsShowSelAlways = 0x8;
inline constexpr std::uint32_t kLvsNoSortHeader = 0x8000;

// Predefined window classes, by ordinal.
inline constexpr std::uint16_t kButtonClass = 0x0080;
inline constexpr std::uint16_t kEditClass = 0x0081;
inline constexpr std::uint16_t kStaticClass = 0x0082;
inline constexpr std::uint16_t kComboBoxClass = 0x0085;
// The common controls' classes, by name.
inline constexpr std::string_view kListViewClass = "SysListView32";
inline constexpr std::string_view kProgressBarClass = "msctls_progress32";

inline constexpr std::uint8_t kDefaultCharset = 1;

}  // namespace morvik::win32_styles

namespace morvik {

struct WindowStyles {
  std::uint32_t style = 0;
  std::uint32_t exStyle = 0;
};

// A dialog's own styles: caption, system menu and modal frame, centred on
// the screen, visible from its creation when the template says so. A window
// without an owner is an application window of its own in the task bar.
WindowStyles DialogWindowStyles(const DialogTemplate& dialog, bool owned);

// The whole template; window gives the dialog's own styles (DS_SETFONT is
// added). The menu is left out: the host attaches it after creation.
std::vector<std::uint8_t> BuildDialogResource(const DialogTemplate& dialog, WindowStyles window);

// UTF-8 to UTF-16; an invalid sequence becomes U+FFFD.
std::u16string Utf16FromUtf8(std::string_view utf8);

}  // namespace morvik
