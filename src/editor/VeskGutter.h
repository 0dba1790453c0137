// TVeskGutter: the narrow strip beside an editor that shows display-line
// numbers and ten bookmarks, scrolling line for line with the editor.
//
// Its width is fixed: the base width (30 pixels unless set), or more when
// the editor's largest line number needs more room, so no digit is ever cut.
// It follows the editor's line count, whatever changes it.
#pragma once

#include "editor/VeskMemo.h"
#include "editor/VeskNavigator.h"

#include <QPointer>
#include <QWidget>

#include <array>
#include <cstdint>
#include <memory>

namespace vesk {

enum class TGutterAlignment { Left, Right, Center };

class TVeskGutter : public QWidget {
    Q_OBJECT
public:
    static constexpr std::uint16_t kNoBookmark = 0xFFFF;

    explicit TVeskGutter(QWidget* parent = nullptr);
    ~TVeskGutter() override;

    TVeskMemo* Memo() const { return memo_; }
    // Links the gutter to an editor: bookmarks are freed, the previous
    // editor's OnVScroll is cleared and the new one's set to follow its
    // scrolling (replacing any handler it had). A destroyed editor is forgotten.
    void SetMemo(TVeskMemo* memo);

    // The width the gutter keeps while its numbers fit (at least 1); it
    // widens beyond it to fit the largest line number and comes back to it
    // when the numbers are short again.
    int BaseWidth() const { return baseWidth_; }
    void SetBaseWidth(int width);

    TGutterAlignment Alignment() const { return alignment_; }
    void SetAlignment(TGutterAlignment a);
    bool LineNumbers() const { return lineNumbers_; }
    void SetLineNumbers(bool on);
    // Kept for completeness; icons are drawn either way.
    bool Bookmarks() const { return bookmarks_; }
    void SetBookmarks(bool on) { bookmarks_ = on; }

    // Removes bookmark n from display line `line` when it is there; else sets
    // it there (moving it from wherever it was) unless the line holds another
    // bookmark, which is left alone (false). True when something changed.
    // Only the rows whose picture changes are repainted.
    virtual bool ToggleBookmark(std::int32_t line, int n);
    // The first bookmark on display line `line`, or kNoBookmark.
    std::uint16_t BookmarkAt(std::int32_t line) const;
    void ClearBookmarks();
    // The offset a bookmark stands at, or -1 when the slot is empty.
    std::int32_t BookmarkOffset(int n) const;

    // The image of bookmark n: a 10 × 10 yellow disc with its digit.
    static const QPixmap& BookmarkImage(int n);

protected:
    void paintEvent(QPaintEvent* e) override;
    void changeEvent(QEvent* e) override;

private:
    void Scrolled();
    // The editor's line count changed.
    void LinesCounted();
    // Makes the width fit the largest line number (or the base width).
    void FitWidth();
    // Repaints the rows of display lines first … last (last −1: to the bottom).
    void UpdateLines(int first, int last);
    // Vertical distance from the gutter's top to the editor's text area.
    int TextTop() const;

    QPointer<TVeskMemo> memo_;
    std::array<std::unique_ptr<TVeskNavigator>, 10> marks_;
    TGutterAlignment alignment_ = TGutterAlignment::Center;
    bool lineNumbers_ = true;
    bool bookmarks_ = true;
    int baseWidth_ = 30;
    int fittedWidth_ = -1;  // the width FitWidth set last
    std::int32_t paintedLineCount_ = -1;
    int paintedTopPixels_ = 0;
};

} // namespace vesk
