// A scripted FTP server for transcript tests: it plays a written
// conversation on one control connection (and the data connections it
// names), injects faults, and records exactly what the client sent.
#pragma once

#include "NetTestUtil.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <mutex>
#include <ostream>

// Readable strings in test failures.
inline void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}

namespace vesk::test {

// Transcript lines, one step each:
//   S <text>          the server sends text + CR LF; {pasv} becomes
//                     127,0,0,1,h,l of its data listener, {other} 10,9,8,7,h,l
//   R <text>          sends text as it is (\r and \n written as escapes)
//   FILL <n>          sends n bytes "x" without a line end
//   C <text>          the client must send this line; "*" at the end matches any rest
//   ACCEPT            accepts the client's passive data connection
//   CONNECT           connects to the address of the client's last PORT
//   CONNECT-FROM <a>  the same from local address a (kept open, never used)
//   DSEND <text>      sends on the data connection (escapes as for R)
//   DFILL <n>         sends n bytes on the data connection
//   DRECV             reads the data connection until the client closes it
//   DQUIET            the client must not have sent anything on it yet
//   DCLOSE            closes the data connection
//   CLOSE             closes the control connection
//   WAIT-CLOSE        reads the control connection until the client closes it
//   FLOOD <text>      sends text + CR LF again and again until the client closes
//   SLEEP <ms>
// A step that does not happen (a different line, nothing within 5 s) is
// recorded as a failure and ends the play. After the last step the server
// waits (up to 10 s) for the client to close, unless that step was CLOSE.
class FtpScript {
public:
    explicit FtpScript(const QStringList& transcript);
    ~FtpScript();
    int port() const { return peer_->port(); }
    // Waits for the play to end (bounded by its steps' time limits).
    void Finish();
    QStringList Sent() const;
    QStringList Failures() const;
    QByteArray Uploaded() const;

private:
    void Play(PeerConnection& control);

    QStringList transcript_;
    int dataListener_ = -1;
    int dataPort_ = 0;
    mutable std::mutex mutex_;
    QStringList sent_, failures_;
    QByteArray uploaded_;
    std::unique_ptr<ScriptedPeer> peer_;
};

} // namespace vesk::test
