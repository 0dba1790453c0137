// TVeskNavigator: locating offsets, walking buffers, and context marks.
#include "editor/VeskNavigator.h"

#include "editor/StoreText.h"
#include "editor/VeskMemoStore.h"

#include <QObject>

#include <algorithm>
#include <cstring>

namespace vesk {

TVeskNavigator::TVeskNavigator(TVeskMemoStore* editor, bool registered)
    : editor_(editor), registered_(registered && editor)
{
    if (registered_)
        editor_->RegisterNavigator(this);
}

TVeskNavigator::TVeskNavigator(QObject* component)
{
    editor_ = dynamic_cast<TVeskMemoStore*>(component);
    if (!editor_)
        throw EVeskError("Internal error: component is not a TVeskMemo");
    registered_ = true;
    editor_->RegisterNavigator(this);
}

TVeskNavigator::~TVeskNavigator()
{
    if (registered_ && editor_)
        editor_->UnregisterNavigator(this);
}

void TVeskNavigator::EditorDestroyed()
{
    editor_ = nullptr;
    offset_ = 0;
    Forget();
}

void TVeskNavigator::Forget()
{
    paragraph_ = -1;
    ForgetIndexes();
}

void TVeskNavigator::ForgetIndexes()
{
    byteIndex_ = kNotComputed;
    lineIndex_ = kNotComputed;
}

void TVeskNavigator::Assign(const TVeskNavigator& other)
{
    offset_ = other.offset_;
    paragraph_ = other.editor_ == editor_ ? other.paragraph_ : -1;
    style_ = other.style_;
    position_ = other.position_;
    byteIndex_ = other.editor_ == editor_ ? other.byteIndex_ : kNotComputed;
    state_ = other.state_;
    lineIndex_ = other.editor_ == editor_ ? other.lineIndex_ : kNotComputed;
}

void TVeskNavigator::Locate()
{
    if (paragraph_ >= 0 || !editor_)
        return;
    paragraph_ = editor_->ParagraphOfOffset(offset_);
    position_ = offset_ - editor_->starts_[std::size_t(paragraph_)];
}

void TVeskNavigator::SetOffset(std::int32_t offset)
{
    if (!editor_)
        return;
    offset = std::clamp(offset, 0, editor_->CharCount());
    if (paragraph_ >= 0) {
        const TParRecord& par = editor_->paragraphs_[paragraph_];
        const std::int32_t start = editor_->starts_[std::size_t(paragraph_)];
        if (offset >= offset_ && offset <= start + par.length + 1) {
            const std::int32_t newPosition = offset - start;
            if (byteIndex_ != kNotComputed) {
                // Walk on from where we are: left-to-right scans stay linear.
                const std::int32_t target = std::min(newPosition, par.length) - std::min(position_, par.length);
                std::int32_t bi = byteIndex_;
                store::WalkForward(par.Data(), bi, par.bytes, target, state_, style_);
                byteIndex_ = bi;
                if (lineIndex_ != kNotComputed) {
                    const std::int32_t lines = par.LineCount();
                    while (lineIndex_ + 1 < lines && par.Line(lineIndex_).end <= byteIndex_)
                        ++lineIndex_;
                }
            }
            position_ = newPosition;
            offset_ = offset;
            return;
        }
    }
    offset_ = offset;
    ForgetIndexes();
    if (paragraph_ >= 0) {
        const TParRecord& par = editor_->paragraphs_[paragraph_];
        const std::int32_t start = editor_->starts_[std::size_t(paragraph_)];
        if (offset >= start && offset <= start + par.length + 1) {
            position_ = offset - start;
            return;
        }
    }
    paragraph_ = -1;
}

std::int32_t TVeskNavigator::ParagraphIndex()
{
    Locate();
    return std::max(paragraph_, 0);
}

const TParRecord* TVeskNavigator::Paragraph()
{
    if (!editor_)
        return nullptr;
    Locate();
    return &editor_->paragraphs_[paragraph_];
}

std::int32_t TVeskNavigator::Position()
{
    Locate();
    return position_;
}

void TVeskNavigator::ComputeIndexes()
{
    if (!editor_ || (byteIndex_ != kNotComputed && lineIndex_ != kNotComputed))
        return;
    Locate();
    const TParRecord& par = editor_->paragraphs_[paragraph_];
    const TLineRecord first = par.Line(0);
    state_ = first.state;
    if (par.markCount == 0) {
        byteIndex_ = store::ByteIndexOf(par, position_);
    } else {
        const char* data = par.Data();
        std::int32_t bi = 0;
        const std::int32_t target = std::min(position_, par.length);
        for (std::int32_t count = 0; count < target && bi < par.bytes;) {
            if (data[bi] == kMarkByte) {
                std::memcpy(&state_, data + bi + 1, sizeof state_);
                bi += kMarkSize;
            } else {
                bi += Utf8SequenceLength(static_cast<unsigned char>(data[bi]));
                ++count;
            }
        }
        byteIndex_ = position_ > par.length ? par.bytes : bi;
    }
    // The last line that starts at or before the byte index.
    lineIndex_ = 0;
    if (par.lines.Count() > 1) {
        const TLineRecord* begin = par.lines.begin();
        const TLineRecord* it = std::upper_bound(begin, par.lines.end(), byteIndex_,
                                                 [](std::int32_t b, const TLineRecord& l) { return b < l.start; });
        lineIndex_ = std::max<std::int32_t>(0, std::int32_t(it - begin) - 1);
    }
    const TLineRecord line = par.Line(lineIndex_);
    style_ = std::uint8_t(line.style ^ store::CodeParity(par.Data(), line.start, std::max(line.start, byteIndex_)));
}

std::int32_t TVeskNavigator::ByteIndex()
{
    ComputeIndexes();
    return byteIndex_ == kNotComputed ? 0 : byteIndex_;
}

std::int32_t TVeskNavigator::LineIndex()
{
    ComputeIndexes();
    return lineIndex_ == kNotComputed ? 0 : lineIndex_;
}

std::int32_t TVeskNavigator::DisplayLine()
{
    if (!editor_)
        return 0;
    const std::int32_t line = LineIndex();
    return editor_->FirstLine(ParagraphIndex()) + line;
}

std::int32_t TVeskNavigator::Column()
{
    if (!editor_)
        return 0;
    ComputeIndexes();
    const TParRecord& par = editor_->paragraphs_[paragraph_];
    const TLineRecord line = par.Line(lineIndex_);
    std::int32_t column = par.Plain() ? byteIndex_ - line.start
                                      : store::CharsBetween(par.Data(), line.start, byteIndex_);
    // The break's LF sits one character past the CR.
    if (position_ > par.length)
        column += position_ - par.length;
    return column;
}

void TVeskNavigator::GotoLine(std::int32_t n)
{
    if (!editor_)
        return;
    n = std::clamp(n, 0, std::max(editor_->LineCount() - 1, 0));
    const std::int32_t p = editor_->ParagraphOfLine(n);
    const TParRecord& par = editor_->paragraphs_[p];
    const std::int32_t lineIndex = std::min(n - editor_->FirstLine(p), par.LineCount() - 1);
    const TLineRecord line = par.Line(lineIndex);
    paragraph_ = p;
    position_ = par.Plain() ? line.start : store::CharsBetween(par.Data(), 0, line.start);
    offset_ = editor_->starts_[std::size_t(p)] + position_;
    byteIndex_ = line.start;
    lineIndex_ = lineIndex;
    style_ = line.style;
    state_ = line.state;
}

void TVeskNavigator::MoveForward(std::int32_t n)
{
    if (!editor_ || n <= 0)
        return;
    ComputeIndexes();
    const TParRecord& par = editor_->paragraphs_[paragraph_];
    const std::int32_t lineEnd = std::min(par.Line(lineIndex_).end, par.bytes);
    std::int32_t bi = byteIndex_;
    const std::int32_t passed = store::WalkForward(par.Data(), bi, lineEnd, n, state_, style_);
    byteIndex_ = bi;
    offset_ += passed;
    position_ += passed;
}

char32_t TVeskNavigator::CharAtPos()
{
    if (!editor_)
        return 0;
    Locate();
    const TParRecord& par = editor_->paragraphs_[paragraph_];
    if (position_ == par.length)
        return U'\r';
    if (position_ > par.length)
        return U'\n';
    ComputeIndexes();
    std::int32_t bi = byteIndex_;
    while (bi < par.bytes && par.Data()[bi] == kMarkByte)
        bi += kMarkSize;
    return DecodeUtf8At(par.Data() + bi);
}

THighlightState TVeskNavigator::State()
{
    ComputeIndexes();
    return state_;
}

std::uint8_t TVeskNavigator::Style()
{
    ComputeIndexes();
    if (state_.flagsStyle & 0x80)
        return state_.flagsStyle & 0x3F;
    return style_;
}

void TVeskNavigator::SkipMarks()
{
    if (!editor_)
        return;
    ComputeIndexes();
    const TParRecord& par = editor_->paragraphs_[paragraph_];
    while (byteIndex_ < par.bytes && par.Data()[byteIndex_] == kMarkByte) {
        std::memcpy(&state_, par.Data() + byteIndex_ + 1, sizeof state_);
        byteIndex_ += kMarkSize;
    }
}

namespace {

// Byte index and character count of the last mark at or before `limitByte`
// in a buffer; false when there is none.
bool LastMarkUpTo(const TParRecord& par, std::int32_t limitByte, std::int32_t& markByte, std::int32_t& markChars)
{
    if (par.markCount == 0)
        return false;
    bool found = false;
    std::int32_t chars = 0;
    for (std::int32_t bi = 0; bi < par.bytes && bi <= limitByte;) {
        if (par.Data()[bi] == kMarkByte) {
            markByte = bi;
            markChars = chars;
            found = true;
            bi += kMarkSize;
        } else {
            bi += Utf8SequenceLength(static_cast<unsigned char>(par.Data()[bi]));
            ++chars;
        }
    }
    return found;
}

// The first mark after `afterByte` (strictly), with its character count.
bool FirstMarkAfter(const TParRecord& par, std::int32_t afterByte, std::int32_t& markByte, std::int32_t& markChars)
{
    if (par.markCount == 0)
        return false;
    std::int32_t chars = 0;
    for (std::int32_t bi = 0; bi < par.bytes;) {
        if (par.Data()[bi] == kMarkByte) {
            if (bi > afterByte) {
                markByte = bi;
                markChars = chars;
                return true;
            }
            bi += kMarkSize;
        } else {
            bi += Utf8SequenceLength(static_cast<unsigned char>(par.Data()[bi]));
            ++chars;
        }
    }
    return false;
}

} // namespace

bool TVeskNavigator::PreviousMark(std::int32_t limit)
{
    if (!editor_)
        return false;
    ComputeIndexes();
    std::int32_t p = paragraph_;
    std::int32_t limitByte = byteIndex_;
    for (;;) {
        const TParRecord& par = editor_->paragraphs_[p];
        std::int32_t markByte = 0, markChars = 0;
        if (LastMarkUpTo(par, limitByte, markByte, markChars)) {
            paragraph_ = p;
            position_ = markChars;
            offset_ = editor_->starts_[std::size_t(p)] + markChars;
            byteIndex_ = markByte;
            lineIndex_ = kNotComputed;
            std::memcpy(&state_, par.Data() + markByte + 1, sizeof state_);
            return true;
        }
        if (p == 0 || editor_->starts_[std::size_t(p - 1)] < limit)
            return false;
        --p;
        limitByte = editor_->paragraphs_[p].bytes;
    }
}

bool TVeskNavigator::NextMark(std::int32_t limit)
{
    if (!editor_)
        return false;
    ComputeIndexes();
    std::int32_t p = paragraph_;
    std::int32_t afterByte = byteIndex_;
    const std::int32_t count = editor_->ParagraphCount();
    for (;;) {
        const TParRecord& par = editor_->paragraphs_[p];
        std::int32_t markByte = 0, markChars = 0;
        if (FirstMarkAfter(par, afterByte, markByte, markChars)) {
            const std::int32_t offset = editor_->starts_[std::size_t(p)] + markChars;
            if (offset > limit)
                return false;
            paragraph_ = p;
            position_ = markChars;
            offset_ = offset;
            byteIndex_ = markByte;
            lineIndex_ = kNotComputed;
            std::memcpy(&state_, par.Data() + markByte + 1, sizeof state_);
            return true;
        }
        if (p + 1 >= count || editor_->starts_[std::size_t(p + 1)] > limit)
            return false;
        ++p;
        afterByte = -1;
    }
}

void TVeskNavigator::InsertMark(const THighlightState& state)
{
    if (!editor_)
        return;
    ComputeIndexes();
    TParRecord& par = editor_->paragraphs_[paragraph_];
    const std::int32_t need = par.bytes + kMarkSize;
    if (need > par.capacity)
        TVeskMemoStore::GrowBuffer(par, need);
    char* data = par.Data();
    std::memmove(data + byteIndex_ + kMarkSize, data + byteIndex_, std::size_t(par.bytes - byteIndex_));
    data[byteIndex_] = kMarkByte;
    std::memcpy(data + byteIndex_ + 1, &state, sizeof state);
    par.bytes = need;
    ++par.markCount;
    if (par.lines.Count() > 0) {
        par.lines[lineIndex_].end += kMarkSize;
        for (std::int32_t k = lineIndex_ + 1; k < par.lines.Count(); ++k) {
            par.lines[k].start += kMarkSize;
            par.lines[k].end += kMarkSize;
        }
    }
    byteIndex_ += kMarkSize;
    state_ = state;
    editor_->ForgetNavigatorsIn(paragraph_, this);
}

void TVeskNavigator::DeleteMark()
{
    if (!editor_)
        return;
    ComputeIndexes();
    TParRecord& par = editor_->paragraphs_[paragraph_];
    if (byteIndex_ >= par.bytes || par.Data()[byteIndex_] != kMarkByte)
        return;
    char* data = par.Data();
    std::memmove(data + byteIndex_, data + byteIndex_ + kMarkSize, std::size_t(par.bytes - byteIndex_ - kMarkSize));
    par.bytes -= kMarkSize;
    --par.markCount;
    // Line records are kept exact at once, so none is ever read stale.
    if (par.lines.Count() > 0) {
        for (TLineRecord& l : par.lines) {
            if (l.start > byteIndex_)
                l.start -= kMarkSize;
            if (l.end > byteIndex_)
                l.end -= kMarkSize;
        }
    }
    lineIndex_ = kNotComputed;
    editor_->ForgetNavigatorsIn(paragraph_, this);
}

} // namespace vesk
