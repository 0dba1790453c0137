// The content rules of open elements, followed while the text is read.
//
// At an end tag the validator asks, for each content rule of the innermost
// open element, where the rule's search text first occurs in the element's
// content (from its start tag's ">" up to the end tag's ">") and whether it
// (or "<" + it) occurs again after that. The text is read once, front to
// back, so these questions are answered as it goes by: one automaton finds
// every search text at the byte that completes it, and each open element's
// rules record the first occurrence at or after the element's start and
// whether a second one followed. An end tag then reads the answers off in
// constant time, and the text behind the scan never needs to be kept.
//
// Positions are byte offsets into the text as read (UTF-8). A search text is
// whole characters, so it can only match at character boundaries, and byte
// order is character order: every comparison the rules make (found or not,
// before or after another) comes out as it would counting characters.
// Search texts and text compare with ASCII letters folded to upper case.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace vesk {

// Finds many byte strings at once (Aho-Corasick with a full transition
// table; ASCII letters match either case). Patterns may be added at any
// time; the table is rebuilt before the next byte is fed.
class TPatternMatcher {
public:
    // The id of `pattern` (upper case; not empty), adding it when new.
    int Add(std::string_view pattern);
    int PatternCount() const { return int(patterns_.size()); }
    std::size_t PatternLength(int id) const { return patterns_[std::size_t(id)].size(); }
    std::size_t LongestPattern() const { return longest_; }
    // True when patterns were added since the table was built.
    bool Stale() const { return built_ != patterns_.size(); }

    // Builds the table for every pattern and brings the state up to date by
    // reading `recent` (the last LongestPattern() − 1 bytes or more of what
    // was fed before) without reporting matches.
    void Rebuild(std::string_view recent);
    // Forgets what was fed: the next byte starts afresh.
    void Reset() { state_ = 0; }

    // Feeds bytes; `onMatch(id, end)` for every occurrence that ends at the
    // byte with index `end` (counted from `firstIndex` for bytes[0]).
    template <typename F>
    void Feed(std::string_view bytes, std::int64_t firstIndex, F&& onMatch)
    {
        if (!small_.empty())
            Run(small_, bytes, firstIndex, onMatch);
        else if (!large_.empty())
            Run(large_, bytes, firstIndex, onMatch);
    }

private:
    // The walk over one table. Most bytes leave the start state where it
    // is; those are skipped without following the table, which is what
    // makes the walk fast (no chain of dependent loads).
    template <typename T, typename F>
    void Run(const std::vector<T>& table, std::string_view bytes, std::int64_t firstIndex, F& onMatch)
    {
        const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
        const std::size_t n = bytes.size();
        std::uint32_t s = state_;
        for (std::size_t k = 0; k < n; ++k) {
            if (s == 0) {
                while (k < n && !leavesStart_[p[k]])
                    ++k;
                if (k == n)
                    break;
            }
            s = table[std::size_t(s >> 1) * 256 + p[k]];
            if (s & 1) {
                for (std::uint32_t o = outStart_[s >> 1]; o < outStart_[(s >> 1) + 1]; ++o)
                    onMatch(outs_[o], firstIndex + std::int64_t(k));
            }
        }
        state_ = s;
    }

    std::vector<std::string> patterns_;
    std::unordered_map<std::string, int> ids_;
    std::size_t longest_ = 0;
    std::size_t built_ = 0;
    // table[state * 256 + byte] = next state * 2 + (1 when it ends a
    // pattern); 16-bit entries while they fit, so the table stays in the
    // nearest cache.
    std::vector<std::uint16_t> small_;
    std::vector<std::uint32_t> large_;
    std::array<bool, 256> leavesStart_{};
    std::vector<std::uint32_t> outStart_;  // per state, into outs_ (one past the last state too)
    std::vector<int> outs_;
    std::uint32_t state_ = 0;
};

// One content rule as the rules file writes it: order mark, occurrence
// mark, search text.
struct TContentRule {
    std::u32string text;    // as written
    bool ordered = false;   // first character ",": must not come before the previous rule's find
    char32_t marker = 0;    // second character: " ", "+", "?", "*", "-", "o" or anything
    std::u32string label;   // from the third character on, as written (shown in messages)
    int pattern = -1;       // the search text (label upper-cased) in the matcher; -1 when empty
    int tagPattern = -1;    // "<" + search text, for " " rules
};

// The rules of every open element, each group following its own content.
class TContentWatches {
public:
    // What a rule found in its element's content so far.
    struct Finding {
        const TContentRule* rule;
        std::int64_t first;  // byte offset of the first occurrence from the element's start, -1 when none
        bool again;          // " ": "<" + text after the first; "?": the text again after the first
    };

    // Parses a rule as written and registers its search texts.
    TContentRule MakeRule(std::u32string text);

    using Rules = std::shared_ptr<const std::vector<TContentRule>>;

    // Opens a group for an element whose content starts at byte `start`,
    // with its rules (null: none), kept until the group closes. `recent`:
    // the last bytes fed, in case the automaton must be rebuilt.
    void Open(Rules rules, std::int64_t start, std::string_view recent);
    // Closes the group opened last; nothing when none is open.
    void Close();
    // Closes every group and starts the automaton afresh (a new text).
    void Clear();
    std::size_t Depth() const { return groups_.size(); }

    // Findings of the group opened last, and of the group opened first, into
    // `out` (empty when none is open).
    void Innermost(std::vector<Finding>& out) const { Findings(groups_.size() - 1, out); }
    void Outermost(std::vector<Finding>& out) const { Findings(0, out); }

    // Bytes of the text in order; `firstIndex` is the offset of bytes[0].
    void Feed(std::string_view bytes, std::int64_t firstIndex);
    std::size_t LongestPattern() const { return matcher_.LongestPattern(); }
    // True when the next Open rebuilds the automaton and needs `recent`.
    bool NeedsRecent() const { return matcher_.Stale(); }

private:
    struct Watch {
        const TContentRule* rule;
        std::int64_t start;
        std::int64_t first = -1;
        bool again = false;
    };
    struct Group {
        std::size_t begin;  // its watches in watches_
        std::int64_t start;
        Rules rules;
    };
    // Per pattern: watches waiting for its first occurrence; "?" watches
    // that found it and wait for it again; " " watches whose "<" + text it
    // is, waiting for it after their first. Each list is ordered by start or
    // by first (each is filled by the matches of one pattern, in text
    // order), so a match serves a prefix of it.
    struct Listeners {
        std::deque<Watch*> first;
        std::deque<Watch*> again;
        std::deque<Watch*> againTag;
    };
    void Findings(std::size_t group, std::vector<Finding>& out) const;
    void Match(int pattern, std::int64_t end);
    static void Forget(std::deque<Watch*>& list, Watch* w);

    TPatternMatcher matcher_;
    std::deque<Watch> watches_;
    std::vector<Group> groups_;
    std::vector<Listeners> listeners_;
};

} // namespace vesk
