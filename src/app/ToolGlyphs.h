// The pictures on the tool-bar and clipper-bar buttons, drawn by the program
// itself so they are crisp at any size and need no files beside it.
#pragma once

#include <QImage>
#include <QString>

namespace vesk {

// The glyph for a button name ("OpenBtn", "SaveBtn", …, "Browser3Btn",
// "ClipCut", "ClipCopy", "ClipPaste", "ClipDelete") on a transparent
// background, `size` pixels square. An unknown name gives a plain square.
QImage ToolGlyph(const QString& name, int size = 18);

} // namespace vesk
