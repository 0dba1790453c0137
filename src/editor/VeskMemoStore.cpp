// The text store: addressing, reading, the replace-a-range primitive, navigators.
#include "editor/VeskMemoStore.h"

#include "editor/PositionMove.h"
#include "editor/StoreText.h"
#include "editor/VeskNavigator.h"

#include <QBuffer>

#include <algorithm>
#include <climits>
#include <cstring>
#include <tuple>
#include <utility>

namespace vesk {

// ---- paragraph records ------------------------------------------------------------

// A large text holds millions of these: their size is a memory budget.
static_assert(sizeof(TParRecord) == 40, "a paragraph record takes 40 bytes");

TParRecord::TParRecord(TParRecord&& other) noexcept : TParRecord()
{
    *this = std::move(other);
}

TParRecord& TParRecord::operator=(TParRecord&& other) noexcept
{
    if (this == &other)
        return *this;
    FreeBuffer();
    buffer = std::exchange(other.buffer, nullptr);
    length = other.length;
    bytes = other.bytes;
    capacity = std::exchange(other.capacity, 0);
    markCount = other.markCount;
    startState = other.startState;
    lineCount = other.lineCount;
    linesOrWidth = other.linesOrWidth;
    startStyle = other.startStyle;
    formatted = other.formatted;
    startStopParsed = other.startStopParsed;
    keywordsParsed = other.keywordsParsed;
    ownLines = other.ownLines;
    other.ownLines = false;
    other.lineCount = 1;
    other.linesOrWidth = 0;
    return *this;
}

TParRecord::~TParRecord()
{
    FreeBuffer();
}

void TParRecord::FreeBuffer()
{
    std::free(buffer);
    buffer = nullptr;
    capacity = 0;
}

std::int32_t TVeskMemoStore::SizedCapacity(std::int32_t n)
{
    const std::int64_t cap = n < 4096 ? std::int64_t(n) + n / 32 + 2 : std::int64_t(n) + 128;
    return std::int32_t(std::min<std::int64_t>(cap, INT_MAX));
}

void TVeskMemoStore::GrowBuffer(TParRecord& p, std::int32_t bytes)
{
    const std::int32_t cap = SizedCapacity(bytes);
    void* mem = std::realloc(p.buffer, std::size_t(cap));
    if (!mem)
        throw std::bad_alloc();
    p.buffer = static_cast<char*>(mem);
    p.capacity = cap;
}

TParRecord TVeskMemoStore::MakeParagraph(std::string_view bytes, std::int32_t length, std::int32_t marks)
{
    TParRecord p;
    const std::int32_t size = std::int32_t(bytes.size());
    TVeskMemoStore::GrowBuffer(p, size);
    if (size)
        std::memcpy(p.Data(), bytes.data(), bytes.size());
    p.bytes = size;
    p.length = length;
    p.markCount = marks;
    p.startStopParsed = false;
    p.keywordsParsed = false;
    return p;
}

std::vector<TVeskMemoStore::TPiece> TVeskMemoStore::SplitInsertedText(std::string_view text)
{
    std::string clean = SanitizeUtf8(text);
    std::vector<TPiece> pieces(1);
    for (std::size_t i = 0; i < clean.size(); ++i) {
        const char c = clean[i];
        if (c == '\r') {
            if (i + 1 < clean.size() && clean[i + 1] == '\n')
                ++i;
            pieces.emplace_back();
            continue;
        }
        TPiece& p = pieces.back();
        if (c == kMarkByte) {
            p.bytes += "\xC2\xA5";
            ++p.chars;
            continue;
        }
        p.bytes += c;
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80)
            ++p.chars;
    }
    return pieces;
}

namespace {

bool HasStyleCode(std::string_view bytes)
{
    for (char c : bytes) {
        if (StyleBitOf(static_cast<unsigned char>(c)))
            return true;
    }
    return false;
}

} // namespace

TVeskMemoStore::TVeskMemoStore()
{
    ResetToEmpty();
}

TVeskMemoStore::~TVeskMemoStore()
{
    // Navigators made by others outlive us harmlessly: they forget their editor.
    for (TVeskNavigator* n : navigators_)
        n->EditorDestroyed();
    navigators_.clear();
    // So may listeners owned elsewhere.
    for (TStoreListener* l : std::vector<TStoreListener*>(listeners_))
        l->StoreDestroyed();
    listeners_.clear();
}

