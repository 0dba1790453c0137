// A seeded mutator over the document loader: every encoding, NULs and line-break mixes.
//
// Each input is a sample file, mutated at random; it is loaded as documents
// are (NUL shown as ␀) and as other stores load (NUL ends the text), the
// store's invariants are checked, and saving and loading again must give the
// same text and then the same bytes. The run is seeded and bounded:
// VESK_FUZZ_ITERATIONS raises the count and VESK_FUZZ_SEED picks another
// sequence, for long runs by hand.
#include "editor/VeskMemoStore.h"
#include "editor/WideEncoding.h"

#include <QBuffer>
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace vesk {
namespace {

using namespace std::string_literals;

std::string InWide(const std::string& utf8, TextEncoding e)
{
    std::string out(ByteOrderMark(e));
    AppendUtf8AsWide(utf8, e, out);
    return out;
}

std::vector<std::string> Seeds()
{
    const std::string page = "<HTML><HEAD><TITLE>Caf\xC3\xA9</TITLE></HEAD>\r\n<BODY>\n<P>na\xC3\xAFve \xE2\x82\xAC "
                             "\xF0\x9F\x98\x80</P>\r\r\n\n\r<P>\x02" "bold\x02 \x01it\x01 \x05 tab\t</P>\r\n</BODY></HTML>";
    std::vector<std::string> seeds = {
        page,
        "\xEF\xBB\xBF" + page,
        "<P>caf\xE9 \x80 \x93quoted\x94\r\n\xFF\xFE odd\n\r<P>\x81\x8D\x8F\x90\x9D",  // Windows-1252
        "a\0b\r\n\0\0\r\nc\0"s,
        "\r\n\n\r\r\r\n\n\n\r\n",
        "",
    };
    for (TextEncoding e : {TextEncoding::Utf16LE, TextEncoding::Utf16BE, TextEncoding::Utf32LE,
                           TextEncoding::Utf32BE}) {
        seeds.push_back(InWide(page, e));
        seeds.push_back(InWide("x\0y\r\n\0"s, e));
    }
    return seeds;
}

// Bytes that mean something to the loader.
constexpr unsigned char kInteresting[] = {0x00, 0x01, 0x02, 0x05, 0x0A, 0x0D, 0x15, 0x7F, 0x80, 0xA9, 0xBB, 0xBF,
                                          0xC3, 0xD8, 0xDC, 0xE2, 0xEF, 0xF0, 0xF4, 0xFE, 0xFF};

std::string Mutate(std::string s, const std::vector<std::string>& seeds, std::mt19937& rng)
{
    auto pick = [&](std::size_t n) { return std::uniform_int_distribution<std::size_t>(0, n)(rng); };
    const int steps = 1 + int(pick(7));
    for (int step = 0; step < steps; ++step) {
        const std::size_t at = pick(s.size());
        switch (pick(7)) {
        case 0:  // flip bits
            if (!s.empty())
                s[std::min(at, s.size() - 1)] ^= char(1 << pick(7));
            break;
        case 1:
            s.insert(at, 1, char(kInteresting[pick(sizeof kInteresting - 1)]));
            break;
        case 2:
            s.erase(at, pick(16));
            break;
        case 3:  // repeat a piece
            s.insert(at, s.substr(pick(s.size()), pick(32)));
            break;
        case 4: {  // splice in part of another sample
            const std::string& other = seeds[pick(seeds.size() - 1)];
            s.insert(at, other.substr(pick(other.size()), pick(64)));
            break;
        }
        case 5:
            s.resize(at);
            break;
        case 6: {  // a byte-order mark up front
            const TextEncoding marks[] = {TextEncoding::Utf8Bom, TextEncoding::Utf16LE, TextEncoding::Utf16BE,
                                          TextEncoding::Utf32LE, TextEncoding::Utf32BE};
            s.insert(0, ByteOrderMark(marks[pick(4)]));
            break;
        }
        default:  // a line-break run
            s.insert(at, std::string("\r\n\r\n\n\r").substr(pick(5), pick(4)));
            break;
        }
    }
    // Now and then past the loader's read size, so pieces meet across reads.
    if (pick(40) == 0)
        while (s.size() < 70000)
            s += s.empty() ? "x\r\n" : s;
    return s;
}

TVeskMemoStore* Configure(TVeskMemoStore& store, bool document)
{
    if (document)
        store.SetNullReplacement(kNulSubstitute);
    store.SetRemoveRedundantCodes(false);  // saving then writes the text exactly
    return &store;
}

void Load(TVeskMemoStore& store, const std::string& bytes)
{
    QByteArray data = QByteArray::fromStdString(bytes);
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    store.LoadFromStream(buffer);
}

std::string Save(const TVeskMemoStore& store)
{
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    store.SaveToStream(buffer);
    return data.toStdString();
}

// The store's invariants; returns what is broken, or "" when all hold.
std::string Broken(const TVeskMemoStore& store)
{
    if (store.ParagraphCount() < 1)
        return "no paragraph";
    std::int64_t offset = 0;
    std::string joined;
    for (std::int32_t i = 0; i < store.ParagraphCount(); ++i) {
        const std::string text = *store.ParagraphText(i);
        if (store.ParagraphStart(i) != offset)
            return "start of paragraph " + std::to_string(i);
        if (!IsValidUtf8(text))
            return "paragraph " + std::to_string(i) + " is not UTF-8";
        if (text.find_first_of("\r\n\x05"s) != std::string::npos)
            return "a break or mark byte inside paragraph " + std::to_string(i);
        if (std::int64_t(CountUtf8Chars(text)) != store.Paragraph(i).length)
            return "length of paragraph " + std::to_string(i);
        if (i > 0) {
            if (store.CharAt(std::int32_t(offset - 2)) != U'\r' || store.CharAt(std::int32_t(offset - 1)) != U'\n')
                return "the break before paragraph " + std::to_string(i);
            joined += "\r\n";
        }
        joined += text;
        offset += store.Paragraph(i).length + 2;
    }
    if (offset - 2 != store.CharCount())
        return "character count";
    if (store.GetTextPart(0, store.CharCount()) != joined)
        return "the text read whole";
    return {};
}

TEST(LoaderFuzz, EveryInputLoadsSoundlyAndSavesBackToTheSameText)
{
    const int iterations = qEnvironmentVariableIsSet("VESK_FUZZ_ITERATIONS")
                               ? qEnvironmentVariableIntValue("VESK_FUZZ_ITERATIONS")
                               : 1500;
    std::mt19937 rng(qEnvironmentVariableIsSet("VESK_FUZZ_SEED") ? qEnvironmentVariableIntValue("VESK_FUZZ_SEED")
                                                                  : 20240607);
    const std::vector<std::string> seeds = Seeds();
    int failures = 0;
    for (int n = 0; n < iterations && failures < 5; ++n) {
        const std::string input = Mutate(seeds[std::size_t(n) % seeds.size()], seeds, rng);
        for (const bool document : {true, false}) {
            TVeskMemoStore first, second, third;
            Load(*Configure(first, document), input);
            const std::string saved = Save(first);
            Load(*Configure(second, document), saved);
            Load(*Configure(third, document), Save(second));
            std::string problem = Broken(first);
            if (problem.empty() && second.GetTextPart(0, second.CharCount()) != first.GetTextPart(0, first.CharCount()))
                problem = "the saved text loads differently";
            if (problem.empty() && Save(second) != saved)
                problem = "saving again gives other bytes";
            if (problem.empty() && third.Encoding() != second.Encoding())
                problem = "the encoding changes on the second round";
            if (!problem.empty()) {
                ++failures;
                ADD_FAILURE() << problem << (document ? " (document)" : "") << " for input "
                              << testing::PrintToString(input.substr(0, 200)) << " (" << input.size() << " bytes)";
            }
        }
    }
}

} // namespace
} // namespace vesk
