// The asynchronous socket proper: settings, opening (connect, listen, accept,
// adopt) and closing. Events, sending, receiving and look-ups are in
// AsyncSocketIo.cpp.
#include "net/AsyncSocket.h"

#include "net/SocketPump.h"
#include "net/SocketWindow.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <linux/sockios.h>

#include <atomic>
#include <cerrno>
#include <chrono>

namespace vesk {

namespace {

std::atomic<int> g_liveSockets{0};

constexpr int kUdpProtocol = 17;

int LastSystemError()
{
    return WinsockErrorFromErrno(errno);
}

bool SetIntOption(int fd, int level, int option, int value)
{
    return ::setsockopt(fd, level, option, &value, sizeof value) == 0;
}

} // namespace

bool TCustomAsyncSocket::Window::event(QEvent* e)
{
    switch (int(e->type())) {
    case kWmSocketEvent:
    case kWmHostLookupDone:
    case kWmReverseLookupDone:
    case kWmRedeliverData:
        Dispatch([&] { socket_->WindowProc(e); });
        return true;
    default:
        return QObject::event(e);
    }
}

TCustomAsyncSocket::TCustomAsyncSocket()
    : window_(std::make_unique<Window>(this)), transport_(std::make_unique<TPlainTransport>())
{
    readNotifier_ = new QSocketNotifier(QSocketNotifier::Read, window_.get());
    writeNotifier_ = new QSocketNotifier(QSocketNotifier::Write, window_.get());
    QObject::connect(readNotifier_, &QSocketNotifier::activated, window_.get(),
                     [this] { window_->Dispatch([this] { OnReadReady(); }); });
    QObject::connect(writeNotifier_, &QSocketNotifier::activated, window_.get(),
                     [this] { window_->Dispatch([this] { OnWriteReady(); }); });
    WatchApplicationQuit();
    ++g_liveSockets;
}

TCustomAsyncSocket::~TCustomAsyncSocket()
{
    destroying_ = true;
    try {
        CancelDnsLookup();
        InternalClose(true, 0);
    } catch (...) {
        // Nothing can be reported from a destructor.
    }
    if (fd_ >= 0)
        DropHandle();
    window_.reset();
    --g_liveSockets;
}

int TCustomAsyncSocket::LiveSocketCount()
{
    return g_liveSockets;
}

// --- Settings --------------------------------------------------------------

void TCustomAsyncSocket::SetAssigned(QString& field, bool& assigned, bool& resolved, const QString& value,
                                     const char* name)
{
    QString trimmed = value.trimmed();
    if (assigned && trimmed == field)
        return;
    if (state_ != wsClosed) {
        RaiseException(QStringLiteral("Cannot change %1 if not closed").arg(QLatin1String(name)));
        return;
    }
    field = trimmed;
    assigned = !trimmed.isEmpty();
    resolved = false;
}

void TCustomAsyncSocket::SetAddr(const QString& value)
{
    SetAssigned(addr_, addrAssigned_, addrResolved_, value, "Addr");
}

void TCustomAsyncSocket::SetPort(const QString& value)
{
    SetAssigned(port_, portAssigned_, portResolved_, value, "Port");
}

void TCustomAsyncSocket::SetProto(const QString& value)
{
    SetAssigned(proto_, protoAssigned_, protoResolved_, value, "Proto");
    // The port is looked up for the protocol's name, so it follows.
    if (!protoResolved_)
        portResolved_ = false;
}

void TCustomAsyncSocket::SetLocalPort(const QString& value)
{
    if (state_ != wsClosed) {
        RaiseException(QStringLiteral("Cannot change LocalPort if not closed"));
        return;
    }
    localPort_ = value.trimmed();
    localPortResolved_ = false;
}

void TCustomAsyncSocket::SetSendFlags(TSocketSendFlags value)
{
    if (value != wsSendNormal && value != wsSendUrgent) {
        RaiseException(QStringLiteral("Invalid SendFlags"));
        return;
    }
    sendFlags_ = value;
}

bool TCustomAsyncSocket::ProtoIsTcp() const
{
    return socketType_ == SOCK_STREAM;
}

// --- Reporting --------------------------------------------------------------

void TCustomAsyncSocket::RaiseException(const QString& message)
{
    if (OnError) {
        OnError(this);
        return;
    }
    throw ESocketError(message);
}

void TCustomAsyncSocket::SocketError(const QString& function, int code)
{
    lastError_ = code;
    if (code == kWsaECONNRESET || code == kWsaENOTCONN)
        DropHandle();
    RaiseException(SocketErrorReport(function, code));
}

void TCustomAsyncSocket::SetState(TSocketState state)
{
    if (state == state_)
        return;
    TSocketState old = state_;
    state_ = state;
    UpdateNotifiers();
    if (OnChangeState && !destroying_)
        OnChangeState(this, old, state);
}

void TCustomAsyncSocket::HandleBackgroundException(const std::exception& e)
{
    bool canClose = true;
    if (OnBgException) {
        try {
            OnBgException(this, e, canClose);
        } catch (...) {
            // A failing handler of failures is ignored.
        }
    }
    if (canClose) {
        try {
            Abort();
        } catch (...) {
        }
    }
}

// --- Handles and notifiers ---------------------------------------------------

void TCustomAsyncSocket::AdoptHandle(int fd)
{
    fd_ = fd;
    ++generation_;
    readArmed_ = true;
    acceptArmed_ = true;
    writeWanted_ = false;
    sendAwaitsRead_ = false;
    sendShut_ = false;
    closeReported_ = false;
    // Notifiers are reassigned, never re-created: one may be the sender of
    // the event that is running now.
    readNotifier_->setSocket(fd);
    writeNotifier_->setSocket(fd);
    UpdateNotifiers();
}

void TCustomAsyncSocket::DropHandle()
{
    if (fd_ >= 0) {
        readNotifier_->setEnabled(false);
        writeNotifier_->setEnabled(false);
        ::close(fd_);
        fd_ = -1;
        transport_ = std::make_unique<TPlainTransport>();
    }
    SetState(wsClosed);
}

void TCustomAsyncSocket::UpdateNotifiers()
{
    if (!readNotifier_)
        return;
    bool live = fd_ >= 0 && !paused_ && !closing_;
    bool datagram = socketType_ == SOCK_DGRAM;
    bool read = live && ((state_ == wsConnected && readArmed_) ||
                         (state_ == wsListening && (datagram ? readArmed_ : acceptArmed_)));
    bool write = live && (state_ == wsConnecting || (state_ == wsConnected && writeWanted_));
    if (readNotifier_->isEnabled() != read)
        readNotifier_->setEnabled(read);
    if (writeNotifier_->isEnabled() != write)
        writeNotifier_->setEnabled(write);
}

void TCustomAsyncSocket::SetTransport(std::unique_ptr<TSocketTransport> transport)
{
    transport_ = transport ? std::move(transport) : std::make_unique<TPlainTransport>();
}

// --- Opening ------------------------------------------------------------------

void TCustomAsyncSocket::ResolveForOpen()
{
    if (!protoResolved_) {
        protoNumber_ = SocketResolveProto(proto_);
        socketType_ = protoNumber_ == kUdpProtocol ? SOCK_DGRAM : SOCK_STREAM;
        protoResolved_ = true;
        portResolved_ = false;
    }
    QString protoName = socketType_ == SOCK_DGRAM ? QStringLiteral("udp") : QStringLiteral("tcp");
    if (!portResolved_) {
        portNumber_ = SocketResolvePort(port_, protoName);
        portResolved_ = true;
    }
    if (!localPortResolved_) {
        localPortNumber_ = SocketResolvePort(localPort_, protoName);
        localPortResolved_ = true;
    }
}

TSocketAddress TCustomAsyncSocket::ConnectDestination()
{
    if (!addrResolved_) {
        remote_ = SocketResolveHost(addr_);
        addrResolved_ = true;
    }
    return TSocketAddress{remote_.ipv4, std::uint16_t(portNumber_)};
}

bool TCustomAsyncSocket::BindLocal()
{
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_port = htons(std::uint16_t(localPortNumber_));
    local.sin_addr.s_addr = htonl(INADDR_ANY);
    if (::bind(fd_, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0) {
        int code = LastSystemError();
        lastError_ = code;
        RaiseException(QStringLiteral("winsock.bind failed, error #%1").arg(code));
        return false;
    }
    std::optional<TSocketAddress> bound = GetSockName();
    if (!bound) {
        RaiseException(QStringLiteral("winsock.getsockname failed, error #%1").arg(lastError_));
        return false;
    }
    localPortNumber_ = bound->port;
    localPort_ = QString::number(bound->port);
    return true;
}

void TCustomAsyncSocket::Connect()
{
    if (fd_ >= 0 && state_ != wsClosed) {
        RaiseException(QStringLiteral("Connect: Socket already in use"));
        return;
    }
    if (!portAssigned_) {
        RaiseException(QStringLiteral("Connect: No Port Specified"));
        return;
    }
    if (!addrAssigned_) {
        RaiseException(QStringLiteral("Connect: No IP Address Specified"));
        return;
    }
    if (!protoAssigned_) {
        RaiseException(QStringLiteral("Connect: No Protocol Specified"));
        return;
    }
    TSocketAddress destination;
    try {
        ResolveForOpen();
        destination = ConnectDestination();
    } catch (const ESocketError& e) {
        RaiseException(QStringLiteral("connect: ") + e.Message());
        return;
    }
    remote_ = destination;

    sendQueue_.Clear();
    allSent_ = true;
    if (fd_ >= 0)
        DropHandle();
    int fd = ::socket(AF_INET, socketType_ | SOCK_NONBLOCK | SOCK_CLOEXEC, protoNumber_);
    if (fd < 0) {
        SocketError(QStringLiteral("Connect (socket)"), LastSystemError());
        return;
    }
    AdoptHandle(fd);
    SetState(wsOpened);
    quint64 generation = generation_;
    // A setup step that fails leaves no half-made handle behind.
    auto fail = [&](const char* function) {
        int code = LastSystemError();
        DropHandle();
        SocketError(QLatin1String(function), code);
    };

    if (socketType_ == SOCK_DGRAM) {
        if (!BindLocal()) {
            if (generation == generation_)
                DropHandle();
            return;
        }
        if (destination.ipv4 == INADDR_BROADCAST && !SetIntOption(fd, SOL_SOCKET, SO_BROADCAST, 1))
            return fail("setsockopt(SO_BROADCAST)");
        SetState(wsConnected);
        TriggerSessionConnected(0);
        return;
    }
    if (localPortNumber_ != 0 && !BindLocal()) {
        if (generation == generation_)
            DropHandle();
        return;
    }
    SetLingerOption();
    if (generation != generation_)
        return;
    if (!SetIntOption(fd, SOL_SOCKET, SO_KEEPALIVE, 1))
        return fail("setsockopt(SO_KEEPALIVE)");
    if (!SetIntOption(fd, SOL_SOCKET, SO_REUSEADDR, 1))
        return fail("setsockopt(SO_REUSEADDR)");
    sockaddr_in to;
    destination.ToSockaddr(to);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&to), sizeof to) != 0 && errno != EINPROGRESS &&
        errno != EAGAIN)
        return fail("Connect");
    SetState(wsConnecting);
}

