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

// Loads `bytes` as a document does; returns what saving writes.
std::string LoadAndSave(TVeskMemoStore& store, const std::string& bytes)
{
    store.SetNullReplacement(kNulSubstitute);
    QByteArray data = QByteArray::fromStdString(bytes), saved;
    QBuffer in(&data), out(&saved);
    in.open(QIODevice::ReadOnly);
    out.open(QIODevice::WriteOnly);
    store.LoadFromStream(in);
    store.SaveToStream(out);
    return saved.toStdString();
}

TEST(WideEncoding, FilesWithTheirMarkLoadAsTheirCharactersAndSaveBackUnchanged)
{
    for (const Sample& s : kSamples) {
        SCOPED_TRACE(int(s.encoding));
        TVeskMemoStore store;
        EXPECT_EQ(LoadAndSave(store, s.bytes), s.bytes);
        EXPECT_EQ(store.Encoding(), s.encoding);
        EXPECT_EQ(store.GetTextPart(0, store.CharCount()), kText);
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
        bool fed, finished;  // what Feed returns, what Finish says then
    } rows[] = {
        {TextEncoding::Utf16LE, "\x3D\xD8" "a\0"s, false, false},  // a high surrogate without its low one
        {TextEncoding::Utf16LE, "\x00\xDE"s, false, false},        // a low surrogate alone
        {TextEncoding::Utf16BE, "\xD8\x3D"s, true, false},         // the text ends after a high surrogate
        {TextEncoding::Utf16BE, "\0a\0"s, true, false},            // half a code unit left over
        {TextEncoding::Utf32LE, "\0\0\x11\0"s, false, false},      // U+110000
        {TextEncoding::Utf32BE, "\0\0\xD8\0"s, false, false},      // a surrogate value
        {TextEncoding::Utf32BE, "\0\x10\xFF\xFF"s, true, true},    // U+10FFFF, the last character
    };
    for (const auto& row : rows) {
        TWideDecoder decoder(row.encoding);
        std::string out;
        EXPECT_EQ(decoder.Feed(row.bytes, out), row.fed) << testing::PrintToString(row.bytes);
        EXPECT_EQ(row.fed && decoder.Finish(), row.finished) << testing::PrintToString(row.bytes);
    }
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
        TVeskMemoStore store, again;
        const std::string saved = LoadAndSave(store, row.bytes);
        EXPECT_EQ(store.Encoding(), row.loaded);
        LoadAndSave(again, saved);
        EXPECT_EQ(again.Encoding(), row.saved);
        EXPECT_EQ(again.GetTextPart(0, again.CharCount()), store.GetTextPart(0, store.CharCount()));
    }
}

} // namespace
} // namespace vesk
