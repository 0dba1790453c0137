// Incremental colouring equals colouring from scratch: after any run of
// edits, with parsing done lazily, eagerly or in between, every position has
// the state a fresh parse of the final text gives. And an edit that closes a
// tag at the top of a long document parses only the few paragraphs whose
// start state changed.
#include "editor/HighlightEngine.h"
#include "editor/KeyLists.h"
#include "editor/TextEncoding.h"
#include "editor/VeskMemoStore.h"

#include "EditorTestUtil.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdint>
#include <memory>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace vesk {
namespace {

using test::Look;


enum class Rules {
    Html,                 // the two HTML keys only
    HtmlAndKeywords,      // plus overlapping keywords and a quote closed at paragraph ends
    AlternativesAndWords, // comments, alternatives, whole-word keys, nesting keywords
    StartStopOnly,        // the keys of AlternativesAndWords without its keywords
};

void Configure(THighlightEngine& engine, Rules rules)
{
    auto keys = std::make_shared<TStartStopKeyList>();
    TKeywordList& words = engine.Keywords();
    switch (rules) {
    case Rules::Html:
        AddHtmlStartStopKeys(*keys);
        break;
    case Rules::HtmlAndKeywords:
        AddHtmlStartStopKeys(*keys);
        keys->Add("'", "'", Look(0x800080, 4, 0, kStyleItalic), true);
        words.Add("abc", Look(0x010101, 2, 0, kStyleBold, 1));
        words.Add("b c", Look(0x020202, 3, 0, 0, 0, 0x0000FF));
        words.Add("ab", Look(0x030303, 5, kKeyMatchCase));
        words.Add("a", Look(0x040404, 6));
        words.Add("the", Look(0x050505, 7, kKeyWholeWords, kStyleUnderline));
        words.Add("\xC3\x84", Look(0x060606, 8, kKeyMatchCase));  // Ä
        words.Add("e", Look(0x070707, 0));                         // never coloured
        words.Add("h\xC3\xA9", Look(0x080808, 9, kKeyWholeWords | kKeyMatchCase));
        words.Add("\xE4\xB8\xAD\xF0\x9F\x98\x80", Look(0x090909, 10));  // 中😀
        break;
    case Rules::AlternativesAndWords:
    case Rules::StartStopOnly:
        keys->Add("<!--", "-->", Look(0x00FF00, 2), false);
        AddHtmlStartStopKeys(*keys);
        keys->Add("[", "|", Look(0x0A0A0A, 3), false);
        keys->Add("[", "]", Look(0x0B0B0B, 4), false);
        keys->Add("rem", "end", Look(0x0C0C0C, 5, kKeyWholeWords), false);
        keys->Add("\"", "\"", Look(0x0D0D0D, 6), true);
        if (rules == Rules::StartStopOnly)
            break;
        words.nesting = true;
        words.Add("ab", Look(0x0E0E0E, 7));
        words.Add("b", Look(0x0F0F0F, 8));
        words.Add("the", Look(0x101010, 9, kKeyWholeWords));
        break;
    }
    engine.SetStartStopKeys(keys);
    engine.ReApplyKeywords();
}

// Pieces random text is made of, weighted towards what makes tags and words.
const std::vector<std::pair<std::string, int>>& Pieces()
{
    static const std::vector<std::pair<std::string, int>> pieces = {
        {"<", 8}, {">", 8}, {"</", 3}, {"\"", 3}, {"'", 3}, {"=", 1}, {"!", 1}, {"-", 2},
        {"<!--", 1}, {"-->", 1}, {"[", 2}, {"|", 2}, {"]", 2},
        {"a", 5}, {"b", 4}, {"c", 3}, {"t", 2}, {"h", 2}, {"e", 3}, {"A", 1}, {"B", 1},
        {"the", 2}, {"abc", 2}, {"b c", 1}, {"rem", 1}, {"end", 1},
        {" ", 8}, {",", 1}, {".", 1}, {"\t", 1},
        {"\xC3\x84", 1}, {"\xC3\xA4", 1}, {"\xC3\xA9", 1}, {"h\xC3\xA9", 1},
        {"\xE4\xB8\xAD", 1}, {"\xF0\x9F\x98\x80", 1}, {"\x02", 1},
        {"\r\n", 4}, {"\n", 1}, {"\r", 1},
    };
    return pieces;
}

std::string RandomText(std::mt19937& rng, int pieces)
{
    static const std::discrete_distribution<int> pick = [] {
        std::vector<int> w;
        for (const auto& p : Pieces())
            w.push_back(p.second);
        return std::discrete_distribution<int>(w.begin(), w.end());
    }();
    std::discrete_distribution<int> d = pick;
    std::string out;
    for (int i = 0; i < pieces; ++i)
        out += Pieces()[std::size_t(d(rng))].first;
    return out;
}

// Everything a state says that painting, the pointer and a click use; the
// same string for every state outside.
std::string Key(const THighlightState& s)
{
    if (!s.InContext())
        return ".";
    std::ostringstream out;
    out << int(s.flagsStyle) << ' ' << int(s.depth) << ' ' << s.background << ' ' << s.textColor << ' '
        << s.context << ' ' << s.pointer << " [";
    for (int i = 0; i <= s.depth && i < 16; ++i)
        out << s.stack[i] << ' ';
    out << ']';
    return out.str();
}

std::string SpanKey(const std::optional<THighlightEngine::TContextSpan>& span)
{
    if (!span)
        return "-";
    return std::to_string(span->context) + "@" + std::to_string(span->start) + ".." + std::to_string(span->stop);
}

std::string Visible(std::string_view text)
{
    std::string out;
    for (char c : text) {
        if (c == '\r')
            out += "\\r";
        else if (c == '\n')
            out += "\\n";
        else if (static_cast<unsigned char>(c) < 32) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", unsigned(c));
            out += hex;
        }
        else
            out.push_back(c);
    }
    return out;
}

