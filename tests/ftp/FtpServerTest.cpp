// The FTP client against real servers started on 127.0.0.1: pyftpdlib with
// a user and a password, and vsftpd with a configuration file written here
// (an anonymous user with its own root, so nothing on the machine changes).
// Every conversation runs in active and in passive mode.
#include "FtpServers.h"
#include "NetTestUtil.h"

#include "ftp/FtpClient.h"
#include "support/TempDir.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>

#include <gtest/gtest.h>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace vesk;
using namespace vesk::test;

namespace {

QByteArray RandomBytes(int n)
{
    QByteArray out(n, '\0');
    QRandomGenerator generator(42);
    for (char& c : out)
        c = char(generator.generate() & 0xff);
    return out;
}

void Converse(Server& server, bool passive)
{
    SCOPED_TRACE((server.name + (passive ? " passive" : " active")).toStdString());
    TempDir local;
    TFtpClient c;
    QStringList trace, lines;
    c.OnDisplay = [&](TCustomFtpEngine*, const QString& t) { trace << t; };
    c.OnDisplayFile = [&](TCustomFtpEngine*, const QString& t) { lines << t; };
    c.SetHostName("127.0.0.1");
    c.SetPort(QString::number(server.port));
    c.SetUserName(server.user);
    c.SetPassWord(server.wrongPassword);
    c.SetPassive(passive);
    c.SetTimeout(10);
    auto why = [&] { return (c.ErrorMessage() + "\n" + trace.join(u'\n')).toStdString(); };

    EXPECT_FALSE(c.Connect());
    EXPECT_TRUE(c.ErrorMessage().startsWith("530")) << why();
    c.SetPassWord(server.password);
    if (c.Connected())
        c.Quit();
    ASSERT_TRUE(c.Connect()) << why();
    ASSERT_TRUE(c.PrintDir()) << why();
    EXPECT_EQ(c.DirResult(), "/");
    c.SetHostDirName("pub");
    ASSERT_TRUE(c.ChangeDir()) << why();
    ASSERT_TRUE(c.PrintDir());
    EXPECT_EQ(c.DirResult(), "/pub");
    ASSERT_TRUE(c.TypeAscii()) << why();
    ASSERT_TRUE(c.TypeBinary()) << why();

    c.SetHostFileName("sub");
    EXPECT_TRUE(c.MakeDir()) << why();
    EXPECT_TRUE(c.RemoveDir()) << why();

    // Binary and text files, byte for byte.
    const QByteArray binary = RandomBytes(300000);
    const QByteArray text = "<html>\r\n<p>caf\xc3\xa9</p>\n\tend\r\n";
    WriteFileBytes(local.file("bin.dat"), binary);
    WriteFileBytes(local.file("page.htm"), text);
    for (const char* name : {"bin.dat", "page.htm"}) {
        c.SetHostFileName(name);
        c.SetLocalFileName(local.file(name));
        EXPECT_TRUE(c.Put()) << why();
        c.SetLocalFileName(local.file(QString("back-") + name));
        EXPECT_TRUE(c.Get()) << why();
        EXPECT_EQ(ReadFileBytes(local.file(QString("back-") + name)), ReadFileBytes(local.file(name)));
    }

    c.SetHostFileName("page.htm");
    c.SetLocalFileName(local.file("page.htm"));
    EXPECT_TRUE(c.Append()) << why();
    EXPECT_TRUE(c.FileSize()) << why();
    EXPECT_EQ(c.SizeResult(), 2 * text.size());

    c.SetHostFileName("bin.dat");
    c.SetLocalFileName("moved.dat");
    EXPECT_TRUE(c.Rename()) << why();
    EXPECT_FALSE(c.FileSize());
    EXPECT_TRUE(c.ErrorMessage().startsWith("550")) << why();

    c.SetDisplayFileFlag(true);
    c.SetHostFileName("");
    lines.clear();
    EXPECT_TRUE(c.NameList()) << why();
    EXPECT_TRUE(lines.contains("moved.dat") || lines.contains("/pub/moved.dat")) << lines.join(", ").toStdString();
    lines.clear();
    EXPECT_TRUE(c.List()) << why();
    EXPECT_EQ(lines.filter("page.htm").size(), 1) << lines.join(", ").toStdString();
    c.SetDisplayFileFlag(false);

    // Half a download, then the rest.
    WriteFileBytes(local.file("resumed.dat"), binary.left(123457));
    c.SetHostFileName("moved.dat");
    c.SetLocalFileName(local.file("resumed.dat"));
    EXPECT_TRUE(c.ResumeGet()) << why();
    EXPECT_EQ(ReadFileBytes(local.file("resumed.dat")), binary);
    EXPECT_TRUE(trace.contains("> REST 123457")) << why();

    EXPECT_TRUE(c.Delete()) << why();
    EXPECT_FALSE(c.FileSize());

    c.SetHostFileName("nope.dat");
    c.SetLocalFileName(local.file("nope.dat"));
    EXPECT_FALSE(c.Get());
    EXPECT_TRUE(c.ErrorMessage().startsWith("550")) << why();
    EXPECT_FALSE(QFile::exists(local.file("nope.dat")));

    EXPECT_TRUE(c.Quit()) << why();
    EXPECT_FALSE(c.Connected());
}

} // namespace

TEST(FtpServerTest, Pyftpdlib)
{
    auto server = StartPyftpdlib();
    if (!server->process->Started())
        GTEST_SKIP() << server->process->Failure().toStdString() << " (Debian package python3-pyftpdlib)";
    Converse(*server, false);
    Converse(*server, true);
}

TEST(FtpServerTest, Vsftpd)
{
    auto server = StartVsftpd();
    if (!server->process)
        GTEST_SKIP() << "vsftpd is not installed (Debian package vsftpd, which adds the user ftp) "
                        "or the test does not run as root";
    if (!server->process->Started())
        GTEST_SKIP() << server->process->Failure().toStdString();
    Converse(*server, false);
    Converse(*server, true);
}
