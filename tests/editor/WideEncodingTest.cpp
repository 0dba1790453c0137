// UTF-16 and UTF-32 documents: what they decode to, wherever a read ends, and what is not taken for them.
#include "editor/VeskMemoStore.h"
#include "editor/WideEncoding.h"

#include <QBuffer>
#include <gtest/gtest.h>

#include <string>

namespace vesk {
namespace {

using namespace std::string_literals;

// "a😀", CR LF, "é" in each encoding, mark included.
struct Sample {
    TextEncoding encoding;
    std::string bytes;
};
const Sample kSamples[] = {
    {TextEncoding::Utf16LE, "\xFF\xFE" "a\0" "\x3D\xD8\x00\xDE" "\r\0\n\0" "\xE9\0"s},
    {TextEncoding::Utf16BE, "\xFE\xFF" "\0a" "\xD8\x3D\xDE\x00" "\0\r\0\n" "\0\xE9"s},
    {TextEncoding::Utf32LE, "\xFF\xFE\0\0" "a\0\0\0" "\x00\xF6\x01\0" "\r\0\0\0\n\0\0\0" "\xE9\0\0\0"s},
    {TextEncoding::Utf32BE, "\0\0\xFE\xFF" "\0\0\0a" "\0\x01\xF6\x00" "\0\0\0\r\0\0\0\n" "\0\0\0\xE9"s},
};
const std::string kText = "a\xF0\x9F\x98\x80\r\n\xC3\xA9";

TEST(WideEncoding, FilesWithTheirMarkLoadAsTheirCharacters)
{
    for (const Sample& s : kSamples) {
        SCOPED_TRACE(int(s.encoding));
        QByteArray data = QByteArray::fromStdString(s.bytes);
        QBuffer buffer(&data);
        ASSERT_TRUE(buffer.open(QIODevice::ReadOnly));
        TVeskMemoStore store;
        store.LoadFromStream(buffer);
        EXPECT_EQ(store.Encoding(), s.encoding);
        EXPECT_EQ(store.GetTextPart(0, store.CharCount()), kText);
        EXPECT_EQ(store.CharCount(), 5);  // a, 😀, CR, LF, é
    }
}

TEST(WideEncoding, ADecoderGivesTheSameTextWhereverTheInputIsCut)
{
    for (const Sample& s : kSamples) {
        const std::string body = s.bytes.substr(ByteOrderMark(s.encoding).size());
        for (std::size_t cut = 0; cut <= body.size(); ++cut) {
            TWideDecoder decoder(s.encoding);
            std::string out;
            ASSERT_TRUE(decoder.Feed(std::string_view(body).substr(0, cut), out));
            ASSERT_TRUE(decoder.Feed(std::string_view(body).substr(cut), out));
            EXPECT_TRUE(decoder.Finish());
            EXPECT_EQ(out, kText) << "cut at " << cut;
        }
    }
}

TEST(WideEncoding, IllFormedInputIsRefused)
{
    const struct {
        TextEncoding encoding;
        std::string bytes;
        bool fed;      // what Feed returns
        bool finished; // what Finish says afterwards (when fed)
    } rows[] = {
        {TextEncoding::Utf16LE, "\x3D\xD8" "a\0"s, false, false},          // high surrogate, then no low one
        {TextEncoding::Utf16LE, "\x00\xDE"s, false, false},                // low surrogate alone
        {TextEncoding::Utf16BE, "\xD8\x3D"s, true, false},                 // the text ends after a high surrogate
        {TextEncoding::Utf16BE, "\0a\0"s, true, false},                    // half a code unit left over
        {TextEncoding::Utf32LE, "\0\0\x11\0"s, false, false},              // U+110000
        {TextEncoding::Utf32BE, "\0\0\xD8\0"s, false, false},              // a surrogate value
        {TextEncoding::Utf32BE, "\0\x10\xFF\xFF"s, true, true},            // U+10FFFF, the last character
    };
    for (const auto& row : rows) {
        TWideDecoder decoder(row.encoding);
        std::string out;
        EXPECT_EQ(decoder.Feed(row.bytes, out), row.fed) << testing::PrintToString(row.bytes);
        if (row.fed)
            EXPECT_EQ(decoder.Finish(), row.finished) << testing::PrintToString(row.bytes);
    }
}

TEST(WideEncoding, ALoadThatStopsAtANulLeavesTheDeviceJustAfterIt)
{
    // The store keeps its default: the text ends at the first NUL.
    QByteArray data = QByteArray::fromStdString("\xFE\xFF" "\xD8\x3D\xDE\x00" "\0b\0\0\0c"s);
    QBuffer buffer(&data);
    ASSERT_TRUE(buffer.open(QIODevice::ReadOnly));
    TVeskMemoStore store;
    store.LoadFromStream(buffer);
    EXPECT_EQ(store.GetTextPart(0, store.CharCount()), "\xF0\x9F\x98\x80" "b");
    EXPECT_EQ(buffer.pos(), 10);
}

TEST(WideEncoding, TextsWhoseBytesWouldReadBackAsAnotherEncodingAreWrittenAsUtf8)
{
    const struct {
        std::string bytes;
        TextEncoding loaded, saved;
    } rows[] = {
        // "ÿþ", then an odd byte count: 1252; CR becomes CR LF, and the
        // bytes would decode as UTF-16.
        {"\xFF\xFE" "ab\r"s, TextEncoding::Windows1252, TextEncoding::Utf8Bom},
        // U+0000 first, then a CR that becomes CR LF: the bytes would be UTF-32.
        {"\xFF\xFE\0\0" "x\0\0\0\r\0"s, TextEncoding::Utf16LE, TextEncoding::Utf8Bom},
        // A 5 is loaded as "§" (A7 in 1252): DC A7 would be a UTF-8 character.
        {"caf\xDC\x05"s, TextEncoding::Windows1252, TextEncoding::Utf8},
        // Nothing ambiguous: saved as loaded.
        {"\xFF\xFE" "abc"s, TextEncoding::Windows1252, TextEncoding::Windows1252},
        {"\xFF\xFE\0\0" "x\0"s, TextEncoding::Utf16LE, TextEncoding::Utf16LE},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::PrintToString(row.bytes));
        auto load = [](const QByteArray& bytes, TVeskMemoStore& store) {
            QByteArray data = bytes;
            QBuffer buffer(&data);
            buffer.open(QIODevice::ReadOnly);
            store.LoadFromStream(buffer);
        };
        TVeskMemoStore store, again;
        store.SetNullReplacement(kNulSubstitute);
        again.SetNullReplacement(kNulSubstitute);
        load(QByteArray::fromStdString(row.bytes), store);
        EXPECT_EQ(store.Encoding(), row.loaded);
        QByteArray saved;
        QBuffer out(&saved);
        out.open(QIODevice::WriteOnly);
        EXPECT_EQ(store.SaveToStream(out), row.saved);
        load(saved, again);
        EXPECT_EQ(again.GetTextPart(0, again.CharCount()), store.GetTextPart(0, store.CharCount()));
    }
}

} // namespace
} // namespace vesk