void TVeskMemoStore::ResetToEmpty()
{
    paragraphs_.SetCount(0);
    lines_.Clear();
    states_.Clear();
    damage_ = TLayoutDamage{};
    TParRecord empty;
    empty.buffer = static_cast<char*>(std::malloc(16));
    if (!empty.buffer)
        throw std::bad_alloc();
    empty.capacity = 16;
    empty.startStopParsed = true;
    empty.keywordsParsed = true;
    paragraphs_.Append(std::move(empty));
    starts_.assign(1, 0);
    firstLines_.assign(1, 0);
    linesValid_ = 1;
    charCount_ = 0;
    lineCount_ = 1;
}

std::int32_t TVeskMemoStore::ParagraphStart(std::int32_t i) const
{
    if (i < 0 || i >= ParagraphCount())
        throw EListError();
    return starts_[std::size_t(i)];
}

std::int32_t TVeskMemoStore::FirstLine(std::int32_t i) const
{
    if (i < 0 || i >= ParagraphCount())
        throw EListError();
    ValidateFirstLines(i);
    return firstLines_[std::size_t(i)];
}

void TVeskMemoStore::ValidateFirstLines(std::int32_t through) const
{
    through = std::min(through, ParagraphCount() - 1);
    while (linesValid_ <= through) {
        const std::size_t k = std::size_t(linesValid_);
        firstLines_[k] = k == 0 ? 0 : firstLines_[k - 1] + paragraphs_[std::int32_t(k - 1)].LineCount();
        ++linesValid_;
    }
}

void TVeskMemoStore::LinesChanged(std::int32_t fromParagraph, std::int32_t delta)
{
    lineCount_ += delta;
    linesValid_ = std::min(linesValid_, std::max(fromParagraph + 1, 1));
}

namespace {

// Index of the last element of `sorted` (ascending, first element 0) that is
// at most `value`, starting from `guess`: a few steps of walking, then a
// binary search over what is left, so a bad guess costs log n, not n.
std::int32_t WalkToLastNotAbove(const std::vector<std::int32_t>& sorted, std::int64_t guess, std::int32_t value,
                                std::int32_t n)
{
    auto i = std::int32_t(std::clamp<std::int64_t>(guess, 0, n - 1));
    constexpr int kShortWalk = 16;
    for (int step = 0; step < kShortWalk; ++step) {
        if (i > 0 && value < sorted[std::size_t(i)])
            --i;
        else if (i < n - 1 && sorted[std::size_t(i + 1)] <= value)
            ++i;
        else
            return i;
    }
    if (value < sorted[std::size_t(i)]) {
        const auto it = std::upper_bound(sorted.begin(), sorted.begin() + i, value);
        return std::int32_t(it - sorted.begin()) - 1;
    }
    const auto it = std::upper_bound(sorted.begin() + i, sorted.begin() + n, value);
    return std::int32_t(it - sorted.begin()) - 1;
}

} // namespace

std::int32_t TVeskMemoStore::ParagraphOfOffset(std::int32_t offset) const
{
    const std::int32_t count = ParagraphCount();
    if (charCount_ == 0 || count == 1)
        return 0;
    offset = std::clamp(offset, 0, charCount_);
    // Proportional estimate in 64 bits, then a short walk.
    const std::int64_t guess = std::int64_t(offset) * (count - 2) / charCount_;
    return WalkToLastNotAbove(starts_, guess, offset, count);
}

std::int32_t TVeskMemoStore::ParagraphOfLine(std::int32_t line) const
{
    const std::int32_t count = ParagraphCount();
    if (count == 1 || lineCount_ <= 0)
        return 0;
    line = std::clamp(line, 0, lineCount_ - 1);
    // Exact first-line indexes are needed up to the paragraph holding the line.
    while (linesValid_ < count
           && firstLines_[std::size_t(linesValid_ - 1)] + paragraphs_[linesValid_ - 1].LineCount() <= line)
        ValidateFirstLines(linesValid_);
    const std::int64_t guess = std::int64_t(linesValid_) * line / lineCount_;
    return WalkToLastNotAbove(firstLines_, guess, line, linesValid_);
}

