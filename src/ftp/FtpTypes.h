// The enumerations and the exception of the FTP client.
#pragma once

#include <QFlags>
#include <QString>

#include <stdexcept>

namespace vesk {

// What the client is doing. States are named after what they wait for.
enum TFtpState {
    ftpNotConnected,     // the control connection has just closed
    ftpReady,            // no request runs
    ftpInternalReady,    // between two steps of a sequence
    ftpDnsLookup,        // resolving HostName
    ftpConnected,        // greeting accepted, no request pending
    ftpAbort,            // Abort in progress
    ftpWaitingBanner,    // connecting, then waiting for the 220 greeting
    ftpWaitingResponse,  // a command was sent, its reply has not ended yet
};

// The request that OnRequestDone reports.
enum TFtpRequest {
    ftpReqNone = 0,
    ftpReqOpen = 1,
    ftpReqUser = 2,
    ftpReqPass = 3,
    ftpReqChangeDir = 4,
    ftpReqConnect = 5,
    ftpReqReceive = 6,
    ftpReqList = 7,
    ftpReqNameList = 8,
    ftpReqPort = 9,
    ftpReqGet = 10,
    ftpReqListSession = 11,
    ftpReqNameListSession = 12,
    ftpReqSystemSession = 13,
    ftpReqSystem = 14,
    ftpReqQuit = 15,
    ftpReqSize = 16,
    ftpReqPut = 17,
    ftpReqAppend = 18,
    ftpReqMakeDir = 21,
    ftpReqRemoveDir = 22,
    ftpReqRenameSession = 23,
    ftpReqDelete = 24,
    ftpReqRename = 25,
    ftpReqRenameTo = 26,
    ftpReqRenameFrom = 27,
    ftpReqDeleteSession = 28,
    ftpReqMakeDirSession = 29,
    ftpReqRemoveDirSession = 30,
    ftpReqPrintDir = 31,
    ftpReqQuote = 32,
    ftpReqParentDir = 33,
    ftpReqQuoteSession = 34,
    ftpReqTransmit = 35,
    ftpReqType = 36,
    ftpReqRest = 37,
    ftpReqResumeGet = 38,
    ftpReqResumeSession = 39,
    ftpReqAuth = 40,  // AUTH TLS and the TLS handshake
    ftpReqPbsz = 41,
    ftpReqProt = 42,
};

// Whether a session is encrypted (explicit TLS: AUTH TLS, PBSZ 0, PROT P).
enum TFtpEncryption {
    ftpTlsIfAvailable = 0,  // TLS unless the server says it has none (500, 502, 504)
    ftpTlsRequired = 1,     // TLS or no session
    ftpTlsNone = 2,         // plain FTP
};

// How local files are shared while a transfer holds them (see FtpLocalFile.h).
enum TFtpShareMode { ftpShareCompat, ftpShareExclusive, ftpShareDenyWrite, ftpShareDenyRead, ftpShareDenyNone };

enum TFtpOption {
    ftpAcceptLF = 0x1,  // a reply line ends at LF; without it only at CR LF
};
Q_DECLARE_FLAGS(TFtpOptions, TFtpOption)
Q_DECLARE_OPERATORS_FOR_FLAGS(TFtpOptions)

// Refused calls of the FTP client; what() is the text in UTF-8.
class EFtpError : public std::runtime_error {
public:
    explicit EFtpError(const QString& message) : std::runtime_error(message.toStdString()) {}
    QString Message() const { return QString::fromUtf8(what()); }
};

} // namespace vesk
