// The text store's display lines, context marks and highlighting states:
// line records in the line pool, the changed stretch a layout can start
// from, marks rewritten by the highlighter, and reclaiming unused states.
#include "editor/VeskMemoStore.h"

#include "editor/StoreText.h"
#include "editor/VeskNavigator.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace vesk {

TStoredLine TVeskMemoStore::StoredLine(const TParRecord& par, std::int32_t line) const
{
    if (line < 0 || line >= par.lineCount)
        throw EListError();
    if (par.ownLines)
        return OwnLines(par)[line];
    TStoredLine only;
    only.end = par.bytes;
    only.width = std::int32_t(par.linesOrWidth);
    only.state = par.startState;
    only.style = par.startStyle;
    return only;
}

TLineRecord TVeskMemoStore::Line(const TParRecord& par, std::int32_t line) const
{
    const TStoredLine stored = StoredLine(par, line);
    TLineRecord out;
    out.start = stored.start;
    out.end = stored.end;
    out.chars = stored.chars;
    out.width = stored.width;
    out.style = stored.style;
    out.state = states_[stored.state];
    return out;
}

std::int32_t TVeskMemoStore::LineChars(const TParRecord& par, std::int32_t line) const
{
    const std::int32_t from = StoredLine(par, line).chars;
    return (line + 1 < par.lineCount ? StoredLine(par, line + 1).chars : par.length) - from;
}

std::int32_t TVeskMemoStore::ByteOfPosition(const TParRecord& par, std::int32_t position) const
{
    if (par.Plain())
        return std::min(position, par.length);
    if (position >= par.length)
        return par.bytes;
    // Long paragraphs walk from the display line that holds the position.
    std::int32_t from = 0, chars = 0;
    if (par.ownLines && par.lineCount > 1) {
        const TStoredLine* lines = OwnLines(par);
        const TStoredLine* it = std::upper_bound(lines, lines + par.lineCount, position,
                                                 [](std::int32_t pos, const TStoredLine& l) { return pos < l.chars; });
        if (it != lines) {
            from = it[-1].start;
            chars = it[-1].chars;
        }
    }
    std::int32_t bi = from;
    store::WalkChars(par.Data(), bi, par.bytes, position - chars);
    return bi;
}

void TVeskMemoStore::NoteDamage(std::int32_t i, std::int32_t from, std::int32_t tail)
{
    if (damage_.paragraph == i) {
        damage_.from = std::min(damage_.from, from);
        damage_.tail = std::min(damage_.tail, tail);
        return;
    }
    // One paragraph at a time: another one that was waiting is laid out
    // whole, and so is this one unless its lines were up to date.
    damage_ = TLayoutDamage{};
    if (paragraphs_[i].formatted)
        damage_ = TLayoutDamage{i, from, tail};
}

void TVeskMemoStore::DropLines(TParRecord& par)
{
    if (par.ownLines)
        lines_.Free(par.linesOrWidth, par.lineCount);
    par.ownLines = false;
    par.linesOrWidth = 0;
    par.lineCount = 1;
}

void TVeskMemoStore::SetParagraphLines(std::int32_t i, const TLineRecord* lines, std::int32_t count)
{
    TParRecord& par = paragraphs_[i];
    if (count <= 0)
        throw EListError();
    const std::int32_t before = par.LineCount();
    // The first line starts where the paragraph does.
    par.startState = states_.Intern(lines[0].state);
    const bool single = count == 1 && lines[0].start == 0 && lines[0].end == par.bytes && lines[0].style == par.startStyle;
    if (single) {
        DropLines(par);
        par.linesOrWidth = std::uint32_t(lines[0].width);
    } else {
        par.linesOrWidth = par.ownLines ? lines_.Resize(par.linesOrWidth, before, count) : lines_.Allocate(count);
        par.ownLines = true;
        par.lineCount = count;
        TStoredLine* stored = OwnLines(par);
        std::int32_t chars = 0;
        for (std::int32_t k = 0; k < count; ++k) {
            if (k > 0)
                chars += store::CharsBetween(par.Data(), lines[k - 1].start, lines[k].start);
            stored[k].start = lines[k].start;
            stored[k].end = lines[k].end;
            stored[k].chars = chars;
            stored[k].width = lines[k].width;
            stored[k].style = lines[k].style;
            stored[k].state = k == 0 ? par.startState : states_.Intern(lines[k].state);
        }
    }
    par.lineCount = count;
    par.formatted = true;
    if (damage_.paragraph == i)
        damage_ = TLayoutDamage{};
    if (before != count)
        LinesChanged(i, count - before);
    ForgetNavigatorsIn(i);
    ReclaimStates();
}