std::optional<std::string> TVeskMemoStore::ParagraphText(std::int32_t i) const
{
    if (i < 0 || i >= ParagraphCount())
        return std::nullopt;
    const TParRecord& p = paragraphs_[i];
    if (p.markCount == 0)
        return std::string(p.Data(), std::size_t(p.bytes));
    std::string out;
    out.reserve(std::size_t(p.bytes));
    store::AppendWithoutMarks(out, p.Data(), 0, p.bytes);
    return out;
}

std::optional<std::string> TVeskMemoStore::LineText(std::int32_t i)
{
    if (i < 0)
        return std::nullopt;
    FormatUpTo(i);
    if (i >= lineCount_)
        return std::nullopt;
    const std::int32_t p = ParagraphOfLine(i);
    const TParRecord& par = paragraphs_[p];
    const TStoredLine line = StoredLine(par, i - FirstLine(p));
    std::string out;
    store::AppendWithoutMarks(out, par.Data(), line.start, std::min(line.end, par.bytes));
    return out;
}

std::string TVeskMemoStore::GetTextPart(std::int32_t from, std::int32_t to) const
{
    from = std::max(from, 0);
    to = std::min(to, charCount_);
    std::string out;
    if (from >= to)
        return out;
    std::int32_t p = ParagraphOfOffset(from);
    std::int32_t pos = from - starts_[std::size_t(p)];
    std::int32_t remaining = to - from;
    out.reserve(std::size_t(remaining) + std::size_t(remaining) / 4);
    while (remaining > 0) {
        const TParRecord& par = paragraphs_[p];
        if (pos < par.length) {
            const std::int32_t take = std::min(remaining, par.length - pos);
            const std::int32_t b0 = ByteOfPosition(par, pos);
            const std::int32_t b1 = par.Plain() ? b0 + take : store::SkipChars(par.Data(), b0, par.bytes, take);
            store::AppendWithoutMarks(out, par.Data(), b0, b1);
            pos += take;
            remaining -= take;
        }
        if (remaining > 0 && pos == par.length) {
            out += '\r';
            ++pos;
            --remaining;
        }
        if (remaining > 0 && pos == par.length + 1) {
            out += '\n';
            --remaining;
            ++p;
            pos = 0;
        }
    }
    return out;
}

char32_t TVeskMemoStore::CharAt(std::int32_t offset) const
{
    if (offset < 0 || offset > charCount_)
        return 0;
    const std::int32_t p = ParagraphOfOffset(offset);
    const TParRecord& par = paragraphs_[p];
    const std::int32_t pos = offset - starts_[std::size_t(p)];
    if (pos == par.length)
        return U'\r';
    if (pos > par.length)
        return U'\n';
    std::int32_t bi = ByteOfPosition(par, pos);
    while (par.Data()[bi] == kMarkByte)
        bi += MarkSize(par.Data() + bi);
    return DecodeUtf8At(par.Data() + bi);
}

std::pair<std::int32_t, std::int32_t> TVeskMemoStore::SnapRange(std::int32_t from, std::int32_t to) const
{
    from = std::clamp(from, 0, charCount_);
    to = std::clamp(to, 0, charCount_);
    if (to < from)
        std::swap(from, to);
    const std::int32_t pA = ParagraphOfOffset(from);
    if (from - starts_[std::size_t(pA)] == paragraphs_[pA].length + 1)
        --from;
    const std::int32_t pB = ParagraphOfOffset(to);
    if (to - starts_[std::size_t(pB)] == paragraphs_[pB].length + 1)
        ++to;
    return {from, to};
}

