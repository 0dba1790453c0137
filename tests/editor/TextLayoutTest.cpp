// Paragraph layout: wrapping, tabs, style codes, context marks and their
// styles, UTF-8, pixel/column conversion, the Qt font measurer, and lines
// installed in the store as the navigator sees them.
#include "editor/StoreText.h"
#include "editor/TextLayout.h"
#include "editor/VeskMemoStore.h"
#include "editor/VeskNavigator.h"

#include <QFont>
#include <QFontMetrics>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace vesk {
namespace {

const std::string kBold = "\x02";    // toggles bold
const std::string kItalic = "\x01";  // toggles italic
const std::string kAlt = "\x04";     // toggles the alternate font

// Fixed widths so that every break is exact: 10 px a character (spaces
// included), 12 px in bold, 5 px in the alternate font; a space is 10, a
// line 16 high with the baseline at 12. It also notes any text it is asked
// to measure that holds a code, a mark byte or a tab, which the layout must
// never pass.
class TFixedMeasurer : public TTextMeasurer {
public:
    int Width(std::string_view utf8, std::uint8_t style) const override
    {
        int chars = 0;
        for (const char c : utf8) {
            const auto b = static_cast<unsigned char>(c);
            if (b == 5 || b == 9 || StyleBitOf(b) != 0)
                sawForbidden = true;
            if ((b & 0xC0) != 0x80)
                ++chars;
        }
        if (style & kStyleAltFont)
            return chars * 5;
        return chars * ((style & kStyleBold) ? 12 : 10);
    }
    int SpaceWidth() const override { return 10; }
    int LineHeight() const override { return 16; }
    int Ascent() const override { return 12; }

    mutable bool sawForbidden = false;
};

TLayoutOptions Wrap(int width, int tabStops = 4)
{
    TLayoutOptions o;
    o.width = width;
    o.wordWrap = true;
    o.tabStops = tabStops;
    return o;
}

THighlightState Context(std::uint8_t flagsStyle, std::uint32_t tag)
{
    THighlightState s;
    s.flagsStyle = flagsStyle;
    s.depth = 0;
    s.background = tag;
    return s;
}

bool SameBytes(const THighlightState& a, const THighlightState& b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// Inserts a mark before the character at `offset`.
void MarkAt(TVeskMemoStore& store, std::int32_t offset, const THighlightState& state)
{
    TVeskNavigator nav(&store, false);
    nav.SetOffset(offset);
    nav.InsertMark(state);
}

// The text of each line (marks dropped).
std::vector<std::string> Texts(const TVeskMemoStore& store, std::int32_t i, const std::vector<TLineRecord>& lines)
{
    std::vector<std::string> out;
    const TParRecord& par = store.Paragraph(i);
    for (const TLineRecord& l : lines)
        out.push_back(StripMarks(par.Data() + l.start, l.end - l.start));
    return out;
}

std::vector<int> Widths(const std::vector<TLineRecord>& lines)
{
    std::vector<int> out;
    for (const TLineRecord& l : lines)
        out.push_back(l.width);
    return out;
}

using Strings = std::vector<std::string>;
using Ints = std::vector<int>;

class TextLayoutTest : public ::testing::Test {
protected:
    std::vector<TLineRecord> Format(const std::string& text, const TLayoutOptions& options)
    {
        store.SetParagraphText(0, text);
        return FormatParagraph(store, 0, measurer, options);
    }
    // Formats paragraph i and installs the result in the store.
    std::vector<TLineRecord> Install(std::int32_t i, const TLayoutOptions& options)
    {
        std::vector<TLineRecord> lines = FormatParagraph(store, i, measurer, options);
        store.SetParagraphLines(i, lines.data(), std::int32_t(lines.size()));
        return lines;
    }
    void TearDown() override { EXPECT_FALSE(measurer.sawForbidden) << "codes, marks or tabs were measured"; }

    TVeskMemoStore store;
    TFixedMeasurer measurer;
};

// ---- wrapping -----------------------------------------------------------------

TEST_F(TextLayoutTest, BreaksBeforeTheWordThatCrossesAndKeepsTrailingSpaces)
{
    // "aaa bbb" is exactly 70: a word ending on the edge fits, and the space
    // after it stays even though it crosses.
    auto lines = Format("aaa bbb ccc", Wrap(70));
    EXPECT_EQ(Texts(store, 0, lines), (Strings{"aaa bbb ", "ccc"}));
    EXPECT_EQ(Widths(lines), (Ints{80, 30}));

    lines = Format("aaa bbb ccc", Wrap(69));
    EXPECT_EQ(Texts(store, 0, lines), (Strings{"aaa ", "bbb ", "ccc"}));

    // Many spaces at the end of a line all stay on it, far past the width.
    lines = Format("aaa        bbb", Wrap(50));
    EXPECT_EQ(Texts(store, 0, lines), (Strings{"aaa        ", "bbb"}));
    EXPECT_EQ(Widths(lines), (Ints{110, 30}));

    // A line of spaces only, then the word.
    lines = Format("   abcd", Wrap(35));
    EXPECT_EQ(Texts(store, 0, lines), (Strings{"   ", "abc", "d"}));

    // Every record carries the measurer's line height and ascent.
    for (const TLineRecord& l : lines) {
        EXPECT_EQ(l.height, 16);
        EXPECT_EQ(l.ascent, 12);
    }
}

TEST_F(TextLayoutTest, BreaksAWordWiderThanTheLineBetweenCharacters)
{
    auto lines = Format("abcdefghij", Wrap(35));
    EXPECT_EQ(Texts(store, 0, lines), (Strings{"abc", "def", "ghi", "j"}));
    EXPECT_EQ(Widths(lines), (Ints{30, 30, 30, 10}));

    // The long word first moves to its own line, then breaks.
    lines = Format("xx abcdefgh yy", Wrap(45));
    EXPECT_EQ(Texts(store, 0, lines), (Strings{"xx ", "abcd", "efgh ", "yy"}));

    // Longer than a slice the layout measures at once: still cut at the edge.
    const std::string longWord(300, 'w');
    lines = Format(longWord, Wrap(125));
    ASSERT_EQ(lines.size(), 25u);
    for (std::size_t k = 0; k < lines.size(); ++k) {
        EXPECT_EQ(lines[k].start, std::int32_t(12 * k));
        EXPECT_EQ(lines[k].width, 120);
    }
}

TEST_F(TextLayoutTest, WithoutWordWrapAParagraphIsOneLine)
{
    TLayoutOptions o = Wrap(20);
    o.wordWrap = false;
    const auto lines = Format("aaa bbb\tccc " + kBold + "dd", o);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].start, 0);
    EXPECT_EQ(lines[0].end, store.Paragraph(0).bytes);
    // aaa bbb = 70, tab to 80, "ccc " = 120, bold dd = 24.
    EXPECT_EQ(lines[0].width, 144);
}

