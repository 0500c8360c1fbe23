// The terminal's settings as the operator picks them: the fixed lists of
// kListFields whose chosen index the card stores, and the capture of the
// window's entries.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "content/content_settings.h"
#include "window/window_services.h"

namespace morvik {

// Inserts each list's items and selects its default; then the release time
// list starts disabled (the default mode is "ノーマル") and auto-off enabled.
void FillSettingsLists(WindowServices& window);

// The mode list's selection changed: the release time only matters in the
// two interval modes, so its list is enabled for them alone.
void OnModeChanged(WindowServices& window);

// Copies the entries (code page 932, at most 239 bytes each), the list
// selections and the initialisation card check into `settings`. Leaves
// mailEnabled and the keyword fields alone. False, after a message, when a
// text the card will carry (URL, popup, and in mail mode the mail) holds a
// character code page 932 cannot represent, or a list's field holds text that
// is none of its items.
bool CaptureContentSettings(WindowServices& window, ContentSettings& settings,
                            std::int32_t serviceCid);

// The settings byte `imageByte` of an image (249 or 254): the low bits of
// each position in the place kListFields gives its list.
std::uint8_t PackSettingsByte(const TerminalChoices& choices, std::size_t imageByte);

// The positions the settings bytes of an image carry.
TerminalChoices UnpackChoices(std::span<const std::uint8_t, kContentImageSize> image);

}  // namespace morvik
