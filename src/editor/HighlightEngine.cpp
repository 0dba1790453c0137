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

const std::u32string& THighlightEngine::TScanText::Upper()
{
    if (!haveUpper) {
        upper = vesk::Upper(chars);
        haveUpper = true;
    }
    return upper;
}

THighlightEngine::TScanEnd THighlightEngine::ScanStartStop(TScanText& text, std::int64_t pos, THighlightState& st,
                                                           const std::function<bool(const PendingMark&)>& onMark)
{
    TStartStopKeyList& keys = *startStop_;
    if (keys.Count() == 0)
        return TScanEnd::Finished;
    keys.Prepare(separators_);
    const std::int64_t base = text.base;
    const std::int64_t end = text.End();
    // With only part of the paragraph at hand, nothing is decided near its
    // end: a key there may run on past it, and a stop not found may lie beyond.
    const std::int64_t limit = text.complete ? end + 1 : end - (keys.MaxStartLength() + keys.MaxStopLength() + 2);
    auto hayFor = [&](const TKeyLook& look) -> const std::u32string& {
        return (look.options & kKeyMatchCase) ? text.chars : text.Upper();
    };
    auto boundary = [&](std::int64_t index) {
        return index < 0 || index >= end || IsSeparator(separators_, text.chars[std::size_t(index - base)]);
    };
    // The first match of `key` at or after `from` that passes its checks,
    // or -1; a match at or past `limit` is returned unchecked.
    auto find = [&](const std::u32string& key, const TKeyLook& look, std::int64_t from, bool checkBefore,
                    bool checkAfter) -> std::int64_t {
        if (key.empty())
            return -1;
        const std::u32string& hay = hayFor(look);
        for (std::size_t at = std::size_t(from - base); (at = hay.find(key, at)) != std::u32string::npos; ++at) {
            const std::int64_t a = std::int64_t(at) + base;
            if (a >= limit)
                return a;
            if (checkBefore && !boundary(a - 1))
                continue;
            if (checkAfter && !boundary(a + std::int64_t(key.size())))
                continue;
            return a;
        }
        return -1;
    };

    // Where each entry's start next matches, or -1 once it cannot match in
    // what is at hand.
    std::vector<std::int64_t> nextStart(std::size_t(keys.Count()), -2);
    for (;;) {
        const bool inStartStop = st.InContext() && st.depth >= 0 && st.depth < kMaxDepth && st.stack[st.depth] < 0;
        if (inStartStop) {
            const std::int32_t e = st.stack[st.depth] + 32768;
            if (e >= keys.Count()) {
                st = kOutside;  // the entry is gone from the list
                continue;
            }
            const TStartStopKey& key = keys[e];
            const std::int64_t found = find(key.stop, key.look, pos, key.checkBeforeStop, key.checkAfterStop);
            if (found >= 0 && found < limit) {
                const std::int64_t after = found + key.StopLength();
                const std::int32_t alt = keys.AlternativeAfter(e);
                PendingMark mark;
                if (alt >= 0) {
                    st = OpeningState(StateBelow(st), alt, false);
                    mark = {std::int32_t(after), 1, st};
                } else {
                    st = StateBelow(st);
                    mark = {std::int32_t(after), 0, st};
                }
                if (!onMark(mark))
                    return TScanEnd::Stopped;
                pos = after;
                continue;
            }
            if (!text.complete)
                return TScanEnd::NeedText;
            if (key.closeAtParagraphEnd) {
                st = StateBelow(st);
                if (!onMark({std::int32_t(end), 0, st}))
                    return TScanEnd::Stopped;
            }
            return TScanEnd::Finished;
        }
        if (!applyStartStop_ || st.depth + 1 >= kMaxDepth)
            return TScanEnd::Finished;  // nothing can open any more
        // The leftmost match of any entry; at one position the first entry wins.
        std::int64_t best = -1;
        std::int32_t bestEntry = -1;
        for (std::int32_t k = 0; k < keys.Count(); ++k) {
            std::int64_t& next = nextStart[std::size_t(k)];
            if (next == -1)
                continue;
            if (next < pos) {
                const TStartStopKey& key = keys[k];
                next = find(key.start, key.look, pos, key.checkBeforeStart, key.checkAfterStart);
            }
            if (next >= 0 && (best < 0 || next < best)) {
                best = next;
                bestEntry = k;
            }
        }
        if (best < 0 || best >= limit)
            return text.complete ? TScanEnd::Finished : TScanEnd::NeedText;
        st = OpeningState(st, bestEntry, false);
        if (!onMark({std::int32_t(best), 1, st}))
            return TScanEnd::Stopped;
        pos = best + keys[bestEntry].StartLength();
    }
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

std::int64_t THighlightEngine::ResumeAfter(const THighlightState& s, std::int64_t position) const
{
    const bool inStartStop = s.InContext() && s.depth >= 0 && s.depth < kMaxDepth && s.stack[s.depth] < 0;
    if (!inStartStop)
        return position;  // a mark that closed a context: the scan went on from it
    // A mark that opened a context: the scan went on after its start key.
    // An entry that is another's alternative continues contexts as well as
    // opening them, so its marks cannot tell which they did.
    const TStartStopKeyList& keys = *startStop_;
    const std::int32_t e = s.stack[s.depth] + 32768;
    if (e >= keys.Count() || keys[e].alternativeOf >= 0)
        return -1;
    return position + keys[e].StartLength();
}

std::optional<THighlightState> THighlightEngine::ReparseAfterEdit(std::int32_t i, const THighlightState& start,
                                                                  std::int32_t editFrom, std::int32_t editTo,
                                                                  bool tailValid)
{
    // Keywords are matched over the whole paragraph at once, and marks made
    // under other rules would stay: then the paragraph is parsed whole.
    if (highlighter_ || (applyKeywords_ && keywords_.Count() > 0) || startStop_->Count() == 0 || !RulesUnchanged())
        return ParseParagraph(i, start);
    ++parsed_;
    anyParsed_ = true;
    TStartStopKeyList& keys = *startStop_;
    keys.Prepare(separators_);
    // Decisions near a position read at most this far around it.
    const std::int32_t margin = keys.MaxStartLength() + keys.MaxStopLength() + 2;
    const TParRecord& par = store_.Paragraph(i);
    const char* data = par.Data();
    const std::int32_t n = par.length;

    struct TMarkAt {
        std::int32_t byte = -1;
        std::int32_t position = 0;
        TStateId id = kEmptyStateId;
    };
    // Calls f(mark) for each mark in bytes [from, to), counting positions from `chars`.
    auto forEachMark = [data](std::int32_t from, std::int32_t to, std::int32_t chars, auto&& f) {
        for (std::int32_t bi = from; bi < to;) {
            if (data[bi] == kMarkByte) {
                if (!f(TMarkAt{bi, chars, MarkState(data + bi)}))
                    return;
                bi += MarkSize(data + bi);
            } else {
                bi += Utf8SequenceLength(static_cast<unsigned char>(data[bi]));
                ++chars;
            }
        }
    };

    // The restart: the last mark far enough before the edit that tells where
    // the scan went on after it, looked for line by line backwards.
    TMarkAt restart;
    std::int64_t resume = 0;
    THighlightState restartState = start;
    const std::int32_t latest = editFrom - margin;
    if (latest >= 0 && par.markCount > 0) {
        std::int32_t line = par.LineCount() - 1;
        while (line > 0 && store_.StoredLine(par, line).chars > latest)
            --line;
        for (; line >= 0 && restart.byte < 0; --line) {
            const TStoredLine l = store_.StoredLine(par, line);
            forEachMark(l.start, l.end, l.chars, [&](const TMarkAt& m) {
                if (m.position > latest)
                    return false;
                const THighlightState& s = store_.State(m.id);
                const std::int64_t r = ResumeAfter(s, m.position);
                if (r >= 0) {
                    restart = m;
                    resume = r;
                    restartState = s;
                }
                return true;
            });
        }
    }

    // Scan a window from the restart on, wider each time it proves too
    // short, until the new marks meet an old one that the scan would have
    // gone on from in the same way (same place, same state), or the end.
    const std::int32_t windowStart = std::max(0, restart.position - 1);
    const std::int32_t tailByte = store_.ByteOfPosition(par, std::min(editTo, n));
    std::vector<PendingMark> marks;
    TMarkAt resync;
    THighlightState st;
    for (std::int64_t extent = 4096;; extent *= 2) {
        TScanText text;
        text.base = windowStart;
        const std::int64_t windowEnd = std::min<std::int64_t>(n, std::int64_t(editTo) + margin + extent);
        text.complete = windowEnd == n;
        text.chars.reserve(std::size_t(windowEnd - windowStart));
        std::int32_t bi = store_.ByteOfPosition(par, windowStart);
        for (std::int64_t c = windowStart; c < windowEnd;) {
            if (data[bi] == kMarkByte) {
                bi += MarkSize(data + bi);
                continue;
            }
            text.chars.push_back(DecodeUtf8At(data + bi));
            bi += Utf8SequenceLength(static_cast<unsigned char>(data[bi]));
            ++c;
        }

        marks.clear();
        resync = TMarkAt{};
        // Old marks after the edit, met in order as the scan goes.
        std::int32_t oldByte = tailByte, oldChars = std::min(editTo, n);
        auto meetsOldMark = [&](const PendingMark& m) {
            if (!tailValid || m.position < editTo + margin || ResumeAfter(m.state, m.position) < 0)
                return false;
            TMarkAt found;
            forEachMark(oldByte, par.bytes, oldChars, [&](const TMarkAt& old) {
                if (old.position > m.position)
                    return false;
                oldByte = old.byte + MarkSize(data + old.byte);
                oldChars = old.position;
                if (old.position == m.position && found.byte < 0)
                    found = old;
                return true;
            });
            const THighlightState& old = store_.State(found.byte < 0 ? kEmptyStateId : found.id);
            if (found.byte < 0 || !SameState(old, m.state))
                return false;
            resync = found;
            return true;
        };
        // Of several marks at one place only the last counts; a mark is
        // final once the scan has passed its place.
        std::optional<PendingMark> pending;
        auto onMark = [&](const PendingMark& m) {
            if (pending && pending->position == m.position) {
                pending = m;
                return true;
            }
            if (pending) {
                if (meetsOldMark(*pending))
                    return false;
                marks.push_back(*pending);
            }
            pending = m;
            return true;
        };
        st = restartState;
        const TScanEnd how = ScanStartStop(text, resume, st, onMark);
        if (how == TScanEnd::NeedText)
            continue;
        if (how == TScanEnd::Finished && pending && !meetsOldMark(*pending))
            marks.push_back(*pending);
        break;
    }

    // The text between the restart and the meeting point with its old marks
    // replaced by the new ones.
    const std::int32_t fromByte = restart.byte < 0 ? 0 : restart.byte + MarkSize(data + restart.byte);
    const std::int32_t fromChar = restart.byte < 0 ? 0 : restart.position;
    const std::int32_t toByte = resync.byte < 0 ? par.bytes : resync.byte;
    std::string bytes;
    bytes.reserve(std::size_t(toByte - fromByte) + marks.size() * 3);
    std::int32_t oldMarks = 0;
    std::size_t next = 0;
    std::int32_t chars = fromChar;
    auto writeMarksAt = [&](std::int32_t position) {
        for (; next < marks.size() && marks[next].position <= position; ++next) {
            char mark[kMaxMarkSize];
            bytes.append(mark, std::size_t(WriteMark(mark, store_.InternState(marks[next].state))));
        }
    };
    for (std::int32_t bi = fromByte; bi < toByte;) {
        if (data[bi] == kMarkByte) {
            ++oldMarks;
            bi += MarkSize(data + bi);
            continue;
        }
        writeMarksAt(chars);
        const int size = Utf8SequenceLength(static_cast<unsigned char>(data[bi]));
        bytes.append(data + bi, std::size_t(size));
        bi += size;
        ++chars;
    }
    writeMarksAt(n);
    store_.SpliceParagraphMarks(i, fromByte, toByte, fromChar, bytes, std::int32_t(marks.size()) - oldMarks);
    store_.SetParagraphStartState(i, start);
    TParRecord& mutablePar = store_.MutableParagraph(i);
    mutablePar.startStopParsed = true;
    mutablePar.keywordsParsed = true;
    if (resync.byte >= 0)
        return std::nullopt;
    return st;
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