TEST_F(TextLayoutTest, AnEmptyParagraphIsOneEmptyLine)
{
    auto lines = Format("", Wrap(100));
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].start, 0);
    EXPECT_EQ(lines[0].end, 0);
    EXPECT_EQ(lines[0].width, 0);
    EXPECT_EQ(lines[0].height, 16);

    // Marks alone are still one line with no width.
    store.SetParagraphText(0, "");
    MarkAt(store, 0, Context(0x81, 7));
    lines = FormatParagraph(store, 0, measurer, Wrap(100));
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].end, MarkSizeFor(store.InternState(Context(0x81, 7))));
    EXPECT_EQ(lines[0].width, 0);
}

TEST_F(TextLayoutTest, AWidthBelowTheLineHeightStillMakesProgress)
{
    // Any width below 16 counts as 16: one 10 px character a line.
    for (const int width : {0, -40, 5, 16}) {
        SCOPED_TRACE(width);
        const auto lines = Format("ab cd", Wrap(width));
        EXPECT_EQ(Texts(store, 0, lines), (Strings{"a", "b ", "c", "d"}));
    }
    // 12 px bold characters fit one a line as well, codes riding along.
    auto lines = Format(kBold + "abc", Wrap(1));
    EXPECT_EQ(Texts(store, 0, lines), (Strings{kBold + "a", "b", "c"}));
    // 5 px characters show the 16 px floor: three a line.
    lines = Format(kAlt + "abcdefg", Wrap(0));
    EXPECT_EQ(Texts(store, 0, lines), (Strings{kAlt + "abc", "def", "g"}));
}

// ---- tabs -----------------------------------------------------------------------

