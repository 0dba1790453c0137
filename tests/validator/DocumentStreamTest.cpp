// Page files read as a stream: decoding in chunks of any size, the line
// index, and validation results that must not depend on where the text is
// cut into pieces.
#include "ValidatorTestUtil.h"
#include "validator/ContentWatch.h"
#include "validator/DocumentStream.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>

namespace vesk {
namespace {

struct Decoded {
    std::string text;
    bool valid;
    std::int64_t chars, nuls;
    std::vector<std::int64_t> lines;  // line of every offset of the text
};

Decoded Decode(std::string_view bytes, TextEncoding encoding, std::size_t chunk)
{
    TTextDecoder decoder(encoding);
    TLineIndex lines;
    Decoded d;
    for (std::size_t at = 0; at < bytes.size(); at += chunk)
        decoder.Decode(bytes.substr(at, chunk), &d.text, &lines);
    decoder.Finish(&d.text);
    d.valid = decoder.Valid();
    d.chars = decoder.Chars();
    d.nuls = decoder.NulCount();
    for (std::int64_t o = 0; o <= d.chars; ++o)
        d.lines.push_back(lines.LineOf(o));
    EXPECT_EQ(decoder.Consumed(), std::int64_t(bytes.size()));
    return d;
}

TEST(DocumentStream, DecodesLikeTheEditorWhereverTheChunksEnd)
{
    const struct {
        const char* bytes;
        std::size_t size;
        TextEncoding encoding;
        const char* text;
        bool valid;
        std::vector<std::int64_t> lineOfEachOffset;
    } cases[] = {
        // Every break convention reads as CR LF; CR LF and LF CR are one break.
        {"a\r\nb", 4, TextEncoding::Utf8, "a\r\nb", true, {0, 0, 0, 1, 1}},
        {"a\nb\rc", 5, TextEncoding::Utf8, "a\r\nb\r\nc", true, {0, 0, 0, 1, 1, 1, 2, 2}},
        {"a\n\rb", 4, TextEncoding::Utf8, "a\r\nb", true, {0, 0, 0, 1, 1}},
        {"\r\r\n", 3, TextEncoding::Utf8, "\r\n\r\n", true, {0, 0, 1, 1, 2}},
        // A byte-order mark is dropped; a character is never cut.
        {"\xEF\xBB\xBF\xC3\xA9\xE2\x82\xAC", 8, TextEncoding::Utf8, "\xC3\xA9\xE2\x82\xAC", true, {0, 0, 0}},
        // NUL and the mark byte read as visible characters; text goes on.
        {"x\0y\5", 4, TextEncoding::Utf8, "x\xE2\x90\x80y\xC2\xA7", true, {0, 0, 0, 0, 0}},
        // Ill-formed UTF-8: one U+FFFD per bad byte, and no longer valid.
        {"\xC3(\xE2\x82", 4, TextEncoding::Utf8, "\xEF\xBF\xBD(\xEF\xBF\xBD\xEF\xBF\xBD", false, {0, 0, 0, 0, 0}},
        {"\xEF\xBB", 2, TextEncoding::Utf8, "\xEF\xBF\xBD\xEF\xBF\xBD", false, {0, 0, 0}},
        // Windows-1252: one character per byte.
        {"caf\xE9\x80\n", 6, TextEncoding::Windows1252, "caf\xC3\xA9\xE2\x82\xAC\r\n", true, {0, 0, 0, 0, 0, 0, 0, 1}},
    };
    for (const auto& c : cases) {
        const std::string_view bytes(c.bytes, c.size);
        SCOPED_TRACE(testing::PrintToString(std::string(bytes)));
        for (std::size_t chunk = 1; chunk <= bytes.size(); ++chunk) {
            const Decoded d = Decode(bytes, c.encoding, chunk);
            EXPECT_EQ(d.text, c.text) << "chunk " << chunk;
            EXPECT_EQ(d.valid, c.valid) << "chunk " << chunk;
            EXPECT_EQ(d.chars, std::int64_t(CountUtf8Chars(d.text)));
            EXPECT_EQ(d.lines, c.lineOfEachOffset) << "chunk " << chunk;
        }
    }
    EXPECT_EQ(Decode(std::string_view("\0\0a\0", 4), TextEncoding::Utf8, 2).nuls, 3);
}

TEST(DocumentStream, TheLineIndexAnswersForEveryOffsetOfManyLines)
{
    // Lines of very different lengths (differences of one byte and of
    // several), over many checkpoints.
    std::mt19937 rng(3);
    std::vector<std::int64_t> starts{0};
    TLineIndex index;
    for (int i = 0; i < 1000; ++i) {
        starts.push_back(starts.back() + 2 + std::int64_t(rng() % (i % 7 == 0 ? 100000 : 90)));
        index.AddLineStart(starts.back());
    }
    index.AddLineStart(starts.back());  // not beyond the last: ignored
    ASSERT_EQ(index.LineCount(), std::int64_t(starts.size()));
    for (std::size_t line = 0; line < starts.size(); ++line) {
        for (std::int64_t offset : {starts[line], starts[line] + 1, (line + 1 < starts.size() ? starts[line + 1] - 1 : starts[line] + 5)})
            ASSERT_EQ(index.LineOf(offset), std::int64_t(line)) << "offset " << offset;
    }
    EXPECT_EQ(index.LineOf(-5), 0);
    index.Clear();
    EXPECT_EQ(index.LineOf(starts.back()), 0);
}

// The encoding is the whole file's: a byte that is not UTF-8 at the very
// end makes the file Windows-1252 from its first byte.
TEST(DocumentStream, AFileIsReadInTheEncodingOfAllOfIt)
{
    test::RulesFile rules("[StartTag]\n0=,P,\n[OptEndTag]\n0=,P,\n[P]\nchars=1\nalign=(,LEFT,)\n");
    test::TempDir dir;
    const struct {
        const char* name;
        std::string bytes;
        TextEncoding encoding;
        QString entry;
    } cases[] = {
        {"late.htm", "<P align=\"\xC3\xA9\">" + std::string(100000, 'x') + "\xE9", TextEncoding::Windows1252,
         QString::fromUtf8("1: Error 8 - The value, \xC3\x83\xC2\xA9, is not valid for ALIGN.")},
        {"utf8.htm", "<P align=\"\xC3\xA9\">" + std::string(100000, 'x') + "\xC3\xA9", TextEncoding::Utf8,
         QString::fromUtf8("1: Error 8 - The value, \xC3\xA9, is not valid for ALIGN.")},
        {"bom.htm", "\xEF\xBB\xBF\r\n<P align=\"x\">", TextEncoding::Utf8,
         QStringLiteral("2: Error 8 - The value, X, is not valid for ALIGN.")},
    };
    for (const auto& c : cases) {
        const QString path = dir.file(QString::fromLatin1(c.name));
        test::WriteFileBytes(path, QByteArray::fromStdString(c.bytes));
        TPlainTextDocument document;
        QString why;
        ASSERT_TRUE(document.Load(path, &why)) << why.toStdString();
        EXPECT_EQ(document.Encoding(), c.encoding) << c.name;
        TValidator validator(rules.Path());
        test::RecordingResults results;
        validator.Validator(document, results);
        EXPECT_EQ(results.entries, QStringList{c.entry}) << c.name;
        EXPECT_EQ(results.progressMax, document.Length());
    }
}

// The automaton behind the content rules, against a plain search: every
// occurrence of every pattern, letters in either case, also for patterns
// added half-way (which count from there on).
TEST(DocumentStream, TheMatcherFindsEveryOccurrenceOfEveryPattern)
{
    const std::vector<std::string> first = {"<A ", "<A>", "A", "AB", "BAB", "TR", "<TR"};
    const std::vector<std::string> later = {"RA", "\xC3\xA9T", "<A B"};
    std::mt19937 rng(5);
    const std::vector<std::string> alphabet = {"a", "A", "b", "B", "<", ">", " ", "t", "R", "\xC3\xA9"};
    std::string text;
    while (text.size() < 5000)
        text += alphabet[rng() % alphabet.size()];
    const std::size_t half = (text[2500] & 0xC0) == 0x80 ? 2499 : 2500;  // not inside a character

    TPatternMatcher matcher;
    for (const std::string& p : first)
        matcher.Add(p);
    std::set<std::pair<int, std::int64_t>> found;
    auto record = [&](int id, std::int64_t end) { found.emplace(id, end); };
    matcher.Rebuild({});
    for (std::size_t at = 0; at < half; at += 7)
        matcher.Feed(std::string_view(text).substr(at, std::min<std::size_t>(7, half - at)), std::int64_t(at), record);
    for (const std::string& p : later)
        matcher.Add(p);
    matcher.Rebuild(std::string_view(text).substr(half - 8, 8));
    matcher.Feed(std::string_view(text).substr(half), std::int64_t(half), record);

    std::set<std::pair<int, std::int64_t>> expected;
    std::string folded = text;
    for (char& c : folded)
        c = (c >= 'a' && c <= 'z') ? char(c - 32) : c;
    for (int id = 0; id < matcher.PatternCount(); ++id) {
        const std::string& p = id < int(first.size()) ? first[std::size_t(id)] : later[std::size_t(id) - first.size()];
        for (std::size_t at = folded.find(p); at != std::string::npos; at = folded.find(p, at + 1)) {
            if (id < int(first.size()) || at >= half)
                expected.emplace(id, std::int64_t(at + p.size() - 1));
        }
    }
    std::erase_if(found, [&](const auto& m) {
        return m.first >= int(first.size()) && m.second - std::int64_t(matcher.PatternLength(m.first)) + 1 < std::int64_t(half);
    });
    EXPECT_EQ(found, expected);
    EXPECT_GT(expected.size(), 500u);
}

// Content rules and the look-ahead for "</BODY" see the text whole, however
// it is cut: a page over several pieces, with the search texts across their
// ends, gives what the same page gives in one.
TEST(DocumentStream, ResultsDoNotDependOnWhereThePiecesEnd)
{
    test::RulesFile rules(R"([StartTag]
0=,HTML,HEAD,TITLE,BODY,P,X,A,B,
[OptEndTag]
0=,HTML,HEAD,BODY,P,
[HTML]
elem=,HEAD,BODY,
ReqElem1=.?<BODY
[HEAD]
elem=,TITLE,
[TITLE]
chars=1
[BODY]
elem=,P,X,
[P]
chars=1
[X]
elem=,A,
ReqElem1=.-<A>
[A]
elem=,B,
ReqElem1=.+B
[B]
chars=1
)");
    // Pieces are 64 KiB of the file. "</HEAD" begins k bytes before the end
    // of the first (the P before it asks whether it follows), and the ">" of
    // the first <A> is the first byte of the third (A brings a search text
    // of its own, and the X around it must still see the "<A>" ending there).
    const std::size_t piece = 64 * 1024;
    for (const std::size_t k : {1u, 3u, 5u, 6u}) {
        const std::string head = "<HTML><HEAD><TITLE>t</TITLE>\r\nx";
        std::string page = head + std::string(piece - k - head.size() - 3, 'x') + "<P></HEAD>\r\n<BODY><X>";
        page += std::string(2 * piece - page.size() - 2, 'y') + "<A><B>b</B></A></X></BODY></HTML>";
        ASSERT_EQ(page.find("</HEAD"), piece - k);
        ASSERT_EQ(page.find("<A>") + 2, 2 * piece);
        EXPECT_EQ(test::Validate(rules, page),
                  (QStringList{"2: Error 3 - <P> is not allowed between <HEAD> and </HEAD>.",
                               "3: Error 12 - The element, <A>, is not allowed between <X> and </X>."}))
            << "k " << k;
    }
    EXPECT_EQ(test::Validate(rules, "<X><A><B>b</B></A></X>"),
              QStringList{"1: Error 12 - The element, <A>, is not allowed between <X> and </X>."});
}

} // namespace
} // namespace vesk
