// Explicit TLS against real servers started here: vsftpd requiring TLS for
// logins and data (with session reuse), plain pyftpdlib, and a small server
// that sends its data in the clear after PROT P.
#include "FtpServers.h"
#include "TestCertificates.h"

#include "ftp/FtpClient.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"

#include <QFile>
#include <QRandomGenerator>
#include <QRegularExpression>

#include <gtest/gtest.h>

using namespace vesk;
using namespace vesk::test;

namespace {

struct TlsSession {
    TlsSession(const Server& server, TFtpEncryption encryption, const QString& trusted = QString())
    {
        client.OnDisplay = [this](TCustomFtpEngine*, const QString& t) { trace << t; };
        client.OnDisplayFile = [this](TCustomFtpEngine*, const QString& t) { lines << t; };
        client.SetHostName(QStringLiteral("127.0.0.1"));
        client.SetPort(QString::number(server.port));
        client.SetUserName(server.user);
        client.SetPassWord(server.password);
        client.SetTimeout(10);
        client.SetEncryption(encryption);
        client.SetTrustedCertificate(trusted);
    }
    std::string Why() const { return (client.ErrorMessage() + "\n" + trace.join(u'\n')).toStdString(); }
    TFtpClient client;
    QStringList trace, lines;
};

// The test authority is the only one trusted: the Localhost certificate
// verifies, the others do not.
QByteArray Authority()
{
    return QFile::encodeName(Certificates().authority.cert);
}

} // namespace

TEST(FtpTlsServer, UploadsAndDownloadsByteForByteInBothModes)
{
    auto server = StartVsftpdTls();
    if (!server->process)
        GTEST_SKIP() << server->unavailable.toStdString();
    ScopedEnv authority("SSL_CERT_FILE", Authority());
    QByteArray bytes(700000, '\0');
    QRandomGenerator(7).fillRange(reinterpret_cast<quint32*>(bytes.data()), bytes.size() / 4);
    TempDir local;
    WriteFileBytes(local.file("up.bin"), bytes);
    {
        // The server takes no login in the clear: what passes below is TLS.
        TlsSession plain(*server, ftpTlsNone);
        EXPECT_FALSE(plain.client.Connect());
        EXPECT_TRUE(plain.client.ErrorMessage().startsWith("530")) << plain.Why();
    }
    for (bool passive : {true, false}) {
        SCOPED_TRACE(passive ? "passive" : "active");
        TlsSession s(*server, ftpTlsRequired);
        s.client.SetPassive(passive);
        // Reads smaller than a TLS record leave decrypted bytes that the
        // handle's events cannot announce: they must still arrive.
        if (!passive)
            s.client.SetBlockSize(512);
        ASSERT_TRUE(s.client.Connect()) << s.Why();
        EXPECT_TRUE(s.client.Encrypted());
        s.client.SetHostDirName("pub");
        ASSERT_TRUE(s.client.ChangeDir()) << s.Why();
        const QString name = passive ? "passive.bin" : "active.bin";
        s.client.SetHostFileName(name);
        s.client.SetLocalFileName(local.file("up.bin"));
        ASSERT_TRUE(s.client.Put()) << s.Why();
        EXPECT_EQ(ReadFileBytes(server->root->file("pub/" + name)), bytes);
        s.client.SetLocalFileName(local.file("back-" + name));
        ASSERT_TRUE(s.client.Get()) << s.Why();
        EXPECT_EQ(ReadFileBytes(local.file("back-" + name)), bytes);
        s.client.SetDisplayFileFlag(true);
        s.client.SetHostFileName(QString());
        ASSERT_TRUE(s.client.List()) << s.Why();
        EXPECT_TRUE(s.lines.join(u'\n').contains(name)) << s.Why();
        EXPECT_TRUE(s.client.Quit());
        // Each connection says what it runs, and the data connections resume
        // the control connection's session (the server insists on it).
        const QString trace = s.trace.join(u'\n');
        EXPECT_TRUE(trace.contains(QRegularExpression("! TLS on the control connection: TLSv1\\.[23], \\S+")))
            << s.Why();
        EXPECT_EQ(s.trace.filter("! TLS on the data connection: ").size(), 3) << s.Why();
        EXPECT_EQ(s.trace.filter("session resumed").size(), 3) << s.Why();
        EXPECT_EQ(s.trace.filter("> PASS ****").size(), 1);
    }
}

