// Markup colouring of one editor's text by keywords and start/stop keys.
//
// The results live in the text itself: context marks in the paragraph
// buffers and a start state in each paragraph's first line record, so
// painting, the mouse pointer and the context click read the state at any
// position without scanning.
//
// Scheme. A paragraph is always parsed whole, from its start state: its old
// marks are dropped, the start/stop pass and then the keyword pass run over
// its text, and the new marks are written in one rewrite of its buffer. The
// marks of a paragraph are therefore a function of its text and its start
// state alone, which is what keeps incremental parsing equal to a full one.
// Paragraphs are parsed in order ("the parsed prefix"); an edit re-parses the
// edited paragraphs at once and carries a changed end state to the next
// paragraph, which is parsed when it is next needed. A paragraph whose stored
// start state still equals the end state of the one before is not parsed
// again.
#pragma once

#include "editor/HighlightState.h"
#include "editor/KeyLists.h"
#include "editor/VeskMemoStore.h"

#include <cstdint>
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
    void StartStopPass(const std::u32string& text, const THighlightState& start,
                       std::vector<PendingMark>& marks, THighlightState& end);
    void KeywordPass(const std::u32string& text, const THighlightState& start,
                     std::vector<PendingMark>& marks);
    // The state at the end of paragraph i as its marks and start state say.
    THighlightState EndStateOf(std::int32_t i) const;
    // The state in force below the top of `s`'s stack.
    THighlightState StateBelow(const THighlightState& s) const;
    THighlightState OpeningState(const THighlightState& below, std::int32_t entryIndex, bool keyword) const;
    void Detach();

    TVeskMemoStore& store_;
    TKeywordList keywords_;
    std::shared_ptr<TStartStopKeyList> startStop_;
    TSeparatorSet separators_;
    bool applyKeywords_ = true;
    bool applyStartStop_ = true;
    TVeskHighlighter* highlighter_ = nullptr;
    std::int32_t parsedCount_ = 0;
    std::uint64_t parsed_ = 0;
    friend class TVeskHighlighter;
};

} // namespace vesk