void TCustomAsyncSocket::Listen()
{
    const char* missing = !portAssigned_ ? "listen: port not assigned"
                          : !protoAssigned_ ? "listen: protocol not assigned"
                          : !addrAssigned_  ? "listen: address not assigned"
                                            : nullptr;
    if (missing) {
        lastError_ = kWsaEINVAL;
        RaiseException(QLatin1String(missing));
        return;
    }
    TSocketAddress local;
    try {
        ResolveForOpen();
        local = ConnectDestination();
    } catch (const ESocketError& e) {
        RaiseException(QStringLiteral("listen: ") + e.Message());
        return;
    }
    sendQueue_.Clear();
    allSent_ = true;
    if (fd_ >= 0)
        DropHandle();
    int fd = ::socket(AF_INET, socketType_ | SOCK_NONBLOCK | SOCK_CLOEXEC, protoNumber_);
    if (fd < 0) {
        SocketError(QStringLiteral("socket"), LastSystemError());
        return;
    }
    AdoptHandle(fd);
    sockaddr_in at;
    local.ToSockaddr(at);
    if (::bind(fd, reinterpret_cast<sockaddr*>(&at), sizeof at) != 0) {
        int code = LastSystemError();
        DropHandle();
        SocketError(QStringLiteral("Bind"), code);
        return;
    }
    // Port "0" asks the system for a free port; callers read it back.
    if (std::optional<TSocketAddress> bound = GetSockName())
        localPort_ = QString::number(bound->port);
    SetState(wsBound);
    if (socketType_ == SOCK_DGRAM) {
        SetState(wsListening);
        SetState(wsConnected);
        TriggerSessionConnected(0);
        return;
    }
    if (::listen(fd, 5) != 0) {
        int code = LastSystemError();
        DropHandle();
        SocketError(QStringLiteral("Listen"), code);
        return;
    }
    SetState(wsListening);
}

