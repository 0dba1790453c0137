// Markup colouring: the HTML tag keys, keywords, general start/stop keys,
// what a click and the mouse pointer read, incremental re-parsing, and a few
// golden documents that are highlighted whole and again keystroke by
// keystroke.
#include "editor/HighlightEngine.h"
#include "editor/KeyLists.h"
#include "editor/VeskMemoStore.h"

#include "EditorTestUtil.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vesk {
namespace {

using test::Look;

// Backgrounds the tests give their entries; the dump shows each as a letter.
constexpr std::uint32_t kYellow = 65535;    // the "<" … ">" key
constexpr std::uint32_t kRed = 255;         // the "</" … ">" key
constexpr std::uint32_t kGreen = 0x00FF00;
constexpr std::uint32_t kBlue = 0xFF0000;
constexpr std::uint32_t kMagenta = 0xFF00FF;
constexpr std::uint32_t kCyan = 0xFFFF00;
constexpr std::uint32_t kGrey = 0xC0C0C0;   // plain keywords

// One letter per state: '.' outside, else the letter of the background
// ('X' inside with none, '?' an unknown one).
char Letter(const THighlightState& s)
{
    if (!s.InContext())
        return '.';
    switch (s.background) {
    case kYellow: return 'Y';
    case kRed: return 'R';
    case kGreen: return 'G';
    case kBlue: return 'B';
    case kMagenta: return 'M';
    case kCyan: return 'C';
    case kGrey: return 'K';
    case 0: return 'X';
    default: return '?';
    }
}

// One letter per character; a paragraph break (its CR and LF) shows as one
// letter: '|' when outside, the lower-case letter when inside.
std::string Dump(THighlightEngine& engine, const TVeskMemoStore& store)
{
    std::string out;
    for (std::int32_t i = 0; i < store.ParagraphCount(); ++i) {
        const std::int32_t start = store.ParagraphStart(i);
        const std::int32_t length = store.Paragraph(i).length;
        for (std::int32_t p = 0; p < length; ++p)
            out.push_back(Letter(engine.StateAt(start + p)));
        if (i + 1 < store.ParagraphCount()) {
            const char c = Letter(engine.StateAt(start + length));
            out.push_back(c == '.' ? '|' : char(c - 'A' + 'a'));
        }
    }
    return out;
}

// 'I' inside, '.' outside, breaks as in Dump.
std::string InsideDump(THighlightEngine& engine, const TVeskMemoStore& store)
{
    std::string out = Dump(engine, store);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z')
            c = 'I';
        else if (c >= 'a' && c <= 'z')
            c = 'i';
    }
    return out;
}


// A store with an engine attached, the engine's start/stop list held here.
struct Doc {
    TVeskMemoStore store;
    THighlightEngine engine{store};
    std::shared_ptr<TStartStopKeyList> keys = std::make_shared<TStartStopKeyList>();

    explicit Doc(bool htmlKeys = true)
    {
        if (htmlKeys)
            AddHtmlStartStopKeys(*keys);
        engine.SetStartStopKeys(keys);
    }
    // Loads the text and starts colouring from scratch with the rules set so far.
    void Load(std::string_view text)
    {
        store.SetTextBuf(text);
        engine.ReApplyKeywords();
    }
    std::string Dump() { return vesk::Dump(engine, store); }
    std::string InsideDump() { return vesk::InsideDump(engine, store); }
};

std::string DumpOf(std::string_view text)
{
    Doc d;
    d.Load(text);
    return d.Dump();
}

// ---- the HTML keys -------------------------------------------------------------

TEST(HighlightHtmlTest, OnlyTheTagIsColouredWithTheTagLook)
{
    Doc d;
    d.Load("a<b>c");
    EXPECT_EQ(d.Dump(), ".YYY.");
    for (std::int32_t o = 1; o <= 3; ++o) {
        const THighlightState s = d.engine.StateAt(o);
        EXPECT_TRUE(s.InContext()) << o;
        EXPECT_EQ(s.background, kYellow) << o;
        EXPECT_EQ(s.textColor, 0u) << o;
        EXPECT_EQ(s.context, 1) << o;
        EXPECT_EQ(s.pointer, 0) << o;
        EXPECT_EQ(s.flagsStyle & 0x3F, 16) << o;
    }
    EXPECT_FALSE(d.engine.StateAt(0).InContext());
    EXPECT_FALSE(d.engine.StateAt(4).InContext());
}

