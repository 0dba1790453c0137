// The clipper's commands on an editor, and its keys.
#include "app/ClipperBar.h"
#include "app/MsgBox.h"
#include "editor/VeskMemo.h"
#include "controls/TransparentButton.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>

namespace vesk {

void TClipperBar::ClipperCopy(TVeskMemoFile& editor)
{
    if (editor.SelLength() == 0)
        return;  // an empty selection is nothing to keep
    TClipperList& list = list_;
    if (list.Full()) {
        MsgBox(QStringLiteral("The Clipper is full.\r\rBefore adding another item, you must delete one."),
               QStringLiteral("Clipper Full"), kMbOk, kSoundQuestion);
        return;
    }
    list.Add(QString::fromStdString(editor.SelText()));
    ComboBox1Change();
    editor.setFocus();
}

void TClipperBar::ClipperCut(TVeskMemoFile& editor)
{
    if (editor.SelLength() == 0)
        return;
    const int before = list_.Count();
    ClipperCopy(editor);
    if (list_.Count() == before)
        return;  // refused: the document keeps its text
    editor.ClearSelection();
    cut_->setEnabled(false);
    copy_->setEnabled(false);
    editor.setFocus();
}

void TClipperBar::ClipperPaste(TVeskMemoFile& editor)
{
    if (list_.Count() == 0)
        return;
    editor.ReplaceSelection(list_.SelectedText().toStdString());
    editor.setFocus();
}

void TClipperBar::TransparentButton1Click()
{
    list_.DeleteSelected();
    ComboBox1Change();
}

bool TClipperBar::ClipperKey(int key, bool ctrl, TVeskMemoFile& editor)
{
    const int index = key - 1;
    if (index < 0 || index >= list_.Count())
        return false;
    list_.Select(index);
    ComboBox1Change();
    if (ctrl)
        ClipperPaste(editor);
    return true;
}

void TClipperBar::SendClipperKey(int key, bool ctrl)
{
    const auto fkey = Qt::Key(Qt::Key_F1 + key - 1);
    const Qt::KeyboardModifiers mods = ctrl ? Qt::ControlModifier : Qt::NoModifier;
    if (ctrl) {
        QKeyEvent down(QEvent::KeyPress, Qt::Key_Control, Qt::ControlModifier);
        QApplication::sendEvent(window(), &down);
    }
    QKeyEvent press(QEvent::KeyPress, fkey, mods);
    QApplication::sendEvent(window(), &press);
    QKeyEvent release(QEvent::KeyRelease, fkey, mods);
    QApplication::sendEvent(window(), &release);
    if (ctrl) {
        QKeyEvent up(QEvent::KeyRelease, Qt::Key_Control, Qt::NoModifier);
        QApplication::sendEvent(window(), &up);
    }
}

} // namespace vesk
