// The text store and its navigators: addressing, loading, saving, the
// replace primitive, context marks, and the record arrays underneath.
#include "editor/DynArray.h"
#include "editor/VeskMemoStore.h"
#include "editor/VeskNavigator.h"

#include <QBuffer>
#include <QByteArray>
#include <QObject>

#include "EditorTestUtil.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <random>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace vesk {
namespace {

using test::U32;
using test::U8;

// ---- helpers ---------------------------------------------------------------



void Load(TVeskMemoStore& store, std::string_view bytes)
{
    QByteArray data(bytes.data(), qsizetype(bytes.size()));
    QBuffer buffer(&data);
    ASSERT_TRUE(buffer.open(QIODevice::ReadOnly));
    store.LoadFromStream(buffer);
}

std::string Save(const TVeskMemoStore& store, TextEncoding* written = nullptr)
{
    QByteArray data;
    QBuffer buffer(&data);
    EXPECT_TRUE(buffer.open(QIODevice::WriteOnly));
    const TextEncoding e = store.SaveToStream(buffer);
    if (written)
        *written = e;
    return data.toStdString();
}

std::vector<std::string> Paragraphs(const TVeskMemoStore& store)
{
    std::vector<std::string> out;
    for (std::int32_t i = 0; i < store.ParagraphCount(); ++i)
        out.push_back(store.ParagraphText(i).value_or("<missing>"));
    return out;
}

using Pars = std::vector<std::string>;

// ---- record arrays -----------------------------------------------------------

template <typename F>
void ExpectListError(F&& f, const char* what)
{
    try {
        f();
        ADD_FAILURE() << what << ": no exception";
    } catch (const EListError& e) {
        EXPECT_STREQ(e.what(), "List index out of bounds") << what;
    } catch (...) {
        ADD_FAILURE() << what << ": some other exception";
    }
}

TEST(DynArray, IndexOutsideTheRecordsThrowsListError)
{
    TDynArray<int> a;
    ExpectListError([&] { (void)a[0]; }, "empty [0]");
    for (int i = 0; i < 3; ++i)
        a.Append(i * 10);
    EXPECT_EQ(a[2], 20);
    ExpectListError([&] { (void)a[-1]; }, "[-1]");
    ExpectListError([&] { (void)a[3]; }, "[count]");
    const TDynArray<int>& ca = a;
    ExpectListError([&] { (void)ca[3]; }, "const [count]");
    ExpectListError([&] { a.Insert(4, 1, 0); }, "Insert past the end");
    ExpectListError([&] { a.Delete(2, 2); }, "Delete past the end");
    ExpectListError([&] { a.Delete(-1, 1); }, "Delete before the start");

    TDynArray2<std::string> b;
    ExpectListError([&] { (void)b[0]; }, "TDynArray2 empty [0]");
    b.Append("x");
    ExpectListError([&] { (void)b[1]; }, "TDynArray2 [count]");
    ExpectListError([&] { (void)b[-1]; }, "TDynArray2 [-1]");
    const TDynArray2<std::string>& cb = b;
    ExpectListError([&] { (void)cb[1]; }, "TDynArray2 const [count]");
    ExpectListError([&] { b.Insert(2, 1); }, "TDynArray2 Insert past the end");
    ExpectListError([&] { b.Delete(0, 2); }, "TDynArray2 Delete past the end");
    EXPECT_EQ(b[0], "x");
}

TEST(DynArray, BlockArrayRecordsStayPutWhileAppending)
{
    struct Rec {
        std::int64_t value;
        char pad[40];
    };
    TDynArray2<Rec> a;
    a.Append(Rec{0, {}});
    const Rec* first = &a[0];
    std::vector<const Rec*> samples;
    for (std::int64_t i = 1; i <= 100000; ++i) {
        a.Append(Rec{i, {}});
        if (i % 9973 == 0)
            samples.push_back(&a[std::int32_t(i)]);
    }
    EXPECT_EQ(&a[0], first);
    for (const Rec* p : samples)
        EXPECT_EQ(&a[std::int32_t(p->value)], p);
    ASSERT_EQ(a.Count(), 100001);
    for (std::int32_t i = 0; i < a.Count(); i += 997)
        EXPECT_EQ(a[i].value, i);
    EXPECT_EQ(a[100000].value, 100000);
}

TEST(DynArray, InsertAndDeleteInTheMiddleKeepOrder)
{
    TDynArray<int> a;
    for (int i = 0; i < 10; ++i)
        a.Append(i);
    a.Insert(5, 3, 100);
    EXPECT_EQ(std::vector<int>(a.begin(), a.end()), (std::vector<int>{0, 1, 2, 3, 4, 100, 100, 100, 5, 6, 7, 8, 9}));
    a.Delete(2, 4);
    EXPECT_EQ(std::vector<int>(a.begin(), a.end()), (std::vector<int>{0, 1, 100, 100, 5, 6, 7, 8, 9}));
    a.Insert(a.Count(), 1, 42);
    a.Insert(0, 1, -1);
    EXPECT_EQ(std::vector<int>(a.begin(), a.end()), (std::vector<int>{-1, 0, 1, 100, 100, 5, 6, 7, 8, 9, 42}));

    // Enough strings to span several blocks, so shifting crosses block edges.
    TDynArray2<std::string> b;
    std::vector<std::string> model;
    for (int i = 0; i < 3000; ++i) {
        b.Append(std::to_string(i));
        model.push_back(std::to_string(i));
    }
    b.Insert(500, 2000);
    model.insert(model.begin() + 500, 2000, std::string());
    for (int i = 500; i < 2500; i += 3) {
        b[i] = "new" + std::to_string(i);
        model[std::size_t(i)] = "new" + std::to_string(i);
    }
    b.Delete(100, 2500);
    model.erase(model.begin() + 100, model.begin() + 2600);
    b.Delete(0, 1);
    model.erase(model.begin());
    ASSERT_EQ(b.Count(), std::int32_t(model.size()));
    for (std::int32_t i = 0; i < b.Count(); ++i)
        ASSERT_EQ(b[i], model[std::size_t(i)]) << "at " << i;
}

// ---- addressing --------------------------------------------------------------

TEST(TextStore, EmptyStoreHasOneEmptyParagraph)
{
    TVeskMemoStore store;
    EXPECT_EQ(store.ParagraphCount(), 1);
    EXPECT_EQ(store.LineCount(), 1);
    EXPECT_EQ(store.CharCount(), 0);
    EXPECT_EQ(store.CharAt(0), char32_t(13));
    EXPECT_EQ(store.CharAt(-1), char32_t(0));
    EXPECT_EQ(store.ParagraphText(0), std::optional<std::string>(""));
    EXPECT_EQ(store.ParagraphText(1), std::nullopt);
    EXPECT_EQ(store.ParagraphText(-1), std::nullopt);
    EXPECT_EQ(store.GetTextPart(0, 10), "");
    EXPECT_EQ(store.ParagraphStart(0), 0);
    EXPECT_THROW((void)store.ParagraphStart(1), EListError);
    EXPECT_THROW((void)store.FirstLine(-1), EListError);
    EXPECT_EQ(Save(store), "");
}

TEST(TextStore, BreaksCountAsCrThenLf)
{
    TVeskMemoStore store;
    store.SetTextBuf("ab\r\ncd\r\n\r\ne");
    ASSERT_EQ(store.ParagraphCount(), 4);
    EXPECT_EQ(store.CharCount(), 11);
    const std::u32string expected = U"ab\r\ncd\r\n\r\ne";
    for (std::int32_t i = 0; i < 11; ++i)
        EXPECT_EQ(store.CharAt(i), expected[std::size_t(i)]) << "offset " << i;
    EXPECT_EQ(store.CharAt(-1), char32_t(0));
    EXPECT_EQ(store.CharAt(11), char32_t(13));  // the last paragraph's end
    EXPECT_EQ(store.CharAt(13), char32_t(0));
    EXPECT_EQ(store.CharAt(1000), char32_t(0));

    EXPECT_EQ(store.ParagraphStart(0), 0);
    EXPECT_EQ(store.ParagraphStart(1), 4);
    EXPECT_EQ(store.ParagraphStart(2), 8);
    EXPECT_EQ(store.ParagraphStart(3), 10);
    // Both offsets of a break belong to the paragraph before it.
    const std::int32_t owner[] = {0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 3, 3};
    for (std::int32_t i = 0; i <= 11; ++i)
        EXPECT_EQ(store.ParagraphOfOffset(i), owner[i]) << "offset " << i;
    EXPECT_EQ(store.ParagraphOfOffset(-7), 0);
    EXPECT_EQ(store.ParagraphOfOffset(500), 3);

    EXPECT_EQ(store.GetTextPart(0, 11), "ab\r\ncd\r\n\r\ne");
    EXPECT_EQ(store.GetTextPart(-5, 500), "ab\r\ncd\r\n\r\ne");
    EXPECT_EQ(store.GetTextPart(1, 5), "b\r\nc");
    EXPECT_EQ(store.GetTextPart(3, 4), "\n");
    EXPECT_EQ(store.GetTextPart(2, 3), "\r");
    EXPECT_EQ(store.GetTextPart(7, 9), "\n\r");

    // Nothing formatted: one display line per paragraph.
    EXPECT_EQ(store.LineCount(), store.ParagraphCount());
    for (std::int32_t i = 0; i < store.ParagraphCount(); ++i) {
        EXPECT_EQ(store.FirstLine(i), i);
        EXPECT_EQ(store.LineText(i), store.ParagraphText(i));
    }
    EXPECT_EQ(store.ParagraphOfLine(2), 2);
    EXPECT_EQ(store.ParagraphOfLine(99), 3);
}

TEST(TextStore, NonAsciiIsAddressedByCodePoint)
{
    // é (2 bytes), 中 (3 bytes), 😀 (4 bytes) on both sides of a break.
    const std::u32string text = U"aé中😀b\r\n😀x中\r\né";
    TVeskMemoStore store;
    Load(store, U8(text));
    EXPECT_EQ(store.Encoding(), TextEncoding::Utf8);
    ASSERT_EQ(store.CharCount(), std::int32_t(text.size()));
    ASSERT_EQ(store.ParagraphCount(), 3);
    EXPECT_EQ(store.ParagraphStart(1), 7);
    EXPECT_EQ(store.ParagraphStart(2), 12);
    for (std::size_t i = 0; i < text.size(); ++i)
        EXPECT_EQ(store.CharAt(std::int32_t(i)), text[i]) << "offset " << i;
    // Every range, so that each cut falls on both sides of every multi-byte character.
    for (std::int32_t from = 0; from <= std::int32_t(text.size()); ++from) {
        for (std::int32_t to = from; to <= std::int32_t(text.size()); ++to) {
            EXPECT_EQ(U32(store.GetTextPart(from, to)), text.substr(std::size_t(from), std::size_t(to - from)))
                << from << " … " << to;
        }
    }
    EXPECT_EQ(store.Paragraph(0).length, 5);
    EXPECT_EQ(store.Paragraph(0).bytes, 1 + 2 + 3 + 4 + 1);
    EXPECT_FALSE(store.Paragraph(0).Plain());
    EXPECT_EQ(Save(store), U8(text));
}

TEST(TextStore, BufferSizingHoldsWhatIsAsked)
{
    for (std::int32_t n : {0, 1, 15, 16, 17, 100, 4095, 4096, 65537, 1 << 20}) {
        TParRecord p;
        TVeskMemoStore::GrowBuffer(p, n);
        EXPECT_GE(p.capacity, n);
        EXPECT_EQ(p.capacity, TVeskMemoStore::SizedCapacity(n));
        EXPECT_TRUE(n == 0 || p.Data() != nullptr);
        if (n > 0) {
            std::memset(p.Data(), 'x', std::size_t(n));  // the whole size is usable
        }
    }
}

// ---- loading -------------------------------------------------------------------

TEST(TextStoreLoad, LineEndsOfEveryKind)
{
    struct Case {
        std::string bytes;
        Pars paragraphs;
    };
    const Case cases[] = {
        {"a\r\nb", {"a", "b"}},
        {"a\n\rb", {"a", "b"}},
        {"a\r\rb", {"a", "", "b"}},
        {"a\n\nb", {"a", "", "b"}},
        {"a\r\n\nb", {"a", "", "b"}},
        {"a\r\n\r\nb", {"a", "", "b"}},
        {"a\rb", {"a", "b"}},
        {"a\nb", {"a", "b"}},
        {"a\r\n", {"a", ""}},
        {"\r\n", {"", ""}},
        {"", {""}},
    };
    for (const Case& c : cases) {
        TVeskMemoStore loaded;
        Load(loaded, c.bytes);
        EXPECT_EQ(Paragraphs(loaded), c.paragraphs) << testing::PrintToString(c.bytes);
        std::int32_t chars = 0;
        for (const auto& p : c.paragraphs)
            chars += std::int32_t(p.size()) + 2;
        EXPECT_EQ(loaded.CharCount(), chars - 2) << testing::PrintToString(c.bytes);

        TVeskMemoStore set;
        set.SetTextBuf(c.bytes);
        EXPECT_EQ(Paragraphs(set), c.paragraphs) << "SetTextBuf " << testing::PrintToString(c.bytes);
    }
}

TEST(TextStoreLoad, LoadingReplacesTheWholeText)
{
    TVeskMemoStore store;
    Load(store, "one\r\ntwo\r\nthree");
    ASSERT_EQ(store.ParagraphCount(), 3);
    Load(store, "");
    EXPECT_EQ(Paragraphs(store), Pars{""});
    EXPECT_EQ(store.CharCount(), 0);
    store.SetTextBuf("x\r\ny");
    store.Clear();
    EXPECT_EQ(Paragraphs(store), Pars{""});
    EXPECT_EQ(store.CharCount(), 0);
}

TEST(TextStoreLoad, ReadsFromTheDevicePositionOn)
{
    QByteArray data("skip|kept\r\ntext");
    QBuffer buffer(&data);
    ASSERT_TRUE(buffer.open(QIODevice::ReadOnly));
    ASSERT_TRUE(buffer.seek(5));
    TVeskMemoStore store;
    store.LoadFromStream(buffer);
    EXPECT_EQ(Paragraphs(store), (Pars{"kept", "text"}));
    EXPECT_TRUE(buffer.atEnd());
}

TEST(TextStoreLoad, ByteFiveBecomesSectionSignAndAnInsertedFiveYenSign)
{
    TVeskMemoStore store;
    Load(store, "a\x05" "b");
    EXPECT_EQ(store.CharCount(), 3);
    EXPECT_EQ(store.CharAt(1), U'§');
    EXPECT_EQ(store.ParagraphText(0), std::optional<std::string>("a\xC2\xA7" "b"));
    EXPECT_EQ(store.Paragraph(0).markCount, 0);

    store.ReplaceRange(3, 3, "\x05");
    EXPECT_EQ(store.CharCount(), 4);
    EXPECT_EQ(store.CharAt(3), U'¥');
    EXPECT_EQ(store.Paragraph(0).markCount, 0);
}

TEST(TextStoreLoad, NulEndsTheTextUnlessReplaced)
{
    const std::string bytes("ab\r\ncd\0ef\r\ngh", 13);
    {
        QByteArray data(bytes.data(), qsizetype(bytes.size()));
        QBuffer buffer(&data);
        ASSERT_TRUE(buffer.open(QIODevice::ReadOnly));
        TVeskMemoStore store;
        ASSERT_EQ(store.NullReplacement(), U'\0');
        store.LoadFromStream(buffer);
        EXPECT_EQ(Paragraphs(store), (Pars{"ab", "cd"}));
        EXPECT_EQ(store.CharCount(), 6);
        // The device is left just past the NUL: what loading consumed.
        EXPECT_EQ(buffer.pos(), 7);
    }
    {
        TVeskMemoStore store;
        store.SetNullReplacement(U' ');
        Load(store, bytes);
        EXPECT_EQ(Paragraphs(store), (Pars{"ab", "cd ef", "gh"}));
        Load(store, std::string("\0\0x\0", 4));
        EXPECT_EQ(Paragraphs(store), Pars{"  x "});
    }
    {
        TVeskMemoStore store;
        Load(store, std::string("\0abc", 4));
        EXPECT_EQ(Paragraphs(store), Pars{""});
        EXPECT_EQ(store.CharCount(), 0);
    }
}

TEST(TextStoreLoad, NulFarIntoALargeFile)
{
    // Well past any buffer a loader might read in one go.
    std::string head;
    while (head.size() < 300000)
        head += "line \xC3\xA9\r\n";
    const std::string bytes = head + std::string(1, '\0') + "after the NUL \xFF\r\n";
    for (const bool is1252 : {false, true}) {
        const std::string file = is1252 ? "\x80" + bytes : bytes;
        QByteArray data(file.data(), qsizetype(file.size()));
        QBuffer buffer(&data);
        ASSERT_TRUE(buffer.open(QIODevice::ReadOnly));
        TVeskMemoStore store;
        store.LoadFromStream(buffer);
        EXPECT_EQ(store.Encoding(), is1252 ? TextEncoding::Windows1252 : TextEncoding::Utf8);
        EXPECT_EQ(buffer.pos(), qint64(file.find('\0')) + 1);
        EXPECT_EQ(store.ParagraphCount(), std::int32_t(head.size() / 9) + 1);
        EXPECT_EQ(store.ParagraphText(store.ParagraphCount() - 1), std::optional<std::string>(""));
        EXPECT_EQ(store.ParagraphText(1), std::optional<std::string>(is1252 ? "line \xC3\x83\xC2\xA9" : "line \xC3\xA9"));
    }
}

TEST(TextStoreLoad, PiecesOfALargeFileJoinSeamlessly)
{
    // Short lines of multi-byte characters with every kind of line end, so
    // that wherever the loader cuts the input some break and some character
    // are cut in two.
    std::mt19937 rng(99);
    const char* const chars[] = {"a", "\xC3\xA9", "\xE4\xB8\xAD", "\xF0\x9F\x98\x80"};
    const char* const ends[] = {"\r\n", "\n\r", "\r", "\n"};
    std::string file;
    Pars lines;
    while (file.size() < 600000) {
        std::string line;
        const int n = std::uniform_int_distribution<int>(1, 4)(rng);
        for (int i = 0; i < n; ++i)
            line += chars[std::uniform_int_distribution<int>(0, 3)(rng)];
        lines.push_back(line);
        file += line;
        file += ends[std::uniform_int_distribution<int>(0, 3)(rng)];
    }
    lines.push_back("");
    TVeskMemoStore store;
    Load(store, file);
    EXPECT_EQ(store.Encoding(), TextEncoding::Utf8);
    ASSERT_EQ(store.ParagraphCount(), std::int32_t(lines.size()));
    EXPECT_TRUE(Paragraphs(store) == lines);
    std::int32_t offset = 0;
    for (std::int32_t i = 0; i < store.ParagraphCount(); i += 101) {
        EXPECT_EQ(store.ParagraphStart(i), offset + 0) << i;
        for (std::int32_t k = i; k < std::min(i + 101, store.ParagraphCount()); ++k)
            offset += std::int32_t(U32(lines[std::size_t(k)]).size()) + 2;
    }
    EXPECT_EQ(store.CharCount(), offset - 2);
}

TEST(TextStoreLoad, StyleCodesAreCharacters)
{
    TVeskMemoStore store;
    Load(store, "\x02" "bold\x02 \x01it\x01\x15u\x15\x03h\x03\x04" "f\x04");
    EXPECT_EQ(store.CharCount(), 20);
    EXPECT_EQ(store.CharAt(0), char32_t(2));
    EXPECT_EQ(store.CharAt(7), char32_t(1));
    EXPECT_EQ(store.CharAt(11), char32_t(21));
    EXPECT_EQ(store.CharAt(14), char32_t(3));
    EXPECT_EQ(store.CharAt(17), char32_t(4));
    EXPECT_EQ(store.GetTextPart(0, 6), "\x02" "bold\x02");
}

TEST(TextStoreLoad, DiscardTrailingSpacesOnLoadAndOnSave)
{
    const std::string bytes = "a \t \r\n  b\tc\t\r\n \t\r\nd  ";
    {
        TVeskMemoStore store;
        store.SetOptions(vmoDiscardTrailingSpaces);
        Load(store, bytes);
        EXPECT_EQ(Paragraphs(store), (Pars{"a", "  b\tc", "", "d"}));
        EXPECT_EQ(store.CharCount(), 1 + 2 + 5 + 2 + 0 + 2 + 1);
    }
    {
        TVeskMemoStore store;
        Load(store, bytes);
        EXPECT_EQ(Paragraphs(store), (Pars{"a \t ", "  b\tc\t", " \t", "d  "}));
        EXPECT_EQ(Save(store), bytes);
        store.SetOptions(vmoDiscardTrailingSpaces);
        EXPECT_EQ(Save(store), "a\r\n  b\tc\r\n\r\nd");
        // An edit that leaves trailing blanks is cleaned on save too.
        store.ReplaceRange(store.CharCount(), store.CharCount(), "\r\ne \t");
        EXPECT_EQ(Save(store), "a\r\n  b\tc\r\n\r\nd\r\ne");
    }
}

TEST(TextStoreLoad, EncodingDetection)
{
    {
        TVeskMemoStore store;
        Load(store, "caf\xC3\xA9 \xE4\xB8\xAD \xF0\x9F\x98\x80");
        EXPECT_EQ(store.Encoding(), TextEncoding::Utf8);
        EXPECT_EQ(store.CharCount(), 8);
        EXPECT_EQ(store.CharAt(3), U'é');
        EXPECT_EQ(store.CharAt(5), U'中');
        EXPECT_EQ(store.CharAt(7), U'😀');
    }
    {
        TVeskMemoStore store;
        Load(store, "\xEF\xBB\xBF" "\xC3\xA9t\xC3\xA9");
        EXPECT_EQ(store.Encoding(), TextEncoding::Utf8Bom);
        EXPECT_EQ(store.CharCount(), 3);  // the byte-order mark is no character
        EXPECT_EQ(store.CharAt(0), U'é');
        EXPECT_EQ(store.ParagraphText(0), std::optional<std::string>("\xC3\xA9t\xC3\xA9"));
    }
    {
        TVeskMemoStore store;
        Load(store, "\x80 caf\xE9 \x93q\x94");
        EXPECT_EQ(store.Encoding(), TextEncoding::Windows1252);
        EXPECT_EQ(store.CharCount(), 10);
        EXPECT_EQ(store.CharAt(0), U'€');
        EXPECT_EQ(store.CharAt(5), U'é');
        EXPECT_EQ(store.CharAt(7), U'\u201C');
        EXPECT_EQ(store.ParagraphText(0), std::optional<std::string>("\xE2\x82\xAC caf\xC3\xA9 \xE2\x80\x9Cq\xE2\x80\x9D"));
    }
    {
        // One bad byte at the very end makes the whole file 1252, so the
        // valid-looking é at the start becomes two characters.
        TVeskMemoStore store;
        Load(store, "\xC3\xA9\r\nline two\r\n\xFF");
        EXPECT_EQ(store.Encoding(), TextEncoding::Windows1252);
        EXPECT_EQ(Paragraphs(store), (Pars{"\xC3\x83\xC2\xA9", "line two", "\xC3\xBF"}));
    }
    {
        // A lone BOM-less file in plain ASCII is UTF-8.
        TVeskMemoStore store;
        Load(store, "plain");
        EXPECT_EQ(store.Encoding(), TextEncoding::Utf8);
    }
}

// ---- saving --------------------------------------------------------------------

TEST(TextStoreSave, WritesTheLoadedBytesBack)
{
    const std::string files[] = {
        "",
        "one line",
        "a\r\nb",
        "a\r\nb\r\n",
        "\r\n",
        "\r\n\r\n\r\n",
        "caf\xC3\xA9 \xE4\xB8\xAD\r\n\xF0\x9F\x98\x80\r\n",
        "\xEF\xBB\xBF" "bom \xC3\xA9\r\nx",
        "\xEF\xBB\xBF",
        "\x80\x81\x8D caf\xE9\r\n\xFF\xFE\r\n",
        "\tindented \x02" "bold\x02 trailing  \r\n",
    };
    for (const std::string& f : files) {
        TVeskMemoStore store;
        Load(store, f);
        const TextEncoding loaded = store.Encoding();
        TextEncoding written{};
        EXPECT_EQ(Save(store, &written), f) << testing::PrintToString(f);
        EXPECT_EQ(written, loaded) << testing::PrintToString(f);
    }
}

TEST(TextStoreSave, OtherLineEndsSaveAsCrLf)
{
    struct Case {
        std::string in, out;
    };
    const Case cases[] = {
        {"a\nb\n", "a\r\nb\r\n"},
        {"a\rb\r", "a\r\nb\r\n"},
        {"a\n\rb\r\rc\n\nd", "a\r\nb\r\n\r\nc\r\n\r\nd"},
    };
    for (const Case& c : cases) {
        TVeskMemoStore store;
        Load(store, c.in);
        EXPECT_EQ(Save(store), c.out) << testing::PrintToString(c.in);
    }
}

TEST(TextStoreSave, Windows1252DocumentFallsBackToUtf8OnlyWhenItMust)
{
    TVeskMemoStore store;
    Load(store, "caf\xE9\r\n");
    ASSERT_EQ(store.Encoding(), TextEncoding::Windows1252);

    // € exists in 1252: still saved as 1252.
    store.ReplaceRange(0, 0, "\xE2\x82\xAC");
    TextEncoding written{};
    EXPECT_EQ(Save(store, &written), "\x80" "caf\xE9\r\n");
    EXPECT_EQ(written, TextEncoding::Windows1252);

    // 中 does not: the whole document is written as UTF-8.
    store.ReplaceRange(1, 1, "\xE4\xB8\xAD");
    EXPECT_EQ(Save(store, &written), "\xE2\x82\xAC\xE4\xB8\xAD" "caf\xC3\xA9\r\n");
    EXPECT_EQ(written, TextEncoding::Utf8);
}

TEST(TextStoreSave, RedundantStyleCodePairsAreDropped)
{
    struct Case {
        std::string in, out;
    };
    const Case cases[] = {
        {"x\x02\x02y", "xy"},
        {"\x02" "a\x02", "\x02" "a\x02"},
        {"\x02\x01\x02", "\x01"},
        {"a\x01\x02\x03\x03\x02\x01" "b", "ab"},
        {"\x15\x15", ""},
        {"plain text", "plain text"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(RemoveRedundantCodePairs(c.in), c.out) << testing::PrintToString(c.in);
        TVeskMemoStore store;
        Load(store, c.in);
        EXPECT_EQ(store.CharCount(), std::int32_t(c.in.size())) << "kept in the text";
        EXPECT_EQ(Save(store), c.out) << testing::PrintToString(c.in);
        store.SetRemoveRedundantCodes(false);
        EXPECT_EQ(Save(store), c.in) << "switched off: " << testing::PrintToString(c.in);
    }
    // The pairs are looked for within each paragraph.
    TVeskMemoStore store;
    Load(store, "a\x02\r\n\x02" "b\r\nc\x01\x01");
    EXPECT_TRUE(store.RemoveRedundantCodes());
    EXPECT_EQ(Save(store), "a\x02\r\n\x02" "b\r\nc");
}

TEST(TextStoreSave, ARefusingDeviceThrows)
{
    TVeskMemoStore store;
    store.SetTextBuf("some text");
    QByteArray data;
    QBuffer readOnly(&data);
    ASSERT_TRUE(readOnly.open(QIODevice::ReadOnly));
    EXPECT_THROW(store.SaveToStream(readOnly), std::runtime_error);
}

// ---- replacing ------------------------------------------------------------------

TEST(TextStoreReplace, CrAndCrLfAreBreaksALoneLfIsACharacter)
{
    TVeskMemoStore store;
    const auto change = store.ReplaceRange(0, 0, "x\ry\r\nz\nw");
    ASSERT_TRUE(change.has_value());
    EXPECT_EQ(change->start, 0);
    EXPECT_EQ(change->oldLength, 0);
    EXPECT_EQ(change->newLength, 9);
    EXPECT_EQ(Paragraphs(store), (Pars{"x", "y", "z\nw"}));
    EXPECT_EQ(store.CharCount(), 9);
    EXPECT_EQ(store.CharAt(7), char32_t(10));
    EXPECT_EQ(store.GetTextPart(0, 9), "x\r\ny\r\nz\nw");

    store.ReplaceRange(1, 1, "\n\r");
    EXPECT_EQ(Paragraphs(store), (Pars{"x\n", "", "y", "z\nw"}));
    EXPECT_EQ(store.CharCount(), 12);
}

TEST(TextStoreReplace, BoundsInsideABreakMoveOffIt)
{
    // a0 b1 CR2 LF3 c4 d5
    {
        TVeskMemoStore store;
        store.SetTextBuf("ab\r\ncd");
        const auto change = store.ReplaceRange(3, 3, "X");
        ASSERT_TRUE(change.has_value());
        EXPECT_EQ(change->start, 2);
        EXPECT_EQ(change->oldLength, 2);
        EXPECT_EQ(change->newLength, 1);
        EXPECT_EQ(Paragraphs(store), Pars{"abXcd"});
    }
    {
        TVeskMemoStore store;
        store.SetTextBuf("ab\r\ncd");
        store.ReplaceRange(1, 3, "");
        EXPECT_EQ(Paragraphs(store), Pars{"acd"});
    }
    {
        TVeskMemoStore store;
        store.SetTextBuf("ab\r\ncd");
        store.ReplaceRange(3, 5, "");
        EXPECT_EQ(Paragraphs(store), Pars{"abd"});
    }
    {
        TVeskMemoStore store;
        store.SetTextBuf("ab\r\ncd");
        store.ReplaceRange(2, 2, "Y");  // right before the CR: nothing moves
        EXPECT_EQ(Paragraphs(store), (Pars{"abY", "cd"}));
        store.ReplaceRange(5, 5, "Z");  // right after the LF
        EXPECT_EQ(Paragraphs(store), (Pars{"abY", "Zcd"}));
    }
}

TEST(TextStoreReplace, BoundsAreClampedToTheText)
{
    TVeskMemoStore store;
    store.SetTextBuf("hello\r\nworld");
    store.ReplaceRange(-10, 2, "J");
    EXPECT_EQ(Paragraphs(store), (Pars{"Jllo", "world"}));
    store.ReplaceRange(8, 1000, "!");
    EXPECT_EQ(Paragraphs(store), (Pars{"Jllo", "wo!"}));
    store.ReplaceRange(500, 600, "?");
    EXPECT_EQ(Paragraphs(store), (Pars{"Jllo", "wo!?"}));
}

TEST(TextStoreReplace, JoiningAndSplittingParagraphsKeepsStartsExact)
{
    TVeskMemoStore store;
    store.SetTextBuf("p0\r\np1\r\np2\r\np3\r\np4");
    store.ReplaceRange(3, 11, "");  // from inside the first break to inside the third
    EXPECT_EQ(Paragraphs(store), (Pars{"p0p3", "p4"}));
    EXPECT_EQ(store.ParagraphStart(1), 6);
    store.ReplaceRange(2, 2, "\r\nnew\r\n\r\n");
    EXPECT_EQ(Paragraphs(store), (Pars{"p0", "new", "", "p3", "p4"}));
    const std::int32_t starts[] = {0, 4, 9, 11, 15};
    for (std::int32_t i = 0; i < 5; ++i) {
        EXPECT_EQ(store.ParagraphStart(i), starts[i]);
        EXPECT_EQ(store.FirstLine(i), i);
    }
    EXPECT_EQ(store.LineCount(), 5);
    EXPECT_EQ(store.CharCount(), 17);
}

TEST(TextStoreReplace, SetParagraphTextAddsMissingParagraphs)
{
    TVeskMemoStore store;
    store.SetParagraphText(2, "third");
    EXPECT_EQ(Paragraphs(store), (Pars{"", "", "third"}));
    store.SetParagraphText(0, "first");
    EXPECT_EQ(Paragraphs(store), (Pars{"first", "", "third"}));
    EXPECT_EQ(store.CharCount(), 5 + 2 + 2 + 5);
}

TEST(TextStoreReplace, NavigatorsFollowTheEdit)
{
    TVeskMemoStore store;
    store.SetTextBuf("0123456789\r\nabcdefghij");
    TVeskNavigator before(&store), atFrom(&store), inside(&store), atTo(&store), after(&store), end(&store);
    TVeskNavigator scratch(&store, false);
    before.SetOffset(2);
    atFrom.SetOffset(4);
    inside.SetOffset(6);
    atTo.SetOffset(8);
    after.SetOffset(15);
    end.SetOffset(store.CharCount());
    scratch.SetOffset(15);
    (void)after.ByteIndex();  // fill its caches, which the edit must drop

    // Replace 4 characters by 8 (a trailing CR is a whole break).
    store.ReplaceRange(4, 8, "\xC3\xA9\xC3\xA9\r\nxy\r");
    ASSERT_EQ(store.GetTextPart(0, store.CharCount()), "0123\xC3\xA9\xC3\xA9\r\nxy\r\n89\r\nabcdefghij");
    EXPECT_EQ(before.Offset(), 2);
    EXPECT_EQ(atFrom.Offset(), 4);
    EXPECT_EQ(inside.Offset(), 4);
    EXPECT_EQ(atTo.Offset(), 12);
    EXPECT_EQ(after.Offset(), 19);
    EXPECT_EQ(end.Offset(), store.CharCount());
    EXPECT_EQ(scratch.Offset(), 15);  // not registered: left alone

    EXPECT_EQ(store.CharAt(12), U'8');
    EXPECT_EQ(atTo.CharAtPos(), U'8');
    EXPECT_EQ(atTo.ParagraphIndex(), 2);
    EXPECT_EQ(atTo.Position(), 0);
    EXPECT_EQ(after.CharAtPos(), U'd');
    EXPECT_EQ(after.ParagraphIndex(), 3);
    EXPECT_EQ(after.Position(), 3);

    // A pure insertion pushes a navigator that sits at the insertion point.
    TVeskNavigator at(&store);
    at.SetOffset(1);
    store.ReplaceRange(1, 1, "++");
    EXPECT_EQ(at.Offset(), 3);
    EXPECT_EQ(before.Offset(), 4);
}

TEST(TextStoreReplace, IllFormedInsertedBytesBecomeReplacementCharacters)
{
    TVeskMemoStore store;
    store.ReplaceRange(0, 0, "a\xFF" "b\xE4\xB8" "c");
    EXPECT_EQ(store.CharAt(0), U'a');
    EXPECT_EQ(store.CharAt(1), U'\uFFFD');
    EXPECT_EQ(store.CharAt(2), U'b');
    EXPECT_EQ(store.CharAt(store.CharCount() - 1), U'c');
    const std::u32string text = U32(store.GetTextPart(0, store.CharCount()));
    EXPECT_EQ(std::int32_t(text.size()), store.CharCount());
    EXPECT_EQ(text.find(char32_t(0xFFFFFFFF)), std::u32string::npos) << "the store holds ill-formed UTF-8";
}

TEST(TextStoreReplace, StyleCodesCarryIntoLaterParagraphs)
{
    TVeskMemoStore store;
    Load(store, "\x02" "a\r\nb\x01\r\nc\x02\r\nd");
    auto starts = [&] {
        std::vector<int> v;
        for (std::int32_t i = 0; i < store.ParagraphCount(); ++i)
            v.push_back(store.Paragraph(i).startStyle);
        return v;
    };
    EXPECT_EQ(starts(), (std::vector<int>{0, kStyleBold, kStyleBold | kStyleItalic, kStyleItalic}));

    TVeskNavigator nav(&store);
    nav.SetOffset(store.ParagraphStart(1));
    EXPECT_EQ(nav.Style(), kStyleBold);
    nav.SetOffset(store.ParagraphStart(1) + 2);  // after the italic code
    EXPECT_EQ(nav.Style(), kStyleBold | kStyleItalic);
    nav.SetOffset(1);
    EXPECT_EQ(nav.Style(), kStyleBold);

    store.ReplaceRange(0, 1, "");  // the first bold code goes
    EXPECT_EQ(starts(), (std::vector<int>{0, 0, kStyleItalic, kStyleItalic | kStyleBold}));
    nav.SetOffset(store.ParagraphStart(1));
    EXPECT_EQ(nav.Style(), 0);

    store.ReplaceRange(0, 0, "\x15");  // underline from the very start
    EXPECT_EQ(starts(), (std::vector<int>{0, kStyleUnderline, kStyleUnderline | kStyleItalic,
                                          kStyleUnderline | kStyleItalic | kStyleBold}));
    // Splitting a paragraph between its codes.
    store.ReplaceRange(store.ParagraphStart(1) + 1, store.ParagraphStart(1) + 1, "\r\n");  // b | \x01
    EXPECT_EQ(starts(), (std::vector<int>{0, kStyleUnderline, kStyleUnderline, kStyleUnderline | kStyleItalic,
                                          kStyleUnderline | kStyleItalic | kStyleBold}));
}

TEST(TextStoreEvents, HooksAndTheUpdateLock)
{
    struct Probe : TVeskMemoStore {
        int unlocked = 0, loaded = 0, formatRequests = 0;
        void UpdateUnlocked() override { ++unlocked; }
        void TextLoaded() override { ++loaded; }
        void FormatUpTo(std::int32_t) override { ++formatRequests; }
    } store;
    int changes = 0;
    store.OnChange = [&](TVeskMemoStore* sender) {
        EXPECT_EQ(sender, &store);
        ++changes;
    };

    store.EndUpdate();
    EXPECT_EQ(store.UpdateLock(), 0);
    EXPECT_EQ(store.unlocked, 0);
    store.BeginUpdate();
    store.BeginUpdate();
    store.EndUpdate();
    EXPECT_EQ(store.UpdateLock(), 1);
    EXPECT_EQ(store.unlocked, 0);
    store.EndUpdate();
    EXPECT_EQ(store.UpdateLock(), 0);
    EXPECT_EQ(store.unlocked, 1);

    // Setting an empty text on an empty store does nothing at all.
    store.SetModified(false);
    store.SetTextBuf("");
    EXPECT_EQ(store.loaded, 0);
    EXPECT_EQ(changes, 0);
    EXPECT_FALSE(store.Modified());

    store.SetTextBuf("two\r\nlines");
    EXPECT_EQ(store.loaded, 1);
    EXPECT_GE(changes, 1);
    Load(store, "x");
    EXPECT_EQ(store.loaded, 2);

    const int before = store.formatRequests;
    EXPECT_EQ(store.LineText(0), std::optional<std::string>("x"));
    EXPECT_GT(store.formatRequests, before);
    EXPECT_EQ(store.LineText(1), std::nullopt);
}

TEST(TextStoreEvents, LoadingKeepsNavigatorsInsideTheText)
{
    TVeskMemoStore store;
    store.SetTextBuf("a long first text\r\nwith two paragraphs");
    TVeskNavigator nav(&store);
    nav.SetOffset(30);
    (void)nav.ByteIndex();
    Load(store, "short");
    EXPECT_LE(nav.Offset(), store.CharCount());
    EXPECT_GE(nav.Offset(), 0);
    EXPECT_EQ(nav.ParagraphIndex(), 0);
    EXPECT_EQ(nav.CharAtPos(), store.CharAt(nav.Offset()));
}

// ---- navigators -----------------------------------------------------------------

TEST(Navigator, OffsetParagraphPositionAndDisplayLine)
{
    TVeskMemoStore store;
    store.SetTextBuf("ab\r\ncde\r\n\r\nf");
    TVeskNavigator nav(&store);
    EXPECT_EQ(nav.Editor(), &store);
    const std::int32_t paragraph[] = {0, 0, 0, 0, 1, 1, 1, 1, 1, 2, 2, 3, 3};
    const std::int32_t position[] = {0, 1, 2, 3, 0, 1, 2, 3, 4, 0, 1, 0, 1};
    const char32_t ch[] = {U'a', U'b', 13, 10, U'c', U'd', U'e', 13, 10, 13, 10, U'f', 13};
    for (std::int32_t o = 0; o <= store.CharCount(); ++o) {
        nav.SetOffset(o);
        EXPECT_EQ(nav.Offset(), o);
        EXPECT_EQ(nav.ParagraphIndex(), paragraph[o]) << "offset " << o;
        EXPECT_EQ(nav.Position(), position[o]) << "offset " << o;
        EXPECT_EQ(nav.DisplayLine(), paragraph[o]) << "offset " << o;
        EXPECT_EQ(nav.LineIndex(), 0) << "offset " << o;
        EXPECT_EQ(nav.CharAtPos(), ch[o]) << "offset " << o;
        EXPECT_EQ(nav.Paragraph(), &store.Paragraph(paragraph[o]));
    }
    // Walking backwards, and jumping, must give the same answers.
    for (std::int32_t o = store.CharCount(); o >= 0; o -= 3) {
        nav.SetOffset(o);
        EXPECT_EQ(nav.ParagraphIndex(), paragraph[o]) << "offset " << o;
        EXPECT_EQ(nav.Position(), position[o]) << "offset " << o;
    }
    nav.SetOffset(-4);
    EXPECT_EQ(nav.Offset(), 0);
    nav.SetOffset(1000);
    EXPECT_EQ(nav.Offset(), store.CharCount());
    EXPECT_EQ(nav.ParagraphIndex(), 3);
}

TEST(Navigator, MoveForwardStaysOnTheLine)
{
    TVeskMemoStore store;
    store.SetTextBuf("\xC3\xA9t\xC3\xA9\r\nnext");  // été
    TVeskNavigator nav(&store);
    nav.SetOffset(1);
    nav.MoveForward(1);
    EXPECT_EQ(nav.Offset(), 2);
    EXPECT_EQ(nav.CharAtPos(), U'é');
    nav.MoveForward(10);
    EXPECT_EQ(nav.Offset(), 3);
    EXPECT_EQ(nav.ParagraphIndex(), 0);
    EXPECT_EQ(nav.CharAtPos(), char32_t(13));
    EXPECT_EQ(nav.ByteIndex(), 5);
}

TEST(Navigator, GotoLineClampsToTheLines)
{
    TVeskMemoStore store;
    store.SetTextBuf("one\r\ntwo\r\nthree");
    TVeskNavigator nav(&store);
    nav.GotoLine(1);
    EXPECT_EQ(nav.Offset(), 5);
    EXPECT_EQ(nav.DisplayLine(), 1);
    nav.GotoLine(2);
    EXPECT_EQ(nav.Offset(), 10);
    nav.SetOffset(0);
    nav.GotoLine(57);
    EXPECT_EQ(nav.Offset(), 10);
    EXPECT_EQ(nav.DisplayLine(), 2);
    nav.GotoLine(-3);
    EXPECT_EQ(nav.Offset(), 0);
}

TEST(Navigator, ColumnCountsCharactersAcrossMarks)
{
    TVeskMemoStore store;
    store.SetTextBuf("x\r\n\xC3\xA9\xE4\xB8\xAD" "ab\xF0\x9F\x98\x80" "c");  // é中ab😀c
    const std::int32_t start = store.ParagraphStart(1);
    TVeskNavigator nav(&store);
    for (std::int32_t p = 0; p <= 6; ++p) {
        nav.SetOffset(start + p);
        EXPECT_EQ(nav.Column(), p);
        EXPECT_EQ(nav.Position(), p);
    }
    nav.SetOffset(start + 5);
    EXPECT_EQ(nav.ByteIndex(), 2 + 3 + 1 + 1 + 4);

    // A mark after é: columns, positions and byte indexes behind it.
    THighlightState state;
    state.flagsStyle = 0x80 | 0x40 | 0x03;
    state.depth = 0;
    state.stack[0] = 7;
    nav.SetOffset(start + 1);
    nav.InsertMark(state);
    EXPECT_EQ(nav.Offset(), start + 1);
    EXPECT_EQ(nav.Column(), 1);
    EXPECT_EQ(nav.Position(), 1);
    const int markSize = MarkSizeFor(store.InternState(state));
    EXPECT_EQ(nav.ByteIndex(), 2 + markSize);
    EXPECT_EQ(nav.CharAtPos(), U'中');
    EXPECT_EQ(store.Paragraph(1).markCount, 1);

    TVeskNavigator other(&store);
    for (std::int32_t p = 2; p <= 6; ++p) {
        other.SetOffset(start + p);
        EXPECT_EQ(other.Column(), p);
    }
    other.SetOffset(start + 2);
    EXPECT_EQ(other.ByteIndex(), 2 + markSize + 3);
    EXPECT_EQ(other.CharAtPos(), U'a');
    other.SetOffset(start + 6);
    EXPECT_EQ(other.CharAtPos(), char32_t(13));
}

TEST(Navigator, DisplayLinesOfAFormattedParagraph)
{
    TVeskMemoStore store;
    store.SetTextBuf("first\r\nabcd\xC3\xA9\xE4\xB8\xAD" "fg\r\nlast");  // abcdé中fg
    // Two display lines for paragraph 1: "abcd" and "é中fg" (byte ranges).
    TLineRecord lines[2];
    lines[0].start = 0;
    lines[0].end = 4;
    lines[1].start = 4;
    lines[1].end = 4 + 2 + 3 + 2;
    store.SetParagraphLines(1, lines, 2);
    EXPECT_EQ(store.LineCount(), 4);
    EXPECT_EQ(store.FirstLine(2), 3);
    EXPECT_EQ(store.ParagraphOfLine(2), 1);
    EXPECT_EQ(store.ParagraphOfLine(3), 2);
    EXPECT_EQ(store.LineText(2), std::optional<std::string>("\xC3\xA9\xE4\xB8\xAD" "fg"));

    const std::int32_t start = store.ParagraphStart(1);
    TVeskNavigator nav(&store);
    nav.SetOffset(start + 6);  // before f
    EXPECT_EQ(nav.LineIndex(), 1);
    EXPECT_EQ(nav.DisplayLine(), 2);
    EXPECT_EQ(nav.Column(), 2);
    nav.SetOffset(start + 3);
    EXPECT_EQ(nav.DisplayLine(), 1);
    EXPECT_EQ(nav.Column(), 3);
    nav.GotoLine(2);
    EXPECT_EQ(nav.Offset(), start + 4);
    nav.GotoLine(3);
    EXPECT_EQ(nav.Offset(), store.ParagraphStart(2));
    nav.SetOffset(store.ParagraphStart(2));
    EXPECT_EQ(nav.DisplayLine(), 3);
}

TEST(Navigator, MarksAreInvisibleToTheText)
{
    TVeskMemoStore store;
    store.SetTextBuf("ab\xC3\xA9\r\n\r\n\xE4\xB8\xAD" "cd\r\nlast");
    const std::string whole = store.GetTextPart(0, store.CharCount());
    const std::int32_t count = store.CharCount();
    const auto pars = Paragraphs(store);
    std::vector<char32_t> chars;
    for (std::int32_t o = 0; o <= count; ++o)
        chars.push_back(store.CharAt(o));

    auto expectUnchanged = [&](const char* when) {
        EXPECT_EQ(store.CharCount(), count) << when;
        EXPECT_EQ(store.GetTextPart(0, count), whole) << when;
        EXPECT_EQ(Paragraphs(store), pars) << when;
        for (std::int32_t o = 0; o <= count; ++o)
            EXPECT_EQ(store.CharAt(o), chars[std::size_t(o)]) << when << ", offset " << o;
        for (std::int32_t from = 0; from <= count; ++from)
            EXPECT_EQ(U32(store.GetTextPart(from, from + 3)), U32(whole).substr(std::size_t(from), 3)) << when;
    };

    THighlightState state;
    state.flagsStyle = 0x80 | 0x40 | 1;
    state.depth = 1;
    state.stack[0] = 3;
    state.stack[1] = -32768 + 2;
    TVeskNavigator nav(&store);
    // At a paragraph start, in the middle, twice at the same spot, at the end,
    // in an empty paragraph.
    for (std::int32_t o : {0, 3, 3, 1, 5, 9, count}) {
        nav.SetOffset(o);
        nav.InsertMark(state);
        EXPECT_EQ(nav.Offset(), o);
    }
    EXPECT_EQ(store.Paragraph(0).markCount, 4);
    EXPECT_EQ(store.Paragraph(0).bytes, 4 + 4 * MarkSizeFor(store.InternState(state)));
    EXPECT_EQ(store.Paragraph(0).length, 3);
    EXPECT_EQ(store.Paragraph(1).markCount, 1);
    expectUnchanged("after inserting marks");
    EXPECT_EQ(Save(store), std::string(whole));

    // Remove them all again: forwards with NextMark, then whatever is left
    // (the marks at the very start and end) backwards with PreviousMark.
    TVeskNavigator finder(&store);
    int removed = 0;
    finder.SetOffset(0);
    while (finder.NextMark(count) && removed < 20) {
        finder.DeleteMark();
        ++removed;
        finder.SetOffset(0);
    }
    finder.SetOffset(count);
    while (finder.PreviousMark(0) && removed < 20) {
        finder.DeleteMark();
        ++removed;
        finder.SetOffset(count);
    }
    EXPECT_EQ(removed, 7);
    for (std::int32_t i = 0; i < store.ParagraphCount(); ++i) {
        EXPECT_EQ(store.Paragraph(i).markCount, 0) << "paragraph " << i;
        EXPECT_EQ(store.Paragraph(i).bytes, std::int32_t(pars[std::size_t(i)].size())) << "paragraph " << i;
    }
    expectUnchanged("after deleting marks");
}

TEST(Navigator, NextAndPreviousMarkFindEarlierMarks)
{
    TVeskMemoStore store;
    store.SetTextBuf("alpha\r\nbeta\r\ngamma\r\ndelta");
    const std::int32_t first = 2;                             // al|pha
    const std::int32_t second = store.ParagraphStart(2) + 3;  // gam|ma
    THighlightState state;
    state.flagsStyle = 0x80 | 0x40;
    state.depth = 0;
    TVeskNavigator nav(&store);
    nav.SetOffset(second);
    nav.InsertMark(state);
    nav.SetOffset(first);
    nav.InsertMark(state);

    TVeskNavigator seek(&store);
    seek.SetOffset(0);
    ASSERT_TRUE(seek.NextMark(store.CharCount()));
    EXPECT_EQ(seek.Offset(), first);
    EXPECT_EQ(seek.ByteIndex(), 2);
    seek.SetOffset(first + 1);
    ASSERT_TRUE(seek.NextMark(store.CharCount()));
    EXPECT_EQ(seek.Offset(), second);
    EXPECT_EQ(seek.ParagraphIndex(), 2);
    EXPECT_EQ(seek.ByteIndex(), 3);
    seek.SetOffset(second + 1);
    EXPECT_FALSE(seek.NextMark(store.CharCount()));
    seek.SetOffset(first + 1);
    EXPECT_FALSE(seek.NextMark(second - 1));  // the limit stops the search

    seek.SetOffset(store.CharCount());
    ASSERT_TRUE(seek.PreviousMark(0));
    EXPECT_EQ(seek.Offset(), second);
    seek.SetOffset(second - 1);  // same paragraph, before its mark
    ASSERT_TRUE(seek.PreviousMark(0));
    EXPECT_EQ(seek.Offset(), first);
    seek.SetOffset(second - 1);
    EXPECT_FALSE(seek.PreviousMark(store.ParagraphStart(1)));  // paragraph 0 starts before the limit

    // The one found can be deleted.
    seek.SetOffset(store.CharCount());
    ASSERT_TRUE(seek.PreviousMark(0));
    seek.DeleteMark();
    EXPECT_EQ(store.Paragraph(2).markCount, 0);
    EXPECT_EQ(store.Paragraph(0).markCount, 1);
    seek.SetOffset(first + 1);
    EXPECT_FALSE(seek.NextMark(store.CharCount()));
    // DeleteMark where there is none does nothing.
    seek.SetOffset(store.ParagraphStart(3) + 1);
    seek.DeleteMark();
    EXPECT_EQ(store.GetTextPart(0, store.CharCount()), "alpha\r\nbeta\r\ngamma\r\ndelta");
}

TEST(Navigator, OtherNavigatorsInTheParagraphSeeANewMark)
{
    TVeskMemoStore store;
    store.SetTextBuf("\xC3\xA9\xC3\xA9\xC3\xA9xyz");  // ééé xyz
    TVeskNavigator later(&store);
    later.SetOffset(4);
    EXPECT_EQ(later.ByteIndex(), 7);
    EXPECT_EQ(later.CharAtPos(), U'y');
    TVeskNavigator marker(&store);
    marker.SetOffset(1);
    marker.InsertMark(THighlightState{});
    EXPECT_EQ(later.ByteIndex(), 7 + MarkSizeFor(store.InternState(THighlightState{})));
    EXPECT_EQ(later.CharAtPos(), U'y');
    later.MoveForward(1);
    EXPECT_EQ(later.Offset(), 5);
    EXPECT_EQ(later.CharAtPos(), U'z');
}

TEST(Navigator, OnlyEditorsHaveNavigators)
{
    QObject notAnEditor;
    try {
        TVeskNavigator nav(&notAnEditor);
        ADD_FAILURE() << "no exception";
    } catch (const EVeskError& e) {
        EXPECT_STREQ(e.what(), "Internal error: component is not a TVeskMemo");
    }
}

TEST(Navigator, RegistrationFollowsLifetimes)
{
    auto store = std::make_unique<TVeskMemoStore>();
    store->SetTextBuf("some text\r\nmore");
    auto nav = std::make_unique<TVeskNavigator>(store.get());
    {
        TVeskNavigator scratch(store.get(), false);
        TVeskNavigator shortLived(store.get());
        EXPECT_EQ(store->Navigators().size(), 2u);
    }
    EXPECT_EQ(store->Navigators().size(), 1u);
    EXPECT_EQ(store->Navigators()[0], nav.get());

    nav->SetOffset(12);
    (void)nav->ParagraphIndex();
    store.reset();
    EXPECT_EQ(nav->Editor(), nullptr);
    EXPECT_EQ(nav->Offset(), 0);
    nav->SetOffset(5);  // harmless without an editor
    EXPECT_EQ(nav->Offset(), 0);
    nav.reset();        // must not reach the destroyed store
}

} // namespace
} // namespace vesk
