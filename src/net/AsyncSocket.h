// The asynchronous socket proper: one non-blocking TCP or UDP socket whose
// connection, data, drained output, incoming connections, look-ups and
// closing are reported as events on the thread that created it.
//
// Every operation returns at once. Readiness comes from socket notifiers and
// posted events delivered to a small QObject of the socket's own (its "window",
// a QObject named "AsyncSocketWindowClass"); the socket must be
// used on the thread that created it, and that thread must run an event loop
// or pump events (ProcessMessages, the waits).
//
// Failures of calls are reported through OnError when it is assigned (the
// call then returns as documented), otherwise raised as ESocketError.
// An exception that escapes an event handler is caught at the window:
// OnBgException decides whether the socket is then aborted.
//
// A handler may close, abort or reconnect its socket; it must not destroy it
// (destroy it later, from outside its own events).
#pragma once

#include "net/SocketAddress.h"
#include "net/SocketBuffer.h"
#include "net/SocketErrors.h"
#include "net/SocketTransport.h"

#include <QEvent>
#include <QString>
#include <QStringList>

#include <exception>
#include <functional>
#include <memory>
#include <optional>

class QSocketNotifier;

namespace vesk {

enum TSocketState { wsInvalidState, wsOpened, wsBound, wsConnecting, wsConnected, wsAccepting, wsListening, wsClosed };
enum TSocketLingerOnOff { wsLingerOff, wsLingerOn, wsLingerNoSet };
enum TSocketSendFlags { wsSendNormal, wsSendUrgent };

// Event bits of a socket message.
inline constexpr int kFdRead = 0x01;
inline constexpr int kFdWrite = 0x02;
inline constexpr int kFdAccept = 0x08;
inline constexpr int kFdConnect = 0x10;
inline constexpr int kFdClose = 0x20;

// The messages of a socket's window.
inline constexpr QEvent::Type kWmSocketEvent = QEvent::Type(QEvent::User + 1);    // event bits for a handle
inline constexpr QEvent::Type kWmHostLookupDone = QEvent::Type(QEvent::User + 2);  // DnsLookup answered
inline constexpr QEvent::Type kWmReverseLookupDone = QEvent::Type(QEvent::User + 3);
inline constexpr QEvent::Type kWmRedeliverData = QEvent::Type(QEvent::User + 20);  // buffered line data

class TCustomAsyncSocket;
using TSocketErrorEvent = std::function<void(TCustomAsyncSocket* sender, int error)>;
using TSocketChangeStateEvent =
    std::function<void(TCustomAsyncSocket* sender, TSocketState oldState, TSocketState newState)>;
using TSocketNotifyEvent = std::function<void(TCustomAsyncSocket* sender)>;
using TSocketBgExceptionEvent =
    std::function<void(TCustomAsyncSocket* sender, const std::exception& e, bool& canClose)>;

class TCustomAsyncSocket {
public:
    TCustomAsyncSocket();
    virtual ~TCustomAsyncSocket();
    TCustomAsyncSocket(const TCustomAsyncSocket&) = delete;
    TCustomAsyncSocket& operator=(const TCustomAsyncSocket&) = delete;

