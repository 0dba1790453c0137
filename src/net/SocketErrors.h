// Socket error numbers, their texts, and the exception of the socket layer.
//
// The socket layer reports every failure with the classic Winsock error
// numbers (10035 "would block", 10061 "connection refused", 11001 "host not
// found", …), whatever the operating system said, so callers and users see
// the same numbers and texts on every platform. System errno values and
// resolver results are mapped here.
#pragma once

#include <QString>
#include <stdexcept>

namespace vesk {

// The numbers the layer itself uses by name.
inline constexpr int kWsaEINTR = 10004;
inline constexpr int kWsaEBADF = 10009;
inline constexpr int kWsaEINVAL = 10022;
inline constexpr int kWsaEWOULDBLOCK = 10035;
inline constexpr int kWsaENOTSOCK = 10038;
inline constexpr int kWsaECONNABORTED = 10053;
inline constexpr int kWsaECONNRESET = 10054;
inline constexpr int kWsaENOTCONN = 10057;
inline constexpr int kWsaESHUTDOWN = 10058;
inline constexpr int kWsaETIMEDOUT = 10060;
inline constexpr int kWsaECONNREFUSED = 10061;
inline constexpr int kWsaNOTINITIALISED = 10093;
inline constexpr int kWsaHOST_NOT_FOUND = 11001;
inline constexpr int kWsaTRY_AGAIN = 11002;
inline constexpr int kWsaNO_RECOVERY = 11003;
inline constexpr int kWsaNO_DATA = 11004;
// A synchronous wait that timed out or was ended by a quit request.
inline constexpr int kSocketWaitTimeout = 12001;

// The text of an error number; "Not a WinSock error" for numbers outside the table.
QString SocketErrorDesc(int code);

// The Winsock number for a system errno value (0 gives 0). EAGAIN and
// EWOULDBLOCK give 10035, EPIPE gives 10054 (the peer is gone); values
// without a counterpart give 10022.
int WinsockErrorFromErrno(int err);

// The Winsock number for a getaddrinfo/getnameinfo result (0 gives 0):
// unknown names 11001, temporary failures 11002, permanent ones 11003,
// names without addresses 11004; EAI_SYSTEM maps `systemErrno`.
int WinsockErrorFromResolver(int gaiError, int systemErrno);

// The report of a failing call: "Error <code> in function <function>\r\n" +
// SocketErrorDesc(code).
QString SocketErrorReport(const QString& function, int code);

// Raised by the socket layer for refused calls and failing system calls when
// no OnError handler takes the report; what() is the report in UTF-8.
class ESocketError : public std::runtime_error {
public:
    explicit ESocketError(const QString& message);
    QString Message() const { return QString::fromUtf8(what()); }
};

} // namespace vesk