// Compares every position (breaks included) and every paragraph's start
// state with a fresh store and engine given the same text.
void ExpectSameAsFresh(TVeskMemoStore& store, THighlightEngine& engine, Rules rules, int step)
{
    engine.EnsureParsedAll();
    const std::string text = store.GetTextPart(0, store.CharCount());
    TVeskMemoStore fresh;
    // Put in by the edit primitive, not loaded: loading would turn a lone LF
    // into a break.
    fresh.ReplaceRange(0, 0, text);
    ASSERT_EQ(fresh.GetTextPart(0, fresh.CharCount()), text);
    ASSERT_EQ(fresh.ParagraphCount(), store.ParagraphCount());
    THighlightEngine reference(fresh);
    Configure(reference, rules);
    reference.EnsureParsedAll();

    for (std::int32_t i = 0; i < store.ParagraphCount(); ++i) {
        ASSERT_EQ(Key(store.ParagraphStartState(i)), Key(fresh.ParagraphStartState(i)))
            << "paragraph " << i << " after edit " << step << " of text \"" << Visible(text) << '"';
    }
    for (std::int32_t o = 0; o < store.CharCount(); ++o) {
        ASSERT_EQ(Key(engine.StateAt(o)), Key(reference.StateAt(o)))
            << "offset " << o << " after edit " << step << " of text \"" << Visible(text) << '"';
        ASSERT_EQ(SpanKey(engine.ContextAt(o)), SpanKey(reference.ContextAt(o)))
            << "offset " << o << " after edit " << step << " of text \"" << Visible(text) << '"';
        ASSERT_EQ(engine.PointerAt(o), reference.PointerAt(o)) << "offset " << o << " after edit " << step;
    }
}

// Text for paragraphs of a thousand characters and more: breaks dropped.
std::string WithoutBreaks(std::string text)
{
    std::erase_if(text, [](char c) { return c == '\r' || c == '\n'; });
    return text;
}

void RunRandomEdits(Rules rules, unsigned seed, int edits, bool longParagraphs = false)
{
    std::mt19937 rng(seed);
    TVeskMemoStore store;
    std::string initial = RandomText(rng, 1000);
    if (longParagraphs)
        initial = WithoutBreaks(initial.substr(0, initial.size() / 2)) + "\r\n"
            + WithoutBreaks(initial.substr(initial.size() / 2));
    store.ReplaceRange(0, 0, initial);
    THighlightEngine engine(store);
    Configure(engine, rules);
    auto uniform = [&rng](std::int32_t lo, std::int32_t hi) {
        return std::uniform_int_distribution<std::int32_t>(lo, hi)(rng);
    };

    for (int step = 1; step <= edits; ++step) {
        const std::int32_t count = store.CharCount();
        const std::int32_t from = uniform(0, count);
        std::int32_t length = uniform(0, 9) == 0 ? uniform(1, 80) : uniform(1, 6);
        std::string inserted;
        int op = uniform(0, 9);
        if (count < 1000 && op >= 4 && op <= 6)
            op = 0;  // let a shrunken text grow again
        switch (op) {
        case 0: case 1: case 2: case 3:  // insert
            length = 0;
            inserted = RandomText(rng, uniform(0, 14) == 0 ? uniform(8, 40) : uniform(1, 4));
            break;
        case 4: case 5: case 6:  // delete
            break;
        default:  // replace
            inserted = RandomText(rng, uniform(1, 4));
            break;
        }
        if (count > 3000) {  // keep the text small enough to compare often
            length = std::max(length, 40);
            inserted.clear();
        }
        if (longParagraphs && uniform(0, 30) != 0)
            inserted = WithoutBreaks(inserted);
        ASSERT_TRUE(store.ReplaceRange(from, from + length, inserted).has_value()) << "edit " << step;

        switch (uniform(0, 5)) {
        case 0:
            engine.EnsureParsed(uniform(0, store.ParagraphCount() - 1));
            break;
        case 1:
            engine.StateAt(uniform(0, std::max(store.CharCount() - 1, 0)));
            break;
        case 2:
            engine.ContextAt(uniform(0, std::max(store.CharCount() - 1, 0)));
            break;
        default:
            break;  // leave it to be parsed later
        }
        if (step % 20 == 0) {
            ExpectSameAsFresh(store, engine, rules, step);
            if (::testing::Test::HasFatalFailure())
                return;
        }
    }
}

