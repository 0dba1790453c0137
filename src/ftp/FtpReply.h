// Pure helpers of the FTP engine: reading reply lines and the results they
// carry, building PORT arguments, checking command arguments, and the
// statistics line of a transfer. No state, no sockets: tested from tables.
#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <optional>

namespace vesk {

// What one line of the control connection is, given the reply it may
// continue (RFC 959 § 4.2).
enum class TFtpLineKind {
    Text,       // not a reply line, or a line inside a multi-line reply: only traced
    MultiStart, // "ddd-": a multi-line reply begins; lines up to "ddd " belong to it
    Final,      // the line that ends a reply: its code is the reply's code
    Malformed,  // starts with a digit but not with a reply code 100..599
};

struct TFtpLine {
    TFtpLineKind kind = TFtpLineKind::Text;
    int code = 0;  // the reply code for MultiStart and Final, else 0
};

// Classifies `line` (without its line end). `openCode` is the code of the
// multi-line reply in progress, 0 when none: inside one, only a line that
// starts with the same code followed by a blank (or nothing) ends it, so a
// text line that happens to start with digits cannot end the reply early.
// Outside one, a line not starting with a digit is Text, three digits
// (100..599) followed by "-" start a multi-line reply, three digits followed
// by anything but a digit or "-" end a reply, and anything else that starts
// with a digit is Malformed.
TFtpLine ClassifyReplyLine(const QByteArray& line, int openCode);

// The directory a CWD, MKD, PWD or CDUP reply names: the text between the
// first double quote after the code and the next single one, a doubled
// quote standing for one (RFC 959 appendix II). Empty when the reply
// quotes nothing; an unterminated quote runs to the end of the line.
QString QuotedDirectory(const QString& line);

// The number after the code of a SIZE reply ("213 1234"); 0 when there is
// none, when it is negative or when it does not fit in 63 bits.
qint64 SizeFromReply(const QString& line);

// The port of a 227 reply: the fifth and sixth of the six numbers
// h1,h2,h3,h4,p1,p2 that follow the code, inside "(...)" or, for servers
// that leave the parentheses out, starting at the first digit after the
// code (RFC 1123 § 4.1.2.6). nullopt when the six numbers are not all
// there, one is above 255, or the port is 0. The address is never used:
// data connections go to the control connection's peer.
std::optional<int> PortFromPasvReply(const QString& line);

// The argument of a PORT command: "a,b,c,d,hi,lo" for an IPv4 address and
// port in host byte order.
QString PortArgument(std::uint32_t ipv4, std::uint16_t port);

// True when `text` holds CR, LF or NUL: sent on the control connection, it
// would end the command early and start another one.
bool HoldsLineBreak(const QString& text);

// "N bytes received/sent in S seconds" with " (R Bytes/sec)" when the time
// is not 0. Times are milliseconds; a negative time counts as 0.
QString TransferStatistics(qint64 bytes, qint64 elapsedMs);

} // namespace vesk
