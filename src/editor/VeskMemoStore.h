// The text store of the editor control: paragraphs, display lines, offsets,
// loading, saving and the one replace-a-range primitive.
//
// Character model. Text is held as UTF-8. An offset counts characters (Unicode
// code points) from the start of the text; a paragraph break counts as two
// characters, CR then LF, whatever the file used. The start of paragraph i is
// the sum of (length + 2) over the paragraphs before it; CharCount() has no
// break after the last paragraph. The two offsets just past a paragraph's last
// character address its CR and its LF; both belong to that paragraph.
//
// Paragraph buffers hold the characters with zero or more context marks (the
// byte 5 and the index of a highlighting state in the store's state table,
// see HighlightState.h) interleaved; marks are invisible to offsets, lengths
// and every text read. The byte 5 is therefore never a text
// character: a 5 read from a file is stored as U+00A7, a 5 inserted by an edit
// as U+00A5. Style codes (the characters 1, 2, 3, 4 and 21) are ordinary
// characters that painting skips; each toggles one bit of a style byte.
//
// Invariants: at least one paragraph; buffers are valid UTF-8 between marks;
// no paragraph holds CR; ParagraphStart and FirstLine of every paragraph are
// exact after every public call; every registered navigator holds an offset
// within 0 … CharCount().
#pragma once

#include "editor/DynArray.h"
#include "editor/HighlightState.h"
#include "editor/LinePool.h"
#include "editor/StateTable.h"
#include "editor/TextEncoding.h"

#include <QObject>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class QIODevice;

namespace vesk {

class TVeskNavigator;

// Style-code characters and the style bit each toggles.
inline constexpr std::uint8_t kStyleBold = 0x01;       // code 2
inline constexpr std::uint8_t kStyleItalic = 0x02;     // code 1
inline constexpr std::uint8_t kStyleUnderline = 0x04;  // code 21
inline constexpr std::uint8_t kStyleStrikeOut = 0x08;  // no code
inline constexpr std::uint8_t kStyleHighlight = 0x10;  // code 3
inline constexpr std::uint8_t kStyleAltFont = 0x20;    // code 4
// The bit a byte toggles, 0 when it is not a style code.
inline std::uint8_t StyleBitOf(unsigned char c)
{
    switch (c) {
    case 2: return kStyleBold;
    case 1: return kStyleItalic;
    case 21: return kStyleUnderline;
    case 3: return kStyleHighlight;
    case 4: return kStyleAltFont;
    default: return 0;
    }
}

// The visible stand-in for a NUL byte in documents (U+2400 SYMBOL FOR
// NULL). A store whose NullReplacement() is this character and whose last
// load met NUL bytes writes each one back as a NUL when saving, so opening
// and saving such a file changes nothing the user did not change.
inline constexpr char32_t kNulSubstitute = U'\u2400';

// Where the last load met NUL bytes.
inline constexpr std::size_t kNulParagraphsKept = 10;
struct TNulReport {
    std::int64_t count = 0;                // NUL bytes (or U+0000 characters) read
    std::vector<std::int32_t> paragraphs;  // the first kNulParagraphsKept paragraphs holding one, in order
};

// Largest paragraph (and largest inserted piece), in bytes.
inline constexpr std::int32_t kMaxParagraphBytes = 0x7fffff9b;

// Options of the store (a subset of the editor's option set).
enum TVeskMemoOption : std::uint32_t {
    vmoDiscardTrailingSpaces = 1u << 0,
};

// One display line of a paragraph, as the formatter makes it and the store
// reports it.
struct TLineRecord {
    std::int32_t start = 0;  // byte index into the paragraph buffer (marks included)
    std::int32_t end = 0;    // exclusive
    std::int32_t chars = 0;  // characters of the paragraph before the line (set by the store)
    // Layout values of the formatter. The store keeps the width only: every
    // line is as high as the measurer's lines, so height and ascent are
    // reported as 0.
    std::int32_t width = 0;
    std::int16_t height = 0;
    std::int16_t ascent = 0;
    std::uint8_t style = 0;  // style byte in force at the line start
    THighlightState state;   // highlighting state in force at the line start
};

// One paragraph, 40 bytes. The buffer belongs to the record; its line
// records, when it has any, live in the store's line pool.
struct TParRecord {
    TParRecord() : formatted(false), startStopParsed(true), keywordsParsed(true), ownLines(false) {}
    TParRecord(TParRecord&& other) noexcept;
    TParRecord& operator=(TParRecord&& other) noexcept;
    ~TParRecord();

