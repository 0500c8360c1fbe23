// The terminal's settings as the operator picks them: six fixed lists whose
// chosen index the card stores, and the capture of the window's entries.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "content/content_settings.h"
#include "window/window_services.h"

namespace morvik {

struct SettingsList {
  int controlId;
  std::array<std::string_view, 4> items;  // inserted at positions 0 to 3
  int defaultIndex;
  std::string_view label;  // the list's label in the window
};

// The six lists in the order the window fills them: volume, sound type, LED
// pattern, mode, auto-off time, release time.
extern const std::array<SettingsList, 6> kSettingsLists;

// Inserts each list's items and selects its default; then the release time
// list starts disabled (the default mode is "ノーマル") and auto-off enabled.
void FillSettingsLists(WindowServices& window);

// The mode list's selection changed: the release time only matters in the
// two interval modes, so its list is enabled for them alone.
void OnModeChanged(WindowServices& window);

// Copies the six entries (code page 932, at most 239 bytes each), the six
// list selections and the initialisation card check into `settings`. Leaves
// mailEnabled and the keyword fields alone. False, after a message, when a
// text the card will carry (URL, popup, and in mail mode the mail) holds a
// character code page 932 cannot represent, or a list's field holds text that
// is none of its items.
bool CaptureContentSettings(WindowServices& window, ContentSettings& settings,
                            std::int32_t serviceCid);

// Image byte 249: mode in bits 7-5, release time in bits 4-3, auto-off time
// in bits 1-0.
std::uint8_t PackPowerSettings(std::uint8_t powerMode, std::uint8_t releaseTime,
                               std::uint8_t autoOffTime);

// Image byte 254: sound type in bits 7-6, volume in bits 5-4, LED pattern in
// bits 3-2.
std::uint8_t PackDisplaySettings(std::uint8_t soundType, std::uint8_t volume,
                                 std::uint8_t ledPattern);

}  // namespace morvik
