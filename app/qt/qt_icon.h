// Icon resource 128 as Qt images.
#pragma once

#include <QIcon>
#include <QImage>

#include "app/layout/app_icon.h"

namespace morvik {

QImage ToQImage(const IconImage& icon);
// Both sizes, 32 and 16.
QIcon AppIcon();

}  // namespace morvik
