// A scripted FTP server for transcript tests.
#include "FtpScript.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <thread>

namespace vesk::test {

namespace {

QByteArray Unescape(const QString& text)
{
    QByteArray out = text.toUtf8();
    out.replace("\\r", "\r");
    out.replace("\\n", "\n");
    return out;
}

int ConnectTo(std::uint32_t address, int port, const char* from)
{
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (from) {
        sockaddr_in local{};
        local.sin_family = AF_INET;
        ::inet_pton(AF_INET, from, &local.sin_addr);
        ::bind(fd, reinterpret_cast<sockaddr*>(&local), sizeof local);
    }
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(std::uint16_t(port));
    to.sin_addr.s_addr = htonl(address);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&to), sizeof to) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

} // namespace

FtpScript::FtpScript(const QStringList& transcript) : transcript_(transcript)
{
    dataListener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in at{};
    at.sin_family = AF_INET;
    at.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof at;
    ::bind(dataListener_, reinterpret_cast<sockaddr*>(&at), sizeof at);
    ::listen(dataListener_, 4);
    ::getsockname(dataListener_, reinterpret_cast<sockaddr*>(&at), &length);
    dataPort_ = ntohs(at.sin_port);
    bool played = false;
    peer_ = std::make_unique<ScriptedPeer>([this, played](PeerConnection& c) mutable {
        if (!played) {
            played = true;
            Play(c);
        }
    });
}

FtpScript::~FtpScript()
{
    Finish();
    ::close(dataListener_);
}

void FtpScript::Finish()
{
    peer_->Stop();
}

QStringList FtpScript::Sent() const
{
    std::lock_guard lock(mutex_);
    return sent_;
}

QStringList FtpScript::Failures() const
{
    std::lock_guard lock(mutex_);
    return failures_;
}

QByteArray FtpScript::Uploaded() const
{
    std::lock_guard lock(mutex_);
    return uploaded_;
}

void FtpScript::Play(PeerConnection& control)
{
    std::unique_ptr<PeerConnection> data;
    std::vector<int> strangers;
    std::uint32_t portAddress = 0;
    int portNumber = 0;
    auto fail = [&](const QString& why) {
        std::lock_guard lock(mutex_);
        failures_ << why;
    };
    bool closeNow = false;
    const QString pasv = QStringLiteral("127,0,0,1,%1,%2").arg(dataPort_ >> 8).arg(dataPort_ & 0xff);
    const QString other = QStringLiteral("10,9,8,7,%1,%2").arg(dataPort_ >> 8).arg(dataPort_ & 0xff);
    for (const QString& step : transcript_) {
        const QString verb = step.section(u' ', 0, 0);
        QString arg = step.section(u' ', 1);
        if (verb == u"S") {
            arg.replace(QLatin1String("{pasv}"), pasv).replace(QLatin1String("{other}"), other);
            control.Write(arg.toUtf8() + "\r\n");
        } else if (verb == u"R") {
            control.Write(Unescape(arg));
        } else if (verb == u"FILL") {
            control.Write(QByteArray(arg.toInt(), 'x'));
        } else if (verb == u"C") {
            QString line = QString::fromUtf8(control.ReadUntil('\n', 65536));
            if (!line.endsWith(QLatin1String("\r\n"))) {
                fail(QStringLiteral("expected \"%1\", the client sent \"%2\" and nothing more").arg(arg, line));
                break;
            }
            line.chop(2);
            {
                std::lock_guard lock(mutex_);
                sent_ << line;
            }
            if (line.startsWith(QLatin1String("PORT "))) {
                QStringList n = line.mid(5).split(u',');
                if (n.size() == 6) {
                    portAddress = (n[0].toUInt() << 24) | (n[1].toUInt() << 16) | (n[2].toUInt() << 8) | n[3].toUInt();
                    portNumber = n[4].toInt() * 256 + n[5].toInt();
                }
            }
            bool match = arg.endsWith(u'*') ? line.startsWith(arg.chopped(1)) : line == arg;
            if (!match) {
                fail(QStringLiteral("expected \"%1\", the client sent \"%2\"").arg(arg, line));
                break;
            }
        } else if (verb == u"ACCEPT") {
            pollfd p{dataListener_, POLLIN, 0};
            if (::poll(&p, 1, 5000) <= 0) {
                fail(QStringLiteral("no data connection"));
                break;
            }
            data = std::make_unique<PeerConnection>(::accept4(dataListener_, nullptr, nullptr, SOCK_CLOEXEC));
        } else if (verb == u"CONNECT" || verb == u"CONNECT-FROM") {
            QByteArray from = arg.toLatin1();
            int fd = ConnectTo(portAddress, portNumber, verb == u"CONNECT" ? nullptr : from.constData());
            if (fd < 0) {
                fail(QStringLiteral("cannot connect to the PORT address"));
                break;
            }
            if (verb == u"CONNECT")
                data = std::make_unique<PeerConnection>(fd);
            else
                strangers.push_back(fd);
        } else if (verb == u"DSEND" && data) {
            data->Write(Unescape(arg));
        } else if (verb == u"DFILL" && data) {
            QByteArray chunk(65536, 'd');
            for (qint64 left = arg.toLongLong(); left > 0; left -= chunk.size())
                data->Write(chunk.left(int(std::min<qint64>(left, chunk.size()))));
        } else if (verb == u"DRECV" && data) {
            QByteArray got = data->ReadAll();
            std::lock_guard lock(mutex_);
            uploaded_ += got;
        } else if (verb == u"DQUIET" && data) {
            pollfd p{data->fd(), POLLIN, 0};
            if (::poll(&p, 1, 0) > 0) {
                fail(QStringLiteral("data arrived too early"));
                break;
            }
        } else if (verb == u"FLOOD") {
            QByteArray line = arg.toUtf8() + "\r\n";
            auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
            while (std::chrono::steady_clock::now() < until &&
                   ::send(control.fd(), line.constData(), std::size_t(line.size()), MSG_NOSIGNAL) > 0)
                std::this_thread::sleep_for(std::chrono::microseconds(200));
        } else if (verb == u"DCLOSE" && data) {
            ::close(data->fd());
            data.reset();
        } else if (verb == u"CLOSE") {
            closeNow = true;
            break;
        } else if (verb == u"WAIT-CLOSE") {
            control.ReadAll(10000);
        } else if (verb == u"SLEEP") {
            std::this_thread::sleep_for(std::chrono::milliseconds(arg.toInt()));
        } else {
            fail(QStringLiteral("bad step \"%1\"").arg(step));
            break;
        }
    }
    if (data)
        ::close(data->fd());
    // A server does not hang up on its own: the play ends when the client closes.
    if (!closeNow && Failures().isEmpty())
        control.ReadAll(10000);
    for (int fd : strangers)
        ::close(fd);
}

} // namespace vesk::test
