// The validation engine: one pass over a document's text that cuts it into
// tags and text runs, checks each against the rules file the moment its ">"
// (or the next "<") is seen, and reports numbered errors with line numbers.
//
// The engine knows no widget. It reads the document through
// TValidatorDocument and reports through TValidatorResults; the results
// window (TForm8) and the command line each supply both.
//
// Decisions where the described behaviour leaves room:
//  - The text is read once, front to back, a piece at a time (an editor's
//    paragraphs, a file's chunks); nothing keeps the whole of it. The two
//    checks that look elsewhere in the text are answered without going back:
//    content rules are followed while the text goes by (TContentWatches), and
//    "does </BODY follow" is asked of the document, which searches ahead.
//  - The run processes window events while it scans and the user may edit
//    meanwhile. The first edit (or the editor's destruction) stops the scan:
//    what is left no longer belongs to what was read. Such a run reports no
//    open elements (their end tags may well follow), moves the caret no
//    more, adds neither "No Errors Found" nor the jump, and ends with the
//    status kStoppedByEdit. Errors are placed by moving the editor's caret.
//  - A request for a run while a run is going on (possible through the
//    events processed between characters) is ignored.
//  - A tab counts as a blank wherever a line break does: it ends a tag's
//    name and separates attributes, and it reads as a blank in what the
//    checks see of a tag or a text run.
//  - Text runs are checked against `chars` of the rules file's section with
//    the empty name, as a value with an empty attribute name: an empty type
//    checks nothing, an enumeration tests membership, any other type fails
//    (error 8 with an empty Context, placed at the run's first character).
//    An empty run is not checked. A run's text is only kept while a type
//    applies (most rules files give none); a run under way when the rules
//    file gains one is not checked, the next is.
//  - Content rule "o" compares the ">" of the open element's start tag with
//    the "<" that began this end tag, wherever that "<" is (also for an end
//    tag written with blanks before its ">").
//  - Events are processed about every 20 ms instead of after every
//    character, and the progress bar is moved at the same moments. The
//    window reacts as before (closing it stops the run before the next
//    character is scanned); large documents validate at full speed.
//  - Closing an end tag pops implicitly closed elements; the popping also
//    ends when the stack runs empty, since a list holding ",," would make
//    the empty name count as optional and the loop never end.
//  - Codes 9 and 14 are never raised: character references are not checked.
//  - Values derived from the rules file are kept only while the file is
//    unchanged (see TValidationRules::Refresh): a change made before a run
//    counts for the whole run, one made during a run from the first check
//    after it is noticed, within a few milliseconds (looking costs a
//    system call, and a run checks a million tags in well under a second).
//    An element's content rules are those in force when its start tag was
//    checked (for text outside every element: when the run started), since
//    they are followed from there on.
#pragma once

#include "validator/ContentWatch.h"
#include "validator/OpenTagStack.h"
#include "validator/ValidationRules.h"
#include "validator/ValidatorChecks.h"

