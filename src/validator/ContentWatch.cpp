// Following content rules while the text is read: the automaton and the watches.
#include "validator/ContentWatch.h"

#include "editor/TextEncoding.h"
#include "validator/ValidatorChecks.h"

#include <algorithm>
#include <array>

namespace vesk {

// ---- matcher --------------------------------------------------------------------

int TPatternMatcher::Add(std::string_view pattern)
{
    const auto it = ids_.find(std::string(pattern));
    if (it != ids_.end())
        return it->second;
    const int id = int(patterns_.size());
    patterns_.emplace_back(pattern);
    ids_.emplace(patterns_.back(), id);
    longest_ = std::max(longest_, pattern.size());
    return id;
}

void TPatternMatcher::Rebuild(std::string_view recent)
{
    built_ = patterns_.size();
    // The trie, one row of 256 transitions per state (-1: none yet).
    std::vector<std::array<std::int32_t, 256>> go(1);
    go[0].fill(-1);
    std::vector<std::vector<int>> own(1);
    for (std::size_t id = 0; id < patterns_.size(); ++id) {
        std::int32_t s = 0;
        for (unsigned char b : patterns_[id]) {
            if (go[std::size_t(s)][b] < 0) {
                go[std::size_t(s)][b] = std::int32_t(go.size());
                go.emplace_back();
                go.back().fill(-1);
                own.emplace_back();
            }
            s = go[std::size_t(s)][b];
        }
        own[std::size_t(s)].push_back(int(id));
    }
    // Breadth first: each state's missing transitions are those of its
    // longest proper suffix that is a state (its fail state), and it ends
    // every pattern its fail state ends.
    const std::size_t count = go.size();
    std::vector<std::int32_t> fail(count, 0);
    std::vector<std::vector<int>> ends(count);
    std::vector<std::int32_t> queue;
    queue.reserve(count);
    for (int b = 0; b < 256; ++b) {
        std::int32_t& t = go[0][std::size_t(b)];
        if (t < 0) {
            t = 0;
        } else {
            fail[std::size_t(t)] = 0;
            queue.push_back(t);
        }
    }
    ends[0] = own[0];
    for (std::size_t q = 0; q < queue.size(); ++q) {
        const std::int32_t s = queue[q];
        ends[std::size_t(s)] = own[std::size_t(s)];
        const auto& inherited = ends[std::size_t(fail[std::size_t(s)])];
        ends[std::size_t(s)].insert(ends[std::size_t(s)].end(), inherited.begin(), inherited.end());
        for (int b = 0; b < 256; ++b) {
            std::int32_t& t = go[std::size_t(s)][std::size_t(b)];
            const std::int32_t viaFail = go[std::size_t(fail[std::size_t(s)])][std::size_t(b)];
            if (t < 0) {
                t = viaFail;
            } else {
                fail[std::size_t(t)] = viaFail;
                queue.push_back(t);
            }
        }
    }
    // Patterns are upper case: a lower-case ASCII letter moves as its capital.
    for (auto& row : go) {
        for (int b = 'a'; b <= 'z'; ++b)
            row[std::size_t(b)] = row[std::size_t(b - 32)];
    }
    outStart_.assign(count + 1, 0);
    outs_.clear();
    for (std::size_t s = 0; s < count; ++s) {
        outStart_[s] = std::uint32_t(outs_.size());
        outs_.insert(outs_.end(), ends[s].begin(), ends[s].end());
    }
    outStart_[count] = std::uint32_t(outs_.size());
    auto entry = [&](std::size_t s, int b) {
        const auto t = std::uint32_t(go[s][std::size_t(b)]);
        return t * 2 + (outStart_[t] != outStart_[t + 1] ? 1 : 0);
    };
    small_.clear();
    large_.clear();
    if (count * 2 <= 0xFFFF) {
        small_.resize(count * 256);
        for (std::size_t s = 0; s < count; ++s)
            for (int b = 0; b < 256; ++b)
                small_[s * 256 + std::size_t(b)] = std::uint16_t(entry(s, b));
    } else {
        large_.resize(count * 256);
        for (std::size_t s = 0; s < count; ++s)
            for (int b = 0; b < 256; ++b)
                large_[s * 256 + std::size_t(b)] = entry(s, b);
    }
    for (int b = 0; b < 256; ++b)
        leavesStart_[std::size_t(b)] = entry(0, b) != 0;
    state_ = 0;
    Feed(recent, 0, [](int, std::int64_t) {});
}

// ---- watches -------------------------------------------------------------------------

TContentRule TContentWatches::MakeRule(std::u32string text)
{
    TContentRule r;
    r.text = std::move(text);
    r.ordered = !r.text.empty() && r.text.front() == U',';
    r.marker = r.text.size() >= 2 ? r.text[1] : 0;
    if (r.text.size() > 2)
        r.label = r.text.substr(2);
    if (!r.label.empty()) {
        const std::string upper = Utf32To8(UpperAscii(r.label));
        r.pattern = matcher_.Add(upper);
        if (r.marker == U' ')
            r.tagPattern = matcher_.Add("<" + upper);
    }
    return r;
}

void TContentWatches::Open(Rules rules, std::int64_t start, std::string_view recent)
{
    if (matcher_.Stale())
        matcher_.Rebuild(recent);
    listeners_.resize(std::size_t(matcher_.PatternCount()));
    groups_.push_back(Group{watches_.size(), start, rules});
    if (!rules)
        return;
    for (const TContentRule& r : *rules) {
        watches_.push_back(Watch{&r, start});
        if (r.pattern >= 0)
            listeners_[std::size_t(r.pattern)].first.push_back(&watches_.back());
    }
}

void TContentWatches::Forget(std::deque<Watch*>& list, Watch* w)
{
    // The innermost group's watches are the last to have joined any list.
    for (auto it = list.rbegin(); it != list.rend(); ++it) {
        if (*it == w) {
            list.erase(std::next(it).base());
            return;
        }
    }
}

void TContentWatches::Close()
{
    if (groups_.empty())
        return;
    const std::size_t begin = groups_.back().begin;
    const Rules keep = std::move(groups_.back().rules);  // the watches point into them
    groups_.pop_back();
    while (watches_.size() > begin) {
        Watch* w = &watches_.back();
        const TContentRule& r = *w->rule;
        if (r.pattern >= 0) {
            if (w->first < 0)
                Forget(listeners_[std::size_t(r.pattern)].first, w);
            else if (!w->again && r.marker == U'?')
                Forget(listeners_[std::size_t(r.pattern)].again, w);
            else if (!w->again && r.marker == U' ' && r.tagPattern >= 0)
                Forget(listeners_[std::size_t(r.tagPattern)].againTag, w);
        }
        watches_.pop_back();
    }
}

void TContentWatches::Clear()
{
    groups_.clear();
    watches_.clear();
    for (Listeners& l : listeners_)
        l = Listeners();
    matcher_.Reset();
}

void TContentWatches::Findings(std::size_t group, std::vector<Finding>& out) const
{
    out.clear();
    if (group >= groups_.size())
        return;
    const Group& g = groups_[group];
    const std::size_t end = group + 1 < groups_.size() ? groups_[group + 1].begin : watches_.size();
    for (std::size_t i = g.begin; i < end; ++i) {
        const Watch& w = watches_[i];
        out.push_back(Finding{w.rule, w.first < 0 ? -1 : w.first - g.start, w.again});
    }
}

void TContentWatches::Feed(std::string_view bytes, std::int64_t firstIndex)
{
    matcher_.Feed(bytes, firstIndex, [this](int pattern, std::int64_t end) { Match(pattern, end); });
}

void TContentWatches::Match(int pattern, std::int64_t end)
{
    Listeners& l = listeners_[std::size_t(pattern)];
    const std::int64_t start = end - std::int64_t(matcher_.PatternLength(pattern)) + 1;
    while (!l.first.empty() && l.first.front()->start <= start) {
        Watch* w = l.first.front();
        l.first.pop_front();
        w->first = start;
        if (w->rule->marker == U'?')
            l.again.push_back(w);
        else if (w->rule->marker == U' ' && w->rule->tagPattern >= 0)
            listeners_[std::size_t(w->rule->tagPattern)].againTag.push_back(w);
    }
    while (!l.again.empty() && l.again.front()->first < start) {
        l.again.front()->again = true;
        l.again.pop_front();
    }
    while (!l.againTag.empty() && l.againTag.front()->first < start) {
        l.againTag.front()->again = true;
        l.againTag.pop_front();
    }
}

} // namespace vesk