std::optional<TTextChange> TVeskMemoStore::ReplaceRange(std::int32_t from, std::int32_t to, std::string_view text)
{
    std::tie(from, to) = SnapRange(from, to);
    const std::int32_t pA = ParagraphOfOffset(from);
    const std::int32_t posA = from - starts_[std::size_t(pA)];
    const std::int32_t pB = ParagraphOfOffset(to);
    const std::int32_t posB = to - starts_[std::size_t(pB)];

    const std::vector<TPiece> pieces = SplitInsertedText(text);
    std::int64_t insertedChars = 0;
    for (const TPiece& piece : pieces)
        insertedChars += piece.chars;
    insertedChars += 2 * std::int64_t(pieces.size() - 1);
    const std::int64_t newCount = std::int64_t(charCount_) - (to - from) + insertedChars;
    if (newCount > INT_MAX)
        return std::nullopt;

    TEditBounds bounds;
    bounds.pA = pA;
    bounds.pB = pB;
    bounds.posA = posA;
    bounds.posB = posB;
    bounds.headBytes = ByteOfPosition(paragraphs_[pA], posA);
    bounds.tailStart = ByteOfPosition(paragraphs_[pB], posB);
    const std::int32_t tailBytes = paragraphs_[pB].bytes - bounds.tailStart;

    // Sizes of the first and last new paragraphs, checked before anything changes.
    const std::int64_t firstSize = std::int64_t(bounds.headBytes) + std::int64_t(pieces.front().bytes.size())
        + (pieces.size() == 1 ? tailBytes : 0);
    const std::int64_t lastSize =
        pieces.size() == 1 ? firstSize : std::int64_t(pieces.back().bytes.size()) + tailBytes;
    if (firstSize > kMaxParagraphBytes || lastSize > kMaxParagraphBytes)
        return std::nullopt;
    for (const TPiece& piece : pieces) {
        if (std::int64_t(piece.bytes.size()) > kMaxParagraphBytes)
            return std::nullopt;
    }

    const std::int32_t delta = std::int32_t(newCount - charCount_);
    TTextChange change;
    change.start = from;
    change.oldLength = to - from;
    change.newLength = std::int32_t(insertedChars);
    change.firstParagraph = pA;
    change.oldParagraphs = pB - pA + 1;
    change.newParagraphs = std::int32_t(pieces.size());

    const bool stylesMayChange = HasStyleCode(text) || (from < to && HasStyleCode(GetTextPart(from, to)));
    if (pA == pB && pieces.size() == 1)
        ReplaceWithinParagraph(bounds, pieces.front().bytes, pieces.front().chars);
    else
        ReplaceParagraphs(bounds, pieces);

    // Offsets of every later paragraph move by the size difference.
    const std::size_t after = std::size_t(pA + change.newParagraphs);
    if (delta != 0) {
        std::int32_t* s = starts_.data();
        for (std::size_t i = after; i < starts_.size(); ++i)
            s[i] += delta;
    }
    charCount_ = std::int32_t(newCount);
    if (stylesMayChange)
        PropagateStartStyle(pA + change.newParagraphs);

    for (TVeskNavigator* n : navigators_) {
        n->offset_ = MovedPosition(n->offset_, from, to, change.newLength, TInsertGravity::Follow);
        if (n->offset_ >= from || n->paragraph_ < 0 || n->paragraph_ >= pA)
            n->Forget();
    }
    for (TStoreListener* l : std::vector<TStoreListener*>(listeners_))
        l->TextReplaced(change);
    return change;
}