TEST_F(TextLayoutTest, TabsGoToTheNextStopFromTheLineStart)
{
    // Stops every 4 × 10 px.
    auto lines = Format("a\tb", Wrap(1000));
    EXPECT_EQ(lines[0].width, 50);
    EXPECT_EQ(XOfColumn(store, 0, 0, 2, measurer, Wrap(1000)), 40);

    // A tab already on a stop goes on to the next one.
    lines = Format("abcd\te", Wrap(1000));
    EXPECT_EQ(lines[0].width, 90);
    lines = Format("\t\t", Wrap(1000));
    EXPECT_EQ(lines[0].width, 80);

    // The stop width follows the option.
    lines = Format("a\tb", Wrap(1000, 8));
    EXPECT_EQ(lines[0].width, 90);

    // Stops restart on every display line.
    lines = Format("aaaa bb\tc", Wrap(60));
    EXPECT_EQ(Texts(store, 0, lines), (Strings{"aaaa ", "bb\tc"}));
    EXPECT_EQ(Widths(lines), (Ints{50, 50}));
    store.SetParagraphLines(0, lines.data(), std::int32_t(lines.size()));
    EXPECT_EQ(XOfColumn(store, 0, 1, 3, measurer, Wrap(60)), 40);

    // A line may break after a tab, which stays on it even past the width.
    lines = Format("aaaaa\tbb", Wrap(55));
    EXPECT_EQ(Texts(store, 0, lines), (Strings{"aaaaa\t", "bb"}));
    EXPECT_EQ(Widths(lines), (Ints{80, 20}));
}

// ---- codes, marks and styles --------------------------------------------------------

TEST_F(TextLayoutTest, CodesTakeNoRoomAndBoldRunsAreMeasuredBold)
{
    // a 10, bold b 12, c 10.
    auto lines = Format("a" + kBold + "b" + kBold + "c", Wrap(1000));
    EXPECT_EQ(lines[0].width, 32);

    // Italic changes nothing in this measurer; the code still takes no room.
    lines = Format("a" + kItalic + "b", Wrap(1000));
    EXPECT_EQ(lines[0].width, 20);

    // Bold "aaa" (36) and its bold space (12) fit 50; the next line starts
    // with the bold switched off again, its record says so.
    lines = Format(kBold + "aaa " + kBold + "bbb", Wrap(50));
    EXPECT_EQ(Texts(store, 0, lines), (Strings{kBold + "aaa ", kBold + "bbb"}));
    EXPECT_EQ(Widths(lines), (Ints{48, 30}));
    EXPECT_EQ(lines[0].style, 0);
    EXPECT_EQ(lines[1].style, kStyleBold);

    // A code before a word travels with the word to the next line.
    lines = Format("aaa " + kBold + "bbb", Wrap(50));
    EXPECT_EQ(Texts(store, 0, lines), (Strings{"aaa ", kBold + "bbb"}));
    EXPECT_EQ(lines[1].style, 0);
    EXPECT_EQ(lines[1].width, 36);

    // Cutting a long word, the code stays with the character after it.
    lines = Format("abc" + kBold + "def", Wrap(35));
    EXPECT_EQ(Texts(store, 0, lines), (Strings{"abc", kBold + "de", "f"}));
    EXPECT_EQ(Widths(lines), (Ints{30, 24, 12}));
    EXPECT_EQ(lines[2].style, kStyleBold);
}

TEST_F(TextLayoutTest, AParagraphStartsInTheStyleTheCodesBeforeItLeft)
{
    store.SetTextBuf("x" + kBold + "\r\naaa bbb");
    ASSERT_EQ(store.Paragraph(1).startStyle, kStyleBold);
    const auto lines = FormatParagraph(store, 1, measurer, Wrap(50));
    EXPECT_EQ(Texts(store, 1, lines), (Strings{"aaa ", "bbb"}));
    EXPECT_EQ(Widths(lines), (Ints{48, 36}));
    EXPECT_EQ(lines[0].style, kStyleBold);
    EXPECT_EQ(lines[1].style, kStyleBold);
}

