// THTMLVeskMain: line markers. A marker is the text "<!>" (an empty markup
// declaration browsers ignore), so markers travel with the document; the
// gutter numbers the first nine in document order.
#include "app/MainWindow.h"
#include "app/MsgBox.h"
#include "editor/TextEncoding.h"

#include <QAction>
#include <QMenu>

#include <cstring>
#include <string_view>

namespace vesk {
namespace {

constexpr std::string_view kMarker = "<!>";

} // namespace

void THTMLVeskMain::BuildGutterMenu()
{
    gutterMenu_ = new QMenu(this);
    gutterMenu_->setObjectName(QStringLiteral("PopupMenu5"));
    for (int k = 1; k <= kMaxLineMarkers; ++k) {
        QAction* item = gutterMenu_->addAction(k == 1 ? QStringLiteral("No Line Markers")
                                                      : QStringLiteral("Go to Line Marker &%1").arg(k));
        item->setObjectName(QStringLiteral("GotoTag%1").arg(k));
        item->setVisible(k == 1);
        connect(item, &QAction::triggered, this, [this, k]() { GotoTag(k); });
    }
}

void THTMLVeskMain::OnPopup5()
{
    if (!current_ || !currentGutter_)
        return;
    TVeskMemoFile& editor = *current_;
    const QList<QAction*> items = gutterMenu_->actions();

    currentGutter_->update();
    currentGutter_->ClearBookmarks();
    // The markers in document order: scan the paragraphs' text for "<!>"
    // (it has no letters, so case does not matter) and stop at the ninth.
    // A scratch navigator finds each one's display line, so the caret, the
    // selection and the typing in progress are left alone.
    TVeskNavigator probe(&editor, false);
    int count = 0;
    for (std::int32_t p = 0; p < editor.ParagraphCount() && count < kMaxLineMarkers; ++p) {
        // The text is a subsequence of the buffer's bytes: a buffer without
        // a "!" holds no marker, and most paragraphs are passed over by one
        // memchr without copying their text.
        const TParRecord& record = editor.Paragraph(p);
        if (!std::memchr(record.Data(), '!', std::size_t(record.bytes)))
            continue;
        const std::optional<std::string> text = editor.ParagraphText(p);
        if (!text)
            break;
        for (std::size_t at = text->find(kMarker); at != std::string::npos && count < kMaxLineMarkers;
             at = text->find(kMarker, at + kMarker.size())) {
            const std::int32_t after =
                editor.ParagraphStart(p) + std::int32_t(CountUtf8Chars(std::string_view(*text).substr(0, at))) + 3;
            items[count]->setText(QStringLiteral("Go to Line Marker &%1").arg(count + 1));
            items[count]->setVisible(true);
            markerOffsets_[std::size_t(count)] = after;
            editor.FormatParagraphsThrough(p);
            probe.SetOffset(after);
            currentGutter_->ToggleBookmark(probe.DisplayLine(), count + 1);
            ++count;
        }
    }
    markerCount_ = count;
    if (count == 0)
        items[0]->setText(QStringLiteral("No Line Markers"));
    for (int k = std::max(count, 1); k < kMaxLineMarkers; ++k)
        items[k]->setVisible(false);
    editor.setFocus();
}

void THTMLVeskMain::GutterMouseDown(Qt::MouseButton button, int x, int y)
{
    (void)x;
    if (button != Qt::LeftButton || !current_ || !currentGutter_)
        return;
    TVeskMemoFile& editor = *current_;
    // As a click 5 pixels into the editor at the same height: the caret
    // goes to the start of the display line there (also when the line's
    // first character is narrower than those 5 pixels).
    const QPoint inEditor = editor.viewport()->mapFromGlobal(currentGutter_->mapToGlobal(QPoint(0, y)));
    const std::int32_t clicked = editor.OffsetAt(QPoint(5, inEditor.y()));
    editor.Select(clicked, clicked);
    const std::int32_t line = editor.CurrentLine();
    editor.GotoLine(line);
    const std::int32_t at = editor.SelStart();
    const std::uint16_t n = currentGutter_->BookmarkAt(line);
    if (n == TVeskGutter::kNoBookmark) {
        if (markerCount_ >= kMaxLineMarkers) {
            MsgBox(QStringLiteral("You have too many line markers.\r\rYou must delete a line marker before you can "
                                  "add another one."),
                   QStringLiteral("Too Many Line Markers"), kMbOk, kSoundError);
        } else {
            editor.SetSelLength(0);
            editor.SetSelText(kMarker);
        }
    } else {
        // Take the first "<!>" out of the display line (wherever it stands
        // in it) as one undoable edit, and drop the line's number.
        const std::optional<std::string> text = editor.LineText(line);
        const std::size_t found = text ? text->find(kMarker) : std::string::npos;
        if (found != std::string::npos) {
            const std::int32_t from = at + std::int32_t(CountUtf8Chars(std::string_view(*text).substr(0, found)));
            editor.Select(from, from + 3);
            editor.ClearSelection();
        }
        currentGutter_->ToggleBookmark(line, n);
    }
    OnPopup5();
    editor.setFocus();
}

void THTMLVeskMain::GotoTag(int k)
{
    if (!current_ || k < 1 || k > kMaxLineMarkers)
        return;
    if (k == 1 && markerCount_ == 0)
        return;  // "No Line Markers"
    if (k > markerCount_)
        return;
    current_->SetSelStart(markerOffsets_[std::size_t(k - 1)]);
    current_->ScrollInView();
    current_->setFocus();
}

} // namespace vesk
