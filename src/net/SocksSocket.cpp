// Connecting through a SOCKS proxy of level 4, 4A or 5 (RFC 1928, RFC 1929,
// and the SOCKS 4 and 4A protocol notes).
#include "net/SocksSocket.h"

#include <QUrl>

namespace vesk {

namespace {

// The host name as it goes on the wire: its ASCII-compatible form when it
// has one, else its UTF-8 bytes.
QByteArray HostBytes(const QString& host)
{
    QByteArray ace = QUrl::toAce(host);
    return ace.isEmpty() ? host.toUtf8() : ace;
}

void AppendPort(QByteArray& request, int port)
{
    request.append(char((port >> 8) & 0xFF));
    request.append(char(port & 0xFF));
}

QString Level5ReplyText(int code)
{
    switch (code) {
    case 1: return QStringLiteral("general SOCKS server failure");
    case 2: return QStringLiteral("connection not allowed by ruleset");
    case 3: return QStringLiteral("network unreachable");
    case 4: return QStringLiteral("host unreachable");
    case 5: return QStringLiteral("connection refused");
    case 6: return QStringLiteral("time to live expired");
    case 7: return QStringLiteral("command not supported");
    case 8: return QStringLiteral("address type not supported");
    default: return QStringLiteral("unassigned error #%1").arg(code);
    }
}

} // namespace

// --- Settings -------------------------------------------------------------------

void TCustomSocksSocket::SetSocksLevel(const QString& level)
{
    if (State() != wsClosed) {
        RaiseException(QStringLiteral("Can't change socks level if not closed"));
        return;
    }
    QString upper = level.toUpper();
    if (upper != u"4" && upper != u"4A" && upper != u"5") {
        RaiseException(QStringLiteral("Invalid socks level. Must be 4, 4A or 5."));
        return;
    }
    socksLevel_ = upper;
}

void TCustomSocksSocket::SetSocksServer(const QString& server)
{
    if (State() != wsClosed) {
        RaiseException(QStringLiteral("Can't change socks server if not closed"));
        return;
    }
    socksServer_ = server.trimmed();
}

void TCustomSocksSocket::SetSocksPort(const QString& port)
{
    if (State() != wsClosed) {
        RaiseException(QStringLiteral("Can't change socks port if not closed"));
        return;
    }
    socksPort_ = port.trimmed();
}

// --- Opening --------------------------------------------------------------------

void TCustomSocksSocket::Connect()
{
    // An open socket is refused by the socket proper; its handshake goes on.
    if (socksServer_.isEmpty() || (HSocket() >= 0 && State() != wsClosed)) {
        TCustomAsyncSocket::Connect();
        return;
    }
    received_ = 0;
    bool tcp = true;
    try {
        tcp = SocketResolveProto(Proto()) == 6;
    } catch (const ESocketError&) {
        // An unusable protocol is reported by Connect itself.
    }
    if (!tcp) {
        RaiseException(QStringLiteral("tcp is the only protocol supported thru socks server"));
        return;
    }
    boundAddr_.clear();
    boundPort_.clear();
    phase_ = Phase::Connecting;
    TCustomAsyncSocket::Connect();
    if (State() != wsConnecting)
        phase_ = Phase::None;
}

void TCustomSocksSocket::Listen()
{
    if (!socksServer_.isEmpty()) {
        RaiseException(QStringLiteral("listening is not supported thru socks server"));
        return;
    }
    TCustomAsyncSocket::Listen();
}

TSocketAddress TCustomSocksSocket::ConnectDestination()
{
    if (phase_ != Phase::Connecting)
        return TCustomAsyncSocket::ConnectDestination();
    // The target is named on the wire by a length byte (level 5) or ends at
    // a NUL (level 4A): refuse what could not be sent as it is.
    if (!IsValidHostText(Addr()) || HostBytes(Addr()).size() > 255)
        throw ESocketError(QStringLiteral("SocketResolveHost: '%1' Invalid Hostname.").arg(PrintableText(Addr())));
    TSocketAddress proxy = SocketResolveHost(socksServer_);
    proxy.port = std::uint16_t(SocketResolvePort(socksPort_, QStringLiteral("tcp")));
    return proxy;
}

void TCustomSocksSocket::ResetAfterClose()
{
    socksServer_.clear();
    socksPort_.clear();
    socksLevel_ = QStringLiteral("5");
    phase_ = Phase::None;
    received_ = 0;
    TCustomAsyncSocket::ResetAfterClose();
}

// --- Events ---------------------------------------------------------------------

void TCustomSocksSocket::TriggerSessionConnected(int error)
{
    if (phase_ != Phase::Connecting) {
        TCustomAsyncSocket::TriggerSessionConnected(error);
        return;
    }
    quint64 generation = Generation();
    if (OnSocksConnected)
        OnSocksConnected(this, error);
    if (generation != Generation() || HSocket() < 0) {
        phase_ = Phase::None;
        return;
    }
    if (error) {
        phase_ = Phase::None;
        TCustomAsyncSocket::TriggerSessionConnected(error);
        return;
    }
    StartHandshake();
}

bool TCustomSocksSocket::TriggerDataAvailable(int error)
{
    if (!SocksHandshaking())
        return TCustomAsyncSocket::TriggerDataAvailable(error);
    ReadReply();
    return true;
}

void TCustomSocksSocket::TriggerDataSent(int error)
{
    // The handshake's own requests are not the user's data.
    if (phase_ == Phase::None)
        TCustomAsyncSocket::TriggerDataSent(error);
}

void TCustomSocksSocket::TriggerSessionClosed(int error)
{
    // The user's own close during the handshake is an ordinary close; the
    // proxy closing or resetting it is a failed handshake.
    bool byPeer = HSocket() >= 0 || error != 0;
    if (!SocksHandshaking() || !byPeer) {
        phase_ = Phase::None;
        TCustomAsyncSocket::TriggerSessionClosed(error);
        return;
    }
    int code = error ? error : kSocksLogicError;
    QString message = error ? QStringLiteral("data receive error") : QStringLiteral("socket logic error");
    if (phase_ == Phase::WaitAuth)
        ReportAuthState(socksAuthFailure);
    phase_ = Phase::None;
    received_ = 0;
    if (OnSocksError)
        OnSocksError(this, code, message);
    TCustomAsyncSocket::TriggerSessionConnected(code);
    TCustomAsyncSocket::TriggerSessionClosed(code);
}

// --- Handshake --------------------------------------------------------------------

void TCustomSocksSocket::StartHandshake()
{
    received_ = 0;
    if (socksLevel_ == u"5") {
        phase_ = Phase::WaitMethod;
        const char method = socksAuthentication_ == socksAuthenticateUsercode ? 2 : 0;
        const char greeting[] = {5, 1, method};
        SendQuietly(greeting, sizeof greeting);
        return;
    }
    // Level 4 names the target by its address, 4A by its name after the user code.
    bool named = socksLevel_ == u"4A";
    std::uint32_t address = 1;
    if (!named) {
        try {
            address = SocketResolveHost(Addr()).ipv4;
        } catch (const ESocketError&) {
            Fail(kSocksCannotResolve, QStringLiteral("can't resolve destination host"));
            return;
        }
    }
    QByteArray request;
    request.append(char(4));
    request.append(char(1));
    AppendPort(request, ResolvedPort());
    for (int shift = 24; shift >= 0; shift -= 8)
        request.append(char((address >> shift) & 0xFF));
    QByteArray usercode = socksUsercode_.toUtf8();
    request.append(usercode.left(usercode.indexOf('\0') < 0 ? usercode.size() : usercode.indexOf('\0')));
    request.append('\0');
    if (named) {
        request.append(HostBytes(Addr()));
        request.append('\0');
    }
    phase_ = Phase::WaitConnect4;
    SendQuietly(request.constData(), int(request.size()));
}

void TCustomSocksSocket::SendConnectRequest5()
{
    QByteArray host = HostBytes(Addr());
    QByteArray request;
    request.append(char(5));
    request.append(char(1));
    request.append(char(0));
    request.append(char(3));
    request.append(char(host.size()));
    request.append(host);
    AppendPort(request, ResolvedPort());
    phase_ = Phase::WaitConnect5;
    received_ = 0;
    SendQuietly(request.constData(), int(request.size()));
}

int TCustomSocksSocket::BytesWanted() const
{
    switch (phase_) {
    case Phase::WaitMethod:
    case Phase::WaitAuth:
        return 2;
    case Phase::WaitConnect4:
        return received_ < 2 ? 2 : 8;
    case Phase::WaitConnect5:
        if (received_ < 2)
            return 2;
        if (received_ < 5)
            return 5;
        return reply_[3] == 1 ? 10 : reply_[3] == 3 ? 7 + reply_[4] : 5;
    default:
        return 0;
    }
}

bool TCustomSocksSocket::ExtraDataWaiting()
{
    return TCustomAsyncSocket::RcvdCount() > 0;
}

void TCustomSocksSocket::ReadReply()
{
    int wanted = BytesWanted();
    if (wanted <= received_ || wanted > int(reply_.size())) {
        Fail(kSocksInternalError, QStringLiteral("internal error"));
        return;
    }
    int n = TCustomAsyncSocket::Receive(reply_.data() + received_, wanted - received_);
    if (n < 0) {
        if (LastError() != kWsaEWOULDBLOCK)
            Fail(LastError(), QStringLiteral("data receive error"));
        return;
    }
    if (n == 0)
        return;  // the proxy closed: the close event reports it
    received_ += n;
    if (received_ < wanted)
        return;
    switch (phase_) {
    case Phase::WaitMethod: MethodReply(); break;
    case Phase::WaitAuth: AuthReply(); break;
    case Phase::WaitConnect5: ConnectReply5(); break;
    case Phase::WaitConnect4: ConnectReply4(); break;
    default: break;
    }
}

void TCustomSocksSocket::MethodReply()
{
    if (reply_[0] != 5) {
        Fail(kSocksVersionError, QStringLiteral("socks version error"));
        return;
    }
    if (reply_[1] != 0 && reply_[1] != 2) {
        Fail(kSocksMethodRefused, QStringLiteral("authentication method not acceptable"));
        return;
    }
    if (ExtraDataWaiting()) {
        Fail(kSocksLogicError, QStringLiteral("too much data available"));
        return;
    }
    if (reply_[1] == 0) {
        SendConnectRequest5();
        return;
    }
    phase_ = Phase::WaitAuth;
    received_ = 0;
    ReportAuthState(socksAuthStart);
    if (phase_ != Phase::WaitAuth)
        return;
    QByteArray user = socksUsercode_.toUtf8();
    QByteArray password = socksPassword_.toUtf8();
    if (user.size() > 255 || password.size() > 255) {
        Fail(kSocksAuthenticationFailed, QStringLiteral("socks authentication failed"));
        return;
    }
    QByteArray request;
    request.append(char(1));
    request.append(char(user.size()));
    request.append(user);
    request.append(char(password.size()));
    request.append(password);
    SendQuietly(request.constData(), int(request.size()));
}

void TCustomSocksSocket::AuthReply()
{
    if (reply_[0] != 1) {
        Fail(kSocksVersionError, QStringLiteral("socks version error"));
        return;
    }
    if (reply_[1] != 0) {
        Fail(kSocksAuthenticationFailed, QStringLiteral("socks authentication failed"));
        return;
    }
    ReportAuthState(socksAuthSuccess);
    if (phase_ != Phase::WaitAuth)
        return;
    if (ExtraDataWaiting()) {
        Fail(kSocksLogicError, QStringLiteral("too much data available"));
        return;
    }
    SendConnectRequest5();
}

void TCustomSocksSocket::ConnectReply5()
{
    if (received_ == 2) {
        if (reply_[0] != 5)
            Fail(kSocksVersionError, QStringLiteral("socks version error"));
        else if (reply_[1] != 0)
            Fail(reply_[1] <= 8 ? kSocksGeneralFailure + reply_[1] - 1 : kSocksUnassignedError,
                 Level5ReplyText(reply_[1]));
        return;
    }
    if (received_ == 5) {
        if (reply_[3] != 1 && reply_[3] != 3)
            Fail(kSocksAddressType, QStringLiteral("address type not supported"));
        return;
    }
    if (reply_[3] == 1) {
        boundAddr_ = QStringLiteral("%1.%2.%3.%4").arg(reply_[4]).arg(reply_[5]).arg(reply_[6]).arg(reply_[7]);
        boundPort_ = QString::number(reply_[8] << 8 | reply_[9]);
    } else {
        int length = reply_[4];
        boundAddr_ = QString::fromLatin1(reinterpret_cast<const char*>(reply_.data()) + 5, length);
        boundPort_ = QString::number(reply_[5 + length] << 8 | reply_[6 + length]);
    }
    Succeed();
}

void TCustomSocksSocket::ConnectReply4()
{
    if (received_ == 2) {
        switch (reply_[1]) {
        case 90: return;
        case 91: Fail(kSocksRequestRejected, QStringLiteral("request rejected or failed")); return;
        case 92: Fail(kSocksConnectionRefused, QStringLiteral("connection refused")); return;
        case 93: Fail(kSocksAuthenticationFailed, QStringLiteral("authentication failed")); return;
        default: Fail(kSocksUnassignedError, QStringLiteral("unassigned error #%1").arg(reply_[1])); return;
        }
    }
    Succeed();
}

void TCustomSocksSocket::Succeed()
{
    phase_ = Phase::None;
    received_ = 0;
    // Bytes that followed the reply are still in the system and reach
    // OnDataAvailable through the receive loop that is running.
    TriggerSessionConnected(0);
}

void TCustomSocksSocket::Fail(int code, const QString& message)
{
    if (phase_ == Phase::WaitAuth)
        ReportAuthState(socksAuthFailure);
    phase_ = Phase::None;
    received_ = 0;
    quint64 generation = Generation();
    if (OnSocksError)
        OnSocksError(this, code, message);
    if (generation != Generation() || HSocket() < 0)
        return;
    TriggerSessionConnected(code);
    if (generation == Generation() && HSocket() >= 0)
        InternalClose(true, code);
}

void TCustomSocksSocket::ReportAuthState(TSocksAuthState state)
{
    if (OnSocksAuthState)
        OnSocksAuthState(this, state);
}

} // namespace vesk
