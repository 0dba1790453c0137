// TLS on a socket's byte path: OpenSSL client connections, certificate
// checks with a fingerprint the user may trust, sessions for resumption.
#include "net/TlsTransport.h"

#include "net/SocketErrors.h"

#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>

#include <QStringList>

#include <arpa/inet.h>
#include <sys/ioctl.h>
#include <sys/socket.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>

namespace vesk {

namespace {

QString OpenSslErrors()
{
    QStringList parts;
    while (unsigned long code = ERR_get_error()) {
        char text[256];
        ERR_error_string_n(code, text, sizeof text);
        // "error:0A000086:SSL routines::certificate verify failed" → the words.
        QString line = QString::fromUtf8(text);
        parts << line.section(u':', 4);
    }
    parts.removeAll(QString());
    parts.removeDuplicates();
    return parts.join(QStringLiteral("; "));
}

QString NameText(const X509_NAME* name)
{
    BIO* out = BIO_new(BIO_s_mem());
    X509_NAME_print_ex(out, name, 0, XN_FLAG_ONELINE & ~ASN1_STRFLGS_ESC_MSB);
    char* data = nullptr;
    long length = BIO_get_mem_data(out, &data);
    QString text = QString::fromUtf8(data, int(length));
    BIO_free(out);
    return text;
}

QString TimeText(const ASN1_TIME* time)
{
    BIO* out = BIO_new(BIO_s_mem());
    ASN1_TIME_print(out, time);
    char* data = nullptr;
    long length = BIO_get_mem_data(out, &data);
    QString text = QString::fromUtf8(data, int(length));
    BIO_free(out);
    return text;
}

TCertificateInfo Describe(X509* certificate)
{
    TCertificateInfo info;
    if (!certificate)
        return info;
    info.subject = NameText(X509_get_subject_name(certificate));
    info.issuer = NameText(X509_get_issuer_name(certificate));
    info.notBefore = TimeText(X509_get0_notBefore(certificate));
    info.notAfter = TimeText(X509_get0_notAfter(certificate));
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (X509_digest(certificate, EVP_sha256(), digest, &length))
        info.sha256 = QString::fromLatin1(QByteArray(reinterpret_cast<const char*>(digest), int(length)).toHex());
    return info;
}

// The connection's byte path for OpenSSL: send and recv on the handle, so
// that a peer that went away never raises SIGPIPE (the socket BIO writes
// with write(2)).
int BioWrite(BIO* bio, const char* data, int length)
{
    BIO_clear_retry_flags(bio);
    ssize_t n;
    do
        n = ::send(int(BIO_get_fd(bio, nullptr)), data, std::size_t(length), MSG_NOSIGNAL);
    while (n < 0 && errno == EINTR);
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
        BIO_set_retry_write(bio);
    return int(n);
}

int BioRead(BIO* bio, char* buffer, int size)
{
    BIO_clear_retry_flags(bio);
    ssize_t n;
    do
        n = ::recv(int(BIO_get_fd(bio, nullptr)), buffer, std::size_t(size), 0);
    while (n < 0 && errno == EINTR);
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
        BIO_set_retry_read(bio);
    return int(n);
}

int BioPuts(BIO* bio, const char* text)
{
    return BioWrite(bio, text, int(std::strlen(text)));
}

const BIO_METHOD* HandleBioMethod()
{
    // Built once from the socket BIO so that its fd handling stays OpenSSL's.
    static BIO_METHOD* method = [] {
        BIO_METHOD* m = BIO_meth_new(BIO_get_new_index() | BIO_TYPE_SOURCE_SINK | BIO_TYPE_DESCRIPTOR,
                                     "vesk socket");
        const BIO_METHOD* base = BIO_s_socket();
        BIO_meth_set_write(m, BioWrite);
        BIO_meth_set_read(m, BioRead);
        BIO_meth_set_puts(m, BioPuts);
        BIO_meth_set_ctrl(m, BIO_meth_get_ctrl(base));
        BIO_meth_set_create(m, BIO_meth_get_create(base));
        BIO_meth_set_destroy(m, BIO_meth_get_destroy(base));
        return m;
    }();
    return method;
}

bool IsAddress(const QByteArray& host)
{
    unsigned char buffer[16];
    return ::inet_pton(AF_INET, host.constData(), buffer) == 1 || ::inet_pton(AF_INET6, host.constData(), buffer) == 1;
}

} // namespace

QString TTlsStatus::Summary() const
{
    QString text = version + QStringLiteral(", ") + cipher;
    if (resumed)
        text += QStringLiteral(", session resumed");
    return text;
}

// --- The context ------------------------------------------------------------------

struct TTlsClientContext::State {
    SSL_CTX* ctx = nullptr;
    QByteArray host;
    QString trusted;  // lower-case hex
    QString setupError;
    SSL_SESSION* session = nullptr;  // the newest one a server gave us
    TCertificateInfo peer;
    bool refused = false;

    ~State()
    {
        if (session)
            SSL_SESSION_free(session);
        if (ctx)
            SSL_CTX_free(ctx);
    }

