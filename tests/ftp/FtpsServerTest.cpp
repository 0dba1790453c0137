// The TLS test servers and certificates, proved with real clients run as
// processes: curl for logins, certificate checks and passive transfers, and
// Python's ftplib for active transfers (curl 7.88 cannot accept a TLS data
// connection: "sa_addr inet_ntop() failed").
#include "FtpServers.h"
#include "TestCertificates.h"

#include <QCryptographicHash>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QSet>

#include <gtest/gtest.h>

using namespace vesk::test;

namespace {

struct Outcome {
    int exit = -1;  // -1: did not run or did not end in time
    QString errors;
};

Outcome RunProcess(const QString& program, const QStringList& arguments)
{
    Outcome o;
    QProcess p;
    p.start(program, arguments);
    if (p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit)
        o.exit = p.exitCode();
    else
        p.kill();  // by its process id
    p.waitForFinished(5000);
    o.errors = QString::fromLocal8Bit(p.readAllStandardError());
    return o;
}

// curl against one of the test servers, trusting the test authority.
Outcome Curl(const Server& s, const QStringList& flags, const QString& path, const QString& password = {})
{
    QStringList arguments = {"-sS", "--max-time", "30", "--cacert", Certificates().authority.cert, "--user",
                             s.user + u':' + (password.isEmpty() ? s.password : password)};
    return RunProcess("/usr/bin/curl", arguments + flags + QStringList{QStringLiteral("ftp://127.0.0.1:%1/%2").arg(s.port).arg(path)});
}

QByteArray RandomBytes(int n)
{
    QByteArray out(n, '\0');
    QRandomGenerator generator(7);
    for (char& c : out)
        c = char(generator.generate() & 0xff);
    return out;
}

// An active-mode upload and download with ftplib; its data connections
// reuse the control connection's TLS session, as the server demands.
const char kActiveClient[] = R"(import ftplib, ssl, sys
class Client(ftplib.FTP_TLS):
    def ntransfercmd(self, cmd, rest=None):
        conn, size = ftplib.FTP.ntransfercmd(self, cmd, rest)
        if self._prot_p:
            conn = self.context.wrap_socket(conn, server_hostname=self.host, session=self.sock.session)
        return conn, size
port, user, password, cafile, local, remote, back = sys.argv[1:8]
ftp = Client(context=ssl.create_default_context(cafile=cafile), timeout=30)
ftp.connect("127.0.0.1", int(port))
ftp.login(user, password)
ftp.prot_p()
ftp.set_pasv(False)
with open(local, "rb") as f: ftp.storbinary("STOR " + remote, f)
with open(back, "wb") as f: ftp.retrbinary("RETR " + remote, f.write)
ftp.quit()
)";

#define REQUIRE_STARTED(server)                                                              \
    if (!(server)->process)                                                                  \
        GTEST_SKIP() << (server)->unavailable.toStdString();                                 \
    if (!QFile::exists("/usr/bin/curl"))                                                     \
        GTEST_SKIP() << "curl is not installed (Debian package curl)";                       \
    ASSERT_TRUE((server)->process->Started()) << (server)->process->Failure().toStdString()

} // namespace

TEST(FtpsServerTest, FingerprintsAreTheSha256OfEachCertificate)
{
    const TestCertificates& c = Certificates();
    if (!c.ok())
        GTEST_SKIP() << c.failure.toStdString();
    QSet<QString> seen;
    for (const TestCertificate* t : {&c.authority, &c.localhost, &c.wrongName, &c.selfSigned, &c.expired}) {
        QByteArray pem = ReadFileBytes(t->cert);
        const QByteArray begin = "-----BEGIN CERTIFICATE-----", end = "-----END CERTIFICATE-----";
        const qsizetype from = pem.indexOf(begin) + begin.size();
        const QByteArray der = QByteArray::fromBase64(pem.mid(from, pem.indexOf(end) - from));
        EXPECT_EQ(t->sha256, QString::fromLatin1(QCryptographicHash::hash(der, QCryptographicHash::Sha256).toHex()))
            << t->cert.toStdString();
        EXPECT_TRUE(ReadFileBytes(t->key).contains("PRIVATE KEY")) << t->key.toStdString();
        seen.insert(t->sha256);
    }
    EXPECT_EQ(seen.size(), 5);
}

TEST(FtpsServerTest, VsftpdPresentsTheChosenCertificate)
{
    struct {
        TestCert certificate;
        int exit;
        const char* reason;
    } rows[] = {
        {TestCert::Localhost, 0, ""},
        {TestCert::WrongName, 60, "no alternative certificate subject name matches"},
        {TestCert::SelfSigned, 60, "self-signed certificate"},
        {TestCert::Expired, 60, "certificate has expired"},
    };
    for (const auto& row : rows) {
        auto server = StartVsftpdTls({row.certificate});
        REQUIRE_STARTED(server);
        Outcome o = Curl(*server, {"--ssl-reqd", "-I"}, "");
        EXPECT_EQ(o.exit, row.exit) << o.errors.toStdString();
        EXPECT_TRUE(o.errors.contains(row.reason)) << o.errors.toStdString();
    }
}

