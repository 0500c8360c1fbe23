// Template 100: the About box; and the string table.
#include "app/layout/resources.h"
#include "window/control_ids.h"

namespace morvik {
namespace {

constexpr DialogItem kAboutItems[] = {
    {kIdcStatic, ItemKind::kIcon, "", {11, 19, 0, 0}, 0, kIdrMainIcon},
    {kIdcStatic, ItemKind::kLabel, "MOBILE Morvik® IC Card Writer Version 2.11", {40, 20, 212, 8},
     kNoPrefix | kGroupStart},
    {kIdcStatic, ItemKind::kLabel, "Copyright (C) Morvik", {40, 33, 119, 8}, 0},
    {kIdcExit, ItemKind::kPushButton, "OK", {210, 33, 50, 14},
     kDefaultButton | kTabStop | kGroupStart},
};

constexpr DialogTemplate kAboutBox{
    kIddAboutBox, "MOBILE Morvik IC Card Writerについて", 267, 64, "MS Sans Serif", 8,
    kAboutItems, nullptr};

}  // namespace

const DialogTemplate& AboutBoxTemplate() { return kAboutBox; }

std::string_view LoadStringResource(int id) {
  return id == kIdsAboutItem ? "&About Morvik..." : "";
}

}  // namespace morvik