    // Replaces the whole chain check: OpenSSL's verification first, then the
    // user's trust for a certificate that fails it.
    static int VerifyChain(X509_STORE_CTX* store, void* arg)
    {
        auto* self = static_cast<State*>(arg);
        const int verified = X509_verify_cert(store);
        self->peer = Describe(X509_STORE_CTX_get0_cert(store));
        self->refused = false;
        if (verified == 1)
            return 1;
        const int code = X509_STORE_CTX_get_error(store);
        self->peer.problem = QString::fromUtf8(X509_verify_cert_error_string(code));
        if (!self->trusted.isEmpty() && self->peer.sha256 == self->trusted) {
            // The user accepted this very certificate: the handshake goes on.
            X509_STORE_CTX_set_error(store, X509_V_OK);
            return 1;
        }
        self->refused = true;
        return 0;
    }

    static int NewSession(SSL* ssl, SSL_SESSION* session)
    {
        auto* self = static_cast<State*>(SSL_CTX_get_app_data(SSL_get_SSL_CTX(ssl)));
        if (self->session)
            SSL_SESSION_free(self->session);
        self->session = session;  // the reference is ours now
        return 1;
    }
};

TTlsClientContext::TTlsClientContext(const QString& host, const QString& trustedSha256)
    : state_(std::make_shared<State>())
{
    State& s = *state_;
    s.host = host.toUtf8();
    s.trusted = trustedSha256.toLower();
    s.ctx = SSL_CTX_new(TLS_client_method());
    if (!s.ctx) {
        s.setupError = QStringLiteral("TLS could not be set up: ") + OpenSslErrors();
        return;
    }
    SSL_CTX_set_app_data(s.ctx, &s);
    SSL_CTX_set_min_proto_version(s.ctx, TLS1_2_VERSION);
    // A peer that closes without a TLS goodbye ends the stream as plain
    // sockets do; an FTP transfer is judged by its final reply anyway.
    SSL_CTX_set_options(s.ctx, SSL_OP_IGNORE_UNEXPECTED_EOF);
    SSL_CTX_set_mode(s.ctx, SSL_MODE_ENABLE_PARTIAL_WRITE | SSL_MODE_ACCEPT_MOVING_WRITE_BUFFER);
    // Without system certificates nothing verifies, and every server then
    // needs the user's trust: not an error of the set-up.
    SSL_CTX_set_default_verify_paths(s.ctx);
    SSL_CTX_set_verify(s.ctx, SSL_VERIFY_PEER, nullptr);
    SSL_CTX_set_cert_verify_callback(s.ctx, &State::VerifyChain, &s);
    SSL_CTX_set_session_cache_mode(s.ctx, SSL_SESS_CACHE_CLIENT | SSL_SESS_CACHE_NO_INTERNAL_STORE);
    SSL_CTX_sess_set_new_cb(s.ctx, &State::NewSession);
}

TTlsClientContext::~TTlsClientContext() = default;

bool TTlsClientContext::Valid() const { return state_->ctx != nullptr; }
QString TTlsClientContext::SetupError() const { return state_->setupError; }
TCertificateInfo TTlsClientContext::PeerCertificate() const { return state_->peer; }
bool TTlsClientContext::CertificateRefused() const { return state_->refused; }

bool TTlsClientContext::CertificateChanged() const
{
    return state_->refused && !state_->trusted.isEmpty() && state_->peer.sha256 != state_->trusted;
}

std::unique_ptr<TTlsTransport> TTlsClientContext::NewTransport(bool resume)
{
    return std::unique_ptr<TTlsTransport>(new TTlsTransport(state_, resume));
}

// --- One connection ---------------------------------------------------------------

struct TTlsTransport::Ssl {
    SSL* ssl = nullptr;
    ~Ssl()
    {
        if (ssl)
            SSL_free(ssl);
    }
};

TTlsTransport::TTlsTransport(std::shared_ptr<TTlsClientContext::State> context, bool resume)
    : context_(std::move(context)), status_(std::make_shared<TTlsStatus>()), ssl_(std::make_unique<Ssl>())
{
    TTlsClientContext::State& c = *context_;
    if (!c.ctx)
        return;
    SSL* ssl = SSL_new(c.ctx);
    if (!ssl)
        return;
    ssl_->ssl = ssl;
    SSL_set_connect_state(ssl);
    if (IsAddress(c.host)) {
        X509_VERIFY_PARAM_set1_ip_asc(SSL_get0_param(ssl), c.host.constData());
    } else {
        SSL_set_tlsext_host_name(ssl, c.host.constData());
        SSL_set1_host(ssl, c.host.constData());
    }
    if (resume && c.session)
        SSL_set_session(ssl, c.session);
}

TTlsTransport::~TTlsTransport() = default;

bool TTlsTransport::Start(int handle)
{
    ERR_clear_error();
    if (!ssl_->ssl) {
        Fail(handle, context_->setupError.isEmpty() ? QStringLiteral("TLS could not be set up: ") + OpenSslErrors()
                                                    : context_->setupError);
        return false;
    }
    BIO* bio = BIO_new(HandleBioMethod());
    BIO_set_fd(bio, handle, BIO_NOCLOSE);
    SSL_set_bio(ssl_->ssl, bio, bio);
    int error = 0;
    return Outcome(handle, SSL_do_handshake(ssl_->ssl), error) >= 0 || error == kWsaEWOULDBLOCK;
}

long TTlsTransport::Outcome(int handle, int result, int& error)
{
    SSL* ssl = ssl_->ssl;
    if (!status_->handshakeDone && SSL_is_init_finished(ssl)) {
        status_->handshakeDone = true;
        status_->version = QString::fromLatin1(SSL_get_version(ssl));
        status_->cipher = QString::fromLatin1(SSL_get_cipher_name(ssl));
        status_->resumed = SSL_session_reused(ssl) == 1;
        waitsForRead_ = false;
        if (OnHandshakeDone)
            OnHandshakeDone(*status_);
    }
    if (result > 0) {
        waitsForRead_ = false;
        return result;
    }
    const int kind = SSL_get_error(ssl, result);
    switch (kind) {
    case SSL_ERROR_WANT_READ:
        waitsForRead_ = true;
        error = kWsaEWOULDBLOCK;
        return -1;
    case SSL_ERROR_WANT_WRITE:
        waitsForRead_ = false;
        error = kWsaEWOULDBLOCK;
        return -1;
    case SSL_ERROR_ZERO_RETURN:
        // The peer's goodbye ends the stream; servers wait for ours before
        // they finish the transfer, so it goes at once.
        Close(handle);
        return 0;
    default:
        break;
    }
    QString reason = OpenSslErrors();
    if (context_->refused) {
        const TCertificateInfo& peer = context_->peer;
        reason = context_->trusted.isEmpty() || peer.sha256 == context_->trusted
                     ? QStringLiteral("The server's certificate could not be verified: ") + peer.problem
                     : QStringLiteral("The server's certificate has changed since you trusted it (%1)").arg(peer.problem);
    } else if (reason.isEmpty()) {
        reason = kind == SSL_ERROR_SYSCALL && errno != 0 ? QString::fromLocal8Bit(std::strerror(errno))
                                                         : QStringLiteral("the connection ended during the TLS handshake");
    }
    Fail(handle, reason);
    error = kWsaECONNABORTED;
    return -1;
}

void TTlsTransport::Fail(int handle, const QString& reason)
{
    if (!status_->failed) {
        status_->failed = true;
        status_->error = reason;
    }
    waitsForRead_ = false;
    // The socket learns of it as a close of the connection.
    ::shutdown(handle, SHUT_RDWR);
    Discard(handle);
}

void TTlsTransport::Discard(int handle)
{
    // What the peer sent is nobody's now; left in the system's buffer it
    // would keep the handle readable for ever, and the close would never
    // be seen.
    char sink[4096];
    while (::recv(handle, sink, sizeof sink, MSG_DONTWAIT) > 0) {
    }
}

long TTlsTransport::Write(int handle, const char* data, long length, int, int& error)
{
    if (status_->failed || !ssl_->ssl) {
        error = kWsaECONNABORTED;
        return -1;
    }
    // Records go out one after another until the buffer is taken or the
    // handle is full; what was taken is reported, the rest stays queued.
    long taken = 0;
    while (taken < length) {
        ERR_clear_error();
        const int chunk = int(std::min<long>(length - taken, INT_MAX));
        int innerError = 0;
        const long n = Outcome(handle, SSL_write(ssl_->ssl, data + taken, chunk), innerError);
        if (n <= 0) {
            if (taken > 0 && innerError == kWsaEWOULDBLOCK)
                return taken;
            error = n == 0 ? kWsaECONNRESET : innerError;
            return -1;
        }
        taken += n;
    }
    return taken;
}

long TTlsTransport::Read(int handle, char* buffer, long size, int& error)
{
    if (status_->failed || !ssl_->ssl) {
        error = kWsaECONNABORTED;
        return -1;
    }
    ERR_clear_error();
    return Outcome(handle, SSL_read(ssl_->ssl, buffer, int(std::min<long>(size, INT_MAX))), error);
}

long TTlsTransport::Pending(int handle, int& error)
{
    if (status_->failed) {
        Discard(handle);
        return 0;
    }
    int count = 0;
    if (::ioctl(handle, FIONREAD, &count) < 0) {
        error = WinsockErrorFromErrno(errno);
        return -1;
    }
    return count + Buffered();
}

long TTlsTransport::Buffered() const
{
    return ssl_->ssl ? SSL_pending(ssl_->ssl) : 0;
}

void TTlsTransport::Close(int)
{
    if (ssl_->ssl && status_->handshakeDone && !status_->failed &&
        !(SSL_get_shutdown(ssl_->ssl) & SSL_SENT_SHUTDOWN)) {
        ERR_clear_error();
        SSL_shutdown(ssl_->ssl);  // sends close_notify; the answer is not awaited
    }
}

} // namespace vesk