// A certificate that does not verify is refused, described, and accepted
// only once its fingerprint is the trusted one; another one is "changed".
TEST(FtpTlsServer, CertificatesThatDoNotVerifyNeedTheUsersTrust)
{
    ScopedEnv authority("SSL_CERT_FILE", Authority());
    const struct {
        TestCert certificate;
        const char* problem;
    } cases[] = {
        {TestCert::SelfSigned, "self-signed certificate"},
        {TestCert::WrongName, "IP address mismatch"},  // the site names 127.0.0.1
        {TestCert::Expired, "certificate has expired"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.problem);
        auto server = StartVsftpdTls({c.certificate});
        if (!server->process)
            GTEST_SKIP() << server->unavailable.toStdString();
        const TestCertificate& shown = Certificates().Get(c.certificate);
        {
            TlsSession s(*server, ftpTlsIfAvailable);
            EXPECT_FALSE(s.client.Connect());
            EXPECT_TRUE(s.client.CertificateRefused());
            EXPECT_FALSE(s.client.CertificateChanged());
            EXPECT_TRUE(s.client.ErrorMessage().startsWith(
                "500 TLS failed: The server's certificate could not be verified: " + QString(c.problem)))
                << s.Why();
            const TCertificateInfo info = s.client.PeerCertificate();
            EXPECT_EQ(info.sha256, shown.sha256);
            EXPECT_EQ(info.problem, c.problem);
            EXPECT_FALSE(info.subject.isEmpty());
            EXPECT_FALSE(info.notAfter.isEmpty());
            EXPECT_FALSE(s.trace.join(u'\n').contains("PASS")) << s.Why();
        }
        {
            TlsSession s(*server, ftpTlsRequired, shown.sha256.toUpper());
            EXPECT_TRUE(s.client.Connect()) << s.Why();
            EXPECT_TRUE(s.client.Encrypted());
            s.client.Abort();
        }
        {
            // Trust given to another certificate: refused, and said so.
            TlsSession s(*server, ftpTlsRequired, Certificates().localhost.sha256);
            EXPECT_FALSE(s.client.Connect());
            EXPECT_TRUE(s.client.CertificateChanged());
            EXPECT_TRUE(s.client.ErrorMessage().contains("has changed since you trusted it")) << s.Why();
        }
    }
}

TEST(FtpTlsServer, RequireAgainstAPlainServerFailsAndIfAvailableFallsBack)
{
    auto plain = StartPyftpdlib();
    if (!plain->process->Started())
        GTEST_SKIP() << plain->process->Failure().toStdString();
    {
        TlsSession s(*plain, ftpTlsRequired);
        EXPECT_FALSE(s.client.Connect());
        EXPECT_TRUE(s.client.ErrorMessage().contains("does not offer TLS, which this site requires")) << s.Why();
        EXPECT_FALSE(s.trace.join(u'\n').contains("USER")) << s.Why();
    }
    TlsSession s(*plain, ftpTlsIfAvailable);
    ASSERT_TRUE(s.client.Connect()) << s.Why();
    EXPECT_TRUE(s.client.FellBackToPlain());
    EXPECT_FALSE(s.client.Encrypted());
    EXPECT_TRUE(s.client.PrintDir()) << s.Why();
}

// Under PROT P a data connection that does not speak TLS is never read as
// data: the listing fails, and none of it reaches the caller.
TEST(FtpTlsServer, ClearDataAfterProtPIsRefused)
{
    ScopedEnv authority("SSL_CERT_FILE", Authority());
    if (!Certificates().ok())
        GTEST_SKIP() << Certificates().failure.toStdString();
    Server server;
    server.port = FreeLoopbackPort();
    server.user = "bob";
    server.password = "secret";
    server.process = std::make_unique<ServerProcess>(
        "python3",
        QStringList{VESK_FTP_TEST_DIR "/ftps_plain_data_server.py", QString::number(server.port),
                    Certificates().localhost.cert, Certificates().localhost.key},
        server.port);
    if (!server.process->Started())
        GTEST_SKIP() << server.process->Failure().toStdString();
    TlsSession s(server, ftpTlsRequired);
    s.client.SetPassive(true);
    s.client.SetDisplayFileFlag(true);
    ASSERT_TRUE(s.client.Connect()) << s.Why();
    EXPECT_FALSE(s.client.List());
    EXPECT_TRUE(s.client.ErrorMessage().startsWith("426 TLS on the data connection failed")) << s.Why();
    EXPECT_FALSE(s.lines.join(u'\n').contains("sent-in-the-clear")) << s.Why();
}
