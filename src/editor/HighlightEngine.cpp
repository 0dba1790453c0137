// Markup colouring: the start/stop and keyword passes over a paragraph, the
// parsed prefix, and reading states back.
#include "editor/HighlightEngine.h"

#include "editor/StoreText.h"
#include "editor/TextEncoding.h"
#include "editor/VeskNavigator.h"

#include <algorithm>
#include <cstring>

namespace vesk {
namespace {

constexpr int kMaxDepth = 16;
const THighlightState kOutside{};

bool SameState(const THighlightState& a, const THighlightState& b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// The characters of UTF-8 text, and where each starts in the bytes.
void Decode(std::string_view utf8, std::u32string& chars, std::vector<std::int32_t>& byteOf)
{
    chars.clear();
    byteOf.clear();
    chars.reserve(utf8.size());
    byteOf.reserve(utf8.size() + 1);
    for (std::size_t i = 0; i < utf8.size();) {
        byteOf.push_back(std::int32_t(i));
        chars.push_back(DecodeUtf8At(utf8.data() + i));
        i += std::size_t(Utf8SequenceLength(static_cast<unsigned char>(utf8[i])));
    }
    byteOf.push_back(std::int32_t(utf8.size()));
}

bool Boundary(const std::u32string& text, std::int64_t index, const TSeparatorSet& separators)
{
    return index < 0 || index >= std::int64_t(text.size()) || IsSeparator(separators, text[std::size_t(index)]);
}

} // namespace

TVeskHighlighter::~TVeskHighlighter()
{
    for (THighlightEngine* user : users_)
        user->highlighter_ = nullptr;
}

THighlightEngine::THighlightEngine(TVeskMemoStore& store)
    : store_(store), startStop_(std::make_shared<TStartStopKeyList>()), separators_(DefaultSeparators())
{
    store_.AddListener(this);
}

THighlightEngine::~THighlightEngine()
{
    store_.RemoveListener(this);
    Detach();
}

void THighlightEngine::Detach()
{
    if (highlighter_) {
        auto& users = highlighter_->users_;
        users.erase(std::remove(users.begin(), users.end(), this), users.end());
        highlighter_ = nullptr;
    }
}

void THighlightEngine::SetHighlighter(TVeskHighlighter* h)
{
    if (h == highlighter_)
        return;
    Detach();
    highlighter_ = h;
    if (h)
        h->users_.push_back(this);
}

void THighlightEngine::SetStartStopKeys(std::shared_ptr<TStartStopKeyList> list)
{
    startStop_ = list ? std::move(list) : std::make_shared<TStartStopKeyList>();
}

void THighlightEngine::SetSeparatorSet(const TSeparatorSet& set)
{
    separators_ = set;
    startStop_->Unprepare();
}

void THighlightEngine::ReApplyKeywords()
{
    for (std::int32_t i = 0; i < store_.ParagraphCount(); ++i) {
        TParRecord& par = store_.MutableParagraph(i);
        par.startStopParsed = false;
        par.keywordsParsed = false;
        par.formatted = false;
        store_.SetParagraphStartState(i, kOutside);
    }
    parsedCount_ = 0;
}

THighlightState THighlightEngine::OpeningState(const THighlightState& below, std::int32_t entryIndex,
                                               bool keyword) const
{
    THighlightState s = below;
    const TKeyLook& look = keyword ? keywords_.Look(entryIndex) : (*startStop_)[entryIndex].look;
    s.flagsStyle = std::uint8_t(0xC0 | (look.style & 0x3F));
    s.depth = std::int8_t(below.depth + 1);
    s.background = look.background;
    s.textColor = look.textColor;
    s.context = std::uint16_t(look.context);
    s.pointer = std::uint16_t(look.pointer);
    s.stack[s.depth] = std::int16_t(keyword ? entryIndex : entryIndex - 32768);
    if (keyword) {
        s.startWidth = 0;
        s.stopWidth = 0;
    } else {
        const TStartStopKey& key = (*startStop_)[entryIndex];
        s.startWidth = std::uint8_t(std::min(255, key.StartLength() + (key.checkAfterStart ? 1 : 0)));
        s.stopWidth = std::uint8_t(std::min(255, key.StopLength() + (key.checkBeforeStop ? 1 : 0)));
    }
    return s;
}

THighlightState THighlightEngine::StateBelow(const THighlightState& s) const
{
    // Rebuilt from the stack, so the restored state is exactly what opening
    // those entries gave in the first place.
    THighlightState below = kOutside;
    for (int d = 0; d < s.depth && d < kMaxDepth; ++d) {
        const std::int16_t entry = s.stack[d];
        if (entry >= 0 && entry < keywords_.Count())
            below = OpeningState(below, entry, true);
        else if (entry < 0 && entry + 32768 < startStop_->Count())
            below = OpeningState(below, entry + 32768, false);
        else
            return kOutside;  // rules changed under the stored state
    }
    return below;
}

void THighlightEngine::StartStopPass(const std::u32string& text, const THighlightState& start,
                                     std::vector<PendingMark>& marks, THighlightState& end)
{
    TStartStopKeyList& keys = *startStop_;
    end = start;
    if (keys.Count() == 0)
        return;
    keys.Prepare(separators_);
    const auto n = std::int64_t(text.size());
    std::u32string upper;
    bool haveUpper = false;
    auto upperText = [&]() -> const std::u32string& {
        if (!haveUpper) {
            upper = Upper(text);
            haveUpper = true;
        }
        return upper;
    };
    auto searchIn = [&](const TKeyLook& look) -> const std::u32string& {
        return (look.options & kKeyMatchCase) ? text : upperText();
    };

    // Where each entry's start next matches (with its checks), or -1 once
    // it cannot match any more in this paragraph.
    std::vector<std::int64_t> nextStart(std::size_t(keys.Count()), -2);
    auto findStart = [&](std::int32_t k, std::int64_t from) -> std::int64_t {
        const TStartStopKey& key = keys[k];
        if (key.start.empty())
            return -1;
        const std::u32string& hay = searchIn(key.look);
        for (std::size_t at = std::size_t(from); (at = hay.find(key.start, at)) != std::u32string::npos; ++at) {
            const auto a = std::int64_t(at);
            if (key.checkBeforeStart && !Boundary(text, a - 1, separators_))
                continue;
            if (key.checkAfterStart && !Boundary(text, a + key.StartLength(), separators_))
                continue;
            return a;
        }
        return -1;
    };

    std::int64_t pos = 0;
    THighlightState st = start;
    for (;;) {
        const bool inStartStop = st.InContext() && st.depth >= 0 && st.depth < kMaxDepth && st.stack[st.depth] < 0;
        if (inStartStop) {
            const std::int32_t e = st.stack[st.depth] + 32768;
            if (e >= keys.Count()) {
                st = kOutside;  // the entry is gone from the list
                continue;
            }
            const TStartStopKey& key = keys[e];
            std::int64_t found = -1;
            if (!key.stop.empty()) {
                const std::u32string& hay = searchIn(key.look);
                for (std::size_t at = std::size_t(pos); (at = hay.find(key.stop, at)) != std::u32string::npos; ++at) {
                    const auto q = std::int64_t(at);
                    if (key.checkBeforeStop && !Boundary(text, q - 1, separators_))
                        continue;
                    if (key.checkAfterStop && !Boundary(text, q + key.StopLength(), separators_))
                        continue;
                    found = q;
                    break;
                }
            }
            if (found >= 0) {
                const std::int64_t after = found + key.StopLength();
                const std::int32_t alt = keys.AlternativeAfter(e);
                if (alt >= 0) {
                    st = OpeningState(StateBelow(st), alt, false);
                    marks.push_back({std::int32_t(after), 1, st});
                } else {
                    st = StateBelow(st);
                    marks.push_back({std::int32_t(after), 0, st});
                }
                pos = after;
                continue;
            }
            if (key.closeAtParagraphEnd) {
                st = StateBelow(st);
                marks.push_back({std::int32_t(n), 0, st});
            }
            break;
        }
        if (!applyStartStop_ || st.depth + 1 >= kMaxDepth)
            break;
        // The leftmost match of any entry; at one position the first entry wins.
        std::int64_t best = -1;
        std::int32_t bestEntry = -1;
        for (std::int32_t k = 0; k < keys.Count(); ++k) {
            std::int64_t& next = nextStart[std::size_t(k)];
            if (next == -1)
                continue;
            if (next < pos)
                next = findStart(k, pos);
            if (next >= 0 && (best < 0 || next < best)) {
                best = next;
                bestEntry = k;
            }
        }
        if (best < 0)
            break;
        st = OpeningState(st, bestEntry, false);
        marks.push_back({std::int32_t(best), 1, st});
        pos = best + keys[bestEntry].StartLength();
    }
    end = st;
}

void THighlightEngine::KeywordPass(const std::u32string& text, const THighlightState& start,
                                   std::vector<PendingMark>& marks)
{
    if (keywords_.Count() == 0)
        return;
    // The state at every character after the start/stop pass.
    std::vector<PendingMark> sorted = marks;
    std::stable_sort(sorted.begin(), sorted.end(), [](const PendingMark& a, const PendingMark& b) {
        return a.position != b.position ? a.position < b.position : a.order < b.order;
    });
    const std::size_t n = text.size();
    std::vector<THighlightState> before(n);
    {
        THighlightState st = start;
        std::size_t m = 0;
        for (std::size_t i = 0; i < n; ++i) {
            while (m < sorted.size() && sorted[m].position <= std::int32_t(i))
                st = sorted[m++].state;
            before[i] = st;
        }
    }
    // Text that a keyword or context already covers is masked with the mark
    // byte, so no keyword can match there; with nesting on, text whose
    // innermost entry is a keyword stays searchable.
    std::u32string work = text;
    for (std::size_t i = 0; i < n; ++i) {
        const THighlightState& st = before[i];
        if (!st.InContext())
            continue;
        const bool innerKeyword = st.depth >= 0 && st.depth < kMaxDepth && st.stack[st.depth] >= 0;
        if (!(keywords_.nesting && innerKeyword))
            work[i] = char32_t(kMarkByte);
    }
    std::u32string workUpper;
    bool haveUpper = false;

    struct Occurrence {
        std::int32_t at, length, keyword;
    };
    std::vector<Occurrence> found;
    // The state stack holds keyword indexes as 16-bit numbers.
    const std::int32_t usable = std::min<std::int32_t>(keywords_.Count(), 32767);
    for (std::int32_t k = 0; k < usable; ++k) {
        const TKeyLook& look = keywords_.Look(k);
        if (look.context == 0 || keywords_.Chars(k).empty())
            continue;
        const bool matchCase = (look.options & kKeyMatchCase) != 0;
        if (!matchCase && !haveUpper) {
            workUpper = Upper(work);
            haveUpper = true;
        }
        const std::u32string& hay = matchCase ? work : workUpper;
        const std::u32string& needle = matchCase ? keywords_.Chars(k) : keywords_.UpperChars(k);
        const auto len = std::int64_t(needle.size());
        for (std::size_t at = 0; (at = hay.find(needle, at)) != std::u32string::npos;) {
            const auto a = std::int64_t(at);
            if ((look.options & kKeyWholeWords)
                && (!Boundary(work, a - 1, separators_) || !Boundary(work, a + len, separators_))) {
                ++at;
                continue;
            }
            if (before[at].depth + 1 >= kMaxDepth) {
                ++at;
                continue;
            }
            found.push_back({std::int32_t(a), std::int32_t(len), k});
            // Taken text is masked in both copies: an earlier keyword wins overlaps.
            for (std::int64_t i = a; i < a + len; ++i) {
                work[std::size_t(i)] = char32_t(kMarkByte);
                if (haveUpper)
                    workUpper[std::size_t(i)] = char32_t(kMarkByte);
            }
            at += std::size_t(len);
        }
    }
    for (const Occurrence& o : found) {
        const THighlightState& outer = before[std::size_t(o.at)];
        marks.push_back({o.at, 1, OpeningState(outer, o.keyword, true)});
        // After the keyword the state around it is in force again.
        marks.push_back({o.at + o.length, 0, outer});
    }
}

THighlightState THighlightEngine::ParseParagraph(std::int32_t i, const THighlightState& start)
{
    ++parsed_;
    const std::string utf8 = *store_.ParagraphText(i);
    std::u32string text;
    std::vector<std::int32_t> byteOf;
    Decode(utf8, text, byteOf);

    std::vector<PendingMark> marks;
    THighlightState end = start;
    StartStopPass(text, start, marks, end);
    if (applyKeywords_)
        KeywordPass(text, start, marks);

    // Closing marks go before opening ones at the same place; of several
    // marks at one place only the last decides, so only it is kept.
    std::stable_sort(marks.begin(), marks.end(), [](const PendingMark& a, const PendingMark& b) {
        return a.position != b.position ? a.position < b.position : a.order < b.order;
    });
    std::vector<PendingMark> kept;
    kept.reserve(marks.size());
    for (const PendingMark& m : marks) {
        if (!kept.empty() && kept.back().position == m.position)
            kept.back() = m;
        else
            kept.push_back(m);
    }

    std::string bytes;
    bytes.reserve(utf8.size() + kept.size() * 3);
    std::size_t copied = 0;
    for (const PendingMark& m : kept) {
        const auto at = std::size_t(byteOf[std::size_t(std::min<std::int64_t>(m.position, std::int64_t(text.size())))]);
        bytes.append(utf8, copied, at - copied);
        copied = at;
        char mark[kMaxMarkSize];
        bytes.append(mark, std::size_t(WriteMark(mark, store_.InternState(m.state))));
    }
    bytes.append(utf8, copied, std::string::npos);

    store_.ReplaceParagraphMarks(i, bytes, std::int32_t(kept.size()));
    store_.SetParagraphStartState(i, start);
    TParRecord& par = store_.MutableParagraph(i);
    par.startStopParsed = true;
    par.keywordsParsed = true;
    return end;
}

THighlightState THighlightEngine::EndStateOf(std::int32_t i) const
{
    const TParRecord& par = store_.Paragraph(i);
    if (par.markCount == 0)
        return store_.ParagraphStartState(i);
    // Text never holds the mark byte, so memchr finds mark starts directly.
    TStateId last = par.startState;
    const char* data = par.Data();
    const char* endPtr = data + par.bytes;
    for (const char* p = data; p < endPtr;) {
        const void* hit = std::memchr(p, kMarkByte, std::size_t(endPtr - p));
        if (!hit)
            break;
        const char* mark = static_cast<const char*>(hit);
        last = MarkState(mark);
        p = mark + MarkSize(mark);
    }
    return store_.State(last);
}

void THighlightEngine::EnsureParsed(std::int32_t last)
{
    last = std::min(last, store_.ParagraphCount() - 1);
    if (parsedCount_ > last)
        return;
    THighlightState carry = parsedCount_ == 0 ? kOutside : EndStateOf(parsedCount_ - 1);
    for (std::int32_t i = parsedCount_; i <= last; ++i) {
        const TParRecord& par = store_.Paragraph(i);
        if (highlighter_) {
            TVeskNavigator from(&store_, false), to(&store_, false);
            from.SetOffset(store_.ParagraphStart(i));
            to.SetOffset(store_.ParagraphStart(i) + par.length);
            store_.SetParagraphStartState(i, carry);
            highlighter_->ParseStartStopKeys(from, to);
            if (applyKeywords_)
                highlighter_->ParseKeywords(from, to);
            TParRecord& mutablePar = store_.MutableParagraph(i);
            mutablePar.startStopParsed = true;
            mutablePar.keywordsParsed = true;
            carry = EndStateOf(i);
            continue;
        }
        // A paragraph parsed from the state that still leads into it keeps its marks.
        if (par.startStopParsed && par.keywordsParsed && SameState(store_.ParagraphStartState(i), carry)) {
            carry = EndStateOf(i);
            continue;
        }
        carry = ParseParagraph(i, carry);
    }
    parsedCount_ = last + 1;
}

void THighlightEngine::ParseStartStopKeys(TVeskNavigator& from, TVeskNavigator& to)
{
    if (highlighter_) {
        highlighter_->ParseStartStopKeys(from, to);
        return;
    }
    const std::int32_t first = from.ParagraphIndex();
    const std::int32_t last = to.ParagraphIndex();
    for (std::int32_t i = first; i <= last && i < store_.ParagraphCount(); ++i)
        store_.MutableParagraph(i).startStopParsed = false;
    parsedCount_ = std::min(parsedCount_, first);
    EnsureParsed(last);
}

void THighlightEngine::ParseKeywords(TVeskNavigator& from, TVeskNavigator& to)
{
    if (highlighter_) {
        highlighter_->ParseKeywords(from, to);
        return;
    }
    const std::int32_t first = from.ParagraphIndex();
    const std::int32_t last = to.ParagraphIndex();
    for (std::int32_t i = first; i <= last && i < store_.ParagraphCount(); ++i)
        store_.MutableParagraph(i).keywordsParsed = false;
    parsedCount_ = std::min(parsedCount_, first);
    EnsureParsed(last);
}

void THighlightEngine::TextReplaced(const TTextChange& change)
{
    const std::int32_t k = change.firstParagraph;
    if (k >= parsedCount_)
        return;  // not parsed yet: it is parsed in order when needed
    const bool wholeOldRangeParsed = k + change.oldParagraphs <= parsedCount_;
    const std::int32_t shiftedFrontier = parsedCount_ + change.newParagraphs - change.oldParagraphs;

    // The edited paragraphs are parsed at once, from the state that leads into them.
    THighlightState carry = store_.ParagraphStartState(k);
    std::int32_t next = k;
    for (; next < k + change.newParagraphs; ++next) {
        if (highlighter_) {
            store_.MutableParagraph(next).startStopParsed = false;
            parsedCount_ = next;
            EnsureParsed(next);
            carry = EndStateOf(next);
        } else {
            carry = ParseParagraph(next, carry);
        }
    }
    if (next >= store_.ParagraphCount()) {
        parsedCount_ = next;
        return;
    }
    if (wholeOldRangeParsed && SameState(carry, store_.ParagraphStartState(next))) {
        parsedCount_ = std::max(next, shiftedFrontier);  // nothing changes beyond the edit
        return;
    }
    // The state leading into the next paragraph changed: record it there;
    // that paragraph is parsed when it is next needed.
    store_.SetParagraphStartState(next, carry);
    TParRecord& par = store_.MutableParagraph(next);
    par.startStopParsed = false;
    par.keywordsParsed = false;
    par.formatted = false;
    parsedCount_ = next;
}

void THighlightEngine::TextReset()
{
    parsedCount_ = 0;
}

THighlightState THighlightEngine::StateAt(std::int32_t offset)
{
    offset = std::clamp(offset, 0, store_.CharCount());
    const std::int32_t p = store_.ParagraphOfOffset(offset);
    EnsureParsed(p);
    const TParRecord& par = store_.Paragraph(p);
    const std::int32_t pos = offset - store_.ParagraphStart(p);
    if (pos >= par.length)
        return EndStateOf(p);
    // The marks standing in front of the character apply to it.
    TVeskNavigator nav(&store_, false);
    nav.SetOffset(offset);
    nav.SkipMarks();
    return nav.State();
}

std::optional<THighlightEngine::TContextSpan> THighlightEngine::ContextAt(std::int32_t offset)
{
    const THighlightState st = StateAt(offset);
    if (!st.InContext() || st.context == 0)
        return std::nullopt;
    TContextSpan span;
    span.context = std::int16_t(st.context);
    TVeskNavigator nav(&store_, false);
    nav.SetOffset(offset);
    span.start = nav.PreviousMark(0) ? nav.Offset() : 0;
    nav.SetOffset(offset);
    span.stop = nav.NextMark(store_.CharCount()) ? nav.Offset() : store_.CharCount();
    return span;
}

std::int16_t THighlightEngine::PointerAt(std::int32_t offset)
{
    const THighlightState st = StateAt(offset);
    return st.InContext() ? std::int16_t(st.pointer) : std::int16_t(0);
}

} // namespace vesk
