// Real FTP servers started by tests on 127.0.0.1: pyftpdlib with a user and
// a password, and vsftpd with an anonymous user whose root is a temporary
// folder (so nothing on the machine changes). Each server's "pub" folder is
// writable. A server stops, by its process id, when its object dies.
#pragma once

#include "NetTestUtil.h"
#include "support/TempDir.h"

#include <QString>

#include <memory>

namespace vesk::test {

struct Server {
    QString name;
    std::unique_ptr<TempDir> root;  // what the server serves; "pub" is writable
    std::unique_ptr<TempDir> config;
    std::unique_ptr<ServerProcess> process;  // null when the server is not installed
    int port = 0;
    QString user, password, wrongPassword;
};

std::unique_ptr<Server> StartPyftpdlib();
// process stays null unless vsftpd is installed and the tests run as root.
std::unique_ptr<Server> StartVsftpd();

} // namespace vesk::test
