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

constexpr int kMaxDepth = kMaxStateDepth;
const THighlightState kOutside{};

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
    rules_ = CurrentRules();
}

THighlightEngine::TRules THighlightEngine::CurrentRules() const
{
    TRules r;
    r.keys = startStop_.get();
    r.keysVersion = startStop_->Version();
    r.keywordsVersion = keywords_.Version();
    r.applyKeywords = applyKeywords_;
    r.applyStartStop = applyStartStop_;
    r.nesting = keywords_.nesting;
    r.highlighter = highlighter_;
    return r;
}

bool THighlightEngine::RulesUnchanged()
{
    const TRules now = CurrentRules();
    if (!(now == rules_)) {
        mixedRules_ = mixedRules_ || anyParsed_;
        rules_ = now;
    }
    return !mixedRules_;
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
    rules_ = CurrentRules();
    mixedRules_ = false;
    anyParsed_ = false;
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
    RulesUnchanged();
    anyParsed_ = true;
    const std::string utf8 = *store_.ParagraphText(i);
    std::u32string text;
    std::vector<std::int32_t> byteOf;
    Decode(utf8, text, byteOf);

    std::vector<PendingMark> marks;
    THighlightState end = start;
    TScanText scan;
    scan.chars = std::move(text);
    ScanStartStop(scan, 0, end, [&marks](const PendingMark& m) {
        marks.push_back(m);
        return true;
    });
    text = std::move(scan.chars);
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
    const std::int32_t last = k + change.newParagraphs - 1;
    const std::int32_t insertedEnd = change.start + change.newLength;

    // The edited paragraphs are parsed at once, from the state that leads
    // into them. The first keeps its marks before the edit and the last
    // those after it (from the old last paragraph), as far as they still hold.
    THighlightState carry = store_.ParagraphStartState(k);
    bool endUnchanged = false;
    for (std::int32_t i = k; i <= last; ++i) {
        if (highlighter_) {
            store_.MutableParagraph(i).startStopParsed = false;
            parsedCount_ = i;
            EnsureParsed(i);
            carry = EndStateOf(i);
            continue;
        }
        if (i != k && i != last) {
            carry = ParseParagraph(i, carry);
            continue;
        }
        const std::int32_t start = store_.ParagraphStart(i);
        const std::int32_t editFrom = i == k ? change.start - start : 0;
        const std::int32_t editTo = i == last ? insertedEnd - start : store_.Paragraph(i).length;
        const std::optional<THighlightState> end =
            ReparseAfterEdit(i, carry, editFrom, editTo, i == last && wholeOldRangeParsed);
        endUnchanged = !end;
        if (end)
            carry = *end;
    }
    const std::int32_t next = last + 1;
    if (next >= store_.ParagraphCount()) {
        parsedCount_ = next;
        return;
    }
    if (endUnchanged) {
        // The last paragraph ends as the old last one did, which the next one
        // was parsed from when it lies in the parsed prefix.
        if (wholeOldRangeParsed && next < shiftedFrontier) {
            parsedCount_ = shiftedFrontier;
            return;
        }
        carry = EndStateOf(last);
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
    rules_ = CurrentRules();
    mixedRules_ = false;
    anyParsed_ = false;
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
