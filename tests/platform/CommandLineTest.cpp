// The command line sorted into Qt's options and documents; file names kept as their bytes.
#include "platform/CommandLine.h"
#include "platform/DocumentFile.h"
#include "platform/FileNames.h"
#include "platform/SingleInstance.h"
#include "support/TempDir.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

namespace vesk {
namespace {

// Bytes that are and are not UTF-8: each must come back exactly.
const QByteArray kNames[] = {
    "plain.htm",
    "caf\xC3\xA9 \xF0\x9F\x98\x80.htm",  // é, 😀
    "latin1-caf\xE9.htm",                 // Windows-1252 é: not UTF-8
    "\xFF\xFE",
    "\xC0\x80",                           // overlong NUL
    "\xED\xA0\x80",                       // an encoded surrogate
    "\xF0\x90\x82\x80 \xF4\x90\x80\x80",  // U+10080, then beyond U+10FFFF
    "cut \xE2\x82",                       // a sequence cut short
};

TEST(FileNames, EveryByteSequenceComesBackExactly)
{
    for (const QByteArray& bytes : kNames) {
        const QString name = FileNameFromBytes(bytes);
        EXPECT_EQ(FileNameToBytes(name), bytes) << bytes.toHex().toStdString();
        if (QString::fromUtf8(bytes).toUtf8() == bytes)
            EXPECT_EQ(name, QString::fromUtf8(bytes)) << "valid UTF-8 reads as Qt reads it";
        // The hand-over record carries the same bytes.
        EXPECT_EQ(DecodeRecord(EncodeRecord(27, name)).text, name) << bytes.toHex().toStdString();
    }
}

TEST(FileNames, ADocumentWhoseNameIsNotUtf8Opens)
{
    test::TempDir dir;
    const QByteArray name = QFile::encodeName(dir.path()) + "/latin1-caf\xE9.htm";
    const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::write(fd, "text", 4), 4);
    ::close(fd);
    QFile file;
    EXPECT_EQ(OpenDocumentFile(FileNameFromBytes(name), file), std::nullopt);
    EXPECT_EQ(file.readAll(), "text");
    EXPECT_TRUE(FileExists(FileNameFromBytes(name)));
    ::unlink(name.constData());  // Qt could not name it to remove the folder
}

TEST(CommandLine, DocumentsAreWhatNamesAFileOrFollowsDoubleDash)
{
    test::TempDir dir;
    const QString old = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir.path()));
    for (const char* existing : {"-reverse", "-style", "--", "page.htm"}) {
        QFile f(QString::fromLatin1(existing));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    struct Row {
        std::vector<const char*> args;  // after the program name
        std::vector<const char*> qt;    // what Qt gets after the program name
        QStringList documents;
    } rows[] = {
        {{"page.htm", "new.htm"}, {}, {"page.htm", "new.htm"}},
        {{"-reverse"}, {}, {"-reverse"}},                     // a file, not Qt's option
        {{"-style", "fusion"}, {}, {"-style", "fusion"}},     // likewise
        {{"-platform", "offscreen", "page.htm"}, {"-platform", "offscreen"}, {"page.htm"}},
        {{"-stylesheet=a.qss", "-nograb", "x.htm"}, {"-stylesheet=a.qss", "-nograb"}, {"x.htm"}},
        {{"--", "-missing", "--"}, {}, {"-missing", "--"}},  // after "--", everything is a document
        {{"-missing"}, {"-missing"}, {}},
        {{"-title"}, {"-title"}, {}},                          // a value that never came
        {{"-", "\xFF\xFE.htm"}, {}, {"-", FileNameFromBytes("\xFF\xFE.htm")}},
    };
    for (const Row& row : rows) {
        std::vector<char*> argv{const_cast<char*>("htmlvesk")};
        for (const char* a : row.args)
            argv.push_back(const_cast<char*>(a));
        argv.push_back(nullptr);
        const TProgramArguments sorted = SortProgramArguments(int(argv.size()) - 1, argv.data());
        std::vector<std::string> qt;
        for (int i = 1; i < sorted.QtArgumentCount(); ++i)
            qt.emplace_back(sorted.qtArguments[std::size_t(i)]);
        EXPECT_EQ(qt, std::vector<std::string>(row.qt.begin(), row.qt.end())) << row.args.front();
        EXPECT_EQ(sorted.documents, row.documents) << row.args.front();
        EXPECT_EQ(sorted.qtArguments.front(), argv.front());
        EXPECT_EQ(sorted.qtArguments.back(), nullptr);
    }
    ASSERT_TRUE(QDir::setCurrent(old));
}

} // namespace
} // namespace vesk