int TCustomAsyncSocket::Accept()
{
    if (state_ != wsListening || fd_ < 0) {
        lastError_ = kWsaEINVAL;
        RaiseException(SocketErrorReport(QStringLiteral("not a listening socket"), kWsaEINVAL));
        return -1;
    }
    acceptArmed_ = true;
    UpdateNotifiers();
    int handle;
    do
        handle = ::accept4(fd_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    while (handle < 0 && errno == EINTR);
    if (handle < 0) {
        SocketError(QStringLiteral("Accept"), LastSystemError());
        return -1;
    }
    return handle;
}

void TCustomAsyncSocket::Dup(int handle)
{
    if (handle == 0 || handle == -1) {
        lastError_ = kWsaEINVAL;
        RaiseException(SocketErrorReport(QStringLiteral("Dup"), kWsaEINVAL));
        return;
    }
    if (fd_ >= 0)
        DropHandle();
    // The handle may come from elsewhere; it must not block and must not
    // leak into programs we start.
    int flags = ::fcntl(handle, F_GETFL);
    if (flags < 0) {
        SocketError(QStringLiteral("Dup"), LastSystemError());
        return;
    }
    ::fcntl(handle, F_SETFL, flags | O_NONBLOCK);
    ::fcntl(handle, F_SETFD, FD_CLOEXEC);
    int type = SOCK_STREAM;
    socklen_t length = sizeof type;
    ::getsockopt(handle, SOL_SOCKET, SO_TYPE, &type, &length);
    socketType_ = type;
    sendQueue_.Clear();
    allSent_ = true;
    AdoptHandle(handle);
    quint64 generation = generation_;
    SetLingerOption();
    if (generation != generation_)
        return;
    // As after a connect, the first write event tells that sending may start.
    writeWanted_ = true;
    SetState(wsConnected);
}

// --- Closing ------------------------------------------------------------------

void TCustomAsyncSocket::Close()
{
    InternalClose(true, 0);
}

void TCustomAsyncSocket::Abort()
{
    CancelDnsLookup();
    sendQueue_.Clear();
    allSent_ = true;
    try {
        if (fd_ >= 0 && state_ == wsConnected && socketType_ == SOCK_STREAM) {
            lingerOnOff_ = wsLingerOff;
            lingerTimeout_ = 0;
            SetLingerOption();
        }
        InternalClose(false, 0);
    } catch (const ESocketError&) {
        // Abort is the way out; it does not fail.
    }
    if (fd_ >= 0) {
        // Inside a close that waits for its linger time: finish it here.
        closing_ = false;
        DropHandle();
        ReportSessionClosed(0);
        ResetAfterClose();
    }
}

void TCustomAsyncSocket::ShutDownLingering()
{
    // A linger time asks the close to wait until the data sent has gone out:
    // what waits in the queue is sent first, then the system's buffer drains.
    // The wait runs the thread's events rather than blocking in close(2);
    // what is still unsent when the time is up is dropped with a reset.
    bool lingering = lingerOnOff_ == wsLingerOn && lingerTimeout_ > 0 && !destroying_;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(lingering ? lingerTimeout_ : 0);
    auto waitStep = [&] {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        return left.count() > 0 && !Pump(int(std::min<long long>(left.count(), 20)));
    };
    while (lingering && fd_ >= 0 && !sendQueue_.Empty()) {
        TryToSend();
        if (fd_ < 0 || sendQueue_.Empty() || !waitStep())
            break;
    }
    if (fd_ < 0)
        return;
    transport_->Close(fd_);
    ::shutdown(fd_, SHUT_WR);
    if (!lingering)
        return;
    int unsent = 0;
    while (fd_ >= 0 && ::ioctl(fd_, SIOCOUTQ, &unsent) == 0 && unsent > 0 && sendQueue_.Empty())
        if (!waitStep())
            break;
    if (fd_ < 0)
        return;
    bool drained = sendQueue_.Empty() && ::ioctl(fd_, SIOCOUTQ, &unsent) == 0 && unsent == 0;
    linger value{drained ? 0 : 1, 0};
    ::setsockopt(fd_, SOL_SOCKET, SO_LINGER, &value, sizeof value);
}

void TCustomAsyncSocket::InternalClose(bool orderly, int error)
{
    if (state_ == wsClosed && fd_ < 0)
        return;
    if (closing_)
        return;
    if (fd_ >= 0) {
        closing_ = true;
        UpdateNotifiers();
        if (orderly && socketType_ == SOCK_STREAM) {
            quint64 generation = generation_;
            ShutDownLingering();
            // An Abort from a handler run by the wait has finished the close.
            if (generation != generation_ || fd_ < 0) {
                closing_ = false;
                return;
            }
        }
        closing_ = false;
        readNotifier_->setEnabled(false);
        writeNotifier_->setEnabled(false);
        ::close(fd_);
        fd_ = -1;
        transport_ = std::make_unique<TPlainTransport>();
    }
    SetState(wsClosed);
    quint64 generation = generation_;
    ReportSessionClosed(error);
    // A handler that opened the socket again keeps its new settings.
    if (fd_ < 0 && generation == generation_)
        ResetAfterClose();
}

void TCustomAsyncSocket::ReportSessionClosed(int error)
{
    if (closeReported_ || destroying_)
        return;
    closeReported_ = true;
    TriggerSessionClosed(error);
}

void TCustomAsyncSocket::ResetAfterClose()
{
    addrAssigned_ = portAssigned_ = protoAssigned_ = false;
    addrResolved_ = portResolved_ = protoResolved_ = localPortResolved_ = false;
    proto_ = QStringLiteral("tcp");
    localPort_ = QStringLiteral("0");
    lingerOnOff_ = wsLingerOn;
    lingerTimeout_ = 0;
    readCount_ = 0;
    closeReported_ = false;
    paused_ = false;
    allSent_ = true;
    sendQueue_.Clear();
}

int TCustomAsyncSocket::ShutDown(int how)
{
    if (fd_ < 0)
        return -1;
    if (how == SHUT_WR || how == SHUT_RDWR) {
        if (!sendShut_)
            transport_->Close(fd_);
        sendShut_ = true;
    }
    int rc = ::shutdown(fd_, how);
    if (rc != 0)
        lastError_ = LastSystemError();
    return rc;
}

void TCustomAsyncSocket::SetLingerOption()
{
    if (fd_ < 0 || lingerOnOff_ == wsLingerNoSet)
        return;
    linger value{lingerOnOff_ == wsLingerOn ? 1 : 0, lingerTimeout_};
    if (::setsockopt(fd_, SOL_SOCKET, SO_LINGER, &value, sizeof value) != 0)
        SocketError(QStringLiteral("setsockopt(SO_LINGER)"), LastSystemError());
}

std::optional<TSocketAddress> TCustomAsyncSocket::GetSockName()
{
    if (fd_ < 0) {
        lastError_ = kWsaENOTSOCK;
        return std::nullopt;
    }
    sockaddr_storage name{};
    socklen_t length = sizeof name;
    if (::getsockname(fd_, reinterpret_cast<sockaddr*>(&name), &length) != 0) {
        lastError_ = LastSystemError();
        return std::nullopt;
    }
    return TSocketAddress::FromSockaddr(reinterpret_cast<sockaddr*>(&name));
}

QString TCustomAsyncSocket::GetPeerAddr()
{
    sockaddr_storage name{};
    socklen_t length = sizeof name;
    if (fd_ < 0 || ::getpeername(fd_, reinterpret_cast<sockaddr*>(&name), &length) != 0)
        return QStringLiteral("error");
    std::optional<TSocketAddress> peer = TSocketAddress::FromSockaddr(reinterpret_cast<sockaddr*>(&name));
    return peer ? peer->ToString() : QStringLiteral("error");
}

QString TCustomAsyncSocket::GetPeerPort()
{
    sockaddr_storage name{};
    socklen_t length = sizeof name;
    if (fd_ < 0 || ::getpeername(fd_, reinterpret_cast<sockaddr*>(&name), &length) != 0)
        return QStringLiteral("error");
    std::optional<TSocketAddress> peer = TSocketAddress::FromSockaddr(reinterpret_cast<sockaddr*>(&name));
    return peer ? QString::number(peer->port) : QStringLiteral("error");
}

} // namespace vesk
