// Markup colouring of one editor's text by keywords and start/stop keys.
//
// The results live in the text itself: context marks in the paragraph
// buffers and a start state in each paragraph's first line record, so
// painting, the mouse pointer and the context click read the state at any
// position without scanning.
//
// Scheme. A paragraph is parsed from its start state: the start/stop pass and
// then the keyword pass run over its text, and the new marks are written in
// one rewrite of its buffer. The marks of a paragraph are therefore a
// function of its text and its start state alone, which is what keeps
// incremental parsing equal to a full one. Paragraphs are parsed in order
// ("the parsed prefix"); an edit re-parses the edited paragraphs at once and
// carries a changed end state to the next paragraph, which is parsed when it
// is next needed. A paragraph whose stored start state still equals the end
// state of the one before is not parsed again. When only start/stop keys
// apply, an edited paragraph is not parsed whole: the scan restarts at a mark
// before the edit whose place tells where the scan went on after it, and
// stops where it writes a mark the old parse wrote too, in the same place
// and state, past the edit (see ReparseAfterEdit).
#pragma once

#include "editor/HighlightState.h"
#include "editor/KeyLists.h"
#include "editor/VeskMemoStore.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vesk {

class TVeskNavigator;
class THighlightEngine;

// An external highlighter that takes over both passes of the editors that
// use it. The base class does nothing in either pass.
class TVeskHighlighter {
public:
    virtual ~TVeskHighlighter();
    // Each is given the range to parse as two navigators.
    virtual void ParseKeywords(TVeskNavigator& from, TVeskNavigator& to) { (void)from, (void)to; }
    virtual void ParseStartStopKeys(TVeskNavigator& from, TVeskNavigator& to) { (void)from, (void)to; }

private:
    friend class THighlightEngine;
    std::vector<THighlightEngine*> users_;
};

class THighlightEngine : public TStoreListener {
public:
    explicit THighlightEngine(TVeskMemoStore& store);
    ~THighlightEngine() override;
    THighlightEngine(const THighlightEngine&) = delete;
    THighlightEngine& operator=(const THighlightEngine&) = delete;

    // ---- rules -------------------------------------------------------------
    TKeywordList& Keywords() { return keywords_; }
    // The start/stop list may be shared by several editors.
    const std::shared_ptr<TStartStopKeyList>& StartStopKeys() const { return startStop_; }
    void SetStartStopKeys(std::shared_ptr<TStartStopKeyList> list);

    bool ApplyKeyWords() const { return applyKeywords_; }
    void SetApplyKeyWords(bool on) { applyKeywords_ = on; }
    bool ApplyStartStopKeys() const { return applyStartStop_; }
    void SetApplyStartStopKeys(bool on) { applyStartStop_ = on; }

    std::string Separators() const { return SeparatorsToString(separators_); }
    void SetSeparators(std::string_view characters) { SetSeparatorSet(SeparatorsFromString(characters)); }
    void SetSeparatorSet(const TSeparatorSet& set);
    const TSeparatorSet& SeparatorSet() const { return separators_; }

    TVeskHighlighter* Highlighter() const { return highlighter_; }
    void SetHighlighter(TVeskHighlighter* h);

    // ---- parsing -----------------------------------------------------------
    // Forgets all highlighting: every paragraph unparsed with an empty start
    // state; it is parsed again as it is needed.
    void ReApplyKeywords();
    // Parses the paragraphs from `from`'s to `to`'s that need it (both
    // passes; keyword results only when ApplyKeyWords is on). Delegated to
    // the Highlighter when one is set.
    virtual void ParseStartStopKeys(TVeskNavigator& from, TVeskNavigator& to);
    virtual void ParseKeywords(TVeskNavigator& from, TVeskNavigator& to);
    // Brings the parsed prefix up to paragraph `last` (before formatting or
    // painting it).
    void EnsureParsed(std::int32_t last);
    void EnsureParsedAll() { EnsureParsed(store_.ParagraphCount() - 1); }
    // Index of the first paragraph not known to be parsed.
    std::int32_t ParsedCount() const { return parsedCount_; }

    // ---- reading the results ---------------------------------------------
    // The state that applies to the character at `offset` (marks standing
    // before it included); parses up to its paragraph first.
    THighlightState StateAt(std::int32_t offset);
    struct TContextSpan {
        std::int16_t context = 0;
        std::int32_t start = 0;  // offset of the nearest mark at or before the character
        std::int32_t stop = 0;   // offset of the next mark after it, or CharCount
    };
    // What a click on the character at `offset` reports: nothing unless it
    // lies inside a keyword or context with a non-zero context number.
    std::optional<TContextSpan> ContextAt(std::int32_t offset);
    // The mouse pointer over the character at `offset`; 0 for none.
    std::int16_t PointerAt(std::int32_t offset);

