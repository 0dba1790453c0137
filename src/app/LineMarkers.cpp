// Line markers of the main window: the gutter's marks and menu over the
// markers the text holds.
#include "app/LineMarkers.h"
#include "app/MsgBox.h"
#include "editor/VeskGutter.h"
#include "editor/VeskMemo.h"
#include "editor/LineMarkerIndex.h"
#include "editor/TextEncoding.h"

#include <QAction>
#include <QMenu>

#include <array>
#include <string_view>
#include <vector>

namespace vesk {
namespace {

constexpr std::string_view kMarker = kLineMarker;

// An editor's markers, kept up to date from its changes by an object that
// lives as long as the editor (found again by its name).
class TMarkerKeeper : public QObject {
public:
    explicit TMarkerKeeper(TVeskMemoFile& editor) : QObject(&editor), index(editor)
    {
        setObjectName(QStringLiteral("LineMarkerIndex"));
    }
    TLineMarkerIndex index;
};

TLineMarkerIndex& MarkersOf(TVeskMemoFile& editor)
{
    QObject* keeper = editor.findChild<QObject*>(QStringLiteral("LineMarkerIndex"), Qt::FindDirectChildrenOnly);
    if (!keeper)
        keeper = new TMarkerKeeper(editor);
    return static_cast<TMarkerKeeper*>(keeper)->index;
}

} // namespace

TLineMarkers::TLineMarkers(QWidget* parent, std::function<void(int)> onGoto) : QObject(parent)
{
    gutterMenu_ = new QMenu(parent);
    gutterMenu_->setObjectName(QStringLiteral("PopupMenu5"));
    for (int k = 1; k <= kMaxLineMarkers; ++k) {
        QAction* item = gutterMenu_->addAction(k == 1 ? QStringLiteral("No Line Markers")
                                                      : QStringLiteral("Go to Line Marker &%1").arg(k));
        item->setObjectName(QStringLiteral("GotoTag%1").arg(k));
        item->setVisible(k == 1);
        connect(item, &QAction::triggered, this, [onGoto, k]() { onGoto(k); });
    }
}

void TLineMarkers::OnPopup5(TVeskMemoFile* current, TVeskGutter* currentGutter)
{
    if (!current || !currentGutter)
        return;
    TVeskMemoFile& editor = *current;
    TVeskGutter& gutter = *currentGutter;
    const QList<QAction*> items = gutterMenu_->actions();

    // The markers in document order, as far as the ninth; the caret, the
    // selection and the typing in progress are left alone.
    const std::vector<std::int32_t>& markers = MarkersOf(editor).Markers();
    const int count = int(markers.size());
    std::array<std::int32_t, kMaxLineMarkers> lines{};
    TVeskNavigator probe(&editor, false);
    for (int k = 0; k < count; ++k) {
        editor.FormatParagraphsThrough(editor.ParagraphOfOffset(markers[std::size_t(k)]));
        probe.SetOffset(markers[std::size_t(k)]);
        lines[std::size_t(k)] = probe.DisplayLine();
        markerOffsets_[std::size_t(k)] = markers[std::size_t(k)];
    }
    // The gutter's numbers change only when a marker's line does.
    bool same = true;
    for (int n = 1; n <= kMaxLineMarkers && same; ++n) {
        const std::int32_t at = gutter.BookmarkOffset(n);
        if (n > count) {
            same = at < 0;
        } else if (at < 0) {
            same = false;
        } else {
            probe.SetOffset(at);
            same = probe.DisplayLine() == lines[std::size_t(n - 1)];
        }
    }
    if (!same) {
        gutter.ClearBookmarks();
        for (int k = 0; k < count; ++k)
            gutter.ToggleBookmark(lines[std::size_t(k)], k + 1);
    }
    for (int k = 0; k < count; ++k) {
        items[k]->setText(QStringLiteral("Go to Line Marker &%1").arg(k + 1));
        items[k]->setVisible(true);
    }
    markerCount_ = count;
    if (count == 0)
        items[0]->setText(QStringLiteral("No Line Markers"));
    for (int k = std::max(count, 1); k < kMaxLineMarkers; ++k)
        items[k]->setVisible(false);
    editor.setFocus();
}

void TLineMarkers::GutterMouseDown(TVeskMemoFile& editor, TVeskGutter& gutter, Qt::MouseButton button, int y)
{
    if (button != Qt::LeftButton)
        return;
    // As a click 5 pixels into the editor at the same height: the caret
    // goes to the start of the display line there (also when the line's
    // first character is narrower than those 5 pixels).
    const QPoint inEditor = editor.viewport()->mapFromGlobal(gutter.mapToGlobal(QPoint(0, y)));
    const std::int32_t clicked = editor.OffsetAt(QPoint(5, inEditor.y()));
    editor.Select(clicked, clicked);
    const std::int32_t line = editor.CurrentLine();
    editor.GotoLine(line);
    const std::int32_t at = editor.SelStart();
    const std::uint16_t n = gutter.BookmarkAt(line);
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
        gutter.ToggleBookmark(line, n);
    }
    OnPopup5(&editor, &gutter);
    editor.setFocus();
}

void TLineMarkers::GotoTag(TVeskMemoFile* current, int k)
{
    if (!current || k < 1 || k > kMaxLineMarkers)
        return;
    if (k == 1 && markerCount_ == 0)
        return;  // "No Line Markers"
    if (k > markerCount_)
        return;
    current->SetSelStart(markerOffsets_[std::size_t(k - 1)]);
    current->ScrollInView();
    current->setFocus();
}

} // namespace vesk