TEST(FtpsServerTest, VsftpdTransfersOverTlsInBothModes)
{
    auto server = StartVsftpdTls();
    REQUIRE_STARTED(server);
    TempDir local;
    const QByteArray bytes = RandomBytes(700000);
    WriteFileBytes(local.file("up.dat"), bytes);

    // Passive, with curl. Over TLS 1.3 curl closes an upload's data
    // connection without reading the server's last TLS messages (the
    // session tickets), the reset reaches vsftpd before the end of the data,
    // and in about half the uploads it answers 426: TLS 1.2 for curl's uploads.
    Outcome up = Curl(*server, {"--ssl-reqd", "--tls-max", "1.2", "-T", local.file("up.dat")}, "pub/passive.dat");
    ASSERT_EQ(up.exit, 0) << up.errors.toStdString();
    EXPECT_EQ(ReadFileBytes(server->root->file("pub/passive.dat")), bytes);
    Outcome down = Curl(*server, {"--ssl-reqd", "-o", local.file("passive-back.dat")}, "pub/passive.dat");
    ASSERT_EQ(down.exit, 0) << down.errors.toStdString();
    EXPECT_EQ(ReadFileBytes(local.file("passive-back.dat")), bytes);

    // Active, with ftplib, over TLS 1.3: it ends each data connection with
    // a two-way TLS shutdown.
    WriteFileBytes(local.file("active.py"), kActiveClient);
    Outcome active = RunProcess("/usr/bin/python3", {local.file("active.py"), QString::number(server->port), server->user,
                                              server->password, Certificates().authority.cert, local.file("up.dat"),
                                              "pub/active.dat", local.file("active-back.dat")});
    ASSERT_EQ(active.exit, 0) << active.errors.toStdString();
    EXPECT_EQ(ReadFileBytes(server->root->file("pub/active.dat")), bytes);
    EXPECT_EQ(ReadFileBytes(local.file("active-back.dat")), bytes);

    // Both TLS versions a client may insist on.
    for (const char* version : {"1.2", "1.3"}) {
        Outcome o = Curl(*server, {"--ssl-reqd", "-v", "--tls-max", version, QString("--tlsv") + version, "-I"}, "");
        EXPECT_EQ(o.exit, 0) << o.errors.toStdString();
        EXPECT_TRUE(o.errors.contains(QString("SSL connection using TLSv") + version)) << o.errors.toStdString();
    }
}

TEST(FtpsServerTest, VsftpdRefusesClearText)
{
    // pub/file.dat downloaded without TLS, with TLS on the control
    // connection only (PROT C) and with TLS throughout (PROT P, which curl
    // holds to: the server that allows clear data still encrypts it).
    struct {
        bool requireTlsData;
        const char* flag;
        int exit;  // 67: login refused; 19: download refused
    } rows[] = {
        {true, "", 67},
        {true, "--ftp-ssl-control", 19},
        {false, "", 67},
        {false, "--ftp-ssl-control", 0},
        {false, "--ssl-reqd", 0},
    };
    const QByteArray bytes = RandomBytes(50000);
    TempDir local;
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.requireTlsData ? "TLS data required, " : "clear data allowed, ") + row.flag);
        auto server = StartVsftpdTls({TestCert::Localhost, row.requireTlsData});
        REQUIRE_STARTED(server);
        WriteFileBytes(server->root->file("pub/file.dat"), bytes);
        QFile::remove(local.file("back.dat"));
        QStringList flags = {"-o", local.file("back.dat")};
        if (*row.flag)
            flags << row.flag;
        Outcome o = Curl(*server, flags, "pub/file.dat");
        EXPECT_EQ(o.exit, row.exit) << o.errors.toStdString();
        if (row.exit == 0) {
            EXPECT_EQ(ReadFileBytes(local.file("back.dat")), bytes);
        }
    }
}

TEST(FtpsServerTest, PyftpdlibLogsInOnlyOverTls)
{
    auto server = StartPyftpdlibTls();
    if (server->process && !server->process->Started() && server->process->Failure().contains("No module named"))
        GTEST_SKIP() << server->process->Failure().toStdString() << " (Debian packages python3-pyftpdlib, python3-openssl)";
    REQUIRE_STARTED(server);
    struct {
        QStringList flags;
        bool rightPassword;
        int exit;
        const char* reply;
    } rows[] = {
        {{"--ssl-reqd", "-I"}, true, 0, ""},
        {{"--ssl-reqd", "-I"}, false, 67, "530"},
        {{"-I"}, true, 67, "550"},  // TLS required before USER
    };
    for (const auto& row : rows) {
        Outcome o = Curl(*server, row.flags, "", row.rightPassword ? QString() : server->wrongPassword);
        EXPECT_EQ(o.exit, row.exit) << o.errors.toStdString();
        EXPECT_TRUE(o.errors.contains(row.reply)) << o.errors.toStdString();
    }
}
