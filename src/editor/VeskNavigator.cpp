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
                store::WalkForward(par.Data(), bi, par.bytes, target, editor_->States(), state_, style_);
                byteIndex_ = bi;
                if (lineIndex_ != kNotComputed) {
                    while (lineIndex_ + 1 < par.lineCount && editor_->StoredLine(par, lineIndex_).end <= byteIndex_)
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
    // Walk from the start of the display line that holds the position (line
    // records know how many characters lie before them), so the cost is that
    // of a line even in a very long paragraph.
    const TStoredLine* lines = par.ownLines ? editor_->OwnLines(par) : nullptr;
    TStoredLine from = editor_->StoredLine(par, 0);
    if (lines && par.lineCount > 1) {
        const TStoredLine* it = std::upper_bound(lines, lines + par.lineCount, std::min(position_, par.length),
                                                 [](std::int32_t pos, const TStoredLine& l) { return pos < l.chars; });
        if (it != lines)
            from = it[-1];
    }
    state_ = editor_->State(from.state);
    style_ = from.style;
    std::int32_t bi = from.start;
    store::WalkForward(par.Data(), bi, par.bytes, std::min(position_, par.length) - from.chars, editor_->States(),
                       state_, style_);
    byteIndex_ = position_ > par.length ? par.bytes : bi;
    // The last line that starts at or before the byte index.
    lineIndex_ = 0;
    if (lines && par.lineCount > 1) {
        const TStoredLine* it = std::upper_bound(lines, lines + par.lineCount, byteIndex_,
                                                 [](std::int32_t b, const TStoredLine& l) { return b < l.start; });
        lineIndex_ = std::max<std::int32_t>(0, std::int32_t(it - lines) - 1);
    }
    const TStoredLine line = editor_->StoredLine(par, lineIndex_);
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
    // Positions past the length are the break's CR and LF, one character each.
    return position_ - editor_->StoredLine(par, lineIndex_).chars;
}

void TVeskNavigator::GotoLine(std::int32_t n)
{
    if (!editor_)
        return;
    n = std::clamp(n, 0, std::max(editor_->LineCount() - 1, 0));
    const std::int32_t p = editor_->ParagraphOfLine(n);
    const TParRecord& par = editor_->paragraphs_[p];
    const std::int32_t lineIndex = std::min(n - editor_->FirstLine(p), par.LineCount() - 1);
    const TStoredLine line = editor_->StoredLine(par, lineIndex);
    paragraph_ = p;
    position_ = line.chars;
    offset_ = editor_->starts_[std::size_t(p)] + position_;
    byteIndex_ = line.start;
    lineIndex_ = lineIndex;
    style_ = line.style;
    state_ = editor_->State(line.state);
}

void TVeskNavigator::MoveForward(std::int32_t n)
{
    if (!editor_ || n <= 0)
        return;
    ComputeIndexes();
    const TParRecord& par = editor_->paragraphs_[paragraph_];
    const std::int32_t lineEnd = std::min(editor_->StoredLine(par, lineIndex_).end, par.bytes);
    std::int32_t bi = byteIndex_;
    const std::int32_t passed = store::WalkForward(par.Data(), bi, lineEnd, n, editor_->States(), state_, style_);
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
        bi += MarkSize(par.Data() + bi);
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
        state_ = editor_->State(MarkState(par.Data() + byteIndex_));
        byteIndex_ += MarkSize(par.Data() + byteIndex_);
    }
}

namespace {

// Byte index and character count of the last mark at or before `limitByte`
// in bytes [fromByte, end) of a buffer, counting characters from
// `fromChars`; false when there is none.
bool LastMarkUpTo(const TParRecord& par, std::int32_t fromByte, std::int32_t fromChars, std::int32_t limitByte,
                  std::int32_t& markByte, std::int32_t& markChars)
{
    bool found = false;
    std::int32_t chars = fromChars;
    for (std::int32_t bi = fromByte; bi < par.bytes && bi <= limitByte;) {
        if (par.Data()[bi] == kMarkByte) {
            markByte = bi;
            markChars = chars;
            found = true;
            bi += MarkSize(par.Data() + bi);
        } else {
            bi += Utf8SequenceLength(static_cast<unsigned char>(par.Data()[bi]));
            ++chars;
        }
    }
    return found;
}

// The first mark after `afterByte` (strictly) in bytes [fromByte, end), with
// its character count counted from `fromChars`.
bool FirstMarkAfter(const TParRecord& par, std::int32_t fromByte, std::int32_t fromChars, std::int32_t afterByte,
                    std::int32_t& markByte, std::int32_t& markChars)
{
    std::int32_t chars = fromChars;
    for (std::int32_t bi = fromByte; bi < par.bytes;) {
        if (par.Data()[bi] == kMarkByte) {
            if (bi > afterByte) {
                markByte = bi;
                markChars = chars;
                return true;
            }
            bi += MarkSize(par.Data() + bi);
        } else {
            bi += Utf8SequenceLength(static_cast<unsigned char>(par.Data()[bi]));
            ++chars;
        }
    }
    return false;
}

} // namespace