    char* Data() const { return buffer; }
    std::int32_t LineCount() const { return lineCount; }
    // True when byte index = position everywhere (no marks, ASCII only).
    bool Plain() const { return bytes == length; }
    void FreeBuffer();

    char* buffer = nullptr;
    std::int32_t length = 0;    // characters, marks excluded
    std::int32_t bytes = 0;     // bytes in use: UTF-8 of the characters and the marks
    std::int32_t capacity = 0;  // bytes allocated
    std::int32_t markCount = 0;
    TStateId startState = kEmptyStateId;  // highlighting state at the paragraph start
    // Display lines. A paragraph with one line over its whole buffer (what
    // a loaded or edited paragraph has until it is formatted, and what most
    // formatted ones have) keeps it in the record itself: starting at 0 with
    // `startStyle`, `startState` and the width below. Any other layout has
    // its records in the store's line pool (`ownLines`).
    std::int32_t lineCount = 1;
    std::uint32_t linesOrWidth = 0;  // the pool handle with ownLines, else the one line's width
    std::uint8_t startStyle = 0;     // style in force at the paragraph start
    bool formatted : 1;
    bool startStopParsed : 1;
    bool keywordsParsed : 1;
    bool ownLines : 1;
};

using TPL = TDynArray2<TParRecord>;

// What one replacement changed, in the terms of the text before it.
struct TTextChange {
    std::int32_t start = 0;        // offset of the replaced range
    std::int32_t oldLength = 0;    // characters removed (breaks count 2)
    std::int32_t newLength = 0;    // characters inserted
    std::int32_t firstParagraph = 0;
    std::int32_t oldParagraphs = 0;  // paragraphs replaced, from firstParagraph
    std::int32_t newParagraphs = 0;  // paragraphs that took their place
};

// Something that keeps derived data about the text (highlighting, layout)
// and must hear of every change. Listeners are not owned by the store.
class TStoreListener {
public:
    virtual ~TStoreListener() = default;
    // After ReplaceRange changed the text (navigators already moved).
    virtual void TextReplaced(const TTextChange& change) = 0;
    // After a load replaced the whole text.
    virtual void TextReset() = 0;
    // The store is being destroyed while the listener is still registered.
    virtual void StoreDestroyed() {}
};

class TVeskMemoStore {
public:
    TVeskMemoStore();
    virtual ~TVeskMemoStore();
    TVeskMemoStore(const TVeskMemoStore&) = delete;
    TVeskMemoStore& operator=(const TVeskMemoStore&) = delete;

    // ---- counts and addressing -------------------------------------------
    std::int32_t CharCount() const { return charCount_; }
    std::int32_t LineCount() const { return lineCount_; }
    std::int32_t ParagraphCount() const { return paragraphs_.Count(); }
    // Start offset of paragraph i; throws EListError out of range.
    std::int32_t ParagraphStart(std::int32_t i) const;
    // Global index of paragraph i's first display line; throws EListError out of range.
    std::int32_t FirstLine(std::int32_t i) const;
    // The paragraph record; throws EListError out of range. Valid until the next edit.
    const TParRecord& Paragraph(std::int32_t i) const { return paragraphs_[i]; }
    // Index of the paragraph that holds `offset` (clamped to the text), by a
    // proportional estimate and a short walk.
    std::int32_t ParagraphOfOffset(std::int32_t offset) const;
    // Index of the paragraph that holds display line `line` (clamped).
    std::int32_t ParagraphOfLine(std::int32_t line) const;
    // Display line `line` (0 … LineCount() − 1) of a paragraph; throws
    // EListError out of range.
    TLineRecord Line(const TParRecord& par, std::int32_t line) const;
    TLineRecord Line(std::int32_t paragraph, std::int32_t line) const { return Line(paragraphs_[paragraph], line); }
    // The stored form of the same, without resolving the state: for walks
    // that only need positions. `par` must be a paragraph of this store.
    TStoredLine StoredLine(const TParRecord& par, std::int32_t line) const;
    // Characters on display line `line` of a paragraph.
    std::int32_t LineChars(const TParRecord& par, std::int32_t line) const;
    // Byte index of character `position` of a paragraph (0 … length): right
    // after the position-th character, before the marks standing in front
    // of the next one; the buffer's size at or past the length. Walks from
    // the display line that holds the position, so it stays cheap in a
    // long paragraph.
    std::int32_t ByteOfPosition(const TParRecord& par, std::int32_t position) const;

