// Helpers of the socket tests: bounded waits, scripted loopback peers, real
// proxy servers started as child processes, descriptor counts.
#pragma once

#include "net/SyncSocket.h"

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace vesk::test {

// Runs this thread's events until `done` holds or timeoutMs pass; returns `done()`.
bool WaitUntil(const std::function<bool()>& done, int timeoutMs = 10000);
// Runs this thread's events for about `ms` (for "nothing more happens" checks).
void RunEventsFor(int ms);
// A loopback TCP port that was free a moment ago.
int FreeLoopbackPort();
// Entries of /proc/self/fd.
int OpenDescriptorCount();

// One accepted connection of a ScriptedPeer, used by its script on the
// peer's own thread. Every read waits at most timeoutMs.
class PeerConnection {
public:
    explicit PeerConnection(int fd) : fd_(fd) {}
    // Exactly n bytes, or fewer when the client closed or the time is up.
    QByteArray Read(int n, int timeoutMs = 5000);
    // Up to and including `terminator`, at most `limit` bytes.
    QByteArray ReadUntil(char terminator, int limit = 4096, int timeoutMs = 5000);
    // Everything until the client closes (or the time is up).
    QByteArray ReadAll(int timeoutMs = 5000);
    void Write(const QByteArray& bytes);
    // One byte per write, with a short pause, so the client sees them apart.
    void WriteSplit(const QByteArray& bytes);
    // Closes with a reset instead of an orderly close.
    void Reset();
    int fd() const { return fd_; }

private:
    int fd_;
};

// A loopback server on its own thread that runs `script` for each accepted
// connection, one after the other, and closes the connection afterwards.
class ScriptedPeer {
public:
    explicit ScriptedPeer(std::function<void(PeerConnection&)> script);
    ~ScriptedPeer() { Stop(); }
    // Ends the peer after the connection it serves; what its script wrote
    // to captured variables is complete afterwards.
    void Stop();
    int port() const { return port_; }
    QString portText() const { return QString::number(port_); }
    int connections() const { return connections_; }

private:
    void Run();
    std::function<void(PeerConnection&)> script_;
    int listenFd_ = -1;
    int port_ = 0;
    std::atomic<bool> stop_{false};
    std::atomic<int> connections_{0};
    std::thread thread_;
};

// A server program run as a child process, stopped by its process id.
class ServerProcess {
public:
    // Starts `program` and waits (bounded) until 127.0.0.1:port accepts.
    ServerProcess(const QString& program, const QStringList& arguments, int port);
    ~ServerProcess();
    bool Started() const { return started_; }
    // Why it did not start, for the skip message.
    QString Failure() const { return failure_; }

private:
    QProcess process_;
    bool started_ = false;
    QString failure_;
};

// Everything a socket reported, in order, as short strings
// ("connected 0", "closed 10054", "sent 0", …) and the data it received.
struct SocketLog {
    explicit SocketLog(TCustomAsyncSocket& socket, bool readData = true);
    QStringList events;
    QByteArray data;
    int Count(const QString& prefix) const;
};

} // namespace vesk::test