TEST_F(TextLayoutTest, MarksTakeNoRoomAndAMarkAtABreakStartsTheNextLine)
{
    store.SetParagraphText(0, "aaa bbb ccc");
    const THighlightState first = Context(0x80, 1);
    const THighlightState second = Context(0x80, 2);
    MarkAt(store, 2, first);   // inside "aaa"
    MarkAt(store, 4, second);  // right before "bbb"
    const auto lines = FormatParagraph(store, 0, measurer, Wrap(45));
    EXPECT_EQ(Texts(store, 0, lines), (Strings{"aaa ", "bbb ", "ccc"}));
    EXPECT_EQ(Widths(lines), (Ints{40, 40, 30}));

    // Line 1 starts at the mark, whose state is not yet in force there.
    const char* data = store.Paragraph(0).Data();
    EXPECT_EQ(lines[0].start, 0);
    const int markSize = MarkSizeFor(store.InternState(second));
    EXPECT_EQ(lines[0].end, 4 + markSize);
    EXPECT_EQ(lines[1].start, 4 + markSize);
    EXPECT_EQ(data[lines[1].start], kMarkByte);
    EXPECT_TRUE(SameBytes(lines[0].state, THighlightState()));
    EXPECT_TRUE(SameBytes(lines[1].state, first));
    EXPECT_TRUE(SameBytes(lines[2].state, second));

    // A mark in the middle of a cut word goes to the next line too.
    store.SetParagraphText(0, "abcdef");
    MarkAt(store, 3, first);
    const auto cut = FormatParagraph(store, 0, measurer, Wrap(35));
    ASSERT_EQ(cut.size(), 2u);
    EXPECT_EQ(cut[0].end, 3);
    EXPECT_EQ(store.Paragraph(0).Data()[cut[1].start], kMarkByte);
    EXPECT_TRUE(SameBytes(cut[1].state, THighlightState()));
}

TEST_F(TextLayoutTest, AContextStyleReplacesTheCodeStyle)
{
    // Inside a context with bold style "bbb " is measured bold without a
    // code; a context without style bits then ends it.
    store.SetParagraphText(0, "aaa bbb ccc");
    MarkAt(store, 4, Context(0x80 | kStyleBold, 1));
    MarkAt(store, 8, Context(0x80, 2));
    auto lines = FormatParagraph(store, 0, measurer, Wrap(1000));
    EXPECT_EQ(lines[0].width, 30 + 10 + 36 + 12 + 30);

    // A context of style 0 overrides the bold the codes switched on, while
    // the record keeps the code style.
    store.SetParagraphText(0, kBold + "aaa bbb");
    MarkAt(store, 1, Context(0x80, 3));
    lines = FormatParagraph(store, 0, measurer, Wrap(45));
    EXPECT_EQ(Texts(store, 0, lines), (Strings{kBold + "aaa ", "bbb"}));
    EXPECT_EQ(Widths(lines), (Ints{40, 30}));
    EXPECT_EQ(lines[1].style, kStyleBold);
    EXPECT_EQ(lines[1].state.background, 3u);

    // The paragraph's start state applies from the first character, and the
    // first record carries it.
    store.SetParagraphText(0, "aaa");
    const THighlightState start = Context(0x80 | kStyleBold, 9);
    store.SetParagraphStartState(0, start);
    lines = FormatParagraph(store, 0, measurer, Wrap(1000));
    EXPECT_EQ(lines[0].width, 36);
    EXPECT_TRUE(SameBytes(lines[0].state, start));
    store.SetParagraphLines(0, lines.data(), std::int32_t(lines.size()));
    EXPECT_TRUE(SameBytes(store.ParagraphStartState(0), start));
}

// ---- UTF-8 --------------------------------------------------------------------------

TEST_F(TextLayoutTest, CountsCharactersNotBytes)
{
    // é is 2 bytes, 中 is 3; each is one 10 px character.
    auto lines = Format("éé 中中中", Wrap(45));
    EXPECT_EQ(Texts(store, 0, lines), (Strings{"éé ", "中中中"}));
    EXPECT_EQ(Widths(lines), (Ints{30, 30}));
    EXPECT_EQ(lines[1].start, 5);
    EXPECT_EQ(lines[1].end, 14);

    store.SetParagraphLines(0, lines.data(), std::int32_t(lines.size()));
    EXPECT_EQ(XOfColumn(store, 0, 1, 2, measurer, Wrap(45)), 20);
    EXPECT_EQ(ColumnOfX(store, 0, 1, 24, measurer, Wrap(45)), 2);
    EXPECT_EQ(ColumnOfX(store, 0, 1, 26, measurer, Wrap(45)), 3);

    // A long word is cut between whole characters.
    lines = Format("中中中中中", Wrap(25));
    EXPECT_EQ(Texts(store, 0, lines), (Strings{"中中", "中中", "中"}));
    EXPECT_EQ(lines[1].start, 6);
    EXPECT_EQ(lines[2].start, 12);
}

// ---- invariants over many paragraphs ----------------------------------------------------

