// Reading replies and what they carry, from tables.
#include "ftp/FtpReply.h"

#include <gtest/gtest.h>

using namespace vesk;

TEST(FtpReplyTest, ClassifiesReplyLines)
{
    using K = TFtpLineKind;
    struct Row {
        const char* line;
        int open;
        K kind;
        int code;
    };
    const Row rows[] = {
        {"220 Ready", 0, K::Final, 220},
        {"220", 0, K::Final, 220},
        {"220-Welcome", 0, K::MultiStart, 220},
        {"hello", 0, K::Text, 0},
        {"", 0, K::Text, 0},
        {" 220 indented", 0, K::Text, 0},
        {"2200 OK", 0, K::Malformed, 0},
        {"22 OK", 0, K::Malformed, 0},
        {"099 low", 0, K::Malformed, 0},
        {"600 high", 0, K::Malformed, 0},
        {"99999999999999999999 x", 0, K::Malformed, 0},
        // Inside a multi-line reply only the same code followed by a blank ends it.
        {"230 other code", 220, K::Text, 0},
        {"220-more", 220, K::Text, 0},
        {"220 end", 220, K::Final, 220},
        {"220", 220, K::Final, 220},
        {"2201 no", 220, K::Text, 0},
    };
    for (const Row& r : rows) {
        TFtpLine got = ClassifyReplyLine(QByteArray(r.line), r.open);
        EXPECT_EQ(int(got.kind), int(r.kind)) << r.line;
        EXPECT_EQ(got.code, r.code) << r.line;
    }
}

TEST(FtpReplyTest, ReadsDirectoriesSizesAndPassivePorts)
{
    const std::pair<const char*, const char*> dirs[] = {
        {"257 \"/pub\" is current directory", "/pub"},
        {"257 \"/a \"\"b\"\"\" created", "/a \"b\""},
        {"250 Directory changed to \"/x\"", "/x"},
        {"250 CWD command successful", ""},
        {"257 \"/unterminated", "/unterminated"},
    };
    for (auto [line, dir] : dirs)
        EXPECT_EQ(QuotedDirectory(QString::fromUtf8(line)), QString::fromUtf8(dir)) << line;

    const std::pair<const char*, qint64> sizes[] = {
        {"213 1234", 1234}, {"213  77", 77}, {"213", 0}, {"213 abc", 0},
        {"213 8589934592", 8589934592LL}, {"213 99999999999999999999", 0},
    };
    for (auto [line, size] : sizes)
        EXPECT_EQ(SizeFromReply(QString::fromUtf8(line)), size) << line;

    const std::pair<const char*, int> ports[] = {
        {"227 Entering Passive Mode (127,0,0,1,4,1)", 1025},
        {"227 Entering Passive Mode (10, 9, 8, 7, 200, 3)", 51203},
        {"227 Entering Passive Mode 127,0,0,1,4,1", 1025},
        {"227 =127,0,0,1,0,21", 21},
        {"227 (127,0,0,1,300,1)", -1},
        {"227 (127,0,0,1,4)", -1},
        {"227 (127,0,0,1,4,)", -1},
        {"227 (127,0,0,1,0,0)", -1},
        {"227 Entering Passive Mode", -1},
        {"227 (1270,0,0,1,4,1)", -1},
    };
    for (auto [line, port] : ports)
        EXPECT_EQ(PortFromPasvReply(QString::fromUtf8(line)).value_or(-1), port) << line;
}

TEST(FtpReplyTest, ArgumentsAndStatistics)
{
    EXPECT_EQ(PortArgument(0x7f000001, 0x1234), QStringLiteral("127,0,0,1,18,52"));
    EXPECT_EQ(PortArgument(0xc0a80a02, 21), QStringLiteral("192,168,10,2,0,21"));
    EXPECT_FALSE(HoldsLineBreak(QStringLiteral("name with blanks.htm")));
    EXPECT_TRUE(HoldsLineBreak(QStringLiteral("a\rb")));
    EXPECT_TRUE(HoldsLineBreak(QStringLiteral("a\nb")));
    EXPECT_TRUE(HoldsLineBreak(QString("a") + QChar(0)));

    const std::tuple<qint64, qint64, const char*> stats[] = {
        {0, 0, "0 bytes received/sent in 0 seconds"},
        {1000, 500, "1000 bytes received/sent in 0 seconds (2000 Bytes/sec)"},
        // At 32768 bytes and above the rate is computed per millisecond first.
        {100000, 3000, "100000 bytes received/sent in 3 seconds (33000 Bytes/sec)"},
        {5, -4, "5 bytes received/sent in 0 seconds"},
    };
    for (auto [bytes, ms, text] : stats)
        EXPECT_EQ(TransferStatistics(bytes, ms), QString::fromUtf8(text));
}
