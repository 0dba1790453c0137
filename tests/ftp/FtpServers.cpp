// Real FTP servers started by tests on 127.0.0.1.
#include "FtpServers.h"

#include <QDir>
#include <QFile>
#include <QProcess>

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vesk::test {

namespace {

// pyftpdlib picks passive ports itself; vsftpd gets a range of its own.
int PassivePortBase()
{
    return 40000 + int(::getpid() % 200) * 50;
}

// The TLS vsftpd's range, apart from the plain one's, so both can run at once.
int TlsPassivePortBase()
{
    return 50000 + int(::getpid() % 200) * 50;
}

const char kTlsUser[] = "veskftps";
const char kTlsPassword[] = "Vesk-ftps-7";

// Runs a user-administration command; its error output when it fails.
QString RunAdmin(const QString& program, const QStringList& arguments, const QByteArray& input = {})
{
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, arguments);
    p.write(input);
    p.closeWriteChannel();
    if (p.waitForFinished(30000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0)
        return {};
    p.kill();
    p.waitForFinished(1000);
    return program + QStringLiteral(" failed: ") + p.errorString() + u' ' + QString::fromLocal8Bit(p.readAll());
}

// Makes the TLS vsftpd's local user when missing and sets its password.
// Test processes running at the same time would trip over each other's
// edits of /etc/passwd and /etc/shadow, hence the lock. vsftpd enters the
// home folder before the server's own root, so home is "/", which every
// server shares; PAM wants a shell listed in /etc/shells.
QString EnsureTlsUser()
{
    // A fixed path, not TMPDIR: every test process of the machine must meet here.
    const QByteArray lockPath = "/tmp/htmlvesk-ftps-user.lock";
    int lock = ::open(lockPath.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (lock < 0 || ::flock(lock, LOCK_EX) != 0) {
        if (lock >= 0)
            ::close(lock);
        return QStringLiteral("cannot lock ") + QString::fromLocal8Bit(lockPath);
    }
    QString failure;
    const passwd* user = ::getpwnam(kTlsUser);
    if (!user)
        failure = RunAdmin("/usr/sbin/useradd", {"-M", "-d", "/", "-s", "/bin/sh", "-c", "HTML Vesk TLS FTP tests", kTlsUser});
    else if (QByteArray(user->pw_dir) != "/" || QByteArray(user->pw_shell) != "/bin/sh")
        failure = RunAdmin("/usr/sbin/usermod", {"-d", "/", "-s", "/bin/sh", kTlsUser});
    if (failure.isEmpty())
        failure = RunAdmin("/usr/sbin/chpasswd", {}, QByteArray(kTlsUser) + ':' + kTlsPassword + '\n');
    ::close(lock);  // and with it the lock
    return failure;
}

// pyftpdlib has no command-line switch for TLS.

} // namespace

std::unique_ptr<Server> StartPyftpdlib()
{
    auto s = std::make_unique<Server>();
    s->name = "pyftpdlib";
    s->root = std::make_unique<TempDir>();
    QDir(s->root->path()).mkdir("pub");
    s->port = FreeLoopbackPort();
    s->user = "vesk";
    s->password = "s3cret";
    s->wrongPassword = "wrong";
    QStringList args = {"-m", "pyftpdlib", "-i", "127.0.0.1", "-p", QString::number(s->port), "-w",
                        "-d", s->root->path(), "-u", s->user, "-P", s->password};
    s->process = std::make_unique<ServerProcess>("/usr/bin/python3", args, s->port);
    return s;
}

namespace {

// What every vsftpd of the tests shares: one listener on 127.0.0.1 at the
// server's port, a passive range from `passiveBase`, active mode, a chroot
// of its own (an empty folder in the configuration's), no logs. Writes
// the configuration with `own` added and starts it.
void RunVsftpd(Server& s, int passiveBase, const QByteArray& own)
{
    QDir(s.config->path()).mkdir("empty");
    ::chmod(QFile::encodeName(s.config->path()).constData(), 0755);
    const QByteArray conf = "listen=YES\nlisten_ipv6=NO\nlisten_address=127.0.0.1\nbackground=NO\n"
                            "listen_port=" + QByteArray::number(s.port) + "\n"
                            "allow_writeable_chroot=YES\nseccomp_sandbox=NO\n"
                            "secure_chroot_dir=" + QFile::encodeName(s.config->file("empty")) + "\n"
                            "pasv_enable=YES\npasv_min_port=" + QByteArray::number(passiveBase) + "\n"
                            "pasv_max_port=" + QByteArray::number(passiveBase + 49) + "\n"
                            "port_enable=YES\nconnect_from_port_20=NO\nxferlog_enable=NO\ndirmessage_enable=NO\n"
                            "hide_ids=YES\nuse_localtime=NO\n" + own;
    WriteFileBytes(s.config->file("vsftpd.conf"), conf);
    s.process = std::make_unique<ServerProcess>("/usr/sbin/vsftpd", QStringList{s.config->file("vsftpd.conf")},
                                                s.port);
}

} // namespace

std::unique_ptr<Server> StartVsftpd()
{
    auto s = std::make_unique<Server>();
    s->name = "vsftpd";
    // vsftpd runs anonymous sessions as the "ftp" user its package creates.
    if (!QFile::exists("/usr/sbin/vsftpd") || ::geteuid() != 0 || !::getpwnam("ftp")) {
        s->unavailable = "vsftpd is not installed (Debian package vsftpd, which adds the user ftp) "
                         "or the test does not run as root";
        return s;
    }
    s->root = std::make_unique<TempDir>();
    s->config = std::make_unique<TempDir>();
    // The anonymous session runs as nobody inside its root.
    ::chmod(QFile::encodeName(s->root->path()).constData(), 0755);
    QDir(s->root->path()).mkdir("pub");
    ::chmod(QFile::encodeName(s->root->file("pub")).constData(), 0777);
    s->port = FreeLoopbackPort();
    s->user = "anonymous";
    s->password = "vesk@example.org";
    s->wrongPassword = "banned@example.org";
    WriteFileBytes(s->config->file("banned"), "banned@example.org\n");
    RunVsftpd(*s, PassivePortBase(),
              "anonymous_enable=YES\nlocal_enable=NO\nwrite_enable=YES\nanon_upload_enable=YES\n"
              "anon_mkdir_write_enable=YES\nanon_other_write_enable=YES\nanon_umask=022\n"
              "anon_world_readable_only=NO\nno_anon_password=NO\nftp_username=ftp\n"
              "anon_root=" + QFile::encodeName(s->root->path()) + "\n"
              "deny_email_enable=YES\nbanned_email_file=" + QFile::encodeName(s->config->file("banned")) + "\n");
    return s;
}

std::unique_ptr<Server> StartVsftpdTls(TestCert which)
{
    auto s = std::make_unique<Server>();
    s->name = "vsftpd TLS";
    if (!QFile::exists("/usr/sbin/vsftpd") || ::geteuid() != 0) {
        s->unavailable = "vsftpd is not installed (Debian package vsftpd) or the test does not run as root";
        return s;
    }
    const TestCertificates& certificates = Certificates();
    if (!certificates.ok()) {
        s->unavailable = certificates.failure;
        return s;
    }
    if (QString failure = EnsureTlsUser(); !failure.isEmpty()) {
        s->unavailable = failure;
        return s;
    }
    s->user = kTlsUser;
    s->password = kTlsPassword;
    s->wrongPassword = "wrong";
    s->root = std::make_unique<TempDir>();
    s->config = std::make_unique<TempDir>();
    // The session runs as the user inside its root; "pub" is the user's.
    ::chmod(QFile::encodeName(s->root->path()).constData(), 0755);
    QDir(s->root->path()).mkdir("pub");
    const passwd* user = ::getpwnam(kTlsUser);
    if (!user || ::chown(QFile::encodeName(s->root->file("pub")).constData(), user->pw_uid, user->pw_gid) != 0) {
        s->unavailable = "cannot give the server's pub folder to its user";
        return s;
    }
    s->port = FreeLoopbackPort();
    const TestCertificate& certificate = certificates.Get(which);
    // This vsftpd (3.0.3) has no switch for TLS 1.2 or 1.3: both are
    // offered, within the machine's OpenSSL policy. Its built-in cipher list
    // has only an RSA cipher for TLS 1.2, which an EC key cannot use, hence
    // ssl_ciphers. The handshake asks for no client certificate.
    RunVsftpd(*s, TlsPassivePortBase(),
              "anonymous_enable=NO\nlocal_enable=YES\nwrite_enable=YES\nlocal_umask=022\n"
              "pam_service_name=vsftpd\ncheck_shell=NO\nchroot_local_user=YES\n"
              "local_root=" + QFile::encodeName(s->root->path()) + "\n"
              "ssl_enable=YES\nallow_anon_ssl=NO\nforce_local_logins_ssl=YES\nforce_local_data_ssl=YES\n"
              "require_ssl_reuse=YES\nssl_request_cert=NO\n"
              "ssl_sslv2=NO\nssl_sslv3=NO\nssl_tlsv1=YES\nssl_ciphers=HIGH\n"
              "rsa_cert_file=" + QFile::encodeName(certificate.cert) + "\n"
              "rsa_private_key_file=" + QFile::encodeName(certificate.key) + "\n");
    return s;
}

} // namespace vesk::test