void TVeskMemoStore::ReplaceWithinParagraph(const TEditBounds& b, std::string_view piece, std::int32_t pieceChars)
{
    // Typing and deleting inside one paragraph: the buffer is edited in
    // place when the sizing rule allows.
    TParRecord& par = paragraphs_[b.pA];
    const std::int32_t tailBytes = par.bytes - b.tailStart;
    const std::int32_t removedMarks = store::MarksBetween(par.Data(), b.headBytes, b.tailStart);
    NoteDamage(b.pA, b.headBytes, tailBytes);
    const auto inserted = std::int32_t(piece.size());
    const std::int32_t newSize = b.headBytes + inserted + tailBytes;
    if (newSize <= par.capacity && newSize >= par.capacity - newSize / 4) {
        std::memmove(par.Data() + b.headBytes + inserted, par.Data() + b.tailStart, std::size_t(tailBytes));
    } else {
        TParRecord fresh;
        GrowBuffer(fresh, newSize);
        std::memcpy(fresh.Data(), par.Data(), std::size_t(b.headBytes));
        std::memcpy(fresh.Data() + b.headBytes + inserted, par.Data() + b.tailStart, std::size_t(tailBytes));
        par.FreeBuffer();
        par.buffer = std::exchange(fresh.buffer, nullptr);
        par.capacity = std::exchange(fresh.capacity, 0);
    }
    if (!piece.empty())
        std::memcpy(par.Data() + b.headBytes, piece.data(), piece.size());
    par.bytes = newSize;
    par.length = b.posA + pieceChars + (par.length - b.posB);
    par.markCount -= removedMarks;
    // Line records follow the text: those after the edit shift, those inside
    // it collapse onto its start.
    if (par.ownLines) {
        // Lines that end before the edit are untouched.
        TStoredLine* lines = OwnLines(par);
        const TStoredLine* firstMoved = std::lower_bound(
            lines, lines + par.lineCount, b.headBytes, [](const TStoredLine& l, std::int32_t at) { return l.end < at; });
        for (auto k = std::int32_t(firstMoved - lines); k < par.lineCount; ++k) {
            TStoredLine& l = lines[k];
            l.start = MovedPosition(l.start, b.headBytes, b.tailStart, inserted, TInsertGravity::Stay);
            l.end = MovedPosition(l.end, b.headBytes, b.tailStart, inserted, TInsertGravity::Stay);
            l.chars = MovedPosition(l.chars, b.posA, b.posB, pieceChars, TInsertGravity::Stay);
        }
        lines[par.lineCount - 1].end = par.bytes;
    }
    par.formatted = false;
    par.startStopParsed = false;
    par.keywordsParsed = false;
}

void TVeskMemoStore::ReplaceParagraphs(const TEditBounds& b, const std::vector<TPiece>& pieces)
{
    // Build the new paragraphs, then swap them in for pA … pB.
    std::vector<TParRecord> made;
    made.reserve(pieces.size());
    {
        const TParRecord& first = paragraphs_[b.pA];
        const TParRecord& last = paragraphs_[b.pB];
        const std::int32_t headMarks = store::MarksBetween(first.Data(), 0, b.headBytes);
        const std::int32_t tailMarks = store::MarksBetween(last.Data(), b.tailStart, last.bytes);
        for (std::size_t k = 0; k < pieces.size(); ++k) {
            std::string bytes;
            std::int32_t chars = pieces[k].chars;
            std::int32_t marks = 0;
            if (k == 0) {
                bytes.assign(first.Data(), std::size_t(b.headBytes));
                chars += b.posA;
                marks += headMarks;
            }
            bytes += pieces[k].bytes;
            if (k + 1 == pieces.size()) {
                bytes.append(last.Data() + b.tailStart, std::size_t(last.bytes - b.tailStart));
                chars += last.length - b.posB;
                marks += tailMarks;
            }
            made.push_back(MakeParagraph(bytes, chars, marks));
        }
        // The first keeps the start the highlighter recorded there.
        made.front().startStyle = first.startStyle;
        made.front().startState = first.startState;
    }
    // A paragraph waiting to be laid out again keeps its place in the list.
    if (damage_.paragraph >= b.pA && damage_.paragraph <= b.pB)
        damage_ = TLayoutDamage{};
    else if (damage_.paragraph > b.pB)
        damage_.paragraph += std::int32_t(made.size()) - (b.pB - b.pA + 1);
    std::int32_t oldLines = 0;
    for (std::int32_t i = b.pA; i <= b.pB; ++i) {
        oldLines += paragraphs_[i].LineCount();
        DropLines(paragraphs_[i]);
    }

    const std::int32_t oldCount = b.pB - b.pA + 1;
    const auto newCount = std::int32_t(made.size());
    if (newCount > oldCount) {
        paragraphs_.Insert(b.pB + 1, newCount - oldCount);
        starts_.insert(starts_.begin() + b.pB + 1, std::size_t(newCount - oldCount), 0);
        firstLines_.insert(firstLines_.begin() + b.pB + 1, std::size_t(newCount - oldCount), 0);
    } else if (newCount < oldCount) {
        paragraphs_.Delete(b.pA + newCount, oldCount - newCount);
        starts_.erase(starts_.begin() + b.pA + newCount, starts_.begin() + b.pA + oldCount);
        firstLines_.erase(firstLines_.begin() + b.pA + newCount, firstLines_.begin() + b.pA + oldCount);
    }
    for (std::int32_t k = 0; k < newCount; ++k) {
        paragraphs_[b.pA + k] = std::move(made[std::size_t(k)]);
        if (k > 0) {
            const std::size_t i = std::size_t(b.pA + k);
            starts_[i] = starts_[i - 1] + paragraphs_[b.pA + k - 1].length + 2;
        }
    }
    // Every new paragraph has one line until it is formatted.
    if (newCount != oldLines || newCount != oldCount)
        LinesChanged(b.pA, newCount - oldLines);
    // The style at the start of each new paragraph follows from the codes before it.
    for (std::int32_t k = 1; k < newCount; ++k) {
        const TParRecord& prev = paragraphs_[b.pA + k - 1];
        paragraphs_[b.pA + k].startStyle =
            std::uint8_t(prev.startStyle ^ store::CodeParity(prev.Data(), 0, prev.bytes));
    }
}