TEST(HighlightHtmlTest, SmallCases)
{
    EXPECT_EQ(DumpOf("<>"), "YY");
    EXPECT_EQ(DumpOf(">"), ".");
    EXPECT_EQ(DumpOf("a>b<c>d>"), "...YYY..");
    EXPECT_EQ(DumpOf("<a><b>"), "YYYYYY");
    // Start keys do not open inside an open tag: the first ">" ends it.
    EXPECT_EQ(DumpOf("<a <b> c>"), "YYYYYY...");
    // Offsets count characters, whatever their UTF-8 length.
    EXPECT_EQ(DumpOf("\xC3\xA9<\xE4\xB8\xAD\xF0\x9F\x98\x80>x"), ".YYYY.");
    EXPECT_EQ(DumpOf(""), "");
}

TEST(HighlightHtmlTest, UnclosedTagColoursFollowingParagraphsUntilAGreaterThan)
{
    Doc d;
    d.Load("a<b\r\nc d\r\ne>f\r\ng");
    EXPECT_EQ(d.Dump(), ".YYyYYYyYY.|.");
    EXPECT_TRUE(d.store.ParagraphStartState(1).InContext());
    EXPECT_TRUE(d.store.ParagraphStartState(2).InContext());
    EXPECT_FALSE(d.store.ParagraphStartState(3).InContext());
    EXPECT_EQ(d.store.ParagraphStartState(1).background, kYellow);

    // With no ">" at all the tag runs to the end of the text.
    EXPECT_EQ(DumpOf("x<\r\n\r\nyz"), ".YyyYY");
}

TEST(HighlightHtmlTest, ClosingTagGetsTheFirstKeysColours)
{
    Doc d;
    d.Load("x</a>y<b>\r\n</p\r\n>z");
    EXPECT_EQ(d.Dump(), ".YYYY.YYY|YYYyY.");
    for (std::int32_t o = 0; o < d.store.CharCount(); ++o)
        EXPECT_NE(d.engine.StateAt(o).background, kRed) << o;
}

TEST(HighlightHtmlTest, SwitchedOffStartStopKeysOpenNothing)
{
    Doc d;
    d.engine.SetApplyStartStopKeys(false);
    d.Load("a<b>c\r\n<d");
    EXPECT_EQ(d.Dump(), ".....|..");

    d.engine.SetApplyStartStopKeys(true);
    d.engine.ReApplyKeywords();
    EXPECT_EQ(d.Dump(), ".YYY.|YY");
}

TEST(HighlightHtmlTest, ListSharedByTwoEditors)
{
    Doc a, b;
    b.engine.SetStartStopKeys(a.keys);
    a.Load("[x] <y>");
    b.Load("<y> [x]");
    EXPECT_EQ(a.Dump(), "....YYY");
    EXPECT_EQ(b.Dump(), "YYY....");

    a.keys->Add("[", "]", Look(kGreen), false);
    a.engine.ReApplyKeywords();
    b.engine.ReApplyKeywords();
    EXPECT_EQ(a.Dump(), "GGG.YYY");
    EXPECT_EQ(b.Dump(), "YYY.GGG");
}

// ---- keywords -------------------------------------------------------------------

TEST(HighlightKeywordTest, KeywordStateCarriesTheLook)
{
    Doc d;
    d.engine.Keywords().Add("abc", Look(kGrey, 7, 0, kStyleBold | kStyleItalic, 3, 0x123456));
    d.Load("x abc y");
    EXPECT_EQ(d.Dump(), "..KKK..");
    const THighlightState s = d.engine.StateAt(3);
    EXPECT_TRUE(s.InContext());
    EXPECT_EQ(s.background, kGrey);
    EXPECT_EQ(s.textColor, 0x123456u);
    EXPECT_EQ(s.context, 7);
    EXPECT_EQ(s.pointer, 3);
    EXPECT_EQ(s.flagsStyle & 0x3F, kStyleBold | kStyleItalic);
}

TEST(HighlightKeywordTest, ContextZeroIsNeverColoured)
{
    Doc d;
    d.engine.Keywords().Add("abc", Look(kGrey, 0));
    d.engine.Keywords().Add("y", Look(kGreen, 2));
    d.Load("x abc y abc");
    EXPECT_EQ(d.Dump(), "......G....");
}

