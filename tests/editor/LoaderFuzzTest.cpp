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
    for (int e = int(TextEncoding::Utf16LE); e <= int(TextEncoding::Utf32BE); ++e) {
        for (const std::string& text : {page, "x\0y\r\n\0"s}) {
            seeds.emplace_back(ByteOrderMark(TextEncoding(e)));
            AppendUtf8AsWide(text, TextEncoding(e), seeds.back());
        }
    }
    return seeds;
}

// Bytes that mean something to the loader.
constexpr unsigned char kInteresting[] = {0x00, 0x01, 0x02, 0x05, 0x0A, 0x0D, 0x15, 0x7F, 0x80, 0xA9, 0xBB, 0xBF,
                                          0xC3, 0xD8, 0xDC, 0xE2, 0xEF, 0xF0, 0xF4, 0xFE, 0xFF};

std::string Mutate(std::string s, const std::vector<std::string>& seeds, std::mt19937& rng)
{
    auto pick = [&](std::size_t n) { return std::uniform_int_distribution<std::size_t>(0, n)(rng); };
    for (int steps = 1 + int(pick(7)); steps > 0; --steps) {
        const std::size_t at = pick(s.size());
        const std::string& other = seeds[pick(seeds.size() - 1)];
        switch (pick(5)) {
        case 0:
            if (!s.empty())
                s[std::min(at, s.size() - 1)] ^= char(1 << pick(7));
            break;
        case 1:
            s.insert(at, 1, char(kInteresting[pick(sizeof kInteresting - 1)]));
            break;
        case 2:
            s.erase(at, pick(16));
            break;
        case 3:  // a piece of this or another sample, or a line-break run
            s.insert(at, pick(1) ? other.substr(pick(other.size()), pick(64)) : "\r\n\r\n\n\r"s.substr(pick(5), pick(4)));
            break;
        case 4:
            s.resize(at);
            break;
        default:  // any byte-order mark up front
            s.insert(0, ByteOrderMark(TextEncoding(int(TextEncoding::Utf8Bom) + int(pick(5)))));
            break;
        }
    }
    // Now and then past the loader's read size, so pieces meet across reads.
    if (pick(40) == 0)
        while (s.size() < 70000)
            s += s.empty() ? "x\r\n" : s;
    return s;
}

// Loads as documents do (NUL shown as ␀) or as other stores (NUL ends the
// text); redundant style codes are kept, so saving writes the text exactly.
void Load(TVeskMemoStore& store, const std::string& bytes, bool document)
{
    if (document)
        store.SetNullReplacement(kNulSubstitute);
    store.SetRemoveRedundantCodes(false);
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

// The store's invariants; the first one broken, or "" when all hold.
std::string Broken(const TVeskMemoStore& store)
{
    std::int64_t offset = 0;
    std::string joined;
    for (std::int32_t i = 0; i < store.ParagraphCount(); ++i) {
        const std::string text = *store.ParagraphText(i);
        if (store.ParagraphStart(i) != offset || !IsValidUtf8(text) ||
            text.find_first_of("\r\n\x05"s) != std::string::npos ||
            std::int64_t(CountUtf8Chars(text)) != store.Paragraph(i).length ||
            (i > 0 && (store.CharAt(std::int32_t(offset - 2)) != U'\r' || store.CharAt(std::int32_t(offset - 1)) != U'\n')))
            return "paragraph " + std::to_string(i);
        joined += (i > 0 ? "\r\n" : "") + text;
        offset += store.Paragraph(i).length + 2;
    }
    if (store.ParagraphCount() < 1 || offset - 2 != store.CharCount())
        return "paragraph or character count";
    return store.GetTextPart(0, store.CharCount()) == joined ? "" : "the text read whole";
}

#ifdef VESK_SANITIZE
constexpr int kIterations = 400;  // each round is many times slower under the sanitizers
#else
constexpr int kIterations = 1500;
#endif

TEST(LoaderFuzz, EveryInputLoadsSoundlyAndSavesBackToTheSameText)
{
    const int iterations = qEnvironmentVariableIsSet("VESK_FUZZ_ITERATIONS")
                               ? qEnvironmentVariableIntValue("VESK_FUZZ_ITERATIONS")
                               : kIterations;
    std::mt19937 rng(qEnvironmentVariableIsSet("VESK_FUZZ_SEED") ? qEnvironmentVariableIntValue("VESK_FUZZ_SEED")
                                                                  : 20240607);
    const std::vector<std::string> seeds = Seeds();
    int failures = 0;
    for (int n = 0; n < iterations && failures < 5; ++n) {
        const std::string input = Mutate(seeds[std::size_t(n) % seeds.size()], seeds, rng);
        for (const bool document : {true, false}) {
            TVeskMemoStore first, second, third;
            Load(first, input, document);
            const std::string saved = Save(first);
            Load(second, saved, document);
            Load(third, Save(second), document);
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
