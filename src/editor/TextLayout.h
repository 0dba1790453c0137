// Layout of paragraphs into display lines, and pixel positions within lines.
//
// A paragraph is measured run by run (a run is text of one style between
// style codes, context marks and tabs) with the font its style selects; a
// character's style is that of the context in force when the context carries
// one, else that of the codes. Spaces are measured like text, in their
// style; a tab advances to the next multiple of tab stops × space width
// (measured from the line's start, strictly past the current x). A line
// breaks before the word that would cross the width (a word is a run of
// anything but spaces and tabs, codes included); spaces and tabs that end a
// line stay on it even past the width; a single word wider than the line is
// broken between characters, before the codes that precede the character
// that no longer fits. Style codes and marks take no room. A line is never
// empty unless its paragraph is: it holds at least one character other than
// a code whenever its paragraph does.
//
// A line record's style and state are those in force at its start byte:
// codes and marks before it are applied, marks standing at the start byte
// itself are not (walking the line applies them, as it does for a navigator
// placed at the line start). Line 0 carries the paragraph's start state.
#pragma once

#include "editor/HighlightState.h"
#include "editor/VeskMemoStore.h"

#include <QFont>
#include <QFontMetrics>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <string_view>
#include <vector>

namespace vesk {

// Measures text in a given style. The layout only ever asks through this,
// so tests can use fixed widths and the printer its own device.
class TTextMeasurer {
public:
    virtual ~TTextMeasurer() = default;
    // Width in pixels of UTF-8 text (no codes, marks, tabs or breaks) in `style`.
    virtual int Width(std::string_view utf8, std::uint8_t style) const = 0;
    // Width of one space in the main font (tabs and virtual spaces use it).
    virtual int SpaceWidth() const = 0;
    // Height of a display line and the distance from its top to the baseline.
    virtual int LineHeight() const = 0;
    virtual int Ascent() const = 0;
};

// Measures with Qt fonts: the main font, and the alternate font for the
// alternate-font style bit; bold, italic, underline and strike-out bits vary
// the chosen font. LineHeight() is the main font's height + 1 unless fixed.
class TFontMeasurer : public TTextMeasurer {
public:
    TFontMeasurer(const QFont& font, const QFont& altFont, int fixedLineHeight = 0,
                  QPaintDevice* device = nullptr);
    int Width(std::string_view utf8, std::uint8_t style) const override;
    int SpaceWidth() const override { return spaceWidth_; }
    int LineHeight() const override { return lineHeight_; }
    int Ascent() const override { return ascent_; }
    // The font a style selects.
    QFont FontFor(std::uint8_t style) const;
    // The device measured on (null: the screen).
    QPaintDevice* Device() const { return device_; }

private:
    QFont font_, altFont_;
    QPaintDevice* device_;
    mutable std::vector<std::unique_ptr<QFontMetrics>> metrics_;  // by style bits 0-5
    // Widths of short pieces already measured, by style: markup repeats the
    // same words and tags endlessly, and shaping text is the costly part.
    mutable std::vector<std::unordered_map<std::string, int>> widthCache_;
    int spaceWidth_ = 1, lineHeight_ = 1, ascent_ = 1;
    const QFontMetrics& MetricsFor(std::uint8_t style) const;
};

struct TLayoutOptions {
    int width = 32767;     // pixels available for text (already minus margins)
    bool wordWrap = true;  // false: lines break only at paragraph ends
    int tabStops = 8;      // tab width in space widths
};

// The display lines of paragraph `i` of `store`: start and end byte indexes
// (marks included, covering the whole buffer without gaps), pixel width, line
// height and ascent, and the style and highlighting state in force at each
// line start. Marks standing at a line break belong to the line after it.
std::vector<TLineRecord> FormatParagraph(const TVeskMemoStore& store, std::int32_t i,
                                         const TTextMeasurer& measurer, const TLayoutOptions& options);

// The same from a line start on: `first` gives its byte, the characters
// before it, and the style and state in force there. Lays out lines up to
// the paragraph's end, or up to the first line start after `first` for which
// `stopAt` returns true (that line is not included).
std::vector<TLineRecord> FormatLinesFrom(const TVeskMemoStore& store, std::int32_t i, const TLineRecord& first,
                                         const TTextMeasurer& measurer, const TLayoutOptions& options,
                                         const std::function<bool(const TLineRecord&)>& stopAt);

// Pixel x (from the line's left edge, before alignment) of the character
// position `column` (characters from the line start, 0 … line length) in
// display line `line` of paragraph `i`, as the store holds it (install the
// records of FormatParagraph first; a line out of range is clamped). Columns
// past the line's end give its width.
int XOfColumn(const TVeskMemoStore& store, std::int32_t i, std::int32_t line, std::int32_t column,
              const TTextMeasurer& measurer, const TLayoutOptions& options);

// The column whose position is nearest to pixel x in that line (0 … line
// length; a click on the right half of a character gives the column after it).
// Where style codes make several columns share one x, the column chosen is
// the one right next to the character clicked on (after the codes before it
// for its left half, before the codes after it for its right half), so
// typing continues in that character's style.
std::int32_t ColumnOfX(const TVeskMemoStore& store, std::int32_t i, std::int32_t line, int x,
                       const TTextMeasurer& measurer, const TLayoutOptions& options);

// ---- painting a line ------------------------------------------------------------

// A stretch of a display line drawn in one go: text of one style and one
// highlighting state, without codes, marks or tabs.
struct TLineRun {
    std::int32_t begin = 0;  // byte range in the paragraph buffer
    std::int32_t end = 0;
    std::int32_t column = 0;        // characters from the line start to the run's first
    std::int32_t spacesBefore = 0;  // spaces on the line before the run (justification spreads them)
    int x = 0;                      // pixels from the line's left edge, before alignment and justification
    int width = 0;                  // the run's text measured as a whole
    std::uint8_t style = 0;         // the effective style: it selects the font
    // The keyword or context in force: its colours (0x00BBGGRR, 0 = none).
    bool inContext = false;
    std::uint32_t background = 0;
    std::uint32_t textColor = 0;
};

struct TLineRuns {
    std::vector<TLineRun> runs;
    std::int32_t chars = 0;        // characters on the line
    int width = 0;                 // x after its last character
    std::int32_t innerSpaces = 0;  // spaces before its last other character
    // For each column asked for: its x (as XOfColumn gives it) and the spaces before it.
    std::vector<std::pair<int, std::int32_t>> cuts;
};

// Display line `line` of paragraph `i` as runs, in the positions the layout
// measures (so glyphs meet the caret that XOfColumn places). A run also
// ends at each column in `cuts` (a selection's ends), whose x are reported.
// Columns out of the line give its end.
TLineRuns LineToRuns(const TVeskMemoStore& store, std::int32_t i, std::int32_t line, const TTextMeasurer& measurer,
                     const TLayoutOptions& options, const std::vector<std::int32_t>& cuts);

} // namespace vesk