TEST(HighlightKeywordTest, EarlierKeywordTakesTheOverlap)
{
    {
        Doc d;
        d.engine.Keywords().Add("abc", Look(kGreen));
        d.engine.Keywords().Add("bcd", Look(kBlue));
        d.Load("abcd bcd");
        EXPECT_EQ(d.Dump(), "GGG..BBB");
    }
    {
        Doc d;
        d.engine.Keywords().Add("bcd", Look(kBlue));
        d.engine.Keywords().Add("abc", Look(kGreen));
        d.Load("abcd abc");
        EXPECT_EQ(d.Dump(), ".BBB.GGG");
    }
    {
        // One keyword containing the other.
        Doc d;
        d.engine.Keywords().Add("ab", Look(kGreen));
        d.engine.Keywords().Add("abc", Look(kBlue));
        d.Load("abc ab");
        EXPECT_EQ(d.Dump(), "GG..GG");
    }
    {
        Doc d;
        d.engine.Keywords().Add("abc", Look(kBlue));
        d.engine.Keywords().Add("ab", Look(kGreen));
        d.Load("abc ab");
        EXPECT_EQ(d.Dump(), "BBB.GG");
    }
}

TEST(HighlightKeywordTest, KeywordInsideAnotherKeywordIsNotColoured)
{
    Doc d;
    d.engine.Keywords().Add("abc", Look(kGreen));
    d.engine.Keywords().Add("b", Look(kBlue));
    d.Load("abc b");
    EXPECT_EQ(d.Dump(), "GGG.B");
    // Inside the keyword the state is the keyword's own, one level deep.
    EXPECT_EQ(d.engine.StateAt(1).depth, d.engine.StateAt(4).depth);
}

TEST(HighlightKeywordTest, KeywordInsideATagIsNotColoured)
{
    Doc d;
    d.engine.Keywords().Add("abc", Look(kGrey));
    d.Load("<b abc> abc <abc\r\nabc> abc");
    EXPECT_EQ(d.Dump(), "YYYYYYY.KKK.YYYYyYYYY.KKK");
}

TEST(HighlightKeywordTest, WholeWordsNeedBoundaries)
{
    Doc d;
    d.engine.Keywords().Add("the", Look(kGrey, 1, kKeyWholeWords));
    d.Load("the\r\nthe end\r\nsee the\r\nbathe theme\r\na,the.b\r\nx:the;y\r\n\tthe\t\r\nthe_ 'the'");
    EXPECT_EQ(d.Dump(),
              "KKK|"
              "KKK....|"
              "....KKK|"
              "...........|"
              "..KKK..|"
              "..KKK..|"
              ".KKK.|"
              "..........");
}

TEST(HighlightKeywordTest, SeparatorsDecideWordBoundaries)
{
    Doc d;
    EXPECT_EQ(d.engine.Separators(), "\t ,.:;");
    d.engine.Keywords().Add("the", Look(kGrey, 1, kKeyWholeWords));
    d.engine.SetSeparators("-");
    EXPECT_EQ(d.engine.Separators(), "-");
    d.Load("a-the-b the,the");
    EXPECT_EQ(d.Dump(), "..KKK..........");

    d.engine.SetSeparators(" ,");
    d.engine.ReApplyKeywords();
    EXPECT_EQ(d.Dump(), "........KKK.KKK");
}

TEST(HighlightKeywordTest, CaseIsIgnoredUnlessMatchCase)
{
    {
        Doc d;
        d.engine.Keywords().Add("table", Look(kGrey));
        d.engine.Keywords().Add("caf\xC3\xA9", Look(kGreen));
        d.Load("TABLE Table table CAF\xC3\x89");
        EXPECT_EQ(d.Dump(), "KKKKK.KKKKK.KKKKK.GGGG");
    }
    {
        Doc d;
        d.engine.Keywords().Add("Table", Look(kGrey, 1, kKeyMatchCase));
        d.engine.Keywords().Add("\xC3\x84", Look(kGreen, 1, kKeyMatchCase));  // Ä
        d.Load("TABLE Table table \xC3\xA4\xC3\x84");                            // äÄ
        EXPECT_EQ(d.Dump(), "......KKKKK........G");
    }
}

