// Helpers of the socket tests: bounded waits, scripted loopback peers, real
// proxy servers started as child processes, descriptor counts.
#include "NetTestUtil.h"

#include "support/TempDir.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QEventLoop>
#include <QTimer>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstring>

namespace vesk::test {

bool WaitUntil(const std::function<bool()>& done, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QTimer wake;
        wake.start(int(std::min<qint64>(deadline.remainingTime(), 50)));
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }
    return true;
}

void RunEventsFor(int ms)
{
    WaitUntil([] { return false; }, ms);
}

int FreeLoopbackPort()
{
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in at{};
    at.sin_family = AF_INET;
    at.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof at;
    int port = 0;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&at), sizeof at) == 0 &&
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&at), &length) == 0)
        port = ntohs(at.sin_port);
    ::close(fd);
    return port;
}

int OpenDescriptorCount()
{
    return int(QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).size());
}

// --- PeerConnection ---------------------------------------------------------------

namespace {

bool WaitReadable(int fd, std::chrono::steady_clock::time_point deadline)
{
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0)
        return false;
    pollfd p{fd, POLLIN, 0};
    return ::poll(&p, 1, int(left.count())) > 0;
}

} // namespace

QByteArray PeerConnection::Read(int n, int timeoutMs)
{
    QByteArray out;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (out.size() < n && WaitReadable(fd_, deadline)) {
        char buffer[4096];
        ssize_t got = ::recv(fd_, buffer, std::min<std::size_t>(sizeof buffer, std::size_t(n - out.size())), 0);
        if (got <= 0)
            break;
        out.append(buffer, got);
    }
    return out;
}

QByteArray PeerConnection::ReadUntil(char terminator, int limit, int timeoutMs)
{
    QByteArray out;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (out.size() < limit && WaitReadable(fd_, deadline)) {
        char c;
        if (::recv(fd_, &c, 1, 0) != 1)
            break;
        out.append(c);
        if (c == terminator)
            break;
    }
    return out;
}

QByteArray PeerConnection::ReadAll(int timeoutMs)
{
    QByteArray out;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (WaitReadable(fd_, deadline)) {
        char buffer[65536];
        ssize_t got = ::recv(fd_, buffer, sizeof buffer, 0);
        if (got <= 0)
            break;
        out.append(buffer, got);
    }
    return out;
}

void PeerConnection::Write(const QByteArray& bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::send(fd_, bytes.constData() + done, std::size_t(bytes.size() - done), MSG_NOSIGNAL);
        if (n <= 0)
            return;
        done += n;
    }
}

void PeerConnection::WriteSplit(const QByteArray& bytes)
{
    for (char c : bytes) {
        Write(QByteArray(1, c));
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

void PeerConnection::Reset()
{
    linger hard{1, 0};
    ::setsockopt(fd_, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
    ::close(fd_);
    fd_ = -1;
}

// --- ScriptedPeer --------------------------------------------------------------------

ScriptedPeer::ScriptedPeer(std::function<void(PeerConnection&)> script) : script_(std::move(script))
{
    listenFd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in at{};
    at.sin_family = AF_INET;
    at.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof at;
    ::bind(listenFd_, reinterpret_cast<sockaddr*>(&at), sizeof at);
    ::listen(listenFd_, 16);
    ::getsockname(listenFd_, reinterpret_cast<sockaddr*>(&at), &length);
    port_ = ntohs(at.sin_port);
    thread_ = std::thread([this] { Run(); });
}

void ScriptedPeer::Stop()
{
    if (!thread_.joinable())
        return;
    stop_ = true;
    thread_.join();
    ::close(listenFd_);
}

void ScriptedPeer::Run()
{
    while (!stop_) {
        pollfd p{listenFd_, POLLIN, 0};
        if (::poll(&p, 1, 20) <= 0)
            continue;
        int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0)
            continue;
        ++connections_;
        PeerConnection connection(fd);
        script_(connection);
        if (connection.fd() >= 0)
            ::close(connection.fd());
    }
}

// --- ServerProcess ---------------------------------------------------------------------

ServerProcess::ServerProcess(const QString& program, const QStringList& arguments, int port)
{
    process_.setProcessChannelMode(QProcess::MergedChannels);
    // A test program that is killed must not leave its server running.
    process_.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
    process_.start(program, arguments);
    if (!process_.waitForStarted(5000)) {
        failure_ = program + QStringLiteral(" did not start: ") + process_.errorString();
        return;
    }
    QDeadlineTimer deadline(10000);
    while (!deadline.hasExpired() && process_.state() == QProcess::Running) {
        int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in at{};
        at.sin_family = AF_INET;
        at.sin_port = htons(std::uint16_t(port));
        at.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bool up = ::connect(fd, reinterpret_cast<sockaddr*>(&at), sizeof at) == 0;
        ::close(fd);
        if (up) {
            started_ = true;
            return;
        }
        process_.waitForFinished(50);
    }
    failure_ = program + QStringLiteral(" is not listening on port %1: ").arg(port) +
               QString::fromLocal8Bit(process_.readAll()).left(500);
}

ServerProcess::~ServerProcess()
{
    StopProcess(process_);
}

// --- SocketLog ------------------------------------------------------------------------------

SocketLog::SocketLog(TCustomAsyncSocket& socket, bool readData)
{
    socket.OnSessionConnected = [this](TCustomAsyncSocket*, int e) { events << QStringLiteral("connected %1").arg(e); };
    socket.OnSessionClosed = [this](TCustomAsyncSocket*, int e) { events << QStringLiteral("closed %1").arg(e); };
    socket.OnDataSent = [this](TCustomAsyncSocket*, int e) { events << QStringLiteral("sent %1").arg(e); };
    if (readData)
        socket.OnDataAvailable = [this](TCustomAsyncSocket* s, int) {
            char buffer[4096];
            int n = s->Receive(buffer, sizeof buffer);
            if (n > 0)
                data.append(buffer, n);
        };
}

int SocketLog::Count(const QString& prefix) const
{
    int n = 0;
    for (const QString& e : events)
        if (e.startsWith(prefix))
            ++n;
    return n;
}

} // namespace vesk::test