    // --- Settings. Addr, Port, Proto and LocalPort change only while the
    // socket is closed ("Cannot change Addr if not closed", …). A new value
    // is stored without surrounding blanks; a non-empty one counts as
    // assigned and not yet resolved. Setting an assigned Addr, Port or Proto
    // to the text it holds does nothing, even while open. Every close makes
    // Addr, Port and Proto unassigned again (texts kept, Proto "tcp").
    QString Addr() const { return addr_; }
    void SetAddr(const QString& value);
    QString Port() const { return port_; }
    void SetPort(const QString& value);
    // A protocol that resolves to 17 gives a datagram (UDP) socket, any other a stream.
    QString Proto() const { return proto_; }
    void SetProto(const QString& value);
    // Local port bound before connecting; "0" leaves it to the system. Listen
    // and a datagram Connect store the bound port here.
    QString LocalPort() const { return localPort_; }
    void SetLocalPort(const QString& value);
    TSocketLingerOnOff LingerOnOff() const { return lingerOnOff_; }
    void SetLingerOnOff(TSocketLingerOnOff value) { lingerOnOff_ = value; }
    int LingerTimeout() const { return lingerTimeout_; }  // seconds
    void SetLingerTimeout(int seconds) { lingerTimeout_ = seconds; }
    TSocketSendFlags SendFlags() const { return sendFlags_; }
    // Values other than wsSendNormal and wsSendUrgent are refused with "Invalid SendFlags".
    void SetSendFlags(TSocketSendFlags value);
    // Which pump the socket's waits use: its own loop (a quit request then
    // sets Terminated()) or the application's event processing.
    bool MultiThreaded() const { return multiThreaded_; }
    void SetMultiThreaded(bool value) { multiThreaded_ = value; }
    // Block size of the send queue (kSocketSendBlockSize at first; 0 or less
    // means 1514). Takes effect for blocks created afterwards.
    int BufSize() const { return sendQueue_.BlockSize(); }
    void SetBufSize(int size) { sendQueue_.SetBlockSize(size > 0 ? size : kDefaultSocketBufSize); }

    // --- State.
    TSocketState State() const { return state_; }
    int LastError() const { return lastError_; }
    // Bytes received since the connection was made.
    qint64 ReadCount() const { return readCount_; }
    // Bytes that Receive can return at once; -1 when closed.
    virtual long RcvdCount();
    QString PeerAddr() { return GetPeerAddr(); }
    QString PeerPort() { return GetPeerPort(); }
    QString DnsResult() const { return dnsResult_; }
    QStringList DnsResultList() const { return dnsResultList_; }
    // The handle, -1 when closed. For socket options the layer does not offer.
    int HSocket() const { return fd_; }
    // Set by a quit request seen while MultiThreaded pumping ran; never cleared.
    bool Terminated() const { return terminated_; }
    // Sockets alive in the process.
    static int LiveSocketCount();

