// UTF-8 validation, Windows-1252 conversion and UTF-8 repair.
#include "editor/TextEncoding.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace vesk {
namespace {

// Samples with the answer IsValidUtf8 must give; ASCII padding around some
// of them puts the sequence across the validator's 8-byte ASCII steps.
const std::pair<std::string, bool> kSamples[] = {
    {"", true},
    {"plain ASCII text, long enough for several words", true},
    {"caf\xC3\xA9", true},                       // é
    {"\xE4\xB8\xAD\xE6\x96\x87", true},          // 中文
    {"smile \xF0\x9F\x98\x80 smile", true},      // 😀
    {"\x7F", true},                              // U+007F
    {"\xC2\x80", true},                          // U+0080
    {"\xDF\xBF", true},                          // U+07FF
    {"\xE0\xA0\x80", true},                      // U+0800
    {"\xED\x9F\xBF", true},                      // U+D7FF, just below the surrogates
    {"\xEE\x80\x80", true},                      // U+E000, just above them
    {"\xEF\xBF\xBF", true},                      // U+FFFF
    {"\xF0\x90\x80\x80", true},                  // U+10000
    {"\xF4\x8F\xBF\xBF", true},                  // U+10FFFF
    {"12345678\xC3\xA9" "12345678", true},
    {"\xC0\x80", false},                         // overlong NUL
    {"\xC1\xBF", false},                         // overlong U+007F
    {"\xE0\x80\x80", false},                     // overlong
    {"\xE0\x9F\xBF", false},                     // overlong U+07FF
    {"\xF0\x80\x80\x80", false},                 // overlong
    {"\xF0\x8F\xBF\xBF", false},                 // overlong U+FFFF
    {"\xED\xA0\x80", false},                     // U+D800
    {"\xED\xBF\xBF", false},                     // U+DFFF
    {"\xF4\x90\x80\x80", false},                 // U+110000
    {"\xF5\x80\x80\x80", false},
    {"\xFF", false},
    {"abc\x80", false},                          // stray continuation
    {"12345678\xBF" "12345678", false},
    {"\xC3", false},                             // truncated
    {"\xE4\xB8", false},
    {"\xF0\x9F\x98", false},
    {"\xC3" "A", false},                         // lead followed by ASCII
    {"\xE4\xB8\xC3\xA9", false},                 // new lead in mid-sequence
    {"\xC3\xA9\xA9", false},                     // one continuation too many
};

TEST(TextEncodingValidator, WholeBufferVerdicts)
{
    for (const auto& [bytes, valid] : kSamples)
        EXPECT_EQ(IsValidUtf8(bytes), valid) << testing::PrintToString(bytes);
}

TEST(TextEncodingValidator, ChunkingNeverChangesTheVerdict)
{
    for (const auto& [bytes, valid] : kSamples) {
        for (std::size_t cut = 0; cut <= bytes.size(); ++cut) {
            Utf8Validator v;
            v.Feed(std::string_view(bytes).substr(0, cut));
            v.Feed(std::string_view(bytes).substr(cut));
            EXPECT_EQ(v.Finish(), valid) << testing::PrintToString(bytes) << " cut at " << cut;
        }
        Utf8Validator v;
        for (char c : bytes)
            v.Feed(std::string_view(&c, 1));
        EXPECT_EQ(v.Finish(), valid) << testing::PrintToString(bytes) << " byte by byte";
    }
}

TEST(TextEncodingValidator, TruncationIsAFinishErrorNotAValidityError)
{
    Utf8Validator v;
    v.Feed("ok \xF0\x9F");
    EXPECT_TRUE(v.Valid());
    EXPECT_FALSE(v.Finish());
    v.Feed("\x98\x80");
    EXPECT_TRUE(v.Finish());

    // Once broken, later good input does not heal it.
    v.Feed("\x80");
    v.Feed("fine");
    EXPECT_FALSE(v.Valid());
}

TEST(TextEncoding1252, EveryByteRoundTrips)
{
    std::string all;
    for (int b = 0; b < 256; ++b)
        all.push_back(static_cast<char>(b));
    std::string utf8;
    AppendWindows1252AsUtf8(utf8, all);
    EXPECT_TRUE(IsValidUtf8(utf8));
    EXPECT_EQ(CountUtf8Chars(utf8), 256u);
    EXPECT_TRUE(RepresentableInWindows1252(utf8));
    std::string back;
    ASSERT_TRUE(Utf8ToWindows1252(utf8, back));
    EXPECT_EQ(back, all);

    for (int b = 0; b < 256; ++b)
        EXPECT_EQ(UnicodeToWindows1252(Windows1252ToUnicode(static_cast<unsigned char>(b))), b);
}

TEST(TextEncoding1252, CodePageCharacters)
{
    EXPECT_EQ(Windows1252ToUnicode(0x80), U'€');
    EXPECT_EQ(Windows1252ToUnicode(0x85), U'…');
    EXPECT_EQ(Windows1252ToUnicode(0x93), U'\u201C');
    EXPECT_EQ(Windows1252ToUnicode(0x9F), U'Ÿ');
    EXPECT_EQ(Windows1252ToUnicode(0x8D), U'\u008D');  // undefined: its C1 control
    EXPECT_EQ(Windows1252ToUnicode(0xE9), U'é');
    EXPECT_EQ(Windows1252ToUnicode('A'), U'A');

    std::string utf8;
    AppendWindows1252AsUtf8(utf8, "5\x80 \x96 caf\xE9");
    EXPECT_EQ(utf8, "5\xE2\x82\xAC \xE2\x80\x93 caf\xC3\xA9");
}

TEST(TextEncoding1252, CharactersOutsideTheCodePageFail)
{
    // C1 controls whose bytes the code page gives to other characters.
    EXPECT_EQ(UnicodeToWindows1252(U'\u0080'), -1);
    EXPECT_EQ(UnicodeToWindows1252(U'\u0100'), -1);
    for (const char* text : {"x \xE4\xB8\xAD", "\xF0\x9F\x98\x80", "\xC4\x80 y", "\xC2\x80"}) {
        EXPECT_FALSE(RepresentableInWindows1252(text)) << text;
        std::string out;
        EXPECT_FALSE(Utf8ToWindows1252(text, out)) << text;
    }
}

TEST(TextEncodingUtf8, SanitizeReplacesEachMaximalSubpart)
{
    const std::pair<std::string, std::string> cases[] = {
        {"caf\xC3\xA9 \xF0\x9F\x98\x80", "caf\xC3\xA9 \xF0\x9F\x98\x80"},
        {"a\x80" "b", "a\uFFFD" "b"},
        {"\x80\x80", "\uFFFD\uFFFD"},                      // each stray byte alone
        {"\xF0\x9F\x98" "x", "\uFFFD" "x"},                // truncated: one for the lot
        {"\xE4\xB8\xC3\xA9", "\uFFFD\xC3\xA9"},            // the breaking lead starts afresh
        {"\xC0\xAF", "\uFFFD\uFFFD"},                      // C0 never starts a sequence
        {"\xE0\x80\xAF", "\uFFFD\uFFFD\uFFFD"},            // 80 is not allowed after E0
        {"\xED\xA0\x80", "\uFFFD\uFFFD\uFFFD"},            // surrogate
        {"\xF4\x90\x80\x80", "\uFFFD\uFFFD\uFFFD\uFFFD"},  // above U+10FFFF
        {"\xF1\x80\x80\xE1\x80\xC2", "\uFFFD\uFFFD\uFFFD"},
        {"end\xE2\x82", "end\uFFFD"},
    };
    for (const auto& [in, expected] : cases) {
        const std::string out = SanitizeUtf8(in);
        EXPECT_EQ(out, expected) << testing::PrintToString(in);
        EXPECT_TRUE(IsValidUtf8(out));
    }
}

TEST(TextEncodingUtf8, CountChars)
{
    EXPECT_EQ(CountUtf8Chars(""), 0u);
    EXPECT_EQ(CountUtf8Chars("abc"), 3u);
    EXPECT_EQ(CountUtf8Chars("caf\xC3\xA9"), 4u);
    // Long enough to go through the word-at-a-time count as well as the tail.
    EXPECT_EQ(CountUtf8Chars("\xE4\xB8\xAD\xE6\x96\x87 \xF0\x9F\x98\x80 \xC3\xA9\xC3\xA9 ascii"),
              13u);
}

TEST(TextEncodingUtf8, EncodeDecodeRoundTrip)
{
    for (char32_t c : {U'\0', U'\u007F', U'\u0080', U'\u07FF', U'\u0800', U'\uD7FF', U'\uE000',
                       U'\uFFFF', U'\U00010000', U'\U0001F600', U'\U0010FFFF'}) {
        std::string s;
        AppendUtf8(s, c);
        ASSERT_EQ(static_cast<int>(s.size()), Utf8SequenceLength(static_cast<unsigned char>(s[0])));
        EXPECT_TRUE(IsValidUtf8(s)) << static_cast<std::uint32_t>(c);
        EXPECT_EQ(DecodeUtf8At(s.data()), c);
    }
    for (char32_t bad : {char32_t(0xD800), char32_t(0xDFFF), char32_t(0x110000)}) {
        std::string s;
        AppendUtf8(s, bad);
        EXPECT_EQ(s, "\uFFFD");
    }
}

} // namespace
} // namespace vesk