TEST(HighlightInvariantTest, RandomEditsWithHtmlKeys)
{
    RunRandomEdits(Rules::Html, 20240611u, 5000);
}

TEST(HighlightInvariantTest, RandomEditsWithKeywordsAndParagraphEndKeys)
{
    RunRandomEdits(Rules::HtmlAndKeywords, 7771u, 5000);
}

TEST(HighlightInvariantTest, RandomEditsWithAlternativesAndWholeWordKeys)
{
    RunRandomEdits(Rules::AlternativesAndWords, 9090u, 4000);
}

// With start/stop keys only, an edit re-parses a stretch around itself
// rather than its whole paragraph: long paragraphs test where it starts and ends.
TEST(HighlightInvariantTest, RandomEditsInLongParagraphsWithStartStopKeysOnly)
{
    RunRandomEdits(Rules::StartStopOnly, 4242u, 1200, true);
    RunRandomEdits(Rules::Html, 515u, 1200, true);
}

// The marks of paragraph i as positions and states.
std::vector<std::pair<std::int32_t, std::string>> MarksOf(const TVeskMemoStore& store, std::int32_t i)
{
    std::vector<std::pair<std::int32_t, std::string>> out;
    const TParRecord& par = store.Paragraph(i);
    std::int32_t chars = 0;
    for (std::int32_t bi = 0; bi < par.bytes;) {
        if (par.Data()[bi] == kMarkByte) {
            out.emplace_back(chars, Key(store.State(MarkState(par.Data() + bi))));
            bi += MarkSize(par.Data() + bi);
        } else {
            bi += Utf8SequenceLength(static_cast<unsigned char>(par.Data()[bi]));
            ++chars;
        }
    }
    return out;
}

// Edits whose effect reaches thousands of characters on: the re-parse must
// read on until it meets the old marks again, or to the paragraph's end.
TEST(HighlightInvariantTest, EditsThatReachFarInALongParagraph)
{
    struct Edit {
        const char* what;
        std::int32_t from, to;
        const char* text;
    };
    std::string text = "<p>";
    for (int i = 0; i < 3000; ++i)
        text += i % 50 == 49 ? "word <b> " : "word ";
    text += "</p> and \"the end\r\nsecond <a> paragraph";
    const Edit edits[] = {
        {"a tag opened near the start runs to the next >", 20, 20, "<"},
        {"and is closed again", 21, 21, ">"},
        {"a > taken away joins two tags", 250, 254, ""},
        {"a comment opened near the start has no end", 10, 10, "<!--"},
        {"typing in the middle of it", 9000, 9000, "x"},
        {"the comment closes far on", 14000, 14000, "-->"},
        {"a quote opened at the very start", 0, 0, "\""},
        {"the quote is taken away", 0, 1, ""},
        {"a break in the middle of the long one", 7000, 7000, "\r\n"},
    };
    TVeskMemoStore store;
    store.ReplaceRange(0, 0, text);
    THighlightEngine engine(store);
    Configure(engine, Rules::StartStopOnly);
    engine.EnsureParsedAll();
    for (const Edit& e : edits) {
        ASSERT_TRUE(store.ReplaceRange(e.from, e.to, e.text).has_value()) << e.what;
        engine.EnsureParsedAll();
        TVeskMemoStore fresh;
        fresh.ReplaceRange(0, 0, store.GetTextPart(0, store.CharCount()));
        THighlightEngine reference(fresh);
        Configure(reference, Rules::StartStopOnly);
        reference.EnsureParsedAll();
        ASSERT_EQ(store.ParagraphCount(), fresh.ParagraphCount());
        for (std::int32_t i = 0; i < store.ParagraphCount(); ++i) {
            EXPECT_EQ(Key(store.ParagraphStartState(i)), Key(fresh.ParagraphStartState(i))) << e.what;
            EXPECT_EQ(MarksOf(store, i), MarksOf(fresh, i)) << e.what << ", paragraph " << i;
        }
    }
}

