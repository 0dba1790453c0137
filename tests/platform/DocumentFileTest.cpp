// Opening document files: what is refused, and that nothing blocks.
#include "platform/DocumentFile.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include <sys/stat.h>
#include <sys/types.h>

namespace vesk {
using test::TempDir;
namespace {

TEST(OpenDocumentFile, RefusesWhatIsNotARegularFileOfBoundedSize)
{
    TempDir dir;
    const QString regular = dir.file(QStringLiteral("page.htm"));
    {
        QFile f(regular);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("<P>twelve b\n");
    }
    const QString fifo = dir.file(QStringLiteral("pipe"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);

    struct Case {
        QString path;
        qint64 limit;
        const char* expected;  // part of the message, or null when it opens
    } cases[] = {
        {regular, kMaxDocumentFileBytes, nullptr},
        {regular, 12, nullptr},
        {regular, 11, "too large"},
        {dir.file(QStringLiteral("missing.htm")), kMaxDocumentFileBytes, "does not exist"},
        {dir.path(), kMaxDocumentFileBytes, "is a folder"},
        {fifo, kMaxDocumentFileBytes, "not a regular file"},  // must not wait for a writer
        {QStringLiteral("/dev/zero"), kMaxDocumentFileBytes, "not a regular file"},
        {QStringLiteral("/dev/urandom"), kMaxDocumentFileBytes, "not a regular file"},
    };
    for (const Case& c : cases) {
        QFile file;
        const std::optional<QString> problem = OpenDocumentFile(c.path, file, c.limit);
        if (!c.expected) {
            EXPECT_FALSE(problem) << c.path.toStdString() << ": " << problem->toStdString();
            EXPECT_EQ(file.readAll(), QByteArray("<P>twelve b\n"));
        } else {
            ASSERT_TRUE(problem) << c.path.toStdString();
            EXPECT_TRUE(problem->contains(QLatin1String(c.expected))) << problem->toStdString();
            EXPECT_TRUE(problem->contains(c.path)) << "the message names the file";
            EXPECT_FALSE(file.isOpen());
        }
    }
}

} // namespace
} // namespace vesk
