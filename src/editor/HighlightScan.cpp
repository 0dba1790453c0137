// The start/stop scan over part or all of a paragraph, and re-parsing only the
// stretch of a paragraph that an edit can reach.
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

} // namespace

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
        std::int32_t line = 0, hi = par.LineCount() - 1;  // the last line starting at or before `latest`
        while (line < hi) {
            const std::int32_t mid = (line + hi + 1) / 2;
            if (store_.StoredLine(par, mid).chars <= latest)
                line = mid;
            else
                hi = mid - 1;
        }
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

} // namespace vesk