TEST(HighlightKeywordTest, SwitchedOffKeywordsAreNotColoured)
{
    Doc d;
    d.engine.Keywords().Add("abc", Look(kGrey));
    d.Load("abc <abc>");
    EXPECT_EQ(d.Dump(), "KKK.YYYYY");

    d.engine.SetApplyKeyWords(false);
    d.engine.ReApplyKeywords();
    EXPECT_EQ(d.Dump(), "....YYYYY");
    // Edits parse with the current setting too.
    d.store.ReplaceRange(0, 0, "abc ");
    EXPECT_EQ(d.Dump(), "........YYYYY");

    d.engine.SetApplyKeyWords(true);
    d.engine.ReApplyKeywords();
    EXPECT_EQ(d.Dump(), "KKK.KKK.YYYYY");
}

TEST(HighlightKeywordTest, KeywordListChangesApplyAfterReApply)
{
    Doc d;
    d.Load("one two");
    EXPECT_EQ(d.Dump(), ".......");
    d.engine.Keywords().Add("two", Look(kGrey));
    d.engine.ReApplyKeywords();
    EXPECT_EQ(d.Dump(), "....KKK");
    d.engine.Keywords().Clear();
    d.engine.ReApplyKeywords();
    EXPECT_EQ(d.Dump(), ".......");
}

// ---- general start/stop keys -----------------------------------------------------

TEST(HighlightStartStopTest, LeftmostStartWinsThenListOrder)
{
    {
        Doc d(false);
        d.keys->Add("c", "!", Look(kGreen), false);
        d.keys->Add("a", "!", Look(kBlue), false);
        d.Load("xabc!y");
        EXPECT_EQ(d.Dump(), ".BBBB.");
    }
    {
        Doc d(false);
        d.keys->Add("ab", "x", Look(kGreen), false);
        d.keys->Add("a", "y", Look(kBlue), false);
        d.Load("ab y x ac x y");
        EXPECT_EQ(d.Dump(), "GGGGGG.BBBBBB");
    }
}

TEST(HighlightStartStopTest, ContextRunsThroughItsStopAndDoesNotNest)
{
    Doc d(false);
    d.keys->Add("{", "}", Look(kGreen), false);
    d.keys->Add("(", ")", Look(kBlue), false);
    d.Load("a{b}c{d(e}f)g{h");
    EXPECT_EQ(d.Dump(), ".GGG.GGGGG...GG");
    // Multi-character keys, matched without regard to case.
    Doc e(false);
    e.keys->Add("<!--", "-->", Look(kGreen), false);
    e.Load("a<!-- b -> c --><!--X-->");
    EXPECT_EQ(e.Dump(), "." + std::string(23, 'G'));
    Doc f(false);
    f.keys->Add("rem", "end", Look(kCyan), false);
    f.Load("x REM y End z");
    EXPECT_EQ(f.Dump(), "..CCCCCCCCC..");
}

TEST(HighlightStartStopTest, CloseAtParagraphEnd)
{
    {
        Doc d(false);
        d.keys->Add("'", "'", Look(kMagenta), true);
        d.Load("a 'bc\r\nd' e\r\n'f'g");
        EXPECT_EQ(d.Dump(), "..MMM|.MMM|MMM.");
        EXPECT_FALSE(d.store.ParagraphStartState(1).InContext());
        EXPECT_FALSE(d.store.ParagraphStartState(2).InContext());
    }
    {
        // Without the flag the same context runs on.
        Doc d(false);
        d.keys->Add("'", "'", Look(kMagenta), false);
        d.Load("a 'bc\r\nd' e");
        EXPECT_EQ(d.Dump(), "..MMMmMM..");
        EXPECT_TRUE(d.store.ParagraphStartState(1).InContext());
    }
}

TEST(HighlightStartStopTest, WholeWordsStartAndStop)
{
    Doc d(false);
    d.keys->Add("rem", "end", Look(kCyan, 1, kKeyWholeWords), false);
    d.Load("x rem a end y\r\nxrem a end\r\nrem a endx end.\r\nrem end\r\nrem,end;rem");
    EXPECT_EQ(d.Dump(),
              "..CCCCCCCCC..|"
              "..........|"
              "CCCCCCCCCCCCCC.|"
              "CCCCCCC|"
              "CCCCCCC.CCC");
}