// Characters other than codes in bytes [from, to).
std::int32_t VisibleChars(const char* data, std::int32_t from, std::int32_t to)
{
    std::int32_t n = 0;
    for (std::int32_t bi = from; bi < to;) {
        const auto c = static_cast<unsigned char>(data[bi]);
        if (c == 5) {
            bi += MarkSize(data + bi);
            continue;
        }
        if ((c & 0xC0) != 0x80 && StyleBitOf(c) == 0)
            ++n;
        ++bi;
    }
    return n;
}

// The state of the last mark before byte `to`, or `start`.
THighlightState StateBefore(const TVeskMemoStore& store, const char* data, std::int32_t to,
                            const THighlightState& start)
{
    THighlightState s = start;
    for (std::int32_t bi = 0; bi < to;) {
        if (data[bi] == 5) {
            s = store.State(MarkState(data + bi));
            bi += MarkSize(data + bi);
        } else {
            ++bi;
        }
    }
    return s;
}

TEST_F(TextLayoutTest, LinesCoverTheBufferAndAgreeWithColumnPositions)
{
    const std::vector<std::string> pieces = {"a", "b", "é", "中", " ", " ", "\t", kBold, kItalic, kAlt};
    std::mt19937 random(1234);
    for (int round = 0; round < 60; ++round) {
        std::string text;
        const int n = int(random() % 40);
        for (int k = 0; k < n; ++k)
            text += pieces[random() % pieces.size()];
        store.SetParagraphText(0, text);
        const std::int32_t length = store.Paragraph(0).length;
        for (int m = int(random() % 4); m > 0; --m)
            MarkAt(store, std::int32_t(random() % std::uint32_t(length + 1)), Context(std::uint8_t(0x80 | (random() % 2)), std::uint32_t(m)));

        for (const int width : {1, 25, 37, 60, 100, 1000}) {
            SCOPED_TRACE(testing::Message() << "text \"" << text << "\" width " << width);
            const auto lines = Install(0, Wrap(width));
            const TParRecord& par = store.Paragraph(0);
            ASSERT_FALSE(lines.empty());
            EXPECT_EQ(lines.front().start, 0);
            EXPECT_EQ(lines.back().end, par.bytes);
            const bool anyVisible = VisibleChars(par.Data(), 0, par.bytes) > 0;
            std::int32_t columns = 0;
            for (std::size_t k = 0; k < lines.size(); ++k) {
                const TLineRecord& l = lines[k];
                if (k > 0) {
                    EXPECT_EQ(l.start, lines[k - 1].end);
                }
                EXPECT_LT(l.start, std::max(l.end, 1));
                if (anyVisible) {
                    EXPECT_GT(VisibleChars(par.Data(), l.start, l.end), 0);
                }
                EXPECT_EQ(l.style, std::uint8_t(par.startStyle ^ store::CodeParity(par.Data(), 0, l.start)));
                EXPECT_TRUE(SameBytes(l.state, StateBefore(store, par.Data(), l.start, THighlightState())));
                // A line whose last character is not blank fits the width (16 at least).
                const std::string t = StripMarks(par.Data() + l.start, l.end - l.start);
                const std::size_t last = t.find_last_not_of(kBold + kItalic + kAlt);
                const bool endsBlank = last == std::string::npos || t[last] == ' ' || t[last] == '\t';
                if (!endsBlank) {
                    EXPECT_LE(l.width, std::max(width, 16)) << "line " << k;
                }
                // Greedy: what starts the next line would not have fitted on
                // this one: its first word after a blank (when that word ends
                // on the next line; a word cut again is wider than a line),
                // else its first character.
                if (k + 1 < lines.size()) {
                    const std::string next = StripMarks(par.Data() + lines[k + 1].start,
                                                        lines[k + 1].end - lines[k + 1].start);
                    std::int32_t wordEnd = 0, firstVisible = 0;
                    bool wordEnds = k + 2 == lines.size();
                    for (const char c : next) {
                        if ((static_cast<unsigned char>(c) & 0xC0) == 0x80)
                            continue;
                        if (c == ' ' || c == '\t') {
                            wordEnds = true;
                            break;
                        }
                        ++wordEnd;
                        if (firstVisible == 0 && StyleBitOf(static_cast<unsigned char>(c)) == 0)
                            firstVisible = wordEnd;
                    }
                    ASSERT_GT(firstVisible, 0) << "line " << k + 1 << " starts without a word";
                    if (!endsBlank || wordEnds) {
                        const int need = XOfColumn(store, 0, std::int32_t(k + 1), endsBlank ? wordEnd : firstVisible,
                                                   measurer, Wrap(width));
                        EXPECT_GT(l.width + need, std::max(width, 16)) << "line " << k;
                    }
                }
                // The record's width is where the last column sits.
                const std::int32_t chars = store::CharsBetween(par.Data(), l.start, l.end);
                EXPECT_EQ(XOfColumn(store, 0, std::int32_t(k), chars, measurer, Wrap(width)), l.width);
                columns += chars;
            }
            EXPECT_EQ(columns, par.length);
        }
    }
}