#include <QString>

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace vesk {

// What the engine reads and moves in a document.
class TValidatorDocument {
public:
    virtual ~TValidatorDocument() = default;
    // Characters in the text; a paragraph break counts two (CR, LF). The
    // range of the progress bar.
    virtual std::int32_t Length() const = 0;
    // Reading starts again at the beginning of the text (each run does).
    virtual void Rewind() = 0;
    // The next piece of the text, in order: UTF-8 holding whole characters,
    // a paragraph break as CR LF. The view stays valid until the next call
    // of NextPiece or Rewind. False at the end of the text, and from the
    // moment the text changed after Rewind.
    virtual bool NextPiece(std::string_view& piece) = 0;
    // True once the text changed after Rewind (an edit, a destroyed editor).
    virtual bool Changed() const { return false; }
    // True when `needle` (ASCII with upper-case letters, no line break)
    // occurs in the text starting at or after byte `from` of the piece
    // NextPiece gave last, anywhere up to the end of the text; letters
    // compare without regard to case.
    virtual bool Follows(std::string_view needle, std::size_t from) = 0;
    // Moves the caret to `offset` (clamped to the text), the selection
    // length unchanged.
    virtual void SetSelStart(std::int32_t offset) = 0;
    // The caret's 0-based display line.
    virtual std::int32_t CurrentLine() const = 0;
    // Full path of the document, empty for an untitled one.
    virtual QString FileName() const = 0;
};

// Where a run reports to: the results list, status, progress, visibility.
class TValidatorResults {
public:
    virtual ~TValidatorResults() = default;
    virtual void Clear() = 0;
    virtual void Add(const QString& entry) = 0;
    virtual int Count() const = 0;
    virtual void SetStatus(const QString& text) { (void)text; }
    virtual void SetProgressMax(std::int32_t max) { (void)max; }
    virtual void SetProgress(std::int32_t position) { (void)position; }
    // Shows the results (not modal) at the start of a run.
    virtual void ShowResults() {}
    // False once the user closed the results: the scan stops.
    virtual bool Visible() const { return true; }
    // Lets the user interface handle what is pending.
    virtual void ProcessEvents() {}
    // After a run with errors: go to the first entry's line.
    virtual void ShowFirstError() {}
};

// The status a run ends with when an edit stopped it.
inline const char* const kStoppedByEdit = "Validating Stopped: the document was edited";

class TValidator {
public:
    explicit TValidator(std::string rulesPath);
    ~TValidator();

    // One validation run (the Validator operation). Returns false, doing
    // nothing, when a run is already going on.
    bool Validator(TValidatorDocument& document, TValidatorResults& results);
    bool Running() const { return running_; }
    // Errors reported by the last (or current) run.
    int ErrorCount() const { return errorCount_; }
    // The last run was stopped by an edit of its document.
    bool StoppedByEdit() const { return edited_; }

    const std::string& RulesPath() const { return rules_.Path(); }

    // How often a run lets the user interface process events, in
    // milliseconds (0: at every check and every few thousand characters).
    static constexpr int kEventIntervalMs = 20;
    void SetEventInterval(int ms) { eventIntervalMs_ = ms; }

private:
    struct ElementRules;
    struct Clock;
    enum ListId { kStartTag, kNoEndTag, kOptEndTag, kNoEndTagKey0, kOptEndTagKey0, kListCount };

    // Scans one piece of the text; false when the scan must stop.
    bool ScanPiece(std::string_view piece, Clock& clock);
    // One special character of the scanner (the others are appended in
    // runs); true when it ran a check.
    bool Scan(char32_t c, std::int32_t i);
    // Checks one tag or text run; p is where it was checked (its ">" or the next "<").
    void CheckHTMLElement(const std::u32string& name, const std::u32string& rest, std::int32_t p);
    // `known`: the tag is in the StartTag list ("," + tag + "," occurs in it).
    void StartTag(ElementRules& tag, const std::u32string& rest, std::int32_t p, bool known);
    void EndTag(ElementRules& tag, const std::u32string& rest, std::int32_t p, ElementRules* cur,
                std::int32_t curPos);
    // The content rules of `cur` (the innermost open element, or the empty
    // name for text outside every element) as followed up to here.
    void ContentRules(const ElementRules& cur, std::int32_t curPos, std::int32_t p, std::int32_t keyLength);
    void Attributes(ElementRules& tag, const std::u32string& rest, std::int32_t p);
    void CheckAttrType(std::u32string_view attrName, std::u32string_view value, const std::string& type,
                       bool hadEquals, std::int32_t position);
    void HTMLError(int code, std::u32string_view name, std::u32string_view context, std::int32_t position);
    void EndOfDocument();

    // The stack of open elements, their records and the content watches go together.
    void PushOpen(ElementRules& tag, std::int32_t p);
    void PopOpen();
    ElementRules* TopOpen() { return open_.empty() ? nullptr : open_.back(); }
    // The last bytes of the text before the current character.
    std::string Recent() const;
    // The content watches see the text lazily, in stretches: they are
    // brought up to byte `end` of the piece before anyone reads them.
    void FeedUpTo(std::size_t end);
    // True while a text run goes on whose text nobody checks (no type
    // applies to text runs), so it need not be kept.
    bool SkipTextRun();

    // Rules derived from the file are kept in the element records and
    // dropped whenever the file may have changed. Looks for changes at most
    // once a millisecond (by the coarse clock) unless `atOnce`.
    void RefreshRules(bool atOnce = false);
    // The record of a name, its derived rules as the file is now. Records
    // live as long as the validator (their names are on the stack).
    ElementRules& Element(std::u32string_view name);
    ElementRules& Fresh(ElementRules& e);
    bool InList(ElementRules& e, ListId id);
    // True when `cur`'s elem list holds `tag`.
    bool Allows(ElementRules& cur, ElementRules& tag);
    bool HasContent(ElementRules& e);
    const TContentWatches::Rules& ContentOf(ElementRules& e);
    const TNameList& List(ListId id);
    // True when "</" + name occurs in the text at or after the character
    // being scanned.
    bool EndTagFollows(std::u32string_view name);

    TValidationRules rules_;
    bool running_ = false;
    bool edited_ = false;
    int errorCount_ = 0;
    int eventIntervalMs_ = kEventIntervalMs;

    // One run's state.
    TValidatorDocument* document_ = nullptr;
    TValidatorResults* results_ = nullptr;
    std::u32string name_, rest_;  // a-z upper-cased
    bool inName_ = false, inQuote_ = false;
    std::int32_t tagStart_ = 0;  // index of the last "<" seen
    std::int32_t index_ = 0;     // index of the character being scanned
    std::string_view piece_;     // the piece being scanned
    std::size_t pieceByte_ = 0;  // the character being scanned, in piece_
    std::int64_t byteBase_ = 0;  // bytes of the text before piece_
    std::size_t fed_ = 0;        // bytes of piece_ the content watches have seen
    bool restSkipped_ = false;   // Rest holds characters that were not kept
    std::string tail_;           // the last bytes before piece_ (for the watches)
    TOpenTagStack openTags_;
    std::vector<ElementRules*> open_;  // the record of each entry of openTags_
    ElementRules* none_ = nullptr;     // the record of the empty name
    TContentWatches watches_;
    std::vector<TContentWatches::Finding> findings_;
    std::vector<ElementRules*> closed_;  // names a nesting walk counted as closed
    std::u32string attrName_, attrValue_;

    // Element records and what is derived from the file.
    std::unordered_map<std::u32string, ElementRules, TNameHash, std::equal_to<>> elements_;
    std::array<ElementRules*, 64> recent_{};  // the records last looked up, by hash
    std::int32_t walkers_ = 0;                // walkIndex values given
    std::size_t sweepAt_;                     // records that make Element forget unused ones
    std::uint64_t derived_ = 1;  // generation of derived values; advanced when the file may have changed
    struct CachedList {
        std::uint64_t derived = 0;
        TNameList names;
    };
    CachedList lists_[kListCount];
    std::uint64_t textTypeDerived_ = 0;
    std::string textType_;
    std::int64_t nextRulesLookNs_ = 0;
};

} // namespace vesk
