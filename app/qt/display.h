// Whether Qt has a display to open. Without one, Qt's start-up ends the
// process with an abort: our programs ask first and end with a status.
#pragma once

#include <cstdlib>
#include <string_view>

namespace morvik {

inline bool HasEnvironment(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0';
}

// A platform other than X or Wayland (offscreen, vnc...) needs no display;
// X needs DISPLAY, Wayland WAYLAND_DISPLAY, and the default tries both.
inline bool DisplayAvailable() {
  const char* platform = std::getenv("QT_QPA_PLATFORM");
  const std::string_view name = platform != nullptr ? platform : "";
  if (name.starts_with("xcb")) return HasEnvironment("DISPLAY");
  if (name.starts_with("wayland")) return HasEnvironment("WAYLAND_DISPLAY");
  if (!name.empty()) return true;
  return HasEnvironment("DISPLAY") || HasEnvironment("WAYLAND_DISPLAY");
}

inline constexpr const char* kNoDisplay =
    "no display to show the window on: set DISPLAY (X) or WAYLAND_DISPLAY, or run it on the desktop\n";

}  // namespace morvik
