// Page files read as a stream: decoding in chunks of any size, the line
// index, and validation results that must not depend on where the text is
// cut into pieces.
#include "ValidatorTestUtil.h"
#include "validator/DocumentStream.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

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
