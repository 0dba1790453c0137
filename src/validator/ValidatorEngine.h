// The validation engine: one pass over a document's text that cuts it into
// tags and text runs, checks each against the rules file the moment its ">"
// (or the next "<") is seen, and reports numbered errors with line numbers.
//
// The engine knows no widget. It reads the document through
// TValidatorDocument and reports through TValidatorResults; the results
// window (TForm8) and the command line each supply both.
//
// Decisions where the described behaviour leaves room:
//  - The text is read once, at the start of a run, into the engine's own
//    copy. The run processes window events while it scans, and the user may
//    type meanwhile; reading the live text would mix old and new text
//    within one run and let indexes run past a shortened text. With the copy
//    every check sees one consistent text; errors are still placed by moving
//    the editor's caret (clamped to the text as it is by then).
//  - A request for a run while a run is going on (possible through the
//    events processed between characters) is ignored.
//  - Text runs are checked against `chars` of the rules file's section with
//    the empty name, as a value with an empty attribute name: an empty type
//    checks nothing, an enumeration tests membership, any other type fails
//    (error 8 with an empty Context, placed at the run's first character).
//    An empty run is not checked.
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
#pragma once

#include "validator/OpenTagStack.h"
#include "validator/ValidationRules.h"
#include "validator/ValidatorChecks.h"

#include <QString>

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
    // Characters in the text; a paragraph break counts two (CR, LF).
    virtual std::int32_t Length() const = 0;
    // Characters [a, b) as UTF-8 with CR LF at breaks: a < 0 counts as 0,
    // b beyond the end as the end, empty when a ≥ b.
    virtual std::string TextPart(std::int32_t a, std::int32_t b) const = 0;
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

    const std::string& RulesPath() const { return rules_.Path(); }

    // How often a run lets the user interface process events, in
    // milliseconds (0: at every check and every few thousand characters).
    static constexpr int kEventIntervalMs = 20;
    void SetEventInterval(int ms) { eventIntervalMs_ = ms; }

private:
    struct ElementRules;

    // One character of the scanner; true when it ran a check.
    bool Scan(char32_t c, std::int32_t i);
    // Checks one tag or text run; p is where it was checked (its ">" or the next "<").
    void CheckHTMLElement(const std::u32string& name, const std::u32string& rest, std::int32_t p);
    // `known`: the tag is in the StartTag list ("," + tag + "," occurs in it).
    void StartTag(const std::u32string& tag, const std::u32string& rest, std::int32_t p, bool known);
    void EndTag(const std::u32string& tag, const std::u32string& rest, std::int32_t p, std::u32string cur,
                std::int32_t curPos);
    void ContentRules(const std::u32string& cur, std::int32_t curPos, std::int32_t p, std::int32_t keyLength);
    void Attributes(const std::u32string& tag, ElementRules& element, const std::u32string& rest, std::int32_t p);
    void CheckAttrType(std::u32string_view attrName, std::u32string_view value, const std::string& type,
                       bool hadEquals, std::int32_t position);
    void HTMLError(int code, std::u32string_view name, std::u32string_view context, std::int32_t position);
    void EndOfDocument();

    // Rules derived from the file, dropped whenever the file may have changed.
    // Drops derived rules when the file changed; looks at most once a
    // millisecond (by the coarse clock) unless `atOnce`.
    void RefreshRules(bool atOnce = false);
    void DropDerivedRules();
    ElementRules& Element(const std::u32string& name);
    const TNameList& ElemUpper(ElementRules& e);
    bool HasContent(ElementRules& e);
    enum ListId { kStartTag, kNoEndTag, kOptEndTag, kNoEndTagKey0, kOptEndTagKey0, kListCount };
    const TNameList& List(ListId id);
    // True when "</" + name occurs in the text at or after index p.
    bool EndTagFollows(const std::u32string& name, std::int32_t p);

    TValidationRules rules_;
    bool running_ = false;
    int errorCount_ = 0;
    int eventIntervalMs_ = kEventIntervalMs;

    // One run's state.
    TValidatorDocument* document_ = nullptr;
    TValidatorResults* results_ = nullptr;
    std::u32string text_;  // the document's text, a–z upper-cased
    std::u32string name_, rest_;
    bool inName_ = false, inQuote_ = false;
    std::int32_t tagStart_ = 0;  // index of the last "<" seen
    TOpenTagStack openTags_;

    // Derived rules (see RefreshRules).
    std::unique_ptr<std::unordered_map<std::u32string, ElementRules, TNameHash, std::equal_to<>>> elements_;
    struct CachedList {
        bool loaded = false;
        TNameList names;
    };
    CachedList lists_[kListCount];
    bool textTypeLoaded_ = false;
    std::string textType_;
    std::int64_t nextRulesLookNs_ = 0;
    // Last index of "</" + name in the text (or -1), per name; the text of a
    // run does not change, so this lives for the run.
    std::unordered_map<std::u32string, std::int64_t, TNameHash, std::equal_to<>> lastEndTag_;
};

} // namespace vesk