void TVeskMemoStore::ReplaceParagraphLines(std::int32_t i, std::int32_t first, std::int32_t count,
                                           const TLineRecord* lines, std::int32_t newCount)
{
    TParRecord& par = paragraphs_[i];
    const std::int32_t before = par.LineCount();
    if (!par.ownLines || first < 0 || count < 0 || first + count > before || newCount <= 0)
        throw EListError();
    if (first == 0 && count == before) {
        SetParagraphLines(i, lines, newCount);
        return;
    }
    const std::int32_t total = before - count + newCount;
    auto store = [this, lines](TStoredLine& to, std::int32_t k) {
        to.start = lines[k].start;
        to.end = lines[k].end;
        to.chars = lines[k].chars;
        to.width = lines[k].width;
        to.style = lines[k].style;
        to.state = states_.Intern(lines[k].state);
    };
    if (total == before) {
        TStoredLine* stored = OwnLines(par);
        for (std::int32_t k = 0; k < newCount; ++k)
            store(stored[first + k], k);
    } else {
        const TStoredLine* old = OwnLines(par);
        std::vector<TStoredLine> merged(old, old + first);
        merged.resize(std::size_t(first + newCount));
        for (std::int32_t k = 0; k < newCount; ++k)
            store(merged[std::size_t(first + k)], k);
        merged.insert(merged.end(), old + first + count, old + before);
        par.linesOrWidth = lines_.Resize(par.linesOrWidth, before, total);
        std::copy(merged.begin(), merged.end(), OwnLines(par));
        par.lineCount = total;
    }
    if (first == 0)
        par.startState = OwnLines(par)[0].state;
    par.formatted = true;
    if (damage_.paragraph == i)
        damage_ = TLayoutDamage{};
    if (total != before)
        LinesChanged(i, total - before);
    ForgetNavigatorsIn(i);
    ReclaimStates();
}

void TVeskMemoStore::SetParagraphStartState(std::int32_t i, const THighlightState& state)
{
    TParRecord& par = paragraphs_[i];
    const TStateId id = states_.Intern(state);
    if (id == par.startState)
        return;
    par.startState = id;
    if (par.ownLines)
        OwnLines(par)[0].state = id;
    if (damage_.paragraph == i)
        damage_ = TLayoutDamage{};  // every line may change now
    ForgetNavigatorsIn(i);
    ReclaimStates();
}

void TVeskMemoStore::ReplaceParagraphMarks(std::int32_t i, std::string_view bytes, std::int32_t markCount)
{
    const TParRecord& par = paragraphs_[i];
    SpliceParagraphMarks(i, 0, par.bytes, 0, bytes, markCount - par.markCount);
}

void TVeskMemoStore::SpliceParagraphMarks(std::int32_t i, std::int32_t from, std::int32_t to, std::int32_t fromChar,
                                          std::string_view bytes, std::int32_t markDelta)
{
    TParRecord& par = paragraphs_[i];
    const auto inserted = std::int32_t(bytes.size());
    const std::int32_t tail = par.bytes - to;
    // Marks decide fonts: the lines over the splice are laid out again.
    NoteDamage(i, from, tail);
    par.formatted = false;
    const std::int32_t size = from + inserted + tail;
    const std::int32_t delta = size - par.bytes;
    // The part after the splice moves: left before the buffer shrinks,
    // right once it has grown.
    const bool resize = size > par.capacity || size < par.capacity - size / 4;
    if (delta <= 0) {
        std::memmove(par.Data() + from + inserted, par.Data() + to, std::size_t(tail));
        if (resize)
            GrowBuffer(par, size);
    } else {
        if (resize)
            GrowBuffer(par, size);
        std::memmove(par.Data() + from + inserted, par.Data() + to, std::size_t(tail));
    }
    if (inserted)
        std::memcpy(par.Data() + from, bytes.data(), bytes.size());
    par.bytes = size;
    par.markCount += markDelta;
    // Line records keep their character positions: those after the splice
    // shift with the bytes, those inside it go to the same character in the
    // new bytes (before the marks in front of it).
    if (par.ownLines) {
        TStoredLine* lines = OwnLines(par);
        std::int32_t bi = from, chars = fromChar;
        // Lines that start before the splice are untouched but for the end
        // of the last of them.
        const TStoredLine* firstMoved = std::upper_bound(
            lines, lines + par.lineCount, from, [](std::int32_t at, const TStoredLine& l) { return at < l.start; });
        for (auto k = std::int32_t(firstMoved - lines); k < par.lineCount; ++k) {
            TStoredLine& l = lines[k];
            if (l.start >= to && l.start > from) {
                l.start += delta;
            } else if (l.start > from) {
                store::WalkChars(par.Data(), bi, from + inserted, l.chars - chars);
                chars = l.chars;
                l.start = bi;
            }
            if (k > 0)
                lines[k - 1].end = l.start;
        }
        lines[par.lineCount - 1].end = size;
    }
    ForgetNavigatorsIn(i);
    ReclaimStates();
}

void TVeskMemoStore::ReclaimStates()
{
    if (!states_.SweepDue())
        return;
    // Every index the text still holds: marks, paragraph starts, line records.
    states_.BeginSweep();
    for (std::int32_t i = 0; i < ParagraphCount(); ++i) {
        const TParRecord& par = paragraphs_[i];
        states_.Keep(par.startState);
        const char* data = par.Data();
        for (std::int32_t bi = 0; bi < par.bytes;) {
            const void* hit = std::memchr(data + bi, kMarkByte, std::size_t(par.bytes - bi));
            if (!hit)
                break;
            bi = std::int32_t(static_cast<const char*>(hit) - data);
            states_.Keep(MarkState(data + bi));
            bi += MarkSize(data + bi);
        }
        if (par.ownLines) {
            const TStoredLine* lines = OwnLines(par);
            for (std::int32_t k = 0; k < par.lineCount; ++k)
                states_.Keep(lines[k].state);
        }
    }
    states_.EndSweep();
}

} // namespace vesk
