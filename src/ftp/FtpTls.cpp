// TCustomFtpEngine's explicit TLS: AUTH TLS and its fall-back, TLS on the
// control connection and on every data connection after PROT P, and what
// the engine tells of certificates and failures.
#include "ftp/FtpEngine.h"

namespace vesk {

bool TCustomFtpEngine::Encrypted() const
{
    return connected_ && controlTls_ && controlTls_->handshakeDone && !controlTls_->failed;
}

TCertificateInfo TCustomFtpEngine::PeerCertificate() const
{
    return tls_ ? tls_->PeerCertificate() : TCertificateInfo();
}

bool TCustomFtpEngine::CertificateRefused() const
{
    return tls_ && tls_->CertificateRefused();
}

bool TCustomFtpEngine::CertificateChanged() const
{
    return tls_ && tls_->CertificateChanged();
}

void TCustomFtpEngine::AuthReply(int code, const QString& line)
{
    statusCode_ = code;
    if (code == 234) {
        if (!StartControlTls())
            return;  // failed, and said why
        result_ = 0;
        EndRequest(0);
        return;
    }
    // Only a server that says it does not know the command may be spoken
    // to in the clear, and only when the user allowed it.
    const bool notOffered = code == 500 || code == 502 || code == 504;
    if (notOffered && encryption_ == ftpTlsIfAvailable) {
        fellBackToPlain_ = true;
        fctSet_ &= ~((1u << ftpFctPbsz) | (1u << ftpFctProt));
        Trace(QStringLiteral("! The server does not offer TLS: the session is plain FTP"));
        result_ = 0;
        EndRequest(0);
        return;
    }
    // A positive answer other than 234 is no TLS either: 534 says so.
    const int result = code < 400 ? 534 : code;
    const QString text = notOffered
                             ? QStringLiteral("%1 The server does not offer TLS, which this site requires (\"%2\")")
                                   .arg(result)
                                   .arg(line)
                             : QStringLiteral("%1 The server refused TLS (\"%2\"); a server without TLS needs plain FTP")
                                   .arg(result)
                                   .arg(line);
    FailRequest(result, text);
}

bool TCustomFtpEngine::AttachTls(TAsyncSocket& socket, bool resume, const QString& which,
                                 std::shared_ptr<const TTlsStatus>& status)
{
    std::unique_ptr<TTlsTransport> transport = tls_->NewTransport(resume);
    transport->OnHandshakeDone = [this, which](const TTlsStatus& done) {
        Trace(QStringLiteral("! TLS on the %1 connection: %2").arg(which, done.Summary()));
    };
    status = transport->Status();
    TTlsTransport* started = transport.get();
    socket.SetTransport(std::move(transport));
    return started->Start(socket.HSocket());
}

bool TCustomFtpEngine::StartControlTls()
{
    // Whatever came before the handshake in the clear is not trusted.
    rcvCnt_ = 0;
    ++controlEpoch_;
    tls_ = std::make_unique<TTlsClientContext>(hostName_, trustedCertificate_);
    if (AttachTls(*control_, false, QStringLiteral("control"), controlTls_))
        return true;
    FailRequest(500, QStringLiteral("500 TLS failed: ") + controlTls_->error);
    control_->Close();
    return false;
}

bool TCustomFtpEngine::StartDataTls()
{
    dataTls_.reset();
    if (!protP_ || !tls_)
        return true;
    if (AttachTls(*data_, true, QStringLiteral("data"), dataTls_))
        return true;
    FailRequest(426, QStringLiteral("426 TLS on the data connection failed: ") + dataTls_->error);
    return false;
}

QString TCustomFtpEngine::DataTlsProblem() const
{
    if (!protP_)
        return {};
    if (!dataTls_)
        return QStringLiteral("the data connection was not protected");
    if (dataTls_->failed)
        return dataTls_->error;
    if (!dataTls_->handshakeDone)
        return QStringLiteral("the data connection ended before its TLS handshake");
    return {};
}

QString TCustomFtpEngine::ControlTlsProblem() const
{
    if (!controlTls_)
        return {};
    if (controlTls_->failed)
        return controlTls_->error;
    if (!controlTls_->handshakeDone)
        return QStringLiteral("the connection ended during the TLS handshake");
    return {};
}

} // namespace vesk