TEST(HighlightStartStopTest, AlternativeEntriesContinueTheContext)
{
    Doc d(false);
    d.keys->Add("[", "|", Look(kGreen), false);
    d.keys->Add("[", "]", Look(kBlue), false);
    d.Load("x[a|b]y");
    EXPECT_EQ(d.InsideDump(), ".IIIII.");
    EXPECT_EQ(d.engine.StateAt(1).background, kGreen);
    EXPECT_EQ(d.engine.StateAt(5).background, kBlue);

    // The second entry's stop does not end the first entry's stretch.
    d.Load("x[a]y|b]z");
    EXPECT_EQ(d.InsideDump(), ".IIIIIII.");
    EXPECT_EQ(d.engine.StateAt(3).background, kGreen);
    EXPECT_EQ(d.engine.StateAt(7).background, kBlue);

    // Across paragraphs.
    d.Load("[a\r\n|b\r\n]c");
    EXPECT_EQ(d.InsideDump(), "IIiIIiI.");
}

TEST(HighlightStartStopTest, KeywordsStayOutOfContexts)
{
    Doc d(false);
    d.keys->Add("'", "'", Look(kMagenta), true);
    d.engine.Keywords().Add("ab", Look(kGrey));
    d.Load("ab 'ab' ab 'ab\r\nab");
    EXPECT_EQ(d.Dump(), "KK.MMMM.KK.MMM|KK");
}

// ---- what a click and the mouse pointer read -------------------------------------

TEST(HighlightContextTest, ContextSpans)
{
    Doc d;
    d.Load("a<b>c");
    EXPECT_FALSE(d.engine.ContextAt(0).has_value());
    EXPECT_FALSE(d.engine.ContextAt(4).has_value());
    for (std::int32_t o = 1; o <= 3; ++o) {
        const auto span = d.engine.ContextAt(o);
        ASSERT_TRUE(span.has_value()) << o;
        EXPECT_EQ(span->context, 1);
        EXPECT_EQ(span->start, 1);
        EXPECT_EQ(span->stop, 4);
    }

    // An unclosed tag reaches the end of the text.
    d.Load("a<bc");
    auto span = d.engine.ContextAt(2);
    ASSERT_TRUE(span.has_value());
    EXPECT_EQ(span->start, 1);
    EXPECT_EQ(span->stop, 4);

    // A tag over two paragraphs is one span.
    d.Load("a<b\r\nc>d");
    span = d.engine.ContextAt(5);
    ASSERT_TRUE(span.has_value());
    EXPECT_EQ(span->start, 1);
    EXPECT_EQ(span->stop, 7);
    EXPECT_FALSE(d.engine.ContextAt(7).has_value());
}

TEST(HighlightContextTest, KeywordSpansPointersAndContextZero)
{
    Doc d(false);
    d.keys->Add("{", "}", Look(kGreen, 0, 0, 0, 9), false);
    d.engine.Keywords().Add("abc", Look(kGrey, 7, 0, 0, 3));
    d.Load("x abc {y}");
    auto span = d.engine.ContextAt(3);
    ASSERT_TRUE(span.has_value());
    EXPECT_EQ(span->context, 7);
    EXPECT_EQ(span->start, 2);
    EXPECT_EQ(span->stop, 5);
    EXPECT_EQ(d.engine.PointerAt(2), 3);
    EXPECT_EQ(d.engine.PointerAt(4), 3);
    EXPECT_EQ(d.engine.PointerAt(0), 0);
    EXPECT_EQ(d.engine.PointerAt(5), 0);
    // A context numbered 0 is coloured but reports no click.
    EXPECT_TRUE(d.engine.StateAt(7).InContext());
    EXPECT_FALSE(d.engine.ContextAt(7).has_value());
    EXPECT_EQ(d.engine.PointerAt(7), 9);
}

// ---- incremental parsing ---------------------------------------------------------

TEST(HighlightIncrementalTest, ParsesOnlyWhatIsAskedFor)
{
    Doc d;
    d.Load("<a>\r\nb\r\n<c\r\nd>");
    EXPECT_EQ(d.engine.ParagraphsParsed(), 0u);
    d.engine.StateAt(1);
    EXPECT_EQ(d.engine.ParagraphsParsed(), 1u);
    EXPECT_EQ(d.engine.ParsedCount(), 1);
    d.engine.EnsureParsed(2);
    EXPECT_EQ(d.engine.ParagraphsParsed(), 3u);
    // An edit in a paragraph not parsed yet parses nothing.
    d.store.ReplaceRange(12, 12, "x");
    EXPECT_EQ(d.engine.ParagraphsParsed(), 3u);
    d.engine.EnsureParsedAll();
    EXPECT_EQ(d.engine.ParagraphsParsed(), 4u);
    EXPECT_EQ(d.Dump(), "YYY|.|YYyYYY");
    d.engine.EnsureParsedAll();
    EXPECT_EQ(d.engine.ParagraphsParsed(), 4u);
}