    // ---- reading ----------------------------------------------------------
    // Paragraph i without marks (style codes kept); nullopt out of range.
    std::optional<std::string> ParagraphText(std::int32_t i) const;
    // Display line i without marks; formats up to line i first; nullopt out of range.
    std::optional<std::string> LineText(std::int32_t i);
    // Characters max(from, 0) … min(to, CharCount()) with CR LF at breaks (UTF-8).
    std::string GetTextPart(std::int32_t from, std::int32_t to) const;
    // The character at `offset`: 13 and 10 at a paragraph's break, 0 outside the text.
    char32_t CharAt(std::int32_t offset) const;

    // ---- changing ---------------------------------------------------------
    // The one edit primitive under every change: replaces characters
    // [from, to) with `text` (UTF-8; ill-formed bytes become U+FFFD, the
    // byte 5 becomes U+00A5). CR and CR LF in `text` are paragraph breaks; a
    // lone LF is a character. from and to are clamped to the text; a bound
    // that falls between the CR and the LF of a break is moved off it (from
    // to before the CR, to after the LF), so a break is replaced whole or not
    // at all. Navigators at or after `to` move by the size difference, those
    // inside the range go to `from`. Returns nullopt, changing nothing, when a
    // resulting paragraph would exceed kMaxParagraphBytes or the text would
    // exceed 2^31 − 1 characters.
    std::optional<TTextChange> ReplaceRange(std::int32_t from, std::int32_t to, std::string_view text);
    // The range ReplaceRange would really replace for (from, to): clamped,
    // ordered, and moved off the middle of a break.
    std::pair<std::int32_t, std::int32_t> SnapRange(std::int32_t from, std::int32_t to) const;

    // Appends breaks until paragraph i exists, then replaces its characters.
    void SetParagraphText(std::int32_t i, std::string_view text);
    // Replaces the whole text with `text` as if loaded from a file (the
    // encoding is detected the same way); nothing happens when both the
    // store and `text` are empty.
    void SetTextBuf(std::string_view text);
    void Clear() { SetTextBuf({}); }

    // Loads from the device's current position to its end. Detects the
    // encoding (UTF-16 or UTF-32 with their byte-order mark when the rest
    // decodes cleanly, else UTF-8 with or without a mark, else Windows-1252)
    // and remembers it. A NUL byte (or U+0000) is loaded as NullReplacement(),
    // or ends the text when that is U'\0'; LoadedNuls() tells where they were.
    // A text beyond 2^31 − 1 characters throws std::length_error. On failure
    // the store is left empty (one empty paragraph) and the exception is
    // passed on.
    void LoadFromStream(QIODevice& device);
    // Writes every paragraph (without marks, redundant style-code pairs
    // removed) in the remembered encoding, with its byte-order mark, or as
    // UTF-8 when the text holds a character that encoding lacks, with CR LF
    // between paragraphs; kNulSubstitute goes back to NUL as described
    // there. Returns the encoding written. Throws std::runtime_error when the
    // device refuses a write.
    TextEncoding SaveToStream(QIODevice& device) const;
    // The NUL bytes the last load met (none after a load without any).
    const TNulReport& LoadedNuls() const { return loadedNuls_; }

    TextEncoding Encoding() const { return encoding_; }
    void SetEncoding(TextEncoding e) { encoding_ = e; }

    // ---- options and flags ------------------------------------------------
    std::uint32_t Options() const { return options_; }
    void SetOptions(std::uint32_t o) { options_ = o; }
    // The character a NUL byte is loaded as; with U'\0' loading stops at the first NUL.
    char32_t NullReplacement() const { return nullReplacement_; }
    void SetNullReplacement(char32_t c) { nullReplacement_ = c; }
    bool Modified() const { return modified_; }
    void SetModified(bool m) { modified_ = m; }
    // Removal of redundant style-code pairs when saving (on by default).
    bool RemoveRedundantCodes() const { return removeRedundantCodes_; }
    void SetRemoveRedundantCodes(bool on) { removeRedundantCodes_ = on; }

