// TVeskGutter: bookmarks held by navigators, painting, following the editor's scrolling.
#include "editor/VeskGutter.h"

#include <QPaintEvent>
#include <QPainter>
#include <QPixmap>

#include <algorithm>

namespace vesk {

TVeskGutter::TVeskGutter(QWidget* parent) : QWidget(parent)
{
    resize(30, 50);
    setAutoFillBackground(false);
}

TVeskGutter::~TVeskGutter()
{
    if (memo_)
        memo_->OnVScroll = nullptr;
}

void TVeskGutter::SetMemo(TVeskMemo* memo)
{
    if (memo == memo_)
        return;
    ClearBookmarks();
    if (memo_) {
        memo_->OnVScroll = nullptr;
        disconnect(memo_, nullptr, this, nullptr);
    }
    memo_ = memo;
    paintedLineCount_ = -1;
    if (memo_) {
        memo_->OnVScroll = [this](TVeskMemoCore*) { Scrolled(); };
        connect(memo_, &TVeskMemo::linesChanged, this, &TVeskGutter::UpdateLines);
        // The editor frees its navigators' ties when it goes; the gutter
        // drops the bookmarks that pointed into it.
        connect(memo_, &QObject::destroyed, this, [this]() {
            for (auto& mark : marks_)
                mark.reset();
            memo_ = nullptr;  // half destroyed already: not to be asked anything
            FitWidth();
            update();
        });
        connect(memo_, &TVeskMemo::lineCountChanged, this, &TVeskGutter::LinesCounted);
    }
    FitWidth();
    update();
}

void TVeskGutter::SetBaseWidth(int width)
{
    baseWidth_ = std::max(1, width);
    fittedWidth_ = -1;
    FitWidth();
}

void TVeskGutter::LinesCounted()
{
    // A new count may need another width; the rows whose numbers changed
    // are repainted from the editor's linesChanged.
    FitWidth();
}

void TVeskGutter::FitWidth()
{
    int width = baseWidth_;
    if (memo_ && lineNumbers_) {
        // Numbers are placed by whole widths of "0" (see paintEvent); the two
        // edge columns at the right and a pixel on either side stay clear,
        // since a digit's ink may fill its whole width.
        const int digits = int(QString::number(std::max(1, memo_->LineCount())).size());
        width = std::max(width, digits * QFontMetrics(font()).horizontalAdvance(QLatin1Char('0')) + 4);
    }
    if (width == fittedWidth_)
        return;
    fittedWidth_ = width;
    setFixedWidth(width);
}

void TVeskGutter::changeEvent(QEvent* e)
{
    QWidget::changeEvent(e);
    if (e->type() == QEvent::FontChange)
        FitWidth();
}

void TVeskGutter::SetAlignment(TGutterAlignment a)
{
    if (alignment_ != a) {
        alignment_ = a;
        update();
    }
}

void TVeskGutter::SetLineNumbers(bool on)
{
    if (lineNumbers_ != on) {
        lineNumbers_ = on;
        FitWidth();
        update();
    }
}

bool TVeskGutter::ToggleBookmark(std::int32_t line, int n)
{
    if (!memo_ || n < 0 || n > 9)
        return false;
    const std::uint16_t there = BookmarkAt(line);
    auto& slot = marks_[std::size_t(n)];
    if (there == n) {
        slot.reset();
    } else if (there == kNoBookmark) {
        if (slot && slot->Editor())
            UpdateLines(slot->DisplayLine(), slot->DisplayLine());  // a slot used elsewhere moves here
        auto mark = std::make_unique<TVeskNavigator>(static_cast<TVeskMemoStore*>(memo_.data()));
        mark->GotoLine(line);
        slot = std::move(mark);
    } else {
        return false;
    }
    UpdateLines(line, line);
    return true;
}

std::uint16_t TVeskGutter::BookmarkAt(std::int32_t line) const
{
    for (std::size_t n = 0; n < marks_.size(); ++n) {
        if (marks_[n] && marks_[n]->Editor() && marks_[n]->DisplayLine() == line)
            return std::uint16_t(n);
    }
    return kNoBookmark;
}

void TVeskGutter::ClearBookmarks()
{
    for (auto& mark : marks_) {
        if (mark && mark->Editor())
            UpdateLines(mark->DisplayLine(), mark->DisplayLine());
        mark.reset();
    }
}

void TVeskGutter::UpdateLines(int first, int last)
{
    if (!memo_) {
        update();
        return;
    }
    const int lineHeight = std::max(1, memo_->LineHeightPixels());
    const int top = TextTop() + (first - memo_->TopLine()) * lineHeight;
    const int bottom = last < 0 ? height() : TextTop() + (last - memo_->TopLine() + 1) * lineHeight;
    if (bottom > 0 && top < height() && bottom > top)
        update(0, std::max(0, top), width(), std::min(height(), bottom) - std::max(0, top));
}

std::int32_t TVeskGutter::BookmarkOffset(int n) const
{
    if (n < 0 || n > 9 || !marks_[std::size_t(n)] || !marks_[std::size_t(n)]->Editor())
        return -1;
    return marks_[std::size_t(n)]->Offset();
}

const QPixmap& TVeskGutter::BookmarkImage(int n)
{
    static std::array<QPixmap, 10> images;
    n = std::clamp(n, 0, 9);
    QPixmap& image = images[std::size_t(n)];
    if (image.isNull()) {
        image = QPixmap(10, 10);
        image.fill(Qt::transparent);
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QColor(128, 96, 0));
        p.setBrush(QColor(255, 220, 0));
        p.drawEllipse(QRectF(0.5, 0.5, 9, 9));
        QFont font;
        font.setPixelSize(8);
        font.setBold(true);
        p.setFont(font);
        p.setPen(Qt::black);
        p.drawText(QRect(0, 0, 10, 10), Qt::AlignCenter, QString::number(n));
    }
    return image;
}

