// Widgets from template items: one per item, placed in pixels converted from
// dialog units, in template order (so that the tab order follows it).
#pragma once

#include <QWidget>

#include "app/layout/dialog_template.h"
#include "app/layout/dialog_units.h"

class QMenuBar;

namespace morvik {

struct BuiltItem {
  QWidget* control = nullptr;  // what the identifier addresses
  QWidget* outer = nullptr;    // what is placed: the control, or its raised frame
};

BuiltItem BuildItem(const DialogItem& item, QWidget* client, DialogBaseUnits base);

// A label's new text drawn condensed when it would not fit, as the
// template's texts are; at its own width when it fits.
void FitLabelText(QWidget* label, const QString& text);

}  // namespace morvik
