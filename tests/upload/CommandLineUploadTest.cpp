// Publishing from the command line: bad usage in process, real uploads as the real program against real servers.
#include "FtpScript.h"
#include "FtpServers.h"

#include "settings/FileLists.h"
#include "settings/FtpSites.h"
#include "support/TempDir.h"
#include "upload/CommandLineUpload.h"

#include <QProcess>
#include <QRandomGenerator>

#include <gtest/gtest.h>

#include <sstream>

using namespace vesk;
using namespace vesk::test;

namespace {

struct Run {
    int status = -1;
    QString err;
};

// The real program with its program folder at `home`, bounded in time.
Run RunProgram(const QString& home, const QStringList& arguments)
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HTMLVESK_HOME"), home);
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    process.setProcessEnvironment(env);
    process.start(QStringLiteral(VESK_APP_PATH), arguments);
    Run run;
    if (!process.waitForFinished(120000)) {
        process.kill();
        process.waitForFinished(5000);
        run.err = "did not finish";
        return run;
    }
    run.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

QByteArray Bytes(int n)
{
    QByteArray out(n, '\0');
    QRandomGenerator generator(7);
    for (char& c : out)
        c = char(generator.generate() & 0xff);
    return out;
}

} // namespace

TEST(CommandLineUploadTest, BadUsageAndMissingSitesExitWithTwo)
{
    TempDir dir;
    const SettingsFile settings(dir.fileStd("orla.ini"));
    WriteSite(0, FtpSite{"Home", "127.0.0.1:1", "", "", "", true}, settings);
    WriteSite(1, FtpSite{"NoHost", "", "", "", "", true}, settings);
    struct Case { QStringList arguments; const char* says; };
    const Case cases[] = {
        {{"--upload"}, "no file to upload"},
        {{"--upload", "--site"}, "--site needs"},
        {{"--upload", "--site", "Home", "--site", "0", "a.htm"}, "--site needs"},
        {{"--upload", "--bogus", "a.htm"}, "unknown option --bogus"},
        {{"--upload-bin", "a.htm"}, "takes no files"},
        {{"--upload", "--site", "Work", "a.htm"}, "no FTP site Work"},
        {{"--upload", "--site=5", "a.htm"}, "no FTP site 5"},
        {{"--upload", "a.htm"}, "no FTP site is selected"},
        {{"--upload", "--site", "NoHost", "a.htm"}, "has no host address"},
    };
    for (const Case& c : cases) {
        std::ostringstream err;
        EXPECT_EQ(UploadFromCommandLine(c.arguments, err, settings), 2) << c.arguments.join(' ').toStdString();
        EXPECT_NE(err.str().find(c.says), std::string::npos) << err.str();
    }
    // A selected site that is no longer in the list is no site at all.
    WriteSelectedSite(4, settings);
    std::ostringstream err;
    EXPECT_EQ(UploadFromCommandLine({"--upload", "a.htm"}, err, settings), 2);
    // An empty bin has nothing to fail.
    WriteSelectedSite(0, settings);
    EXPECT_EQ(UploadFromCommandLine({"--upload-bin"}, err, settings), 0);
}

namespace {

void Publish(Server& server)
{
    SCOPED_TRACE(server.name.toStdString());
    TempDir home, local;
    QDir(local.path()).mkdir("sub");
    const QByteArray page = "<html>\n<p>caf\xc3\xa9</p>\n</html>\n";
    const QByteArray picture = Bytes(200000);
    WriteFileBytes(local.file("index.htm"), page);
    WriteFileBytes(local.file("sub/logo.gif"), picture);

    const SettingsFile settings(home.fileStd("orla.ini"));
    const bool anonymous = server.user == "anonymous";
    const QString host = "127.0.0.1:" + QString::number(server.port);
    WriteSite(0, FtpSite{"Other", "127.0.0.1:1", "", "", "", true}, settings);
    // Plain FTP, as these servers speak it (TLS has its own test below).
    WriteSite(1, FtpSite{"Test server", host, server.user, server.password, "pub", anonymous, kEncryptionPlain},
              settings);
    WriteSite(2, FtpSite{"Wrong", host, server.user, server.wrongPassword, "pub", false, kEncryptionPlain}, settings);
    WriteSite(3, FtpSite{"No such folder", host, server.user, server.password, "missing", anonymous, kEncryptionPlain},
              settings);
    WriteSelectedSite(1, settings);
    WriteAdvancedFtp({20, 1, true, false}, settings);
    const QString pub = server.root->file("pub/");

    // By name, one file missing: the others still go, and the status says one failed.
    Run run = RunProgram(home.path(), {"--upload", "--site", "Test server", local.file("index.htm"),
                                       local.file("missing.htm"), local.file("sub/logo.gif")});
    EXPECT_EQ(run.status, 1) << run.err.toStdString();
    EXPECT_EQ(ReadFileBytes(pub + "index.htm"), page);
    EXPECT_EQ(ReadFileBytes(pub + "logo.gif"), picture);
    const QStringList lines = run.err.split('\n', Qt::SkipEmptyParts);
    EXPECT_EQ(lines, QStringList({"htmlvesk: uploaded index.htm (" + QString::number(page.size()) + " bytes, ascii)",
                                  "htmlvesk: not uploaded: " + local.file("missing.htm") + ": no such file",
                                  "htmlvesk: uploaded logo.gif (200000 bytes, binary)"}));

    // The upload bin to the selected site in passive mode.
    QFile::remove(pub + "index.htm");
    QFile::remove(pub + "logo.gif");
    WriteUploadFiles({local.file("sub/logo.gif"), local.file("index.htm")}, settings);
    WriteAdvancedFtp({20, 1, true, true}, settings);
    run = RunProgram(home.path(), {"--upload-bin"});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_EQ(ReadFileBytes(pub + "index.htm"), page);
    EXPECT_EQ(ReadFileBytes(pub + "logo.gif"), picture);
    EXPECT_EQ(run.err.count('\n'), 2) << run.err.toStdString();

    // Failures carry the server's reply or the system's reason.
    struct Case { const char* site; const char* says; };
    const Case failures[] = {
        {"2", "cannot log in"},
        {"No such folder", "550"},
        {"Other", "cannot log in to 127.0.0.1:1"},
    };
    for (const Case& c : failures) {
        run = RunProgram(home.path(), {"--upload", "--site", c.site, local.file("index.htm")});
        EXPECT_EQ(run.status, 1) << c.site;
        EXPECT_TRUE(run.err.contains(c.says)) << c.site << ": " << run.err.toStdString();
    }
}

} // namespace

