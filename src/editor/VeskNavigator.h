// TVeskNavigator: a position in an editor's text that follows every edit and
// converts between offset, paragraph, display line and column.
//
// A navigator holds an offset and caches where it lies: the paragraph, the
// position within it, the byte index in the paragraph buffer, the display
// line, and the style and highlighting state in force there. Caches are
// filled on demand and dropped whenever the store changes what they describe.
#pragma once

#include "editor/HighlightState.h"

#include <cstdint>
#include <stdexcept>

class QObject;

namespace vesk {

class TVeskMemoStore;
struct TParRecord;

// Raised when a navigator is created for something that is not an editor.
class EVeskError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

inline constexpr std::int32_t kNotComputed = 0x7fffffff;

class TVeskNavigator {
public:
    // A navigator of `editor`, entered in its navigator list so that edits
    // move it. With `registered` false it is a scratch navigator that edits
    // do not move (the caller re-places it after any change).
    explicit TVeskNavigator(TVeskMemoStore* editor, bool registered = true);
    // Throws EVeskError("Internal error: component is not a TVeskMemo")
    // when `component` is not an editor.
    explicit TVeskNavigator(QObject* component);
    ~TVeskNavigator();
    TVeskNavigator(const TVeskNavigator&) = delete;
    TVeskNavigator& operator=(const TVeskNavigator&) = delete;

    // The editor; null once the editor has been destroyed (the navigator then
    // stays at offset 0 and every operation is harmless).
    TVeskMemoStore* Editor() const { return editor_; }

    std::int32_t Offset() const { return offset_; }
    // Places the navigator (clamped to 0 … CharCount). Moving forward inside
    // the cached paragraph walks on from the cached byte index; anything else
    // drops the caches.
    void SetOffset(std::int32_t offset);

    std::int32_t ParagraphIndex();
    const TParRecord* Paragraph();
    std::int32_t Position();    // characters from the paragraph start
    std::int32_t ByteIndex();   // into the paragraph buffer, marks included
    std::int32_t LineIndex();   // display line within the paragraph
    std::int32_t DisplayLine(); // LineIndex + the paragraph's first display line
    // Characters between the start of the display line and the position.
    std::int32_t Column();

    // Goes to the start of display line n (clamped to 0 … LineCount − 1).
    void GotoLine(std::int32_t n);
    // Advances by up to n characters without leaving the display line.
    void MoveForward(std::int32_t n);

    // The character at the position (marks skipped); 13 at the paragraph's
    // end, 10 one further (the break's LF).
    char32_t CharAtPos();
    THighlightState State();
    // The state's low six bits when a keyword or context is in force, else the style byte.
    std::uint8_t Style();

    // Copies every field but the editor.
    void Assign(const TVeskNavigator& other);
    // Drops every cache; the offset stays.
    void Forget();
    // Drops the byte index and line index only.
    void ForgetIndexes();

    // While the byte at the byte index starts a context mark, takes its state
    // and steps over it.
    void SkipMarks();
    // The nearest mark at or before the position, in this paragraph or else
    // the last mark of an earlier one, not going to a paragraph that starts
    // before `limit`. Places the navigator on it (byte index at the mark).
    bool PreviousMark(std::int32_t limit);
    // The next mark after the position, in this or later paragraphs, up to
    // offset `limit`. Places the navigator on it.
    bool NextMark(std::int32_t limit);
    // Inserts a mark with `state` at the byte index; the navigator ends after it.
    void InsertMark(const THighlightState& state);
    // Removes the mark at the byte index (nothing when there is none).
    void DeleteMark();

private:
    friend class TVeskMemoStore;

    void Locate();                // paragraph and position
    void PlaceOnMark(std::int32_t paragraph, std::int32_t markByte, std::int32_t markChars);
    void ComputeIndexes();        // byte index, line index, style, state
    void EditorDestroyed();

    TVeskMemoStore* editor_ = nullptr;
    bool registered_ = false;
    std::int32_t offset_ = 0;
    std::int32_t paragraph_ = -1;
    std::uint8_t style_ = 0;
    std::int32_t position_ = 0;
    std::int32_t byteIndex_ = kNotComputed;
    THighlightState state_;
    std::int32_t lineIndex_ = kNotComputed;
};

} // namespace vesk