    // Update lock: while held, formatting and repainting wait; when it returns
    // to 0 what was pending is done at once (UpdateUnlocked). Never below 0.
    void BeginUpdate() { ++updateLock_; }
    void EndUpdate();
    int UpdateLock() const { return updateLock_; }

    // ---- events -----------------------------------------------------------
    std::function<void(TVeskMemoStore* sender)> OnProgress;
    std::function<void(TVeskMemoStore* sender, std::int32_t start, std::int32_t stop)> OnParse;
    std::function<void(TVeskMemoStore* sender)> OnChange;
    // Progress of the current load, save or formatting pass, 0 … 100.
    int Progress() const { return progress_; }

    // ---- display lines (for the formatter) ------------------------------
    // Installs the display lines of paragraph i (at least one; the
    // characters before each are counted here) and marks it formatted.
    void SetParagraphLines(std::int32_t i, const TLineRecord* lines, std::int32_t count);
    // Replaces lines [first, first + count) of paragraph i, which has line
    // records of its own, by `newCount` others covering the same bytes (as
    // the formatter makes them, characters before each included), and
    // marks it formatted.
    void ReplaceParagraphLines(std::int32_t i, std::int32_t first, std::int32_t count, const TLineRecord* lines,
                               std::int32_t newCount);
    // Where the bytes of one unformatted paragraph changed since it was last
    // laid out: all but the first `from` and the last `tail` bytes. Its line
    // records outside that stretch are still right (those after it shifted
    // along), so laying it out again can start near the change and stop
    // where the new lines meet the old ones. Any other unformatted paragraph
    // is laid out whole.
    struct TLayoutDamage {
        std::int32_t paragraph = -1;
        std::int32_t from = 0;
        std::int32_t tail = 0;
    };
    const TLayoutDamage& Damage() const { return damage_; }
    void DropDamage() { damage_ = TLayoutDamage{}; }

    // ---- highlighting states ----------------------------------------------
    // The state table behind the marks: State(MarkState(mark)) is a mark's
    // state. A reference into it is valid until the next state is added.
    const TStateTable& States() const { return states_; }
    const THighlightState& State(TStateId id) const { return states_[id]; }
    // The index of a state for a mark about to be written (see StateTable.h:
    // it must be installed in this store before the store reclaims states,
    // which it does only at the end of its own calls that install states).
    TStateId InternState(const THighlightState& state) { return states_.Intern(state); }
    // The highlighting state at the start of paragraph i (its first line's).
    THighlightState ParagraphStartState(std::int32_t i) const { return states_[paragraphs_[i].startState]; }
    // Stores the start state of paragraph i in its first line record.
    void SetParagraphStartState(std::int32_t i, const THighlightState& state);
    // Replaces the bytes of paragraph i by `bytes`, which must hold the same
    // characters with other context marks (the highlighter's rewrite, its
    // marks written with states interned here). Line records keep their
    // character positions; navigators in the paragraph forget their byte
    // and line indexes.
    void ReplaceParagraphMarks(std::int32_t i, std::string_view bytes, std::int32_t markCount);
    // The same for bytes [from, to) of paragraph i only (their first
    // character is the paragraph's character `fromChar`): `bytes` holds
    // those characters with other marks, `markDelta` more than before.
    void SpliceParagraphMarks(std::int32_t i, std::int32_t from, std::int32_t to, std::int32_t fromChar,
                              std::string_view bytes, std::int32_t markDelta);
    // Reclaims the states nothing refers to any more, when enough new ones
    // came since the last time (see TStateTable::SweepDue).
    void ReclaimStates();

    void AddListener(TStoreListener* listener) { listeners_.push_back(listener); }
    void RemoveListener(TStoreListener* listener);

    // ---- navigators ------------------------------------------------------
    const std::vector<TVeskNavigator*>& Navigators() const { return navigators_; }
    // Makes every navigator in paragraph i except `keep` forget its cached
    // byte and line index (after marks or line records changed there).
    void ForgetNavigatorsIn(std::int32_t paragraph, const TVeskNavigator* keep = nullptr);

