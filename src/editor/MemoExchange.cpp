// TVeskMemo and other programs: the clipboard, the primary selection, drops
// and the line ends of what crosses between them.
//
// Inside the editor a paragraph break is CR LF; Linux programs end lines with
// LF. Text coming in has every line end made a break (ToParagraphBreaks), so
// pasted lines stay lines and no bare LF lands inside a paragraph; text going
// out gets LF (ToLfLineEnds).
#include "editor/LineEnds.h"
#include "editor/VeskMemo.h"

#include <QClipboard>
#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QGuiApplication>
#include <QMimeData>

namespace vesk {
namespace {

// The clipboard when the platform has one of this kind.
QClipboard* ClipboardFor(QClipboard::Mode mode)
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard || (mode == QClipboard::Selection && !clipboard->supportsSelection()))
        return nullptr;
    return clipboard;
}

// The plain text of the clipboard, in the editor's terms.
std::optional<std::string> ClipboardText(QClipboard::Mode mode)
{
    const QClipboard* clipboard = ClipboardFor(mode);
    const QMimeData* data = clipboard ? clipboard->mimeData(mode) : nullptr;
    if (!data || !data->hasText())
        return std::nullopt;
    return ToParagraphBreaks(data->text().toStdString());
}

void SetClipboardText(QClipboard::Mode mode, const std::string& text)
{
    if (QClipboard* clipboard = ClipboardFor(mode))
        clipboard->setText(QString::fromStdString(ToLfLineEnds(text)), mode);
}

} // namespace

void TVeskMemo::InstallClipboardHooks()
{
    WriteClipboard = [](const std::string& text) { SetClipboardText(QClipboard::Clipboard, text); };
    ReadClipboard = []() { return ClipboardText(QClipboard::Clipboard); };
    viewport()->setAcceptDrops(true);
}

// ---- primary selection ---------------------------------------------------------

void TVeskMemo::SchedulePrimarySelection()
{
    // Many selection changes can come in one event (a replace-all, a
    // drop); only the last one is offered.
    if (primaryPending_ || selStart_.Offset() == selEnd_.Offset() || !ClipboardFor(QClipboard::Selection))
        return;
    primaryPending_ = true;
    QMetaObject::invokeMethod(this, [this]() {
        primaryPending_ = false;
        if (!mouseSelecting_)
            OfferPrimarySelection();
    }, Qt::QueuedConnection);
}

void TVeskMemo::OfferPrimarySelection()
{
    // An empty selection leaves the last one on offer, as other Linux
    // programs do: clicking somewhere to paste must not lose it. A hidden
    // editor (a scratch buffer) offers nothing.
    if (selStart_.Offset() != selEnd_.Offset() && isVisible())
        SetClipboardText(QClipboard::Selection, SelText());
}

void TVeskMemo::PastePrimarySelection(const QPoint& at)
{
    if (ReadOnly() || DisplayOnly() || UpdateLock() > 0)
        return;
    const std::optional<std::string> text = ClipboardText(QClipboard::Selection);
    if (!text || text->empty())
        return;
    const std::int32_t offset = OffsetAt(at);
    Select(offset, offset);
    PasteText(*text);
}

// ---- drops from other programs ---------------------------------------------------

bool TVeskMemo::AcceptsDrop(const QMimeData* data) const
{
    return data && data->hasText() && !ReadOnly() && !DisplayOnly() && UpdateLock() == 0;
}

void TVeskMemo::dragEnterEvent(QDragEnterEvent* e)
{
    // Text is always copied in: the program it comes from keeps its own.
    if (AcceptsDrop(e->mimeData()) && (e->possibleActions() & Qt::CopyAction)) {
        e->setDropAction(Qt::CopyAction);
        e->accept();
    } else {
        e->ignore();
    }
}

void TVeskMemo::dragMoveEvent(QDragMoveEvent* e)
{
    if (AcceptsDrop(e->mimeData()) && (e->possibleActions() & Qt::CopyAction)) {
        e->setDropAction(Qt::CopyAction);
        e->accept();
    } else {
        e->ignore();
    }
}

void TVeskMemo::dropEvent(QDropEvent* e)
{
    if (!AcceptsDrop(e->mimeData()) || !(e->possibleActions() & Qt::CopyAction)) {
        e->ignore();
        return;
    }
    const std::int32_t at = OffsetAt(e->position().toPoint());
    Select(at, at);
    PasteText(ToParagraphBreaks(e->mimeData()->text().toStdString()));
    // The dropped text ends up selected, as a drop inside the editor leaves it.
    Select(at, SelStart());
    e->setDropAction(Qt::CopyAction);
    e->accept();
    activateWindow();
    setFocus();
}

} // namespace vesk
