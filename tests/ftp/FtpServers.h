// Real FTP servers started by tests on 127.0.0.1: pyftpdlib with a user and
// a password, and vsftpd with an anonymous user whose root is a temporary
// folder (so nothing on the machine changes); both also with explicit TLS
// (AUTH TLS), presenting a certificate of TestCertificates.h. Each server's
// "pub" folder is writable. A server stops, by its process id, when its
// object dies.
#pragma once

#include "NetTestUtil.h"
#include "TestCertificates.h"
#include "support/TempDir.h"

#include <QString>

#include <memory>

namespace vesk::test {

struct Server {
    QString name;
    std::unique_ptr<TempDir> root;  // what the server serves; "pub" is writable
    std::unique_ptr<TempDir> config;
    std::unique_ptr<ServerProcess> process;  // null when the server cannot run here
    QString unavailable;                     // why process is null, for the skip message
    int port = 0;
    QString user, password, wrongPassword;
};

std::unique_ptr<Server> StartPyftpdlib();
// process stays null unless vsftpd is installed and the tests run as root.
std::unique_ptr<Server> StartVsftpd();

// vsftpd with explicit TLS for a local user (user and password in the
// Server) whose root is a temporary folder, presenting `certificate`:
// logins and data need TLS (vsftpd has no way to answer PROT P with clear
// data: that server is scripted), data connections must reuse the control connection's TLS
// session, passive and active mode. The user is an account of this machine,
// "veskftps", made on first use and kept (its password is reset each time).
// process stays null unless vsftpd and openssl are installed and the tests
// run as root.
std::unique_ptr<Server> StartVsftpdTls(TestCert certificate = TestCert::Localhost);

} // namespace vesk::test
