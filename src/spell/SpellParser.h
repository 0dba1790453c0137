// Text parsers of the spell checker: cutting a text into words, selecting and replacing them.
//
// TSpellParser holds the word-finding rules and the undo stack; a subclass
// supplies the text (TVeskMemoParser: an editor). Offsets count characters
// (code points; a paragraph break counts two, CR and LF).
//
// Next word: move past the previous word (or, right after a start, a
// replacement to be re-checked or Start, stay on it), skip what is not a
// word character, skipping each tag "<…>" whole and each character reference
// ("&amp;", "&#233;") whole; the word is the run of word characters that
// follows. With Internet addresses on, a word followed by "@", or "http",
// "ftp", "news" (any case) followed by ":", runs on to the first blank,
// line break, tab or one of "\"()[]{},<>'" and counts as an address.
#pragma once

#include <QRect>

#include <algorithm>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vesk {

enum class TSpellUndoKind { None, Change, ChangeAll, Ignore, IgnoreAll, Add, AutoCorrect, DeleteRepeated };

struct TSpellUndoRecord {
    std::int32_t line = 0, column = 0;
    std::int32_t start = 0, length = 0;
    std::string word;
    TSpellUndoKind kind = TSpellUndoKind::None;
    std::string replacement;  // the text that replaced the word (kinds that replace)
    // The engine's state at the stop, so Undo Last can re-open it exactly.
    bool repeated = false;
    int wordCount = 0;
    std::string previousWord;
};

// Screen rectangles for placing the spell dialog.
struct TParserBounds {
    QRect editor, selection;
};

class TSpellParser {
public:
    virtual ~TSpellParser() = default;

    // ---- set-up -----------------------------------------------------------
    // The word characters (UTF-32). Empty: nothing is a word.
    void SetWordChars(std::u32string_view chars);
    void SetInternet(bool on) { internet_ = on; }
    void SetMaxUndo(int n);
    // Back to the beginning of the text; the end limit becomes its length.
    void Restart();

    // ---- walking ----------------------------------------------------------
    // Finds the next word; false at the end of the text or the end limit.
    bool NextWord();
    const std::string& Word() const { return word_; }
    std::int32_t Start() const { return start_; }
    std::int32_t Length() const { return length_; }
    std::int32_t Line() const { return line_; }      // 0-based paragraph
    std::int32_t Column() const { return column_; }  // 0-based, in characters
    std::int32_t EndLimit() const { return endLimit_; }
    bool InsideInternet() const { return insideInternet_; }
    bool TagSkipped() const { return tagSkipped_; }
    bool IsWordChar(char32_t c) const
    {
        return c < kDirect ? direct_[c] : std::find(others_.begin(), others_.end(), c) != others_.end();
    }

    // Moves to a word position (undo, Start); the next NextWord reads the
    // word found from `start` on.
    void MoveTo(std::int32_t start, std::int32_t line, std::int32_t column);
    // Moves back over word characters from the current word's start, so that
    // the next NextWord reads the whole word (Start).
    void BackToWordStart();

    // ---- changing ---------------------------------------------------------
    void SelectWord() { SelectRange(start_, length_); }
    // Replaces the current word by `text`; the word's length becomes the
    // text's, and the end limit moves with the difference so words after
    // the replacement are still checked. With `recheck` the next NextWord
    // reads the replacement itself. False when the text could not change.
    bool ReplaceWord(std::string_view text, bool recheck);
    // Replaces `length` characters at `start` (undo), keeping the end limit
    // in step; the current word becomes that range.
    bool ReplaceAt(std::int32_t start, std::int32_t length, std::string_view text);

    // ---- undo stack (at most MaxUndo records; the oldest is dropped) -------
    void PushUndo();
    void SetUndoKind(TSpellUndoKind kind, std::string_view replacement = {});
    std::optional<TSpellUndoRecord> PopUndo();
    TSpellUndoRecord* TopUndo() { return undo_.empty() ? nullptr : &undo_.back(); }
    std::size_t UndoCount() const { return undo_.size(); }

    // ---- the text ---------------------------------------------------------
    virtual std::int32_t TextLength() const = 0;
    // The character at an offset; 0 outside the text.
    virtual char32_t CharAt(std::int32_t offset) const = 0;
    // UTF-8 text of [start, start + length).
    virtual std::string TextRange(std::int32_t start, std::int32_t length) const = 0;
    virtual void SelectRange(std::int32_t start, std::int32_t length) = 0;
    virtual std::string SelectedText() const = 0;
    // Scrolls the caret line to the middle of the view.
    virtual void Centre() = 0;
    virtual TParserBounds Bounds() const = 0;

protected:
    // Replaces [start, start + length) by UTF-8 text; false when refused.
    virtual bool Replace(std::int32_t start, std::int32_t length, std::string_view text) = 0;
    // 0-based line and column of an offset.
    virtual void LineColumn(std::int32_t offset, std::int32_t& line, std::int32_t& column) const = 0;

private:
    static constexpr char32_t kDirect = 0x3000;
    std::int32_t SkipReference(std::int32_t pos, std::int32_t end) const;

    std::vector<bool> direct_ = std::vector<bool>(kDirect, false);
    std::vector<char32_t> others_;
    bool internet_ = true;
    std::int32_t start_ = 0, length_ = 0, line_ = 0, column_ = 0;
    std::int32_t endLimit_ = 0;
    bool rescan_ = true;  // read from start_ without skipping the word there
    bool insideInternet_ = false, tagSkipped_ = false;
    std::string word_;
    std::deque<TSpellUndoRecord> undo_;
    std::size_t maxUndo_ = 20;
};

} // namespace vesk