    // Paragraphs parsed since construction (tests and benchmarks).
    std::uint64_t ParagraphsParsed() const { return parsed_; }

    // TStoreListener
    void TextReplaced(const TTextChange& change) override;
    void TextReset() override;

private:
    struct PendingMark {
        std::int32_t position;  // character index in the paragraph
        int order;              // at one position: closing marks before opening ones
        THighlightState state;
    };

    // Parses paragraph i from `start`; returns its end state.
    THighlightState ParseParagraph(std::int32_t i, const THighlightState& start);
    // Parses paragraph i again after an edit made characters [editFrom,
    // editTo) new: its marks before the edit are still right, and those
    // after it are what the old parse gave when `tailValid`. When only
    // start/stop keys apply, the scan restarts from a mark shortly before
    // the edit and ends where it meets the old marks again; otherwise the
    // whole paragraph is parsed. Returns the end state, or nullopt when it
    // is the one the paragraph had before the edit.
    std::optional<THighlightState> ReparseAfterEdit(std::int32_t i, const THighlightState& start,
                                                    std::int32_t editFrom, std::int32_t editTo, bool tailValid);
    // Where the scan went on after a mark of state `s` at `position`: there
    // for a mark that closed a context, after the start key for one that
    // opened a context; -1 when the mark cannot tell (an alternative's).
    std::int64_t ResumeAfter(const THighlightState& s, std::int64_t position) const;
    // Characters of a paragraph for the start/stop scan: those from index
    // `base` on, all of them to the paragraph's end or (complete false)
    // only some.
    struct TScanText {
        std::u32string chars;
        std::int64_t base = 0;
        bool complete = true;
        std::int64_t End() const { return base + std::int64_t(chars.size()); }
        const std::u32string& Upper();  // upper-cased, made on first need

    private:
        std::u32string upper;
        bool haveUpper = false;
    };
    enum class TScanEnd { Finished, Stopped, NeedText };
    // The start/stop pass from character `pos` in state `st` (its end state
    // on return), handing each mark to `onMark` in text order; `onMark` returns
    // false to stop the scan there. With text not complete the scan stops
    // (NeedText) rather than decide anything the missing text could change.
    // The text must hold the character before `pos`.
    TScanEnd ScanStartStop(TScanText& text, std::int64_t pos, THighlightState& st,
                           const std::function<bool(const PendingMark&)>& onMark);
    void KeywordPass(const std::u32string& text, const THighlightState& start,
                     std::vector<PendingMark>& marks);
    // The state at the end of paragraph i as its marks and start state say.
    THighlightState EndStateOf(std::int32_t i) const;
    // The state in force below the top of `s`'s stack.
    THighlightState StateBelow(const THighlightState& s) const;
    THighlightState OpeningState(const THighlightState& below, std::int32_t entryIndex, bool keyword) const;
    void Detach();

    // What the marks are made under. While it stays the same, a paragraph's
    // marks away from an edit are what parsing it again would give.
    struct TRules {
        const TStartStopKeyList* keys = nullptr;
        std::uint64_t keysVersion = 0;
        std::uint64_t keywordsVersion = 0;
        bool applyKeywords = true;
        bool applyStartStop = true;
        bool nesting = false;
        const TVeskHighlighter* highlighter = nullptr;
        friend bool operator==(const TRules&, const TRules&) = default;
    };
    TRules CurrentRules() const;
    // False once paragraphs were parsed under other rules than those in
    // force, until ReApplyKeywords or a load starts afresh.
    bool RulesUnchanged();

    TVeskMemoStore& store_;
    TKeywordList keywords_;
    std::shared_ptr<TStartStopKeyList> startStop_;
    TSeparatorSet separators_;
    bool applyKeywords_ = true;
    bool applyStartStop_ = true;
    TVeskHighlighter* highlighter_ = nullptr;
    std::int32_t parsedCount_ = 0;
    std::uint64_t parsed_ = 0;
    TRules rules_;
    bool mixedRules_ = false;
    bool anyParsed_ = false;  // since the last fresh start
    friend class TVeskHighlighter;
};

} // namespace vesk
