// The byte path between a socket's handle and its send queue / receive path.
//
// Every byte a socket sends leaves its send queue through a transport, and
// every byte it receives comes in through one. The plain transport talks to
// the handle directly; an encryption layer (TLS after "AUTH TLS") replaces it
// on an open connection and then sees all traffic, in both directions, while
// the queue, the events and the layers above stay as they are.
#pragma once

namespace vesk {

class TSocketTransport {
public:
    virtual ~TSocketTransport() = default;
    // Writes up to `length` bytes to the stream; returns the count taken (at
    // least 1), or -1 with `error` set to a Winsock number (10035 when
    // nothing can be taken now). `flags` are send flags (MSG_OOB).
    virtual long Write(int handle, const char* data, long length, int flags, int& error) = 0;
    // Reads up to `size` bytes; returns the count, 0 at the end of the
    // stream, or -1 with `error` set (10035 when nothing is there yet).
    virtual long Read(int handle, char* buffer, long size, int& error) = 0;
    // Bytes a Read returns at once (the system's count plus whatever the
    // transport holds); -1 with `error` set when it cannot be asked.
    virtual long Pending(int handle, int& error) = 0;
    // True while a Write that could not go on waits for the peer's bytes
    // rather than for room (a handshake under way): the socket then retries
    // its queue after a read event, not when the handle is writable.
    virtual bool WaitsForRead() const { return false; }
    // Bytes already taken from the handle and ready for Read: the handle's
    // own events do not announce them.
    virtual long Buffered() const { return 0; }
    // An orderly close is about to shut the connection down: a last word of
    // the transport's own (TLS close_notify) goes out now. Never blocks.
    virtual void Close(int handle) { (void)handle; }
};

// send/recv on the handle itself; never raises SIGPIPE.
class TPlainTransport final : public TSocketTransport {
public:
    long Write(int handle, const char* data, long length, int flags, int& error) override;
    long Read(int handle, char* buffer, long size, int& error) override;
    long Pending(int handle, int& error) override;
};

} // namespace vesk