// ---- pixels and columns ---------------------------------------------------------------

TEST_F(TextLayoutTest, ColumnsAndPixelsRoundTrip)
{
    const TLayoutOptions o = Wrap(95);
    store.SetParagraphText(0, "ab\tcé 中d efgh ijklmnopqrst");
    const auto lines = Install(0, o);
    ASSERT_GE(lines.size(), 3u);
    const TParRecord& par = store.Paragraph(0);
    for (std::int32_t k = 0; k < std::int32_t(lines.size()); ++k) {
        SCOPED_TRACE(k);
        const std::int32_t chars = store::CharsBetween(par.Data(), lines[k].start, lines[k].end);
        int previous = 0;
        for (std::int32_t c = 0; c <= chars; ++c) {
            const int x = XOfColumn(store, 0, k, c, measurer, o);
            EXPECT_EQ(ColumnOfX(store, 0, k, x, measurer, o), c) << "column " << c;
            if (c > 0) {
                // Left half of the character before → before it; the middle
                // and the right half → after it.
                ASSERT_GT(x, previous);
                const int middle = previous + (x - previous + 1) / 2;
                EXPECT_EQ(ColumnOfX(store, 0, k, middle - 1, measurer, o), c - 1) << "column " << c;
                EXPECT_EQ(ColumnOfX(store, 0, k, middle, measurer, o), c) << "column " << c;
                EXPECT_EQ(ColumnOfX(store, 0, k, x - 1, measurer, o), c) << "column " << c;
            }
            previous = x;
        }
        EXPECT_EQ(ColumnOfX(store, 0, k, -5, measurer, o), 0);
        EXPECT_EQ(ColumnOfX(store, 0, k, 100000, measurer, o), chars);
        EXPECT_EQ(XOfColumn(store, 0, k, chars + 7, measurer, o), lines[k].width);
        EXPECT_EQ(XOfColumn(store, 0, k, -1, measurer, o), 0);
    }
    // The tab's halves: it spans 20 … 40 on line 0.
    EXPECT_EQ(ColumnOfX(store, 0, 0, 29, measurer, o), 2);
    EXPECT_EQ(ColumnOfX(store, 0, 0, 30, measurer, o), 3);
}

TEST_F(TextLayoutTest, ColumnsAroundCodesShareTheirX)
{
    const TLayoutOptions o = Wrap(1000);
    store.SetParagraphText(0, "ab" + kBold + "cd" + kBold + "e");
    Install(0, o);
    // Columns 2 and 3 are both at 20; bold c and d are 12 wide.
    EXPECT_EQ(XOfColumn(store, 0, 0, 2, measurer, o), 20);
    EXPECT_EQ(XOfColumn(store, 0, 0, 3, measurer, o), 20);
    EXPECT_EQ(XOfColumn(store, 0, 0, 5, measurer, o), 44);
    EXPECT_EQ(XOfColumn(store, 0, 0, 6, measurer, o), 44);
    EXPECT_EQ(XOfColumn(store, 0, 0, 7, measurer, o), 54);
    // The left half of c gives the column right before c, after the code.
    EXPECT_EQ(ColumnOfX(store, 0, 0, 20, measurer, o), 3);
    EXPECT_EQ(ColumnOfX(store, 0, 0, 25, measurer, o), 3);
    EXPECT_EQ(ColumnOfX(store, 0, 0, 26, measurer, o), 4);
    // The right half of d gives the column right after d, before the code.
    EXPECT_EQ(ColumnOfX(store, 0, 0, 40, measurer, o), 5);
    EXPECT_EQ(ColumnOfX(store, 0, 0, 44, measurer, o), 6);
    // A context mark in the middle changes the widths both ways alike.
    MarkAt(store, 1, Context(0x80 | kStyleBold, 1));
    Install(0, o);
    EXPECT_EQ(XOfColumn(store, 0, 0, 2, measurer, o), 22);
    EXPECT_EQ(ColumnOfX(store, 0, 0, 22, measurer, o), 3);
}

