// Real FTP servers started by tests on 127.0.0.1.
#include "FtpServers.h"

#include <QDir>
#include <QFile>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vesk::test {

namespace {

// pyftpdlib picks passive ports itself; vsftpd gets a range of its own.
int PassivePortBase()
{
    return 40000 + int(::getpid() % 200) * 50;
}

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

std::unique_ptr<Server> StartVsftpd()
{
    auto s = std::make_unique<Server>();
    s->name = "vsftpd";
    // vsftpd runs anonymous sessions as the "ftp" user its package creates.
    if (!QFile::exists("/usr/sbin/vsftpd") || ::geteuid() != 0 || !::getpwnam("ftp"))
        return s;
    s->root = std::make_unique<TempDir>();
    s->config = std::make_unique<TempDir>();
    // The anonymous session runs as nobody inside its root.
    ::chmod(QFile::encodeName(s->root->path()).constData(), 0755);
    QDir(s->root->path()).mkdir("pub");
    ::chmod(QFile::encodeName(s->root->file("pub")).constData(), 0777);
    QDir(s->config->path()).mkdir("empty");
    ::chmod(QFile::encodeName(s->config->path()).constData(), 0755);
    s->port = FreeLoopbackPort();
    s->user = "anonymous";
    s->password = "vesk@example.org";
    s->wrongPassword = "banned@example.org";
    WriteFileBytes(s->config->file("banned"), "banned@example.org\n");
    const int base = PassivePortBase();
    QByteArray conf = "listen=YES\nlisten_ipv6=NO\nlisten_address=127.0.0.1\nbackground=NO\n"
                      "listen_port=" + QByteArray::number(s->port) + "\n"
                      "anonymous_enable=YES\nlocal_enable=NO\nwrite_enable=YES\nanon_upload_enable=YES\n"
                      "anon_mkdir_write_enable=YES\nanon_other_write_enable=YES\nanon_umask=022\n"
                      "anon_world_readable_only=NO\nno_anon_password=NO\nftp_username=ftp\n"
                      "anon_root=" + QFile::encodeName(s->root->path()) + "\n"
                      "deny_email_enable=YES\nbanned_email_file=" + QFile::encodeName(s->config->file("banned")) + "\n"
                      "allow_writeable_chroot=YES\nseccomp_sandbox=NO\n"
                      "secure_chroot_dir=" + QFile::encodeName(s->config->file("empty")) + "\n"
                      "pasv_enable=YES\npasv_min_port=" + QByteArray::number(base) + "\n"
                      "pasv_max_port=" + QByteArray::number(base + 49) + "\n"
                      "port_enable=YES\nconnect_from_port_20=NO\nxferlog_enable=NO\ndirmessage_enable=NO\n"
                      "hide_ids=YES\nuse_localtime=NO\n";
    WriteFileBytes(s->config->file("vsftpd.conf"), conf);
    s->process = std::make_unique<ServerProcess>("/usr/sbin/vsftpd", QStringList{s->config->file("vsftpd.conf")},
                                                 s->port);
    return s;
}

} // namespace vesk::test