    // --- Operations.
    // Resolves what is not yet resolved and starts connecting to Addr:Port
    // (stream: wsConnecting, then the connect event; datagram: wsConnected
    // and OnSessionConnected(0) before returning). Refused with "Connect:
    // Socket already in use", "Connect: No Port Specified", "Connect: No IP
    // Address Specified", "Connect: No Protocol Specified"; a resolution
    // failure gives "connect: " + its text. When a later setup step fails
    // the new handle is closed again without a close event.
    virtual void Connect();
    // Binds to Addr:Port and listens (stream, backlog 5) or receives
    // datagrams (wsConnected at once). "listen: port not assigned" (and
    // protocol, address) with LastError 10022; a failed bind closes the handle.
    virtual void Listen();
    // Takes one pending connection of a listening socket and returns its
    // handle, owned by the caller (give it to Dup, or close it); -1 when
    // refused ("not a listening socket", 10022) or failing.
    int Accept();
    // Adopts an accepted handle as this socket's connection (wsConnected);
    // an open handle of this socket is closed first, without a close event.
    // 0 and -1 are refused ("Dup", 10022).
    void Dup(int handle);
    // Queues the bytes and starts sending; returns `length`, or -1 when the
    // socket is not connected ("Send", 10057; the socket is left as it is).
    // OnDataSent follows once the queue is empty.
    int Send(const void* data, int length);
    int SendStr(const QByteArray& bytes) { return Send(bytes.constData(), int(bytes.size())); }
    int SendStr(const QString& text) { return SendStr(text.toUtf8()); }
    int SendStr(const char* text) { return SendStr(QByteArray(text)); }
    // Reads up to `size` bytes: the count, 0 at the end of the stream, -1
    // on failure with LastError set (10035 when nothing waits).
    virtual int Receive(void* buffer, int size);
    // Every byte that can be read at once.
    QByteArray ReceiveStr();
    // Asynchronous look-ups ended by OnDnsLookupDone. A dotted address is
    // answered before DnsLookup returns. An empty name, one longer than 256
    // characters, or one holding NULs, blanks or controls is refused with
    // "DNS lookup: invalid host name." and OnDnsLookupDone(10022) follows
    // from the event loop. A look-up still running is cancelled first.
    void DnsLookup(const QString& host);
    // The name of a dotted address: DnsResult and DnsResultList hold it.
    void ReverseDnsLookup(const QString& address);
    // Cancels a running look-up; OnDnsLookupDone(10004) unless destroying.
    void CancelDnsLookup();
    // Orderly close (sending shut down first); nothing when already closed.
    // Reports OnSessionClosed(0) unless the close was already reported.
    void Close();
    // Hard close: cancels a look-up, drops queued data, closes without
    // shutting down (errors ignored).
    void Abort();
    // shutdown(2) on the handle: 0 receiving, 1 sending, 2 both; a shut
    // receive side is then reported as the peer's close. Shutting the
    // sending side lets the transport say its goodbye first (TLS close_notify).
    int ShutDown(int how);
    // Sends and pumps events until the queue is empty, the connection is
    // gone or a quit request is seen.
    void Flush();
    // Stops and restarts the socket's events; Resume reports data that waits.
    void Pause();
    void Resume();
    std::optional<TSocketAddress> GetSockName();
    // The peer's dotted address and port, "error" when there is none.
    QString GetPeerAddr();
    QString GetPeerPort();
    // Runs the events waiting for this thread once; true when a quit request
    // has been seen (see MultiThreaded).
    bool ProcessMessages();
    // Applies LingerOnOff and LingerTimeout to the open handle.
    void SetLingerOption();
    // The byte path of the connection; replaced on an open connection by an
    // encryption layer. Every close returns to the plain transport.
    void SetTransport(std::unique_ptr<TSocketTransport> transport);

    // --- Events (sender first). Errors are 0 or a Winsock number.
    TSocketErrorEvent OnDataAvailable;
    TSocketErrorEvent OnDataSent;
    TSocketErrorEvent OnSessionClosed;
    TSocketErrorEvent OnSessionAvailable;
    TSocketErrorEvent OnSessionConnected;
    TSocketErrorEvent OnDnsLookupDone;
    TSocketChangeStateEvent OnChangeState;
    TSocketNotifyEvent OnError;
    TSocketBgExceptionEvent OnBgException;

protected:
    // Hooks of the layers above; each calls the one below to pass on.
    virtual void TriggerSessionConnected(int error);
    // One round of the receive loop: the handler, or without one a read that
    // discards up to 1024 bytes. False ends the loop.
    virtual bool TriggerDataAvailable(int error);
    virtual void TriggerDataSent(int error);
    // Fires OnSessionClosed; called at most once per connection.
    virtual void TriggerSessionClosed(int error);
    // The address Connect opens: Addr:Port, resolved. May throw ESocketError,
    // which Connect reports as "connect: " + its text.
    virtual TSocketAddress ConnectDestination();
    // Clears per-connection state after every close (see Close).
    virtual void ResetAfterClose();
    // Window messages the socket proper does not handle (kWmRedeliverData).
    virtual void HandleMessage(QEvent* event);
    void PostMessage(QEvent::Type type);

    // Send for a layer's own protocol bytes: queued and sent the same way,
    // but no write event is posted when they go out at once, so the user
    // hears nothing of them.
    int SendQuietly(const void* data, int length) { return QueueAndSend(data, length, false); }

