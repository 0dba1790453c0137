// The asynchronous socket proper: events, sending, receiving, look-ups and
// the socket's pump.
#include "net/AsyncSocket.h"

#include "net/HostLookup.h"
#include "net/SocketPump.h"
#include "net/SocketWindow.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <netinet/in.h>
#include <sys/socket.h>

#include <cerrno>

namespace vesk {

namespace {

// One notification runs the data handler at most this often; a peer that
// never stops sending cannot hold the thread, the notifier fires again for
// the rest.
constexpr int kMaxReceiveRounds = 256;

} // namespace

// --- Messages -----------------------------------------------------------------

void TCustomAsyncSocket::WindowProc(QEvent* event)
{
    switch (int(event->type())) {
    case kWmSocketEvent: {
        auto* message = static_cast<TSocketMessage*>(event);
        SocketEvent(message->generation, message->events, message->error);
        break;
    }
    case kWmHostLookupDone:
    case kWmReverseLookupDone: {
        auto* answer = static_cast<THostLookupEvent*>(event);
        LookupDone(answer->id, answer->error, answer->answers);
        break;
    }
    default:
        HandleMessage(event);
        break;
    }
}

void TCustomAsyncSocket::HandleMessage(QEvent*) {}

void TCustomAsyncSocket::PostMessage(QEvent::Type type)
{
    QCoreApplication::postEvent(window_.get(), new QEvent(type));
}

void TCustomAsyncSocket::OnReadReady()
{
    if (fd_ < 0 || paused_)
        return;
    quint64 generation = generation_;
    if (state_ == wsListening && socketType_ == SOCK_STREAM) {
        // Like the classic accept event: once, until Accept is called.
        acceptArmed_ = false;
        UpdateNotifiers();
        SocketEvent(generation, kFdAccept, 0);
        return;
    }
    if (socketType_ == SOCK_DGRAM) {
        SocketEvent(generation, kFdRead, 0);
        return;
    }
    int error = 0;
    if (transport_->Pending(fd_, error) > 0) {
        SocketEvent(generation, kFdRead, 0);
        return;
    }
    // Readable with nothing to read: the peer closed (0) or reset the
    // connection, or the wake-up was spurious.
    char byte;
    ssize_t n;
    do
        n = ::recv(fd_, &byte, 1, MSG_PEEK);
    while (n < 0 && errno == EINTR);
    if (n > 0)
        SocketEvent(generation, kFdRead, 0);
    else if (n == 0)
        SocketEvent(generation, kFdClose, 0);
    else if (errno != EAGAIN && errno != EWOULDBLOCK)
        SocketEvent(generation, kFdClose, WinsockErrorFromErrno(errno));
}

void TCustomAsyncSocket::OnWriteReady()
{
    if (fd_ < 0 || paused_)
        return;
    if (state_ == wsConnecting) {
        int soError = 0;
        socklen_t length = sizeof soError;
        if (::getsockopt(fd_, SOL_SOCKET, SO_ERROR, &soError, &length) != 0)
            soError = errno;
        int error = WinsockErrorFromErrno(soError);
        // A new connection is writable at once: its first write event
        // comes with the connect event.
        SocketEvent(generation_, error ? kFdConnect : kFdConnect | kFdWrite, error);
        return;
    }
    SocketEvent(generation_, kFdWrite, 0);
}

void TCustomAsyncSocket::SocketEvent(quint64 generation, int events, int error)
{
    // An event of an earlier connection, or one that a handler's close made
    // stale, is dropped.
    auto stale = [&] { return generation != generation_ || fd_ < 0; };
    if (stale() || paused_)
        return;
    if (events & kFdConnect) {
        readArmed_ = error == 0;
        SetState(wsConnected);
        TriggerSessionConnected(error);
        if (error && !stale())
            InternalClose(false, error);
        if (stale())
            return;
    }
    if (events & kFdRead) {
        // Bytes queued while the transport waited for the peer (a TLS
        // handshake) go on with what has come in.
        RetrySendAfterRead();
        if (stale())
            return;
        ReceiveLoop(error);
        if (stale())
            return;
        RetrySendAfterRead();
        if (stale())
            return;
    }
    if (events & kFdWrite) {
        TryToSend();
        if (stale())
            return;
        if (allSent_)
            TriggerDataSent(error);
        if (stale())
            return;
    }
    if (events & kFdAccept) {
        if (OnSessionAvailable)
            OnSessionAvailable(this, error);
        if (stale())
            return;
    }
    if ((events & kFdClose) && state_ != wsConnecting) {
        ReceiveLoop(0);
        if (stale())
            return;
        ReportSessionClosed(error);
        if (!stale() && state_ != wsClosed)
            InternalClose(true, error);
    }
}

// --- Receiving ------------------------------------------------------------------

void TCustomAsyncSocket::ReceiveLoop(int error)
{
    quint64 generation = generation_;
    for (int round = 0;; ++round) {
        lastError_ = 0;
        quint64 calls = receiveCalls_;
        bool more = TriggerDataAvailable(error);
        if (!more || lastError_ != 0 || generation != generation_ || fd_ < 0)
            return;
        if (receiveCalls_ == calls) {
            // The handler left the data where it is: no further read event
            // until it calls Receive, or this loop would never end.
            readArmed_ = false;
            UpdateNotifiers();
            return;
        }
        int queryError = 0;
        if (transport_->Pending(fd_, queryError) <= 0)
            return;
        if (round + 1 >= kMaxReceiveRounds) {
            PostBufferedRead();
            return;
        }
    }
}

void TCustomAsyncSocket::PostBufferedRead()
{
    // The handle says nothing of bytes the transport already holds.
    if (fd_ >= 0 && readArmed_ && transport_->Buffered() > 0)
        QCoreApplication::postEvent(window_.get(), new TSocketMessage(generation_, kFdRead, 0));
}

void TCustomAsyncSocket::RetrySendAfterRead()
{
    if (!sendAwaitsRead_)
        return;
    sendAwaitsRead_ = false;
    TryToSend();
    if (allSent_ && fd_ >= 0)
        TriggerDataSent(0);
}

bool TCustomAsyncSocket::TriggerDataAvailable(int error)
{
    if (OnDataAvailable) {
        OnDataAvailable(this, error);
        return true;
    }
    char discard[1024];
    if (Receive(discard, sizeof discard) < 0) {
        if (lastError_ == kWsaEWOULDBLOCK)
            lastError_ = 0;
        return false;
    }
    return true;
}

void TCustomAsyncSocket::NoteReadAttempt()
{
    ++receiveCalls_;
    if (!readArmed_) {
        readArmed_ = true;
        UpdateNotifiers();
        PostBufferedRead();
    }
}

int TCustomAsyncSocket::Receive(void* buffer, int size)
{
    NoteReadAttempt();
    if (fd_ < 0) {
        lastError_ = kWsaENOTSOCK;
        return -1;
    }
    if (size <= 0)
        return 0;
    int error = 0;
    long n;
    if (socketType_ == SOCK_DGRAM) {
        do
            n = ::recv(fd_, buffer, std::size_t(size), 0);
        while (n < 0 && errno == EINTR);
        if (n < 0)
            error = WinsockErrorFromErrno(errno);
    } else {
        n = transport_->Read(fd_, static_cast<char*>(buffer), size, error);
    }
    if (n < 0) {
        lastError_ = error;
        return -1;
    }
    readCount_ += n;
    return int(n);
}

QByteArray TCustomAsyncSocket::ReceiveStr()
{
    long count = RcvdCount();
    QByteArray bytes;
    if (count <= 0) {
        NoteReadAttempt();
        return bytes;
    }
    bytes.resize(qsizetype(count));
    int n = Receive(bytes.data(), int(count));
    bytes.resize(n > 0 ? n : 0);
    return bytes;
}

long TCustomAsyncSocket::RcvdCount()
{
    if (fd_ < 0)
        return -1;
    int error = 0;
    long n = transport_->Pending(fd_, error);
    if (n < 0)
        lastError_ = error;
    return n;
}

// --- Sending ------------------------------------------------------------------

int TCustomAsyncSocket::Send(const void* data, int length)
{
    return QueueAndSend(data, length, true);
}

int TCustomAsyncSocket::QueueAndSend(const void* data, int length, bool notify)
{
    if (state_ != wsConnected || fd_ < 0) {
        // A refusal of this call only: a connection being made stays.
        lastError_ = kWsaENOTCONN;
        RaiseException(SocketErrorReport(QStringLiteral("Send"), kWsaENOTCONN));
        return -1;
    }
    if (length <= 0)
        return 0;
    sendQueue_.Append(static_cast<const char*>(data), length);
    allSent_ = false;
    quint64 generation = generation_;
    TryToSend();
    if (notify && allSent_ && generation == generation_ && fd_ >= 0)
        QCoreApplication::postEvent(window_.get(), new TSocketMessage(generation_, kFdWrite, 0));
    return length;
}

void TCustomAsyncSocket::TryToSend()
{
    if (fd_ < 0)
        return;
    const int flags = sendFlags_ == wsSendUrgent ? MSG_OOB : 0;
    for (;;) {
        std::span<const char> block = sendQueue_.Front();
        if (block.empty()) {
            allSent_ = true;
            writeWanted_ = false;
            UpdateNotifiers();
            return;
        }
        long n;
        int error = 0;
        if (socketType_ == SOCK_DGRAM) {
            sockaddr_in to;
            remote_.ToSockaddr(to);
            do
                n = ::sendto(fd_, block.data(), block.size(), flags | MSG_NOSIGNAL, reinterpret_cast<sockaddr*>(&to),
                             sizeof to);
            while (n < 0 && errno == EINTR);
            if (n < 0)
                error = WinsockErrorFromErrno(errno);
        } else {
            n = transport_->Write(fd_, block.data(), long(block.size()), flags, error);
        }
        if (n > 0) {
            sendQueue_.Consume(int(n));
            if (std::size_t(n) == block.size())
                continue;
            // The system took part of it: the rest waits for room.
            writeWanted_ = true;
            UpdateNotifiers();
            return;
        }
        // After our own shutdown the system says "broken pipe" too; only the
        // peer's close is a reset.
        if (error == kWsaECONNRESET && sendShut_)
            error = kWsaESHUTDOWN;
        switch (error) {
        case kWsaEWOULDBLOCK:
            sendAwaitsRead_ = transport_->WaitsForRead();
            writeWanted_ = !sendAwaitsRead_;
            UpdateNotifiers();
            return;
        case kWsaEINVAL:
        case kWsaENOTSOCK:
        case kWsaECONNABORTED:
        case kWsaECONNRESET:
        case kWsaENOTCONN:
            InternalClose(false, error);
            return;
        default:
            lastError_ = error;
            RaiseException(SocketErrorReport(QStringLiteral("TryToSend failed"), error));
            return;
        }
    }
}

void TCustomAsyncSocket::TriggerDataSent(int error)
{
    if (OnDataSent)
        OnDataSent(this, error);
}

void TCustomAsyncSocket::TriggerSessionConnected(int error)
{
    if (OnSessionConnected)
        OnSessionConnected(this, error);
}

void TCustomAsyncSocket::TriggerSessionClosed(int error)
{
    if (OnSessionClosed)
        OnSessionClosed(this, error);
}

void TCustomAsyncSocket::Flush()
{
    while (fd_ >= 0 && !allSent_) {
        TryToSend();
        if (fd_ < 0 || allSent_)
            break;
        if (Pump(50))
            break;
    }
}

void TCustomAsyncSocket::Pause()
{
    paused_ = true;
    UpdateNotifiers();
}

void TCustomAsyncSocket::Resume()
{
    paused_ = false;
    // Write events that came while paused were dropped; one follows now, as
    // when events are requested again on a connection that can send.
    if (state_ == wsConnected)
        writeWanted_ = true;
    UpdateNotifiers();
}

bool TCustomAsyncSocket::ProcessMessages()
{
    return Pump(0);
}

bool TCustomAsyncSocket::Pump(int waitMs)
{
    if (multiThreaded_) {
        TQuitWatch watch(&terminated_);
        PumpEvents(waitMs);
        return terminated_;
    }
    return PumpEvents(waitMs);
}

// --- Look-ups ----------------------------------------------------------------------

void TCustomAsyncSocket::DnsLookup(const QString& host)
{
    if (!IsValidHostText(host)) {
        quint64 id = NextHostLookupId();
        CancelDnsLookup();
        dnsPending_ = id;
        QCoreApplication::postEvent(window_.get(), new THostLookupEvent(kWmHostLookupDone, id, kWsaEINVAL, {}));
        lastError_ = kWsaEINVAL;
        RaiseException(QStringLiteral("DNS lookup: invalid host name."));
        return;
    }
    StartLookup(host, false);
}

void TCustomAsyncSocket::ReverseDnsLookup(const QString& address)
{
    if (!ParseDottedAddress(address)) {
        quint64 id = NextHostLookupId();
        CancelDnsLookup();
        dnsPending_ = id;
        QCoreApplication::postEvent(window_.get(),
                                    new THostLookupEvent(kWmReverseLookupDone, id, kWsaEINVAL, {}));
        lastError_ = kWsaEINVAL;
        RaiseException(QStringLiteral("Reverse DNS lookup: invalid address."));
        return;
    }
    StartLookup(address, true);
}

void TCustomAsyncSocket::StartLookup(const QString& query, bool reverse)
{
    CancelDnsLookup();
    dnsResult_.clear();
    dnsResultList_.clear();
    if (!reverse) {
        if (std::optional<std::uint32_t> address = ParseDottedAddress(query)) {
            dnsResult_ = TSocketAddress{*address, 0}.ToString();
            dnsResultList_ << dnsResult_;
            if (OnDnsLookupDone)
                OnDnsLookupDone(this, 0);
            return;
        }
    }
    int error = 0;
    QString normalised = reverse ? TSocketAddress{*ParseDottedAddress(query), 0}.ToString() : query;
    quint64 id = StartHostLookup(window_.get(), reverse ? kWmReverseLookupDone : kWmHostLookupDone, normalised,
                                 reverse, error);
    if (id == 0) {
        lastError_ = error;
        RaiseException(QStringLiteral("%1: can't start DNS lookup, error #%2").arg(query).arg(error));
        return;
    }
    dnsPending_ = id;
}

void TCustomAsyncSocket::LookupDone(quint64 id, int error, const QStringList& answers)
{
    if (id != dnsPending_ || id == 0)
        return;
    dnsPending_ = 0;
    if (error == 0) {
        dnsResultList_ = answers;
        dnsResult_ = answers.value(0);
    }
    if (OnDnsLookupDone)
        OnDnsLookupDone(this, error);
}

void TCustomAsyncSocket::CancelDnsLookup()
{
    if (dnsPending_ == 0)
        return;
    CancelHostLookup(dnsPending_);
    dnsPending_ = 0;
    if (!destroying_ && OnDnsLookupDone)
        OnDnsLookupDone(this, kWsaEINTR);
}

} // namespace vesk
