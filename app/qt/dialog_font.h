// The dialog's font and the dialog base units it gives.
#pragma once

#include <QFont>
#include <string_view>

#include "app/layout/dialog_units.h"

namespace morvik {

// The template's font when it is installed; otherwise a Japanese Gothic
// (VL PGothic, VL Gothic, or any family that covers Japanese). The size is
// the template's points at the screen's logical resolution, rounded to whole
// pixels as Windows does.
QFont DialogFont(std::string_view family, int pointSize);

DialogBaseUnits BaseUnitsOf(const QFont& font);

// The classic Windows look for every widget of the program.
void ApplyDialogStyle();

}  // namespace morvik