void TVeskMemoStore::PropagateStartStyle(std::int32_t fromParagraph)
{
    // Codes toggle styles across paragraph ends; carry a change forward only
    // while it alters a paragraph's starting style.
    for (std::int32_t i = std::max(fromParagraph, 1); i < ParagraphCount(); ++i) {
        const TParRecord& prev = paragraphs_[i - 1];
        const auto style = std::uint8_t(prev.startStyle ^ store::CodeParity(prev.Data(), 0, prev.bytes));
        TParRecord& par = paragraphs_[i];
        if (par.startStyle == style)
            break;
        par.startStyle = style;
        if (par.ownLines)
            OwnLines(par)[0].style = style;
        par.formatted = false;
        if (damage_.paragraph == i)
            damage_ = TLayoutDamage{};  // every line may change now
        ForgetNavigatorsIn(i);
    }
}

void TVeskMemoStore::SetParagraphText(std::int32_t i, std::string_view text)
{
    if (i < 0)
        return;
    while (ParagraphCount() <= i)
        ReplaceRange(charCount_, charCount_, "\r\n");
    const std::int32_t start = starts_[std::size_t(i)];
    ReplaceRange(start, start + paragraphs_[i].length, text);
}

void TVeskMemoStore::SetTextBuf(std::string_view text)
{
    if (charCount_ == 0 && ParagraphCount() == 1 && text.empty())
        return;
    modified_ = true;
    QByteArray bytes = QByteArray::fromRawData(text.data(), qsizetype(text.size()));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    LoadFromStream(buffer);
}

void TVeskMemoStore::EndUpdate()
{
    if (updateLock_ == 0)
        return;
    if (--updateLock_ == 0)
        UpdateUnlocked();
}

void TVeskMemoStore::ForgetNavigatorsIn(std::int32_t paragraph, const TVeskNavigator* keep)
{
    for (TVeskNavigator* n : navigators_) {
        if (n != keep && n->paragraph_ == paragraph)
            n->ForgetIndexes();
    }
}

void TVeskMemoStore::RemoveListener(TStoreListener* listener)
{
    listeners_.erase(std::remove(listeners_.begin(), listeners_.end(), listener), listeners_.end());
}

void TVeskMemoStore::RegisterNavigator(TVeskNavigator* n)
{
    navigators_.push_back(n);
}

void TVeskMemoStore::UnregisterNavigator(TVeskNavigator* n)
{
    navigators_.erase(std::remove(navigators_.begin(), navigators_.end(), n), navigators_.end());
}

std::string StripMarks(const char* bytes, std::int32_t size)
{
    std::string out;
    out.reserve(std::size_t(size));
    store::AppendWithoutMarks(out, bytes, 0, size);
    return out;
}

std::string RemoveRedundantCodePairs(std::string_view text)
{
    std::string out(text);
    std::size_t j = 0;
    while (j < out.size()) {
        const auto c = static_cast<unsigned char>(out[j]);
        if (!StyleBitOf(c)) {
            ++j;
            continue;
        }
        bool removed = false;
        for (std::size_t k = j + 1; k < out.size() && StyleBitOf(static_cast<unsigned char>(out[k])); ++k) {
            if (static_cast<unsigned char>(out[k]) == c) {
                out.erase(k, 1);
                out.erase(j, 1);
                removed = true;
                break;
            }
        }
        if (!removed)
            ++j;
    }
    return out;
}

} // namespace vesk
