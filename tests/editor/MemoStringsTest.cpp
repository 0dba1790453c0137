// The paragraph and line views of an editor's text, and the stored form of Lines.
#include "editor/PropertyStream.h"
#include "editor/VeskMemoStrings.h"
#include "editor/VeskNavigator.h"

#include <gtest/gtest.h>

using namespace vesk;

namespace {

std::vector<std::string> Items(const TVeskMemoStrings& view)
{
    std::vector<std::string> out;
    for (std::int32_t i = 0; i < view.Count(); ++i)
        out.push_back(view.Get(i));
    return out;
}

using List = std::vector<std::string>;

} // namespace

TEST(ParaStrings, CountIgnoresAFinalEmptyParagraph)
{
    TVeskMemoStore store;
    TVeskParaStrings paras(store);
    EXPECT_EQ(paras.Count(), 0);
    store.SetTextBuf("a\r\n");
    EXPECT_EQ(store.ParagraphCount(), 2);
    EXPECT_EQ(paras.Count(), 1);
    store.SetTextBuf("a\r\n\r\nb");
    EXPECT_EQ(paras.Count(), 3);
    EXPECT_EQ(paras.Get(1), "");
    EXPECT_EQ(paras.Get(7), "");
}

TEST(ParaStrings, AddInsertDeleteAndPut)
{
    TVeskMemoStore store;
    TVeskParaStrings paras(store);
    paras.Add("one");  // an empty last paragraph takes the item and a break
    EXPECT_EQ(paras.Text(), "one\r\n");
    paras.Add("two");
    EXPECT_EQ(paras.Text(), "one\r\ntwo\r\n");
    store.SetTextBuf("one\r\ntwo");
    paras.Add("three");  // a non-empty last paragraph gets a break first
    EXPECT_EQ(paras.Text(), "one\r\ntwo\r\nthree");

    paras.Insert(1, "new");
    EXPECT_EQ(Items(paras), (List{"one", "new", "two", "three"}));
    paras.Insert(99, "end");
    EXPECT_EQ(paras.Text(), "one\r\nnew\r\ntwo\r\nthree\r\nend");

    paras.Delete(1);
    EXPECT_EQ(Items(paras), (List{"one", "two", "three", "end"}));
    paras.Delete(3);  // the last one goes without a break
    EXPECT_EQ(paras.Text(), "one\r\ntwo\r\nthree\r\n");

    paras.Put(0, "ONE");
    paras.Put(4, "far");  // missing paragraphs are added first
    EXPECT_EQ(paras.Text(), "ONE\r\ntwo\r\nthree\r\n\r\nfar");
}

TEST(ParaStrings, EditsMoveNavigatorsLikeAnyEdit)
{
    TVeskMemoStore store;
    store.SetTextBuf("aa\r\nbb\r\ncc");
    TVeskNavigator caret(&store);
    caret.SetOffset(9);  // inside "cc"
    TVeskParaStrings paras(store);
    paras.Put(0, "aaaa");
    EXPECT_EQ(caret.Offset(), 11);
    paras.Delete(1);
    EXPECT_EQ(caret.Offset(), 7);
    EXPECT_EQ(caret.CharAtPos(), U'c');
}

TEST(LinesStrings, ItemsAreDisplayLines)
{
    TVeskMemoStore store;
    store.SetTextBuf("abcdef\r\nxy\r\n");
    // Pretend a formatter wrapped the first paragraph after "abc".
    TLineRecord lines[2];
    lines[0].start = 0;
    lines[0].end = 3;
    lines[1].start = 3;
    lines[1].end = 6;
    store.SetParagraphLines(0, lines, 2);
    EXPECT_EQ(store.LineCount(), 4);
    TVeskLinesStrings view(store);
    EXPECT_EQ(view.Count(), 3);  // the final empty line is not counted
    EXPECT_EQ(Items(view), (List{"abc", "def", "xy"}));

    view.Put(1, "DEF!");
    EXPECT_EQ(store.GetTextPart(0, store.CharCount()), "abcDEF!\r\nxy\r\n");
    view.Put(9, "ignored");
    EXPECT_EQ(store.GetTextPart(0, store.CharCount()), "abcDEF!\r\nxy\r\n");
}

TEST(LinesStrings, InsertAndDeleteFollowLineBoundaries)
{
    TVeskMemoStore store;
    TVeskLinesStrings view(store);
    store.SetTextBuf("one\r\ntwo\r\nthree");
    view.Insert(1, "new");
    EXPECT_EQ(view.Text(), "one\r\nnew\r\ntwo\r\nthree");
    view.Insert(store.LineCount(), "end");
    EXPECT_EQ(view.Text(), "one\r\nnew\r\ntwo\r\nthree\r\nend");
    view.Insert(store.LineCount() + 1, "beyond");
    EXPECT_EQ(view.Text(), "one\r\nnew\r\ntwo\r\nthree\r\nend");
    view.Delete(0);  // a line that ends its paragraph takes the break along
    EXPECT_EQ(view.Text(), "new\r\ntwo\r\nthree\r\nend");
    view.Delete(3);
    EXPECT_EQ(view.Text(), "new\r\ntwo\r\nthree\r\n");
}

TEST(LinesProperty, LongParagraphsArePiecesWithAContinuationByte)
{
    TVeskMemoStore store;
    const std::string long600(600, 'x');
    store.SetTextBuf(long600 + "\r\nshort\r\n" + std::string(255, 'y'));
    std::string text;
    TPropertyWriter writer(text);
    WriteLinesProperty(writer, store);

    TPropertyReader reader(text);
    std::string name;
    ASSERT_TRUE(reader.NextProperty(name));
    EXPECT_EQ(name, "Strings");
    EXPECT_EQ(reader.ReadString(), std::string(254, 'x') + '\x05');
    EXPECT_EQ(reader.ReadString(), std::string(254, 'x') + '\x05');
    EXPECT_EQ(reader.ReadString(), std::string(92, 'x'));
    EXPECT_EQ(reader.ReadString(), "short");
    EXPECT_EQ(reader.ReadString(), std::string(255, 'y'));  // 255 fits in one piece
    EXPECT_EQ(reader.PeekKind(), TPropertyReader::ValueKind::EndOfList);

    TPropertyReader again(text);
    ASSERT_TRUE(again.NextProperty(name));
    TVeskMemoStore copy;
    ReadLinesProperty(again, copy);
    TVeskParaStrings paras(copy);
    EXPECT_EQ(Items(paras), (List{long600, "short", std::string(255, 'y')}));
}

TEST(LinesProperty, PiecesCountCharactersNotBytesAndEmptyTextWritesNothing)
{
    TVeskMemoStore empty;
    std::string text;
    TPropertyWriter writer(text);
    WriteLinesProperty(writer, empty);
    EXPECT_TRUE(text.empty());

    TVeskMemoStore store;
    std::string wide;
    for (int i = 0; i < 300; ++i)
        wide += "\xE4\xB8\xAD";  // 中
    store.SetTextBuf(wide);
    WriteLinesProperty(writer, store);
    TPropertyReader reader(text);
    std::string name;
    ASSERT_TRUE(reader.NextProperty(name));
    const std::string first = reader.ReadString();
    EXPECT_EQ(first.size(), 254u * 3 + 1);
    EXPECT_EQ(reader.ReadString().size(), 46u * 3);
}
