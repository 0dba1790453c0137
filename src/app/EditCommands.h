// The Edit and View menus' commands and the clipper's: what the main window
// does itself to the document or its bars.
#pragma once

class QAction;

namespace vesk {

class THTMLVeskMain;
class TVeskMemoFile;

// Sets the handlers of Undo, Redo, Cut, Copy, Paste, Delete, Select All,
// Word Wrap, the View menu's bars, Create Tab and the clipper's commands.
void SetEditCommands(THTMLVeskMain& window);

// Edit > Delete: with an empty selection deletes the character after the
// caret, or the whole CR LF break when the caret ends its paragraph.
void DeleteClick(TVeskMemoFile& editor);
// Edit > Word Wrap on one editor: wrapping on with a vertical scroll bar, or
// off with both; the menu item's check mark follows.
void WordWrapClick(TVeskMemoFile& editor, QAction* item);

} // namespace vesk