// Switching a pass off or the separators over, then re-applying, gives what
// a fresh engine with the new settings gives.
TEST(HighlightInvariantTest, ReApplyAfterSettingsChange)
{
    std::mt19937 rng(5);
    TVeskMemoStore store;
    store.ReplaceRange(0, 0, RandomText(rng, 800));
    THighlightEngine engine(store);
    Configure(engine, Rules::HtmlAndKeywords);
    engine.EnsureParsedAll();

    engine.SetSeparators(" -");
    engine.SetApplyStartStopKeys(false);
    engine.ReApplyKeywords();
    engine.EnsureParsedAll();

    TVeskMemoStore fresh;
    fresh.ReplaceRange(0, 0, store.GetTextPart(0, store.CharCount()));
    THighlightEngine reference(fresh);
    reference.SetSeparators(" -");
    reference.SetApplyStartStopKeys(false);
    Configure(reference, Rules::HtmlAndKeywords);
    for (std::int32_t o = 0; o < store.CharCount(); ++o)
        ASSERT_EQ(Key(engine.StateAt(o)), Key(reference.StateAt(o))) << "offset " << o;
}

// ---- propagation in a long document ----------------------------------------------

TEST(HighlightPropagationTest, ClosingATagAtTheTopParsesOnlyAFewParagraphs)
{
    constexpr int kParagraphs = 200000;
    std::string text = "<a href\r\n\"index.html\">home</a> <b>welcome</b>\r\n";
    text.reserve(std::size_t(kParagraphs) * 52);
    for (int i = 2; i < kParagraphs; ++i) {
        text += "<td class=\"c";
        text += std::to_string(i % 97);
        text += "\">cell ";
        text += std::to_string(i);
        text += "</td> <i>x</i>";
        if (i + 1 < kParagraphs)
            text += "\r\n";
    }
    TVeskMemoStore store;
    store.SetTextBuf(text);
    ASSERT_EQ(store.ParagraphCount(), kParagraphs);
    THighlightEngine engine(store);
    auto keys = std::make_shared<TStartStopKeyList>();
    AddHtmlStartStopKeys(*keys);
    engine.SetStartStopKeys(keys);
    engine.ReApplyKeywords();
    engine.EnsureParsedAll();
    EXPECT_GE(engine.ParagraphsParsed(), std::uint64_t(kParagraphs));
    std::int32_t second = store.ParagraphStart(1);
    std::int32_t last = store.ParagraphStart(kParagraphs - 1);
    ASSERT_TRUE(engine.StateAt(second).InContext());
    ASSERT_FALSE(engine.StateAt(second + 14).InContext());  // "home"
    ASSERT_TRUE(engine.StateAt(last).InContext());

    // "<a href" becomes "<a> href": the tag closes on the first line.
    std::uint64_t before = engine.ParagraphsParsed();
    ASSERT_TRUE(store.ReplaceRange(2, 2, ">").has_value());
    engine.EnsureParsedAll();
    EXPECT_LE(engine.ParagraphsParsed() - before, 3u);
    second = store.ParagraphStart(1);
    last = store.ParagraphStart(kParagraphs - 1);
    EXPECT_FALSE(engine.StateAt(second + 1).InContext());
    EXPECT_FALSE(engine.StateAt(second + 12).InContext());  // the stray ">"
    EXPECT_TRUE(engine.StateAt(second + 17).InContext());   // "</a>"
    EXPECT_TRUE(engine.StateAt(last + 1).InContext());
    EXPECT_FALSE(engine.StateAt(store.CharCount() - 5).InContext());  // the "x" of "<i>x</i>"

    // And back.
    before = engine.ParagraphsParsed();
    ASSERT_TRUE(store.ReplaceRange(2, 3, "").has_value());
    engine.EnsureParsedAll();
    EXPECT_LE(engine.ParagraphsParsed() - before, 3u);
    second = store.ParagraphStart(1);
    last = store.ParagraphStart(kParagraphs - 1);
    EXPECT_TRUE(engine.StateAt(second + 1).InContext());
    EXPECT_TRUE(engine.StateAt(second + 12).InContext());
    EXPECT_FALSE(engine.StateAt(second + 14).InContext());
    EXPECT_TRUE(engine.StateAt(last + 1).InContext());
}

} // namespace
} // namespace vesk
