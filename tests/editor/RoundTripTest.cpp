// Files written at test time, loaded into the store and saved again: CR LF
// files come back byte for byte, any other line ends come back as CR LF.
#include "editor/VeskMemoStore.h"

#include "support/TempDir.h"

#include <QBuffer>
#include <QFile>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace vesk {
namespace {

// A file of lines joined by the given separators; `expected` is what saving
// must write: the same lines joined by CR LF.
struct CorpusFile {
    std::string name;
    std::string bytes;
    std::string expected;
    TextEncoding encoding;
};

CorpusFile Joined(std::string name, const std::vector<std::string>& lines, const std::vector<std::string>& seps,
                  TextEncoding encoding)
{
    CorpusFile f{std::move(name), {}, {}, encoding};
    for (std::size_t i = 0; i < lines.size(); ++i) {
        f.bytes += lines[i];
        f.expected += lines[i];
        if (i + 1 < lines.size()) {
            f.bytes += seps[i % seps.size()];
            f.expected += "\r\n";
        }
    }
    return f;
}

CorpusFile Exact(std::string name, std::string bytes, TextEncoding encoding)
{
    CorpusFile f{std::move(name), std::move(bytes), {}, encoding};
    f.expected = f.bytes;
    return f;
}

// Lines of a page as someone would write it by hand; `utf8` selects how the
// non-ASCII words are spelled.
std::vector<std::string> PageLines(bool utf8, int repeat)
{
    const std::string eacute = utf8 ? "\xC3\xA9" : "\xE9";
    const std::string euro = utf8 ? "\xE2\x82\xAC" : "\x80";
    const std::string quoteL = utf8 ? "\xE2\x80\x9C" : "\x93";
    const std::string quoteR = utf8 ? "\xE2\x80\x9D" : "\x94";
    const std::string dash = utf8 ? "\xE2\x80\x94" : "\x97";
    std::vector<std::string> lines = {
        "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.0//EN\">",
        "<html>",
        "<head>",
        "\t<meta http-equiv=\"Content-Type\" content=\"text/html; charset=" +
            std::string(utf8 ? "utf-8" : "windows-1252") + "\">",
        "\t<title>Caf" + eacute + " du Coin " + dash + " Menu</title>",
        "\t<style type=\"text/css\">",
        "\t\tbody { font-family: Verdana, sans-serif; margin: 0 2em; }",
        "\t\ttd.price { text-align: right; }",
        "\t</style>",
        "</head>",
        "<body bgcolor=\"#FFFFFF\">",
        "<!-- generated menu: do not edit by hand -->",
        "",
    };
    for (int i = 0; i < repeat; ++i) {
        lines.push_back("<h2>Section " + std::to_string(i + 1) + "</h2>");
        lines.push_back("<p>Our " + quoteL + "plat du jour" + quoteR + " changes daily; ask the waiter.   ");
        lines.push_back("   It costs " + std::to_string(7 + i % 5) + "," + std::to_string(10 + i % 80) + " " + euro +
                        " &amp; includes a drink.</p>");
        lines.push_back("<table border=\"1\" cellpadding=\"4\">");
        lines.push_back("  <tr><td>Cr" + eacute + "me br" + std::string(utf8 ? "\xC3\xBB" : "\xFB") +
                        "l" + eacute + "e</td><td class=\"price\">4,50 " + euro + "</td></tr>");
        lines.push_back("  <tr><td>Th" + eacute + "</td><td class=\"price\">2,00 " + euro + "</td></tr>");
        lines.push_back("</table>");
        lines.push_back("");
    }
    lines.push_back("<script language=\"JavaScript\">");
    lines.push_back("  if (a < b && c > d) { document.write('<b>x</b>'); }");
    lines.push_back("</script>");
    lines.push_back("</body>");
    lines.push_back("</html>");
    return lines;
}

std::vector<CorpusFile> MakeCorpus()
{
    std::vector<CorpusFile> corpus;
    const auto utf8 = TextEncoding::Utf8;
    const auto w1252 = TextEncoding::Windows1252;
    const std::vector<std::string> crlf = {"\r\n"};

    // Pages with CR LF, with and without a final line end.
    auto page = PageLines(true, 20);
    corpus.push_back(Joined("page-crlf-noeol.htm", page, crlf, utf8));
    page.push_back("");
    corpus.push_back(Joined("page-crlf.htm", page, crlf, utf8));
    auto page1252 = PageLines(false, 20);
    page1252.push_back("");
    corpus.push_back(Joined("page-1252.htm", page1252, crlf, w1252));

    // The same page with other line ends: saved with CR LF.
    corpus.push_back(Joined("page-lf.htm", page, {"\n"}, utf8));
    corpus.push_back(Joined("page-cr.htm", page, {"\r"}, utf8));
    corpus.push_back(Joined("page-lfcr.htm", page, {"\n\r"}, utf8));
    // Mixed ends only between non-empty lines: next to an empty line two
    // different ends would pair into one break.
    std::vector<std::string> dense;
    for (const auto& line : page) {
        if (!line.empty())
            dense.push_back(line);
    }
    corpus.push_back(Joined("page-mixed.htm", dense, {"\r\n", "\n", "\r", "\n\r", "\r\n", "\r\n"}, utf8));
    // Runs of breaks that make empty lines, in each agreed pairing.
    corpus.push_back(Joined("empty-lines-mixed.txt", {"a", "", "b", "", "c", "", "d", "", "e"},
                            {"\r", "\r", "\n", "\n", "\r\n", "\n", "\r\n", "\r\n"}, utf8));

    // UTF-8 without and with a byte-order mark.
    const std::string multi = "caf\xC3\xA9 \xE4\xB8\xAD\xE6\x96\x87 \xF0\x9F\x98\x80 na\xC3\xAFve \xE2\x82\xAC";
    corpus.push_back(Exact("utf8.txt", multi + "\r\n" + multi + "\r\n", utf8));
    corpus.push_back(Exact("utf8-bom.txt", "\xEF\xBB\xBF" + multi + "\r\nsecond line", TextEncoding::Utf8Bom));
    corpus.push_back(Exact("utf8-bom-only.txt", "\xEF\xBB\xBF", TextEncoding::Utf8Bom));
    corpus.push_back(Joined("utf8-bom-lf.txt", {"\xEF\xBB\xBF" + multi, multi, ""}, {"\n"}, TextEncoding::Utf8Bom));

    // Every byte 0x80-0xFF, sixteen to a line, and 1252 text with LF ends.
    std::string high;
    for (int b = 0x80; b <= 0xFF; ++b) {
        high.push_back(static_cast<char>(b));
        if (b % 16 == 15)
            high += "\r\n";
    }
    corpus.push_back(Exact("all-high-bytes.txt", high, w1252));
    corpus.push_back(Joined("1252-lf.txt", {"na\xEFve caf\xE9", "\x93quoted\x94 \x85", "", "end"}, {"\n"}, w1252));

    // Blank edge cases.
    corpus.push_back(Exact("empty.txt", "", utf8));
    corpus.push_back(Exact("only-crlf.txt", "\r\n", utf8));
    corpus.push_back(Exact("crlf-run.txt", "\r\n\r\n\r\n\r\n", utf8));
    corpus.push_back(Joined("only-lf.txt", {"", ""}, {"\n"}, utf8));
    corpus.push_back(Exact("blanks-and-tabs.txt", "  \t\r\n\t\r\n   trailing   \r\n\t\tend\t", utf8));

    // Control characters other than NUL, CR, LF and the mark byte 5, and
    // style codes that are switched on and off around text.
    std::string controls;
    for (int b = 1; b < 32; ++b) {
        if (b != 5 && b != 10 && b != 13)
            controls.push_back(static_cast<char>(b));
    }
    controls.push_back('\x7F');
    corpus.push_back(Exact("controls.txt", "x" + controls + "y\r\n\x02" "bold\x02 \x01it\x01\r\n", utf8));

    // Very long lines.
    std::string longAscii;
    std::mt19937 rng(7);
    while (longAscii.size() < 1024 * 1024) {
        const int len = std::uniform_int_distribution<int>(1, 12)(rng);
        for (int i = 0; i < len; ++i)
            longAscii.push_back(char('a' + std::uniform_int_distribution<int>(0, 25)(rng)));
        longAscii.push_back(' ');
    }
    corpus.push_back(Exact("long-line.htm", "<p>" + longAscii + "</p>", utf8));
    std::string longUtf8;
    while (longUtf8.size() < 1024 * 1024)
        longUtf8 += "<td>Caf\xC3\xA9 \xE4\xB8\xAD\xF0\x9F\x98\x80</td>";
    corpus.push_back(Exact("long-line-utf8.htm", longUtf8 + "\r\nshort\r\n" + longUtf8 + "\r\n", utf8));
    std::string long1252;
    while (long1252.size() < 1024 * 1024)
        long1252 += "caf\xE9 \x80 ";
    corpus.push_back(Joined("long-line-1252-lf.txt", {long1252, "x", long1252}, {"\n"}, w1252));

    // Random bytes: printable ASCII and 0x80-0xFF (so 1252), tabs and CR LF.
    std::string noise;
    for (int i = 0; i < 200000; ++i) {
        const int r = std::uniform_int_distribution<int>(0, 99)(rng);
        if (r == 0)
            noise += "\r\n";
        else if (r == 1)
            noise.push_back('\t');
        else
            noise.push_back(static_cast<char>(std::uniform_int_distribution<int>(0x20, 0xFF)(rng)));
    }
    noise.push_back('\x80');  // certainly not UTF-8
    corpus.push_back(Exact("noise-1252.txt", noise, w1252));
    return corpus;
}

QByteArray Q(const std::string& s)
{
    return QByteArray(s.data(), qsizetype(s.size()));
}

TEST(RoundTrip, CorpusFilesSaveBackAsExpected)
{
    test::TempDir dir;
    const std::vector<CorpusFile> corpus = MakeCorpus();
    for (const CorpusFile& f : corpus)
        ASSERT_TRUE(test::WriteFileBytes(dir.file(QString::fromStdString(f.name)), Q(f.bytes))) << f.name;

    for (const CorpusFile& f : corpus) {
        SCOPED_TRACE(f.name);
        TVeskMemoStore store;
        {
            QFile in(dir.file(QString::fromStdString(f.name)));
            ASSERT_TRUE(in.open(QIODevice::ReadOnly));
            store.LoadFromStream(in);
        }
        EXPECT_EQ(store.Encoding(), f.encoding);

        const QString outName = dir.file(QString::fromStdString(f.name + ".saved"));
        TextEncoding written{};
        {
            QFile out(outName);
            ASSERT_TRUE(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
            written = store.SaveToStream(out);
        }
        EXPECT_EQ(written, f.encoding);
        const QByteArray saved = test::ReadFileBytes(outName);
        EXPECT_EQ(saved.size(), qsizetype(f.expected.size()));
        // Report the first difference rather than two megabytes of bytes.
        const std::string got = saved.toStdString();
        if (got != f.expected) {
            std::size_t i = 0;
            while (i < got.size() && i < f.expected.size() && got[i] == f.expected[i])
                ++i;
            ADD_FAILURE() << "first difference at byte " << i << ": saved "
                          << testing::PrintToString(got.substr(i, 24)) << ", expected "
                          << testing::PrintToString(f.expected.substr(i, 24));
        }

        // What was saved loads into the same text.
        TVeskMemoStore again;
        QByteArray copy = saved;
        QBuffer buffer(&copy);
        ASSERT_TRUE(buffer.open(QIODevice::ReadOnly));
        again.LoadFromStream(buffer);
        EXPECT_EQ(again.CharCount(), store.CharCount());
        EXPECT_EQ(again.ParagraphCount(), store.ParagraphCount());
        EXPECT_EQ(again.GetTextPart(0, again.CharCount()), store.GetTextPart(0, store.CharCount()));
    }
}

// A device that cannot seek and hands out its bytes in small uneven pieces,
// like a pipe.
class PipeDevice : public QIODevice {
public:
    explicit PipeDevice(std::string bytes) : bytes_(std::move(bytes)) {}
    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override { return qint64(bytes_.size() - next_) + QIODevice::bytesAvailable(); }

protected:
    qint64 readData(char* data, qint64 maxSize) override
    {
        if (next_ >= bytes_.size())
            return -1;  // end of input
        const std::size_t piece = 1 + (calls_++ * 7919) % 5000;
        const std::size_t n = std::min({std::size_t(maxSize), piece, bytes_.size() - next_});
        std::memcpy(data, bytes_.data() + next_, n);
        next_ += n;
        return qint64(n);
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    std::string bytes_;
    std::size_t next_ = 0;
    std::size_t calls_ = 0;
};

TEST(RoundTrip, SequentialDeviceLoadsTheSameText)
{
    for (const CorpusFile& f : MakeCorpus()) {
        SCOPED_TRACE(f.name);
        PipeDevice device(f.bytes);
        ASSERT_TRUE(device.open(QIODevice::ReadOnly));
        TVeskMemoStore store;
        store.LoadFromStream(device);
        EXPECT_EQ(store.Encoding(), f.encoding);
        QByteArray out;
        QBuffer outDevice(&out);
        ASSERT_TRUE(outDevice.open(QIODevice::WriteOnly));
        store.SaveToStream(outDevice);
        EXPECT_TRUE(out.toStdString() == f.expected);
    }
}

} // namespace
} // namespace vesk
