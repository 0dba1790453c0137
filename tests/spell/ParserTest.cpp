// The document parser: words, tags, references, Internet addresses, positions, replacing, the undo stack.
#include "spell/VeskMemoParser.h"

#include <gtest/gtest.h>

namespace vesk {
namespace {

struct Found {
    std::string word;
    std::int32_t line, column;
    bool internet;
    bool operator==(const Found&) const = default;
};

std::vector<Found> Words(const std::string& text, bool internet = true)
{
    TVeskMemoCore editor;
    editor.SetTextBuf(text);
    TVeskMemoParser p(editor);
    p.SetWordChars(U"abcdefghijklmnopqrstuvwxyz'ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789\u00e9\u00ef");
    p.SetInternet(internet);
    p.Restart();
    std::vector<Found> out;
    while (p.NextWord())
        out.push_back({p.Word(), p.Line(), p.Column(), p.InsideInternet()});
    return out;
}

TEST(VeskMemoParser, CutsTheTextIntoWords)
{
    struct Case { const char* text; std::vector<Found> words; };
    const Case cases[] = {
        {"one <b>two</b>\r\nthree", {{"one", 0, 0, false}, {"two", 0, 7, false}, {"three", 1, 0, false}}},
        {"caf\xc3\xa9 na\xc3\xafve's", {{"caf\xc3\xa9", 0, 0, false}, {"na\xc3\xafve's", 0, 5, false}}},
        {"a&amp;b &#233;c &d e&", {{"a", 0, 0, false}, {"b", 0, 6, false}, {"c", 0, 14, false}, {"d", 0, 17, false}, {"e", 0, 19, false}}},
        {"<p title='x y'>z", {{"z", 0, 15, false}}},
        {"mail me@x.org, now", {{"mail", 0, 0, false}, {"me@x.org", 0, 5, true}, {"now", 0, 15, false}}},
        {"(ftp://h/p) News:alt.x\thttp", {{"ftp://h/p", 0, 1, true}, {"News:alt.x", 0, 12, true}, {"http", 0, 23, false}}},
        {"see \"HTTP://a.b/c\"'d", {{"see", 0, 0, false}, {"HTTP://a.b/c", 0, 5, true}, {"'d", 0, 18, false}}},
        {"<unclosed tag and words", {}},
        {"", {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Words(c.text), c.words) << c.text;
    // Without Internet addresses, their parts are words like any other.
    EXPECT_EQ(Words("me@x.org", false),
              (std::vector<Found>{{"me", 0, 0, false}, {"x", 0, 3, false}, {"org", 0, 5, false}}));
}

TEST(VeskMemoParser, ReplacingKeepsTheEndLimitAndTheUndoStackIsBounded)
{
    TVeskMemoCore editor;
    editor.SetTextBuf("ab cd ef");
    TVeskMemoParser p(editor);
    p.SetWordChars(U"abcdefghijklmnopqrstuvwxyz");
    p.SetMaxUndo(2);
    p.Restart();
    ASSERT_TRUE(p.NextWord());
    p.PushUndo();
    ASSERT_TRUE(p.ReplaceWord("xyz uvw", true));
    EXPECT_EQ(editor.GetTextPart(0, editor.CharCount()), "xyz uvw cd ef");
    EXPECT_EQ(p.EndLimit(), 13);
    std::vector<std::string> next;
    while (p.NextWord()) {
        next.push_back(p.Word());
        p.PushUndo();
    }
    EXPECT_EQ(next, (std::vector<std::string>{"xyz", "uvw", "cd", "ef"}));
    ASSERT_EQ(p.UndoCount(), 2u);  // the oldest records were dropped
    EXPECT_EQ(p.PopUndo()->word, "ef");
    EXPECT_EQ(p.PopUndo()->word, "cd");
    EXPECT_FALSE(p.PopUndo());

    // Start: back to the beginning of the word the caret's word is in.
    p.MoveTo(9, 0, 9);
    p.BackToWordStart();
    ASSERT_TRUE(p.NextWord());
    EXPECT_EQ(p.Word(), "cd");
    EXPECT_EQ(p.Start(), 8);
}

} // namespace
} // namespace vesk