TEST(HighlightIncrementalTest, EditReparsesItsParagraphAtOnce)
{
    Doc d;
    d.Load("a<b>\r\nc\r\n<d>");
    d.engine.EnsureParsedAll();
    const auto before = d.engine.ParagraphsParsed();
    // The end state stays the same: nothing more to parse.
    d.store.ReplaceRange(1, 2, "");
    EXPECT_EQ(d.engine.ParagraphsParsed(), before + 1);
    d.engine.EnsureParsedAll();
    EXPECT_EQ(d.engine.ParagraphsParsed(), before + 1);
    EXPECT_EQ(d.Dump(), "...|.|YYY");

    // Now it changes: the next paragraph waits until it is needed.
    d.store.ReplaceRange(3, 3, "<");
    EXPECT_EQ(d.engine.ParagraphsParsed(), before + 2);
    EXPECT_EQ(d.engine.ParsedCount(), 1);
    EXPECT_TRUE(d.engine.StateAt(3).InContext());
    EXPECT_EQ(d.engine.ParagraphsParsed(), before + 2);
    // Reading on parses paragraphs 1 and 2, whose start states changed;
    // paragraph 2 ends outside as before, so nothing after it is parsed.
    EXPECT_EQ(d.Dump(), "...YyYyYYY");
    EXPECT_EQ(d.engine.ParagraphsParsed(), before + 4);
}

TEST(HighlightIncrementalTest, EditsAcrossBreaks)
{
    Doc d;
    d.Load("<a\r\nb>c\r\nd");
    EXPECT_EQ(d.Dump(), "YYyYY.|.");
    // Join the first two paragraphs.
    d.store.ReplaceRange(2, 4, "");
    EXPECT_EQ(d.Dump(), "YYYY.|.");
    // Split the tag with a break typed in it, then one with a ">" before it.
    d.store.ReplaceRange(1, 1, "\r\n");
    EXPECT_EQ(d.Dump(), "YyYYY.|.");
    d.store.ReplaceRange(1, 1, ">\r\n");
    EXPECT_EQ(d.Dump(), "YY||....|.");
    // Replace everything.
    d.store.ReplaceRange(0, d.store.CharCount(), "x<\r\n");
    EXPECT_EQ(d.Dump(), ".Yy");
}

TEST(HighlightIncrementalTest, TypingGreaterThanClosesAnOpenTag)
{
    Doc d;
    d.Load("<a href\r\n\"x\">t\r\n<b>");
    EXPECT_EQ(d.Dump(), "YYYYYYYyYYYY.|YYY");
    d.store.ReplaceRange(2, 2, ">");
    EXPECT_EQ(d.Dump(), "YYY.....|.....|YYY");
    d.store.ReplaceRange(2, 3, "");
    EXPECT_EQ(d.Dump(), "YYYYYYYyYYYY.|YYY");
}

TEST(HighlightIncrementalTest, LoadingStartsAfresh)
{
    Doc d;
    d.Load("a<b");
    EXPECT_EQ(d.Dump(), ".YY");
    d.store.SetTextBuf("<x\r\ny>z");
    EXPECT_EQ(d.Dump(), "YYyYY.");
    d.store.Clear();
    EXPECT_EQ(d.Dump(), "");
    d.store.ReplaceRange(0, 0, "<");
    EXPECT_EQ(d.Dump(), "Y");
}

// ---- an external highlighter ------------------------------------------------------

struct CountingHighlighter : TVeskHighlighter {
    int keywordCalls = 0, startStopCalls = 0;
    void ParseKeywords(TVeskNavigator&, TVeskNavigator&) override { ++keywordCalls; }
    void ParseStartStopKeys(TVeskNavigator&, TVeskNavigator&) override { ++startStopCalls; }
};

TEST(HighlightHighlighterTest, TakesOverBothPassesUntilDestroyed)
{
    Doc d;
    d.engine.Keywords().Add("c", Look(kGrey));
    {
        CountingHighlighter h;
        d.engine.SetHighlighter(&h);
        EXPECT_EQ(d.engine.Highlighter(), &h);
        d.Load("a<b>c");
        EXPECT_EQ(d.Dump(), ".....");
        EXPECT_GT(h.startStopCalls, 0);
        EXPECT_GT(h.keywordCalls, 0);
    }
    EXPECT_EQ(d.engine.Highlighter(), nullptr);
    d.engine.ReApplyKeywords();
    EXPECT_EQ(d.Dump(), ".YYYK");
}

