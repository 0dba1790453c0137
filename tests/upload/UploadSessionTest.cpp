// The uploader's session against a real pyftpdlib started here: list, send, fetch, rename, delete, refuse.
#include "FtpServers.h"

#include "upload/UploadSession.h"

#include <QDir>

#include <gtest/gtest.h>

using namespace vesk;
using namespace vesk::test;

namespace {

QStringList Listed(const TUploadSession& session)
{
    QStringList out;
    for (const TRemoteEntry& e : session.RemoteEntries())
        out << e.text + "/" + QString::number(int(e.kind));
    return out;
}

const TRemoteEntry* Find(const TUploadSession& session, const QString& text)
{
    for (const TRemoteEntry& e : session.RemoteEntries()) {
        if (e.text == text)
            return &e;
    }
    return nullptr;
}

} // namespace

TEST(UploadSessionTest, NewDirProposalsAndDuplicateNames)
{
    struct Case { QStringList captions; const char* proposal; };
    const Case cases[] = {
        {{}, "NewDir"},
        {{"NewDir", "NewDir2"}, "NewDir3"},
        {{"NewDirectory"}, "NewDir2"},
        {{"newdir"}, "NewDir2"},
        {{"index.htm", "images"}, "NewDir"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(NewDirProposal(c.captions), c.proposal) << c.captions.join(',').toStdString();
    const QStringList captions{"a.htm", "b.htm", "B.HTM"};
    EXPECT_TRUE(NameTaken(captions, "b.htm", 0));
    EXPECT_FALSE(NameTaken(captions, "b.htm", 1));  // the entry being renamed itself
    EXPECT_FALSE(NameTaken(captions, "A.htm", 1));  // case counts
}

TEST(UploadSessionTest, WorksWithARealServer)
{
    auto server = StartPyftpdlib();
    if (!server->process->Started())
        GTEST_SKIP() << server->process->Failure().toStdString() << " (Debian package python3-pyftpdlib)";
    TempDir local;
    const QByteArray page = "<html>\n<p>page</p>\n</html>\n";
    QByteArray picture(150000, '\0');
    for (int i = 0; i < picture.size(); ++i)
        picture[i] = char(i * 31 % 251);
    WriteFileBytes(local.file("index.htm"), page);
    WriteFileBytes(local.file("logo.gif"), picture);
    // A name no download may create in a local folder.
    WriteFileBytes(server->root->file("pub/evil\x1b[2J.htm"), "x");

    TUploadSession session;
    QStringList statuses, errors;
    session.OnStatus = [&](const QString& t) { statuses << t; };
    session.OnFtpError = [&](const QString& t) { errors << t; };
    QStringList asked;
    bool overwrite = true;
    session.AskOverwrite = [&](const QString& name) { asked << name; return overwrite; };

    QString why;
    EXPECT_FALSE(session.Connect(FtpSite{"Empty", " ", "", "", "", true}, {}, &why));
    EXPECT_EQ(why, "HostName must be specified");
    const FtpSite site{"Test", "127.0.0.1:" + QString::number(server->port), server->user, server->password,
                       "pub", false};
    ASSERT_TRUE(session.Connect(site, {10, 1, true, true})) << errors.join('\n').toStdString();

    EXPECT_EQ(session.UploadFiles({local.file("index.htm"), local.file("logo.gif")}),
              QStringList({local.file("index.htm"), local.file("logo.gif")}));
    EXPECT_TRUE(statuses.contains("logo.gif Uploaded"));
    EXPECT_EQ(ReadFileBytes(server->root->file("pub/logo.gif")), picture);
    ASSERT_TRUE(session.MakeDir("NewDir"));
    ASSERT_TRUE(session.RefreshRemote());
    EXPECT_EQ(Listed(session), QStringList({"NewDir/0", "evil\x1b[2J.htm/1", "index.htm/1", "logo.gif/1"}));

    // A name from the server that is unsafe here is neither asked about nor fetched.
    EXPECT_FALSE(session.Download(*Find(session, "evil\x1b[2J.htm"), local.path(), &why));
    EXPECT_TRUE(why.contains("evil\\x1b[2J.htm")) << why.toStdString();
    EXPECT_EQ(QDir(local.path()).entryList(QDir::Files).size(), 2);
    EXPECT_TRUE(asked.isEmpty());

    // Overwrite: Yes starts anew, No continues where the local file ends.
    TempDir fetched;
    WriteFileBytes(fetched.file("logo.gif"), picture.left(1000) + "garbage");
    ASSERT_TRUE(session.Download(*Find(session, "logo.gif"), fetched.path()));
    EXPECT_EQ(ReadFileBytes(fetched.file("logo.gif")), picture);
    WriteFileBytes(fetched.file("logo.gif"), picture.left(70000));
    overwrite = false;
    ASSERT_TRUE(session.Download(*Find(session, "logo.gif"), fetched.path()));
    EXPECT_EQ(ReadFileBytes(fetched.file("logo.gif")), picture);
    EXPECT_EQ(asked, QStringList({"logo.gif", "logo.gif"}));

    ASSERT_TRUE(session.Rename("index.htm", "home.htm"));
    ASSERT_TRUE(session.RefreshRemote());
    ASSERT_NE(Find(session, "home.htm"), nullptr);
    ASSERT_TRUE(session.Delete(*Find(session, "home.htm")));
    ASSERT_TRUE(session.Delete(*Find(session, "NewDir")));
    ASSERT_TRUE(session.ChangeDir("..") && session.ParentDir());
    ASSERT_TRUE(session.ChangeDir("pub"));
    ASSERT_TRUE(session.RefreshRemote());
    EXPECT_EQ(Listed(session), QStringList({"evil\x1b[2J.htm/1", "logo.gif/1"}));
    EXPECT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();

    // A failure ends the session with one message and stops what follows.
    EXPECT_FALSE(session.Download({"gone.htm", TRemoteKind::File}, fetched.path()));
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors[0].startsWith("550")) << errors[0].toStdString();
    EXPECT_TRUE(errors[0].endsWith("\r\rYou will need to Reconnect."));
    EXPECT_FALSE(session.Connected());
    statuses.clear();
    EXPECT_TRUE(session.UploadFiles({local.file("index.htm")}).isEmpty());
    EXPECT_FALSE(statuses.contains("index.htm Uploaded"));
    EXPECT_FALSE(session.RefreshRemote());
    EXPECT_TRUE(session.RemoteEntries().empty());
    EXPECT_EQ(errors.size(), 1);

    // A refused port: one message, no session.
    ASSERT_FALSE(session.Connect(FtpSite{"Closed", "127.0.0.1:1", "", "", "", true}, {5, 1, true, false}));
    EXPECT_EQ(errors.size(), 2);
    EXPECT_FALSE(session.Connected());
}
