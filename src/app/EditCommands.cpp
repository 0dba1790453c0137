// The Edit and View menus' commands and the clipper's.
#include "app/EditCommands.h"

#include "app/ClipperBar.h"
#include "app/MainWindow.h"

#include <QAction>

namespace vesk {

void DeleteClick(TVeskMemoFile& editor)
{
    if (editor.SelLength() == 0) {
        // At the end of its paragraph the caret deletes the whole break.
        const std::int32_t p = editor.CurrentParagraph();
        const bool atEnd = editor.ParagraphStart(p) + editor.Paragraph(p).length == editor.SelStart();
        editor.SetSelLength(atEnd ? 2 : 1);
    }
    editor.ClearSelection();
    editor.setFocus();
}

void WordWrapClick(TVeskMemoFile& editor, QAction* item)
{
    const bool wrap = !editor.WordWrap();
    editor.SetWordWrap(wrap);
    editor.SetScrollBars(wrap ? TVeskScrollBars::Vertical : TVeskScrollBars::Both);
    if (item)
        item->setChecked(wrap);
}

void SetEditCommands(THTMLVeskMain& window)
{
    // Each acts on the editor and gives it the focus back.
    auto edit = [&window](const char* name, void (*f)(TVeskMemoFile&)) {
        window.SetCommand(name, [f](TVeskMemoFile& e) {
            f(e);
            e.setFocus();
        });
    };
    edit("Undo1", [](TVeskMemoFile& e) { e.Undo(); });
    edit("Redo1", [](TVeskMemoFile& e) { e.Redo(); });
    edit("Cut1", [](TVeskMemoFile& e) { e.CutToClipboard(); });
    edit("Copy1", [](TVeskMemoFile& e) { e.CopyToClipboard(); });
    edit("Paste1", [](TVeskMemoFile& e) { e.PasteFromClipboard(); });
    edit("SelectAll1", [](TVeskMemoFile& e) { e.SelectAll(); });
    window.SetCommand("Delete1", [](TVeskMemoFile& e) { DeleteClick(e); });
    window.SetCommand("WordWrap1", [&window](TVeskMemoFile& e) { WordWrapClick(e, window.Action("WordWrap1")); });
    window.SetCommand("CreateTab1", [&window](TVeskMemoFile&) { window.CreateTab1Click(); });
    for (const TBarSpec& bar : kBars) {
        window.SetCommand(bar.command, [&window, bar](TVeskMemoFile&) {
            if (QWidget* w = window.Bar(bar.name))
                w->setVisible(window.Commands().Action(bar.command)->isChecked());
        });
    }
    TClipperBar& clipper = *window.Clipper();
    window.SetCommand("ClipperCut", [&clipper](TVeskMemoFile& e) { clipper.ClipperCut(e); });
    window.SetCommand("ClipperCopy", [&clipper](TVeskMemoFile& e) { clipper.ClipperCopy(e); });
    window.SetCommand("ClipperPaste", [&clipper](TVeskMemoFile& e) { clipper.ClipperPaste(e); });
}

} // namespace vesk
