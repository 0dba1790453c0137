// Where the spell dialog stands: clear of the editor at first, never over the stopped word.
#pragma once

#include <QRect>

namespace vesk {

// The first place of a dialog of `dialog`'s size: beside the editor (right,
// left, below, above, whichever fits on `screen` first), otherwise `dialog`
// as it is. All rectangles are in screen coordinates.
QRect FirstDialogPlace(const QRect& dialog, const QRect& editor, const QRect& screen);

// Moves a dialog that overlaps `word` so that its left edge is at the word's
// left edge and its top 2 pixels below the word, or, when it would not fit
// on `screen` there, its bottom 2 pixels above the word; the result is then
// kept inside `screen` (its top-left corner wins when the dialog is larger).
// A dialog clear of the word, or an empty word, only gets kept on the screen.
QRect AvoidWord(const QRect& dialog, const QRect& word, const QRect& screen);

// Keeps a rectangle inside `screen`, moving it (never resizing it).
QRect KeepOnScreen(QRect r, const QRect& screen);

} // namespace vesk
