// TLS on a socket's byte path: the client side of a TLS connection, made by
// OpenSSL on the connection's own handle, for explicit FTP over TLS.
//
// A TTlsClientContext is made per server session: it holds the host the
// certificate must name, the fingerprint the user chose to trust (if any),
// the TLS session the data connections resume, and what was learnt of the
// server's certificate. Each connection gets a TTlsTransport from it and
// gives it to its socket (TCustomAsyncSocket::SetTransport); from then on
// every byte in both directions passes through TLS.
//
// The handshake runs inside the transport's reads and writes: Start sends
// the first message, the socket's read events carry the rest, and bytes the
// layers above send meanwhile wait in the socket's queue until the
// handshake has succeeded. So nothing the application sends (a password)
// ever leaves before the server's certificate has been accepted. A failed
// handshake, or any TLS failure later, shuts the connection down: the
// socket then reports its close, and the status says why.
//
// Certificates are checked against the system's store (OpenSSL's default
// locations: SSL_CERT_FILE and SSL_CERT_DIR work as for every OpenSSL
// program) with the host name or address checked. One that does not
// verify is accepted only when its SHA-256 fingerprint is the trusted one.
// When a stored fingerprint is there and the server shows a different
// certificate that does not verify either, the refusal says the
// certificate has changed.
#pragma once

#include "net/SocketTransport.h"

#include <QString>

#include <functional>
#include <memory>

namespace vesk {

// What is shown to the user about a server's certificate.
struct TCertificateInfo {
    QString subject;
    QString issuer;
    QString notBefore;  // as OpenSSL prints it ("Jan  2 03:04:05 2026 GMT")
    QString notAfter;
    QString sha256;     // lower-case hexadecimal, no colons
    // Why it does not verify ("self-signed certificate", …); empty when it did.
    QString problem;
};

// What became of one connection's TLS; shared between the transport and
// whoever wants to report on it, and kept after the connection is gone.
struct TTlsStatus {
    bool handshakeDone = false;
    bool failed = false;
    QString version;  // "TLSv1.3"
    QString cipher;   // "TLS_AES_256_GCM_SHA384"
    bool resumed = false;
    // The reason of a failure, in words ("certificate verify failed: …").
    QString error;
    // "TLSv1.3, TLS_AES_256_GCM_SHA384, session resumed"
    QString Summary() const;
};

class TTlsTransport;

class TTlsClientContext {
public:
    // `host` is what the certificate must name (a name or an IPv4/IPv6
    // address); `trustedSha256` a fingerprint as 64 hexadecimal digits
    // without colons (any case); empty trusts none.
    TTlsClientContext(const QString& host, const QString& trustedSha256);
    ~TTlsClientContext();
    TTlsClientContext(const TTlsClientContext&) = delete;
    TTlsClientContext& operator=(const TTlsClientContext&) = delete;

    // False (with the reason in SetupError) when OpenSSL could not be set up.
    bool Valid() const;
    QString SetupError() const;

    // A new connection's transport. With `resume` it offers the session of
    // the last connection that made one (data connections resume the control
    // connection's session, which servers may require).
    std::unique_ptr<TTlsTransport> NewTransport(bool resume);

    // The server certificate the last full handshake was shown, whether
    // accepted or refused; empty before one.
    TCertificateInfo PeerCertificate() const;
    // True when the last handshake failed because the certificate was not
    // accepted: the user may then be asked whether to trust it.
    bool CertificateRefused() const;
    // True when the refused certificate differs from the trusted fingerprint.
    bool CertificateChanged() const;

    struct State;

private:
    std::shared_ptr<State> state_;
};

class TTlsTransport final : public TSocketTransport {
public:
    ~TTlsTransport() override;

    // Begins the handshake on `handle` (a connected stream); false when
    // even the first message could not go (the status says why).
    bool Start(int handle);
    std::shared_ptr<const TTlsStatus> Status() const { return status_; }
    // Called once, from inside a read or write, when the handshake succeeds.
    std::function<void(const TTlsStatus&)> OnHandshakeDone;

    long Write(int handle, const char* data, long length, int flags, int& error) override;
    long Read(int handle, char* buffer, long size, int& error) override;
    long Pending(int handle, int& error) override;
    bool WaitsForRead() const override { return waitsForRead_; }
    long Buffered() const override;
    void Close(int handle) override;

private:
    friend class TTlsClientContext;
    TTlsTransport(std::shared_ptr<TTlsClientContext::State> context, bool resume);
    // After every OpenSSL call: notes a finished handshake, maps what the
    // call returned to a count or an error. `result` is the call's return.
    long Outcome(int handle, int result, int& error);
    void Fail(int handle, const QString& reason);
    static void Discard(int handle);

    std::shared_ptr<TTlsClientContext::State> context_;
    std::shared_ptr<TTlsStatus> status_;
    struct Ssl;
    std::unique_ptr<Ssl> ssl_;
    bool waitsForRead_ = false;
};

} // namespace vesk