// ---- golden documents --------------------------------------------------------------

struct Golden {
    const char* name;
    std::string text;
    std::string dump;
    bool keywords;  // with the "table" keyword as well as the HTML keys
};

void Configure(Doc& d, bool keywords)
{
    if (keywords) {
        d.engine.Keywords().Add("table", Look(kGrey, 2, kKeyWholeWords));
        d.engine.Keywords().Add("\xE4\xB8\xAD", Look(kGreen, 3));  // 中
    }
}

// Splits text into what one keystroke types: a character, or a CR LF break.
std::vector<std::string> Keystrokes(std::string_view text)
{
    std::vector<std::string> out;
    std::size_t i = 0;
    while (i < text.size()) {
        std::size_t n = 1;
        const auto c = static_cast<unsigned char>(text[i]);
        if (text.compare(i, 2, "\r\n") == 0)
            n = 2;
        else if (c >= 0xF0)
            n = 4;
        else if (c >= 0xE0)
            n = 3;
        else if (c >= 0xC0)
            n = 2;
        out.emplace_back(text.substr(i, n));
        i += n;
    }
    return out;
}

const std::vector<Golden>& Goldens()
{
    static const std::vector<Golden> samples = {
        {"CommentAndQuotedAttribute",
         R"(<!-- note -->x <a href="a>b">é</a>)",
         "YYYYYYYYYYYYY..YYYYYYYYYYY....YYYY", false},
        {"TagAcrossLinesAndWideCharacters",
         "<p class=\"\xE4\xB8\xAD\r\n \xF0\x9F\x98\x80\">Gr\xC3\xBC\xC3\x9F" "e</p>\r\n<br>",
         "YYYYYYYYYYY" "y" "YYYY" "....." "YYYY" "|" "YYYY", false},
        {"UnclosedTagAndStyleCodes",
         "a \x02" "bold\x02 < b\r\nno close\r\n\r\nend> \x03z\x03",
         "........." "YYY" "y" "YYYYYYYY" "y" "y" "YYYY" "....", false},
        {"KeywordsBesideTags",
         "<table>The table, tables</table>\r\n\xE4\xB8\xAD<i \xE4\xB8\xAD>\r\n"
         "</td\r\ntable> table",
         "YYYYYYY" "....KKKKK........" "YYYYYYYY" "|" "GYYYYY" "|" "YYYYy" "YYYYYY.KKKKK", true},
    };
    return samples;
}

TEST(HighlightGoldenTest, WholeDocuments)
{
    for (const Golden& g : Goldens()) {
        Doc d;
        Configure(d, g.keywords);
        d.Load(g.text);
        EXPECT_EQ(d.Dump(), g.dump) << g.name;
    }
}

// Each document typed keystroke by keystroke in three orders, the states
// read between keystrokes: from the first character on (all read after each);
// from the last back to the first, each typed at the text's start so the
// rest of the text starts in a new state every time (parsed eagerly); and
// the second half first, then the first half typed in front of it (read
// lazily at the caret).
TEST(HighlightGoldenTest, TypedKeystrokeByKeystroke)
{
    for (const Golden& g : Goldens()) {
        const std::vector<std::string> keys = Keystrokes(g.text);
        for (int order = 0; order < 3; ++order) {
            Doc d;
            Configure(d, g.keywords);
            d.engine.ReApplyKeywords();
            const std::size_t split = order == 0 ? 0 : order == 1 ? keys.size() : keys.size() / 2;
            for (std::size_t i = split; i < keys.size(); ++i) {
                d.store.ReplaceRange(d.store.CharCount(), d.store.CharCount(), keys[i]);
                d.Dump();
            }
            std::int32_t caret = 0;
            for (std::size_t n = 0; n < split; ++n) {
                const std::size_t i = order == 1 ? split - 1 - n : n;
                d.store.ReplaceRange(caret, caret, keys[i]);
                if (order == 1) {
                    d.engine.EnsureParsedAll();
                } else {
                    caret += keys[i] == "\r\n" ? 2 : 1;
                    d.engine.StateAt(caret);
                }
            }
            EXPECT_EQ(d.Dump(), g.dump) << g.name << " typed in order " << order;
        }
    }
}

} // namespace
} // namespace vesk