// ---- the store and the navigator -------------------------------------------------------

TEST_F(TextLayoutTest, InstalledLinesAgreeWithTheNavigator)
{
    store.SetTextBuf("aaa bbb ccc\r\nshort\r\n\r\ndddd eeee");
    MarkAt(store, 4, Context(0x80, 5));  // at the break before "bbb"
    const TLayoutOptions o = Wrap(45);
    std::vector<std::vector<TLineRecord>> all;
    for (std::int32_t i = 0; i < store.ParagraphCount(); ++i)
        all.push_back(Install(i, o));
    ASSERT_EQ(all[0].size(), 3u);
    ASSERT_EQ(all[1].size(), 2u);  // "short" is 50: cut after 4 characters
    ASSERT_EQ(all[2].size(), 1u);
    ASSERT_EQ(all[3].size(), 2u);
    EXPECT_EQ(store.LineCount(), 8);
    EXPECT_EQ(store.FirstLine(3), 6);

    TVeskNavigator nav(&store);
    // Line starts: paragraph, offset and the record's style and state.
    const std::vector<std::int32_t> offsets = {0, 4, 8, 13, 17, 20, 22, 27};
    for (std::int32_t n = 0; n < 8; ++n) {
        SCOPED_TRACE(n);
        nav.GotoLine(n);
        EXPECT_EQ(nav.Offset(), offsets[std::size_t(n)]);
        EXPECT_EQ(nav.Column(), 0);
        // The same place found from its offset gives the same line and state.
        TVeskNavigator fresh(&store, false);
        fresh.SetOffset(offsets[std::size_t(n)]);
        EXPECT_EQ(fresh.DisplayLine(), n);
        EXPECT_EQ(fresh.Column(), 0);
        const std::int32_t p = fresh.ParagraphIndex();
        const TLineRecord& l = all[std::size_t(p)][std::size_t(fresh.LineIndex())];
        EXPECT_TRUE(SameBytes(fresh.State(), l.state));
        EXPECT_EQ(fresh.ByteIndex(), l.start);
    }
    // Walking over the mark at line 1's start takes its state.
    nav.GotoLine(1);
    EXPECT_FALSE(nav.State().InContext());
    nav.SkipMarks();
    EXPECT_EQ(nav.State().background, 5u);

    // Columns inside lines, and MoveForward stopping at the line's end.
    nav.SetOffset(10);  // "c" of "ccc" at column 2 of line 2
    EXPECT_EQ(nav.DisplayLine(), 2);
    EXPECT_EQ(nav.Column(), 2);
    nav.GotoLine(4);
    nav.MoveForward(10);
    EXPECT_EQ(nav.Offset(), 18);  // the last "t" of "short" is on line 4 alone

    // Reformatting narrower changes the count the store reports.
    Install(0, Wrap(1000));
    EXPECT_EQ(store.LineCount(), 6);
    EXPECT_EQ(store.FirstLine(3), 4);
}

// ---- the Qt font measurer -----------------------------------------------------------------

// ---- a line as runs to paint ------------------------------------------------------------

// A run as text, x, column and what decides its look.
std::string RunKey(const TVeskMemoStore& store, const TLineRun& r)
{
    return StripMarks(store.Paragraph(0).Data() + r.begin, r.end - r.begin) + "@" + std::to_string(r.x) + "c"
        + std::to_string(r.column) + "s" + std::to_string(r.style) + (r.inContext ? "k" + std::to_string(r.background) : "");
}