    // Paragraph i as a mutable record, for the highlighter's marks; throws EListError.
    TParRecord& MutableParagraph(std::int32_t i) { return paragraphs_[i]; }
    // Sets the buffer capacity by the sizing rule so it holds `bytes` bytes
    // (the first min(old capacity, new capacity) bytes are kept).
    static void GrowBuffer(TParRecord& p, std::int32_t bytes);
    // A new, unparsed paragraph holding `bytes` (characters and `marks` marks).
    static TParRecord MakeParagraph(std::string_view bytes, std::int32_t length, std::int32_t marks = 0);
    // The capacity the sizing rule gives for n bytes.
    static std::int32_t SizedCapacity(std::int32_t n);

protected:
    // Brings display lines up to line `line`; the widget formats here.
    virtual void FormatUpTo(std::int32_t line) { (void)line; }
    // Called when the update lock returns to 0.
    virtual void UpdateUnlocked() {}
    // Called after a load replaced the whole text.
    virtual void TextLoaded() {}

private:
    friend class TVeskNavigator;
    friend class TStoreLoader;

    // A piece of inserted text between two breaks.
    struct TPiece {
        std::string bytes;
        std::int32_t chars = 0;
    };
    // Where a replacement begins and ends: paragraphs, positions in them and
    // the byte indexes of the two positions.
    struct TEditBounds {
        std::int32_t pA = 0, pB = 0, posA = 0, posB = 0, headBytes = 0, tailStart = 0;
    };
    // The pieces of inserted text between breaks: CR and CR LF end a piece,
    // a lone LF is a character. Ill-formed UTF-8 becomes U+FFFD and the mark
    // byte U+00A5, so no edit can corrupt a buffer.
    static std::vector<TPiece> SplitInsertedText(std::string_view text);
    void ReplaceWithinParagraph(const TEditBounds& b, std::string_view piece, std::int32_t pieceChars);
    void ReplaceParagraphs(const TEditBounds& b, const std::vector<TPiece>& pieces);
    void ResetToEmpty();
    // Records that bytes of paragraph i changed (see TLayoutDamage).
    void NoteDamage(std::int32_t i, std::int32_t from, std::int32_t tail);
    // The pool slice of a paragraph with ownLines.
    TStoredLine* OwnLines(const TParRecord& par) { return lines_.Lines(par.linesOrWidth); }
    const TStoredLine* OwnLines(const TParRecord& par) const { return lines_.Lines(par.linesOrWidth); }
    // Gives a paragraph's line records back; it has one implicit line again.
    void DropLines(TParRecord& par);
    void RegisterNavigator(TVeskNavigator* n);
    void UnregisterNavigator(TVeskNavigator* n);
    // Line counts of paragraphs from `fromParagraph` on changed by `delta`
    // lines in all: first-line indexes after it are recomputed on demand.
    void LinesChanged(std::int32_t fromParagraph, std::int32_t delta);
    // Makes firstLines_[0 … through] exact (prefix sums from the last exact one).
    void ValidateFirstLines(std::int32_t through) const;
    void PropagateStartStyle(std::int32_t fromParagraph);
    void AfterLoad();

    TPL paragraphs_;
    TStateTable states_;
    TLinePool lines_;
    TLayoutDamage damage_;
    std::vector<std::int32_t> starts_;      // ParagraphStart, parallel to paragraphs_
    // FirstLine, parallel to paragraphs_; exact for the first linesValid_
    // entries. Formatting changes line counts paragraph by paragraph, so the
    // sums after a change are brought up to date lazily, in one pass.
    mutable std::vector<std::int32_t> firstLines_;
    mutable std::int32_t linesValid_ = 1;
    std::int32_t charCount_ = 0;
    std::int32_t lineCount_ = 0;
    std::vector<TVeskNavigator*> navigators_;
    std::vector<TStoreListener*> listeners_;
    TextEncoding encoding_ = TextEncoding::Utf8;
    std::uint32_t options_ = 0;
    char32_t nullReplacement_ = U'\0';
    TNulReport loadedNuls_;
    bool restoreNuls_ = false;  // saving writes kNulSubstitute as NUL
    bool modified_ = false;
    bool removeRedundantCodes_ = true;
    int updateLock_ = 0;
    int progress_ = 0;
};

// Copies of paragraph bytes without marks.
std::string StripMarks(const char* bytes, std::int32_t size);

// Removes style codes that are switched on and off again with no other
// character between them (what saving does).
std::string RemoveRedundantCodePairs(std::string_view text);

} // namespace vesk
