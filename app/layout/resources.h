// The programs' resources: the main window (template 103) with its menu 131,
// the About box (template 100), string 101 and icon 128; the production
// window (template 104).
#pragma once

#include <string_view>

#include "app/layout/dialog_template.h"

namespace morvik {

inline constexpr int kIddAboutBox = 100;
inline constexpr int kIdsAboutItem = 101;
inline constexpr int kIddMainWindow = 103;
inline constexpr int kIddLineWindow = 104;  // the production window's own program
inline constexpr int kIdrMainIcon = 128;
inline constexpr int kIdrMainMenu = 131;

const DialogTemplate& MainWindowTemplate();
const DialogTemplate& AboutBoxTemplate();
const DialogTemplate& LineWindowTemplate();
const MenuTemplate& MainMenu();

// A string resource; empty when there is none with this identifier.
std::string_view LoadStringResource(int id);

}  // namespace morvik