void TVeskNavigator::PlaceOnMark(std::int32_t p, std::int32_t markByte, std::int32_t markChars)
{
    const TParRecord& par = editor_->paragraphs_[p];
    paragraph_ = p;
    position_ = markChars;
    offset_ = editor_->starts_[std::size_t(p)] + markChars;
    byteIndex_ = markByte;
    lineIndex_ = kNotComputed;
    state_ = editor_->State(MarkState(par.Data() + markByte));
}

bool TVeskNavigator::PreviousMark(std::int32_t limit)
{
    if (!editor_)
        return false;
    ComputeIndexes();
    std::int32_t p = paragraph_;
    std::int32_t limitByte = byteIndex_;
    // The current display line is searched first: in a long paragraph the
    // mark is usually near.
    std::int32_t line = lineIndex_;
    for (;;) {
        const TParRecord& par = editor_->paragraphs_[p];
        std::int32_t markByte = 0, markChars = 0;
        if (par.markCount > 0) {
            const TStoredLine from = editor_->StoredLine(par, line);
            if (LastMarkUpTo(par, from.start, from.chars, limitByte, markByte, markChars)
                || (from.start > 0 && LastMarkUpTo(par, 0, 0, from.start - 1, markByte, markChars))) {
                PlaceOnMark(p, markByte, markChars);
                return true;
            }
        }
        if (p == 0 || editor_->starts_[std::size_t(p - 1)] < limit)
            return false;
        --p;
        limitByte = editor_->paragraphs_[p].bytes;
        line = editor_->paragraphs_[p].lineCount - 1;
    }
}

bool TVeskNavigator::NextMark(std::int32_t limit)
{
    if (!editor_)
        return false;
    ComputeIndexes();
    std::int32_t p = paragraph_;
    std::int32_t afterByte = byteIndex_;
    TStoredLine from = editor_->StoredLine(editor_->paragraphs_[p], lineIndex_);
    const std::int32_t count = editor_->ParagraphCount();
    for (;;) {
        const TParRecord& par = editor_->paragraphs_[p];
        std::int32_t markByte = 0, markChars = 0;
        if (par.markCount > 0 && FirstMarkAfter(par, from.start, from.chars, afterByte, markByte, markChars)) {
            const std::int32_t offset = editor_->starts_[std::size_t(p)] + markChars;
            if (offset > limit)
                return false;
            PlaceOnMark(p, markByte, markChars);
            return true;
        }
        if (p + 1 >= count || editor_->starts_[std::size_t(p + 1)] > limit)
            return false;
        ++p;
        afterByte = -1;
        from = TStoredLine{};
    }
}

void TVeskNavigator::InsertMark(const THighlightState& state)
{
    if (!editor_)
        return;
    ComputeIndexes();
    const TStateId id = editor_->InternState(state);
    const int size = MarkSizeFor(id);
    TParRecord& par = editor_->paragraphs_[paragraph_];
    const std::int32_t need = par.bytes + size;
    if (need > par.capacity)
        TVeskMemoStore::GrowBuffer(par, need);
    char* data = par.Data();
    std::memmove(data + byteIndex_ + size, data + byteIndex_, std::size_t(par.bytes - byteIndex_));
    WriteMark(data + byteIndex_, id);
    par.bytes = need;
    ++par.markCount;
    if (par.ownLines) {
        TStoredLine* lines = editor_->OwnLines(par);
        lines[lineIndex_].end += size;
        for (std::int32_t k = lineIndex_ + 1; k < par.lineCount; ++k) {
            lines[k].start += size;
            lines[k].end += size;
        }
    }
    byteIndex_ += size;
    state_ = state;
    editor_->ForgetNavigatorsIn(paragraph_, this);
    editor_->ReclaimStates();
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
    const int size = MarkSize(data + byteIndex_);
    std::memmove(data + byteIndex_, data + byteIndex_ + size, std::size_t(par.bytes - byteIndex_ - size));
    par.bytes -= size;
    --par.markCount;
    // Line records are kept exact at once, so none is ever read stale.
    if (par.ownLines) {
        TStoredLine* lines = editor_->OwnLines(par);
        for (std::int32_t k = 0; k < par.lineCount; ++k) {
            if (lines[k].start > byteIndex_)
                lines[k].start -= size;
            if (lines[k].end > byteIndex_)
                lines[k].end -= size;
        }
    }
    lineIndex_ = kNotComputed;
    editor_->ForgetNavigatorsIn(paragraph_, this);
}

} // namespace vesk
