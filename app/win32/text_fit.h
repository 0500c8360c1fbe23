// Texts fitted to the controls Windows made for them. The template's font may
// be missing on a PC, or stand in for a wider face: a label, button, check box
// or group box whose text would not fit its room is given the same face
// condensed, or smaller, so that the whole text shows. Where the text fits
// with the control's own font, nothing changes; places and sizes never do.
#pragma once

#include <vector>

struct HWND__;
struct HFONT__;

namespace morvik {

// Fits every text-bearing control of the dialog. The fonts made for them are
// appended to `made`: they must outlive the dialog.
void FitControlTexts(HWND__* dialog, std::vector<HFONT__*>& made);

// Fits a control's text again after it changed, starting from the dialog's
// own font: the fitted font it now has (the caller deletes it once the
// control has another), or nullptr when the dialog's font fits or the
// control shows no such text.
HFONT__* RefitControlText(HWND__* dialog, HWND__* control);

}  // namespace morvik