TEST(CommandLineUploadTest, PublishesToPyftpdlib)
{
    auto server = StartPyftpdlib();
    if (!server->process->Started())
        GTEST_SKIP() << server->process->Failure().toStdString() << " (Debian package python3-pyftpdlib)";
    Publish(*server);
}

TEST(CommandLineUploadTest, PublishesToVsftpd)
{
    auto server = StartVsftpd();
    if (!server->process)
        GTEST_SKIP() << "vsftpd needs its package and root";
    if (!server->process->Started())
        GTEST_SKIP() << server->process->Failure().toStdString();
    Publish(*server);
}

TEST(CommandLineUploadTest, ASessionDroppedMidwayReportsTheRestAsNotUploaded)
{
    // The server has no TLS: the site's default goes on in the clear and says so.
    FtpScript script({"S 220 Ready", "C AUTH TLS", "S 502 Unknown", "C USER bob", "S 331 Password please",
                      "C PASS secret", "S 230 Welcome", "C CWD www", "S 250 OK", "C TYPE I", "S 200 Binary", "C PASV",
                      "S 227 Entering Passive Mode ({pasv})", "C STOR logo.gif", "ACCEPT", "S 150 Go ahead",
                      "DRECV", "S 226 Stored", "C TYPE A", "CLOSE"});
    TempDir dir;
    WriteFileBytes(dir.file("logo.gif"), Bytes(5000));
    WriteFileBytes(dir.file("a.htm"), "<p>a</p>\n");
    WriteFileBytes(dir.file("b.htm"), "<p>b</p>\n");
    const SettingsFile settings(dir.fileStd("orla.ini"));
    WriteSite(0, FtpSite{"Script", "127.0.0.1:" + QString::number(script.port()), "bob", "secret", "www", false},
              settings);
    WriteSelectedSite(0, settings);
    WriteAdvancedFtp({10, 1, true, true}, settings);
    WriteUploadFiles({dir.file("logo.gif"), dir.file("a.htm"), dir.file("b.htm")}, settings);

    std::ostringstream err;
    EXPECT_EQ(UploadFromCommandLine({"--upload-bin"}, err, settings), 1);
    script.Finish();
    EXPECT_TRUE(script.Failures().isEmpty()) << script.Failures().join('\n').toStdString();
    EXPECT_EQ(script.Uploaded(), Bytes(5000));
    const QStringList lines = QString::fromStdString(err.str()).split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 4) << err.str();
    EXPECT_EQ(lines[0], "htmlvesk: 127.0.0.1:" + QString::number(script.port()) +
                            " does not offer TLS; the files go unencrypted");
    EXPECT_EQ(lines[1], "htmlvesk: uploaded logo.gif (5000 bytes, binary)");
    EXPECT_TRUE(lines[2].startsWith("htmlvesk: not uploaded: " + dir.file("a.htm"))) << err.str();
    EXPECT_EQ(lines[3], "htmlvesk: not uploaded: " + dir.file("b.htm") + ": the server closed the session");
}

// Over TLS the command line never asks: a certificate that does not verify
// fails the run with its fingerprint, until the site keeps that fingerprint.
TEST(CommandLineUploadTest, PublishesOverTlsToTrustedCertificatesOnly)
{
    auto server = StartVsftpdTls({TestCert::SelfSigned});
    if (!server->process)
        GTEST_SKIP() << server->unavailable.toStdString();
    TempDir home, local;
    WriteFileBytes(local.file("logo.gif"), Bytes(300000));
    const SettingsFile settings(home.fileStd("orla.ini"));
    WriteSite(0, FtpSite{"Secure", "127.0.0.1:" + QString::number(server->port), server->user, server->password, "pub",
                         false, kEncryptionRequired},
              settings);
    WriteSelectedSite(0, settings);
    WriteAdvancedFtp({20, 1, true, true}, settings);

    auto run = RunProgram(home.path(), {"--upload", local.file("logo.gif")});
    EXPECT_EQ(run.status, 1) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains("The server's certificate could not be verified: self-signed certificate"))
        << run.err.toStdString();
    EXPECT_TRUE(run.err.contains(Certificates().selfSigned.sha256)) << run.err.toStdString();
    EXPECT_FALSE(QFile::exists(server->root->file("pub/logo.gif")));

    QString grouped;  // as a user may paste it: upper case, in pairs
    for (int i = 0; i < 64; i += 2)
        grouped += (i ? ":" : "") + Certificates().selfSigned.sha256.mid(i, 2).toUpper();
    WriteSiteCertSha256(0, grouped, settings);
    run = RunProgram(home.path(), {"--upload", local.file("logo.gif")});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_EQ(ReadFileBytes(server->root->file("pub/logo.gif")), Bytes(300000));
}