TEST_F(TextLayoutTest, ALineIsCutIntoRunsWhereItsLookOrTheSelectionChanges)
{
    struct Case {
        const char* what;
        std::string text;
        std::vector<std::int32_t> cuts;
        std::vector<std::string> runs;
        std::vector<int> cutX;
    };
    const Case cases[] = {
        {"one run", "ab cd", {}, {"ab cd@0c0s0"}, {}},
        {"a code switches the font", "ab" + kBold + "cd", {}, {"ab@0c0s0", "cd@20c3s1"}, {}},
        {"a tab ends a run and moves to the next stop", "ab\tcd", {}, {"ab@0c0s0", "cd@40c3s0"}, {}},
        {"selection ends cut runs, also inside words", "abcdef", {2, 4}, {"ab@0c0s0", "cd@20c2s0", "ef@40c4s0"}, {20, 40}},
        {"a cut at a code takes the x before it", "ab" + kBold + "cd", {2, 3}, {"ab@0c0s0", "cd@20c3s1"}, {20, 20}},
        {"a cut past the end gives the end", "abc", {9}, {"abc@0c0s0"}, {30}},
    };
    TLayoutOptions options = Wrap(1000, 4);
    for (const Case& c : cases) {
        store.SetParagraphText(0, c.text);
        Install(0, options);
        const TLineRuns runs = LineToRuns(store, 0, 0, measurer, options, c.cuts);
        std::vector<std::string> got;
        for (const TLineRun& r : runs.runs)
            got.push_back(RunKey(store, r));
        EXPECT_EQ(got, c.runs) << c.what;
        for (std::size_t k = 0; k < c.cutX.size(); ++k) {
            EXPECT_EQ(runs.cuts[k].first, c.cutX[k]) << c.what << ", cut " << k;
            EXPECT_EQ(runs.cuts[k].first, XOfColumn(store, 0, 0, c.cuts[k], measurer, options)) << c.what;
        }
    }
    // A context mark starts a run in the context's look; inner spaces are
    // counted for justification, trailing ones not.
    store.SetParagraphText(0, "ab cd  ");
    MarkAt(store, 3, Context(0x80 | kStyleBold, 9));
    Install(0, options);
    const TLineRuns runs = LineToRuns(store, 0, 0, measurer, options, {});
    std::vector<std::string> got;
    for (const TLineRun& r : runs.runs)
        got.push_back(RunKey(store, r));
    EXPECT_EQ(got, (std::vector<std::string>{"ab @0c0s0", "cd  @30c3s1k9"}));
    EXPECT_EQ(runs.innerSpaces, 1);
    EXPECT_EQ(runs.runs[1].spacesBefore, 1);
    EXPECT_EQ(runs.width, 30 + 2 * 12 + 2 * 12);
}

TEST(FontMeasurerTest, MeasuresWithTheFontsOfEachStyle)
{
    const QFont font;
    QFont alt = font;
    alt.setPointSize(font.pointSize() > 0 ? font.pointSize() * 3 : 30);
    const TFontMeasurer m(font, alt);
    const QFontMetrics metrics(font);

    const int normal = m.Width("WWW", 0);
    EXPECT_GT(normal, 0);
    EXPECT_EQ(normal, metrics.horizontalAdvance(QStringLiteral("WWW")));
    EXPECT_GE(m.Width("WWW", kStyleBold), normal);
    EXPECT_EQ(m.Width("WWW", kStyleHighlight), normal);
    EXPECT_GT(m.Width("WWW", kStyleAltFont), normal);
    EXPECT_EQ(m.Width("", 0), 0);
    EXPECT_GT(m.Width("中é", 0), 0);

    EXPECT_EQ(m.LineHeight(), metrics.height() + 1);
    EXPECT_EQ(m.Ascent(), m.LineHeight() - metrics.descent() - 1);
    EXPECT_EQ(m.SpaceWidth(), metrics.horizontalAdvance(QLatin1Char(' ')));
    EXPECT_GT(m.SpaceWidth(), 0);

    const QFont all = m.FontFor(kStyleBold | kStyleItalic | kStyleUnderline | kStyleStrikeOut);
    EXPECT_TRUE(all.bold());
    EXPECT_TRUE(all.italic());
    EXPECT_TRUE(all.underline());
    EXPECT_TRUE(all.strikeOut());
    EXPECT_FALSE(m.FontFor(0).bold());
    EXPECT_EQ(m.FontFor(kStyleAltFont).pointSize(), alt.pointSize());

    // A fixed line height moves the baseline with it.
    const TFontMeasurer fixed(font, alt, 40);
    EXPECT_EQ(fixed.LineHeight(), 40);
    EXPECT_EQ(fixed.Ascent(), 40 - metrics.descent() - 1);

    // Formatting with it: every line fits, line records carry its metrics.
    TVeskMemoStore store;
    store.SetParagraphText(0, "The quick brown fox jumps over the lazy dog again and again");
    const auto lines = FormatParagraph(store, 0, m, Wrap(normal * 4));
    EXPECT_GT(lines.size(), 1u);
    for (const TLineRecord& l : lines) {
        EXPECT_EQ(l.height, m.LineHeight());
        EXPECT_EQ(l.ascent, m.Ascent());
        EXPECT_GT(l.width, 0);
    }
}

} // namespace
} // namespace vesk
