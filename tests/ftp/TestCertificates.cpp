// Certificates for the TLS tests, made with the openssl command.
#include "TestCertificates.h"

#include "support/TempDir.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>

#include <memory>

namespace vesk::test {

namespace {

// Our own configuration, so the machine's openssl.cnf changes nothing. EC
// P-256 keys take milliseconds where RSA keys take a second or more.
// Leaf certificates carry what clients check: not an authority, made for
// TLS servers, and the names in subjectAltName (clients ignore the CN).
const char kConfig[] = R"([ req ]
distinguished_name = dn
prompt = no
[ dn ]
CN = unused
[ authority_ext ]
basicConstraints = critical, CA:TRUE
keyUsage = critical, keyCertSign, cRLSign
subjectKeyIdentifier = hash
[ localhost_ext ]
basicConstraints = critical, CA:FALSE
keyUsage = critical, digitalSignature
extendedKeyUsage = serverAuth
subjectKeyIdentifier = hash
subjectAltName = DNS:localhost, IP:127.0.0.1
[ wrong_ext ]
basicConstraints = critical, CA:FALSE
keyUsage = critical, digitalSignature
extendedKeyUsage = serverAuth
subjectKeyIdentifier = hash
subjectAltName = DNS:wrong.example
[ ca ]
default_ca = test_ca
[ test_ca ]
database = index.txt
new_certs_dir = issued
serial = serial
certificate = authority.pem
private_key = authority.key
default_md = sha256
default_days = 3650
policy = any
unique_subject = no
[ any ]
commonName = supplied
)";

const QStringList kNewKey = {"-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:P-256", "-nodes"};

class Maker {
public:
    explicit Maker(const QString& folder) : folder_(folder) {}

    // Runs openssl in the folder; false (and `failure`) when it fails.
    bool Run(const QStringList& arguments, QByteArray* out = nullptr)
    {
        if (!failure.isEmpty())
            return false;
        QProcess p;
        p.setWorkingDirectory(folder_);
        p.start(program_, arguments);
        if (!p.waitForFinished(30000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
            failure = QStringLiteral("openssl %1 failed: %2%3")
                          .arg(arguments.value(0), p.errorString(), QString::fromLocal8Bit(p.readAllStandardError()));
            p.kill();
            p.waitForFinished(1000);
            return false;
        }
        if (out)
            *out = p.readAllStandardOutput();
        return true;
    }

    // A key and a certificate `name`.pem/.key, self-signed (the authority or
    // the self-signed leaf) or signed by the authority with `extensions`.
    TestCertificate Make(const QString& name, const QString& subject, const QString& extensions, bool selfSigned,
                         const QStringList& dates = {})
    {
        TestCertificate c{path(name + ".pem"), path(name + ".key"), {}};
        if (selfSigned) {
            Run(QStringList{"req", "-config", "openssl.cnf", "-x509", "-new"} + kNewKey +
                QStringList{"-keyout", c.key, "-out", c.cert, "-subj", subject, "-days", "3650", "-extensions",
                            extensions});
        } else {
            Run(QStringList{"req", "-config", "openssl.cnf", "-new"} + kNewKey +
                QStringList{"-keyout", c.key, "-out", path(name + ".csr"), "-subj", subject});
            Run(QStringList{"ca", "-config", "openssl.cnf", "-batch", "-notext", "-in", path(name + ".csr"), "-out",
                            c.cert, "-extensions", extensions} +
                dates);
        }
        QByteArray fingerprint;  // "sha256 Fingerprint=AB:CD:…"
        if (Run({"x509", "-in", c.cert, "-noout", "-fingerprint", "-sha256"}, &fingerprint)) {
            c.sha256 = QString::fromLatin1(fingerprint.mid(fingerprint.indexOf('=') + 1).trimmed())
                           .remove(u':')
                           .toLower();
            if (c.sha256.size() != 64)
                failure = QStringLiteral("unexpected fingerprint: ") + QString::fromLatin1(fingerprint);
        }
        return c;
    }

    QString path(const QString& name) const { return folder_ + u'/' + name; }

    QString failure;

private:
    QString folder_;
    QString program_ = QStandardPaths::findExecutable(QStringLiteral("openssl"));
};

struct Made {
    TempDir folder;
    TestCertificates certificates;
};

std::unique_ptr<Made> MakeAll()
{
    auto made = std::make_unique<Made>();
    TestCertificates& c = made->certificates;
    Maker maker(made->folder.path());
    if (QStandardPaths::findExecutable(QStringLiteral("openssl")).isEmpty()) {
        c.failure = QStringLiteral("the openssl command is not installed (Debian package openssl)");
        return made;
    }
    WriteFileBytes(maker.path("openssl.cnf"), kConfig);
    WriteFileBytes(maker.path("index.txt"), {});
    WriteFileBytes(maker.path("serial"), "01\n");
    QDir(made->folder.path()).mkdir(QStringLiteral("issued"));
    c.authority = maker.Make("authority", "/CN=HTML Vesk Test Authority", "authority_ext", true);
    c.localhost = maker.Make("localhost", "/CN=localhost", "localhost_ext", false);
    c.wrongName = maker.Make("wrong", "/CN=wrong.example", "wrong_ext", false);
    c.selfSigned = maker.Make("selfsigned", "/CN=localhost", "localhost_ext", true);
    c.expired = maker.Make("expired", "/CN=localhost", "localhost_ext", false,
                           {"-startdate", "20200101000000Z", "-enddate", "20210101000000Z"});
    c.failure = maker.failure;
    return made;
}

} // namespace

const TestCertificate& TestCertificates::Get(TestCert which) const
{
    switch (which) {
    case TestCert::Localhost: return localhost;
    case TestCert::WrongName: return wrongName;
    case TestCert::SelfSigned: return selfSigned;
    case TestCert::Expired: return expired;
    }
    return localhost;
}

const TestCertificates& Certificates()
{
    static const std::unique_ptr<Made> made = MakeAll();
    return made->certificates;
}

} // namespace vesk::test
