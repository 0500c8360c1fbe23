// The application icon as a Windows .ico file: 16-colour images, each a
// bottom-up bitmap with its palette, colour bits and transparency mask.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "app/layout/app_icon.h"

namespace morvik {

std::vector<std::uint8_t> IconFileBytes(std::span<const IconImage> images);

}  // namespace morvik
