// THTMLVeskMain: what the clipper does to the current editor, and its keys.
#include "app/ClipperBar.h"
#include "app/MainWindow.h"
#include "app/MsgBox.h"
#include "controls/TransparentButton.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>

namespace vesk {

void THTMLVeskMain::ClipperCopy()
{
    if (!current_ || current_->SelLength() == 0)
        return;  // an empty selection is nothing to keep
    TClipperList& list = clipper_->List();
    if (list.Full()) {
        MsgBox(QStringLiteral("The Clipper is full.\r\rBefore adding another item, you must delete one."),
               QStringLiteral("Clipper Full"), kMbOk, kSoundQuestion);
        return;
    }
    list.Add(QString::fromStdString(current_->SelText()));
    clipper_->ComboBox1Change();
    current_->setFocus();
}

void THTMLVeskMain::ClipperCut()
{
    if (!current_ || current_->SelLength() == 0)
        return;
    const int before = clipper_->List().Count();
    ClipperCopy();
    if (clipper_->List().Count() == before)
        return;  // refused: the document keeps its text
    current_->ClearSelection();
    clipper_->CutButton()->setEnabled(false);
    clipper_->CopyButton()->setEnabled(false);
    current_->setFocus();
}

void THTMLVeskMain::ClipperPaste()
{
    const TClipperList& list = clipper_->List();
    if (!current_ || list.Count() == 0)
        return;
    current_->ReplaceSelection(list.SelectedText().toStdString());
    current_->setFocus();
}

void THTMLVeskMain::TransparentButton1Click()
{
    clipper_->List().DeleteSelected();
    clipper_->ComboBox1Change();
}

bool THTMLVeskMain::ClipperKey(int key, bool ctrl)
{
    TClipperList& list = clipper_->List();
    const int index = key - 1;
    if (index < 0 || index >= list.Count())
        return false;
    list.Select(index);
    clipper_->ComboBox1Change();
    if (ctrl)
        ClipperPaste();
    return true;
}

void THTMLVeskMain::SendClipperKey(int key, bool ctrl)
{
    const auto fkey = Qt::Key(Qt::Key_F1 + key - 1);
    const Qt::KeyboardModifiers mods = ctrl ? Qt::ControlModifier : Qt::NoModifier;
    if (ctrl) {
        QKeyEvent down(QEvent::KeyPress, Qt::Key_Control, Qt::ControlModifier);
        QApplication::sendEvent(this, &down);
    }
    QKeyEvent press(QEvent::KeyPress, fkey, mods);
    QApplication::sendEvent(this, &press);
    QKeyEvent release(QEvent::KeyRelease, fkey, mods);
    QApplication::sendEvent(this, &release);
    if (ctrl) {
        QKeyEvent up(QEvent::KeyRelease, Qt::Key_Control, Qt::NoModifier);
        QApplication::sendEvent(this, &up);
    }
}

} // namespace vesk