    // Reports a refused call: OnError when assigned, else ESocketError.
    void RaiseException(const QString& message);
    // Reports a failing call as "Error <code> in function <function>…" with
    // LastError := code; 10054 and 10057 first close the handle (wsClosed,
    // no close event).
    void SocketError(const QString& function, int code);
    // The close used by Close (orderly: sending is shut down first) and
    // Abort; `error` goes to OnSessionClosed.
    void InternalClose(bool orderly, int error);
    void SetState(TSocketState state);
    bool Destroying() const { return destroying_; }
    // Increases with every handle the socket opens or adopts, so that events
    // of an earlier connection are recognised.
    quint64 Generation() const { return generation_; }
    int ResolvedPort() const { return portNumber_; }
    // Counts as a read of the application: the receive loop goes on, and
    // a read event that waited for one is armed again.
    void NoteReadAttempt();
    bool ProtoIsTcp() const;
    void SetLastError(int code) { lastError_ = code; }
    // Pumps with the socket's pump; waitMs > 0 sleeps until an event or
    // waitMs. True when a quit request has been seen.
    bool Pump(int waitMs);

private:
    class Window;
    friend class Window;

    int QueueAndSend(const void* data, int length, bool notify);
    void WindowProc(QEvent* event);
    void HandleBackgroundException(const std::exception& e);
    void OnReadReady();
    void OnWriteReady();
    void SocketEvent(quint64 generation, int events, int error);
    void ReceiveLoop(int error);
    void TryToSend();
    // After a read event: the send queue goes on when it waited for the peer.
    void RetrySendAfterRead();
    // Posts a read event when the transport holds bytes the handle's
    // notifier cannot announce.
    void PostBufferedRead();
    void ReportSessionClosed(int error);
    void LookupDone(quint64 id, int error, const QStringList& answers);
    void StartLookup(const QString& query, bool reverse);
    // Closes the handle without reporting (a failed setup, a reset seen by a
    // failing call) and sets wsClosed.
    void DropHandle();
    void AdoptHandle(int fd);
    void UpdateNotifiers();
    bool BindLocal();
    void ResolveForOpen();
    void SetAssigned(QString& field, bool& assigned, bool& resolved, const QString& value, const char* name);
    void ShutDownLingering();

    std::unique_ptr<Window> window_;
    QSocketNotifier* readNotifier_ = nullptr;
    QSocketNotifier* writeNotifier_ = nullptr;
    std::unique_ptr<TSocketTransport> transport_;

    QString addr_, port_, proto_ = QStringLiteral("tcp"), localPort_ = QStringLiteral("0");
    bool addrAssigned_ = false, portAssigned_ = false, protoAssigned_ = true;
    bool addrResolved_ = false, portResolved_ = false, protoResolved_ = false, localPortResolved_ = false;
    TSocketAddress remote_;
    int portNumber_ = 0;
    int localPortNumber_ = 0;
    int protoNumber_ = 6;
    int socketType_ = 1;  // SOCK_STREAM
    TSocketLingerOnOff lingerOnOff_ = wsLingerOn;
    int lingerTimeout_ = 0;
    TSocketSendFlags sendFlags_ = wsSendNormal;
    bool multiThreaded_ = false;

    int fd_ = -1;
    quint64 generation_ = 0;
    TSocketState state_ = wsClosed;
    int lastError_ = 0;
    qint64 readCount_ = 0;
    TSendQueue sendQueue_;
    bool allSent_ = true;
    bool paused_ = false;
    bool closeReported_ = false;
    bool destroying_ = false;
    bool closing_ = false;
    bool terminated_ = false;
    bool sendShut_ = false;
    // Events are re-armed the way the classic socket API re-arms them: a
    // read event after a Receive, an accept event after an Accept, a write
    // event only after a send found no room.
    bool readArmed_ = true;
    bool acceptArmed_ = true;
    bool writeWanted_ = false;
    bool sendAwaitsRead_ = false;  // the transport's Write waits for the peer's bytes
    quint64 receiveCalls_ = 0;

    quint64 dnsPending_ = 0;
    QString dnsResult_;
    QStringList dnsResultList_;
};

} // namespace vesk
