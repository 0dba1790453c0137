// `htmlvesk --validate FILE…`: output, exit status, files in every line-break
// convention and encoding, and the real program without a display.
#include "ValidatorTestUtil.h"
#include "validator/CommandLineValidation.h"

#include <QProcess>
#include <QProcessEnvironment>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace vesk {
namespace {

using test::RulesFile;
using test::TempDir;
using test::WriteFileBytes;

const char* const kRules = "[StartTag]\n0=,P,TABLE,\n[OptEndTag]\n0=,P,\n[P]\nchars=1\nalign=(,LEFT,)\n[TABLE]\nchars=1\n";

struct Outcome {
    int status = -1;
    std::string out, err;
};

Outcome RunInProcess(const RulesFile& rules, const QStringList& files)
{
    std::ostringstream out, err;
    Outcome o;
    o.status = ValidateFromCommandLine(files, out, err, rules.Path());
    o.out = out.str();
    o.err = err.str();
    return o;
}

TEST(CommandLineValidation, PrintsEachFileThenItsEntriesAndExitsByTheWorstResult)
{
    RulesFile rules(kRules);
    TempDir dir;
    const QString good = dir.file(QStringLiteral("good.htm"));
    const QString bad = dir.file(QStringLiteral("bad.htm"));
    WriteFileBytes(good, "<P>fine\r\n<P>also fine\r\n");
    WriteFileBytes(bad, "<P>one\r\n<TABLE>\r\n<BLINK>\r\n");

    Outcome o = RunInProcess(rules, {good});
    EXPECT_EQ(o.status, 0);
    EXPECT_EQ(o.out, good.toStdString() + "\nNo Errors Found\n");
    EXPECT_EQ(o.err, "");

    o = RunInProcess(rules, {good, bad});
    EXPECT_EQ(o.status, 1);
    EXPECT_EQ(o.out, good.toStdString() + "\nNo Errors Found\n" + bad.toStdString()
                         + "\n3: Error 1 - Unknown Tag :BLINK.\n"
                           "2: Error 16 - Begin tag, <TABLE> found, but required end tag, </TABLE> not found.\n");

    // An unreadable file: a message, the others still validated, status 2.
    const QString missing = dir.file(QStringLiteral("missing.htm"));
    o = RunInProcess(rules, {missing, bad, dir.path()});
    EXPECT_EQ(o.status, 2);
    EXPECT_NE(o.out.find(bad.toStdString() + "\n3: Error 1"), std::string::npos);
    EXPECT_NE(o.err.find("htmlvesk: " + missing.toStdString() + " does not exist.\n"), std::string::npos);
    EXPECT_NE(o.err.find("htmlvesk: " + dir.path().toStdString() + " is a folder, not a file.\n"), std::string::npos);

    o = RunInProcess(rules, {});
    EXPECT_EQ(o.status, 2);
    EXPECT_NE(o.err.find("usage: htmlvesk --validate FILE"), std::string::npos);
}

TEST(CommandLineValidation, LineNumbersForEveryLineBreakAndEncoding)
{
    RulesFile rules(kRules);
    TempDir dir;
    int n = 0;
    for (const char* br : {"\r\n", "\n", "\r"}) {
        const QString file = dir.file(QStringLiteral("f%1.htm").arg(++n));
        const std::string text = std::string("<P>a") + br + br + "<P align=\"right\">" + br + "<BLINK>";
        WriteFileBytes(file, QByteArray::fromStdString(text));
        const Outcome o = RunInProcess(rules, {file});
        EXPECT_EQ(o.out, file.toStdString()
                             + "\n3: Error 8 - The value, RIGHT, is not valid for ALIGN.\n"
                               "4: Error 1 - Unknown Tag :BLINK.\n")
            << "break kind " << n;
    }
    // Windows-1252 (not valid UTF-8): one character per byte; output in UTF-8.
    const QString latin = dir.file(QStringLiteral("latin.htm"));
    WriteFileBytes(latin, "<P>caf\xE9\n<P align=\"\xE9t\xE9\">");
    EXPECT_EQ(RunInProcess(rules, {latin}).out,
              latin.toStdString() + "\n2: Error 8 - The value, \xC3\xA9T\xC3\xA9, is not valid for ALIGN.\n");
}

TEST(CommandLineValidation, ATextHoldingNulBytesIsCheckedToItsEnd)
{
    RulesFile rules(kRules);
    TempDir dir;
    const QString page = dir.file(QStringLiteral("nul.htm"));
    const char bytes[] = "<P>a\0b\r\n<BLINK>\r\n<P align=\"x\0\">";
    WriteFileBytes(page, QByteArray(bytes, sizeof bytes - 1));
    const Outcome o = RunInProcess(rules, {page});
    EXPECT_EQ(o.status, 1);
    EXPECT_EQ(o.out, page.toStdString() + "\n2: Error 1 - Unknown Tag :BLINK.\n"
                                          "3: Error 8 - The value, X\xE2\x90\x80, is not valid for ALIGN.\n");
    EXPECT_EQ(o.err, "htmlvesk: " + page.toStdString() + " holds 2 NUL byte(s); each is checked as the character "
                     "\xE2\x90\x80 (U+2400), and the text after it is checked too.\n");
}

// Whatever a name stands for, the program answers at once: only regular
// files of a size a text can have are read.
TEST(CommandLineValidation, WhatIsNotARegularFileOfBoundedSizeIsRefusedByName)
{
    TempDir home;
    WriteFileBytes(home.file(QStringLiteral("4strict.ini")), kRules);
    TempDir dir;
    const QString fifo = dir.file(QStringLiteral("pipe.htm"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString huge = dir.file(QStringLiteral("huge.htm"));
    {
        const int fd = ::open(QFile::encodeName(huge).constData(), O_CREAT | O_WRONLY, 0600);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::ftruncate(fd, off_t(1) << 31), 0);  // sparse: no disk space used
        ::close(fd);
    }
    const QString page = dir.file(QStringLiteral("page.htm"));
    WriteFileBytes(page, "<P>x\n");
    const struct {
        QString name;
        const char* says;
    } refused[] = {
        {fifo, " is not a regular file"},
        {QStringLiteral("/dev/zero"), " is not a regular file"},
        {dir.path(), " is a folder, not a file."},
        {huge, " is too large"},
    };
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HTMLVESK_HOME"), home.path());
    for (const auto& r : refused) {
        QProcess p;
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(VESK_APP_PATH), {QStringLiteral("--validate"), r.name, page});
        ASSERT_TRUE(p.waitForFinished(60000)) << r.name.toStdString();
        EXPECT_EQ(p.exitCode(), 2) << r.name.toStdString();
        EXPECT_TRUE(p.readAllStandardError().startsWith(("htmlvesk: " + r.name.toStdString() + r.says).c_str()))
            << r.name.toStdString();
        EXPECT_EQ(p.readAllStandardOutput().toStdString(), page.toStdString() + "\nNo Errors Found\n");
    }
}

TEST(CommandLineValidation, TheProgramValidatesWithoutADisplay)
{
    TempDir home;
    WriteFileBytes(home.file(QStringLiteral("4strict.ini")), kRules);
    TempDir dir;
    const QString page = dir.file(QStringLiteral("page.htm"));
    WriteFileBytes(page, "<P>x\n<BLINK>\n");

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "XDG_RUNTIME_DIR"})
        env.remove(QString::fromLatin1(name));
    env.insert(QStringLiteral("HTMLVESK_HOME"), home.path());
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(VESK_APP_PATH), {QStringLiteral("--validate"), page});
    ASSERT_TRUE(p.waitForFinished(60000));
    EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(p.exitCode(), 1);
    EXPECT_EQ(p.readAllStandardOutput().toStdString(), page.toStdString() + "\n2: Error 1 - Unknown Tag :BLINK.\n");

    p.start(QStringLiteral(VESK_APP_PATH), {QStringLiteral("--validate"), dir.file(QStringLiteral("none.htm"))});
    ASSERT_TRUE(p.waitForFinished(60000));
    EXPECT_EQ(p.exitCode(), 2);
    EXPECT_TRUE(p.readAllStandardError().contains("none.htm does not exist."));

    // The help and the version need no display either.
    for (const auto& [option, start] : {std::pair{"--help", "Usage: htmlvesk [FILE]...\n"},
                                        std::pair{"--version", "HTML Vesk " VESK_EXPECTED_VERSION "\n"}}) {
        p.start(QStringLiteral(VESK_APP_PATH), {QString::fromLatin1(option)});
        ASSERT_TRUE(p.waitForFinished(60000)) << option;
        EXPECT_EQ(p.exitStatus(), QProcess::NormalExit) << option;
        EXPECT_EQ(p.exitCode(), 0) << option;
        EXPECT_TRUE(p.readAllStandardOutput().startsWith(start)) << option;
    }
}

} // namespace
} // namespace vesk