int TVeskGutter::TextTop() const
{
    // Through the screen: the gutter and its editor need not share a window.
    if (!memo_)
        return 0;
    return memo_->viewport()->mapToGlobal(QPoint(0, 0)).y() - mapToGlobal(QPoint(0, 0)).y();
}

void TVeskGutter::Scrolled()
{
    if (!memo_)
        return;
    const int topPixels = memo_->TopLine() * memo_->LineHeightPixels();
    if (memo_->LineCount() == paintedLineCount_ && isVisible()) {
        // Follow the editor by moving pixels, as far as the gutter reaches.
        scroll(0, paintedTopPixels_ - topPixels);
        paintedTopPixels_ = topPixels;
    } else {
        update();
    }
}

void TVeskGutter::paintEvent(QPaintEvent* e)
{
    QPainter painter(this);
    const QRect clip = e->rect();
    painter.fillRect(clip, palette().color(QPalette::Window));
    if (clip.right() >= width() - 2) {
        painter.setPen(palette().color(QPalette::Light));
        painter.drawLine(width() - 2, clip.top(), width() - 2, clip.bottom());
        painter.setPen(palette().color(QPalette::Dark));
        painter.drawLine(width() - 1, clip.top(), width() - 1, clip.bottom());
    }
    if (!memo_)
        return;
    // The editor reports which rows its changes renumber (linesChanged);
    // scrolling moves pixels only while the numbering stays as painted.
    paintedLineCount_ = memo_->LineCount();
    const int lineHeight = std::max(1, memo_->LineHeightPixels());
    paintedTopPixels_ = memo_->TopLine() * lineHeight;

    std::array<std::int32_t, 10> markLines;
    for (std::size_t n = 0; n < marks_.size(); ++n)
        markLines[n] = marks_[n] && marks_[n]->Editor() ? marks_[n]->DisplayLine() : -1;

    const int textTop = TextTop();
    const int ascent = memo_->Measurer().Ascent();
    const int firstVisible = std::max(0, (clip.top() - textTop) / lineHeight);
    painter.setFont(font());
    painter.setPen(palette().color(QPalette::WindowText));
    const QFontMetrics metrics(font());
    for (std::int32_t row = firstVisible;; ++row) {
        const std::int32_t line = memo_->TopLine() + row;
        const int top = textTop + row * lineHeight;
        if (top > clip.bottom() || line >= memo_->LineCount())
            break;
        const auto mark = std::find(markLines.begin(), markLines.end(), line);
        if (mark != markLines.end()) {
            const int n = int(mark - markLines.begin());
            int x = (width() - 2 - 10) / 2;
            if (alignment_ == TGutterAlignment::Left)
                x = 2;
            else if (alignment_ == TGutterAlignment::Right)
                x = width() - 2 - 10;
            const int y = std::max(top + (lineHeight - 10) / 2, top + ascent - 10);
            painter.drawPixmap(x, y, BookmarkImage(n));
        } else if (lineNumbers_) {
            const QString number = QString::number(line + 1);
            const int textWidth = int(number.size()) * metrics.horizontalAdvance(QLatin1Char('0'));
            int x = (width() - 2 - textWidth) / 2;
            if (alignment_ == TGutterAlignment::Left)
                x = 0;
            else if (alignment_ == TGutterAlignment::Right)
                x = width() - 2 - textWidth;
            painter.drawText(x, top + ascent, number);
        }
    }
}

} // namespace vesk
