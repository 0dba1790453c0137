// Addresses of the socket layer and the blocking resolution functions.
#include "net/SocketAddress.h"

#include "net/SocketErrors.h"

#include <QUrl>

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <cstring>

namespace vesk {

namespace {

bool StartsWithDigit(const QString& text)
{
    return !text.isEmpty() && text[0] >= u'0' && text[0] <= u'9';
}

// Leading blanks skipped, digits read up to the first non-digit; nullopt
// above 65535 so that no number is silently cut to 16 bits.
std::optional<int> LeadingNumber(const QString& text)
{
    qsizetype i = 0;
    while (i < text.size() && text[i] == u' ')
        ++i;
    long value = 0;
    for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
        value = value * 10 + (text[i].unicode() - u'0');
        if (value > 65535)
            return std::nullopt;
    }
    return int(value);
}

// Names handed to the system's service and protocol tables: plain ASCII
// without blanks or controls, so a NUL cannot shorten what is looked up.
bool IsPlainName(const QString& text)
{
    for (QChar c : text)
        if (c.unicode() <= 0x20 || c.unicode() >= 0x7F)
            return false;
    return !text.isEmpty();
}

} // namespace

QString TSocketAddress::ToString() const
{
    return QStringLiteral("%1.%2.%3.%4")
        .arg((ipv4 >> 24) & 0xFF)
        .arg((ipv4 >> 16) & 0xFF)
        .arg((ipv4 >> 8) & 0xFF)
        .arg(ipv4 & 0xFF);
}

void TSocketAddress::ToSockaddr(sockaddr_in& out) const
{
    std::memset(&out, 0, sizeof out);
    out.sin_family = AF_INET;
    out.sin_port = htons(port);
    out.sin_addr.s_addr = htonl(ipv4);
}

std::optional<TSocketAddress> TSocketAddress::FromSockaddr(const sockaddr* address)
{
    if (!address || address->sa_family != AF_INET)
        return std::nullopt;
    sockaddr_in in;
    std::memcpy(&in, address, sizeof in);
    return TSocketAddress{ntohl(in.sin_addr.s_addr), ntohs(in.sin_port)};
}

bool IsValidHostText(const QString& host)
{
    if (host.isEmpty() || host.size() > 256)
        return false;
    for (QChar c : host)
        if (c.unicode() <= 0x20 || c.unicode() == 0x7F)
            return false;
    return true;
}

std::optional<std::uint32_t> ParseDottedAddress(const QString& text)
{
    if (text.isEmpty() || text.size() > 64)
        return std::nullopt;
    // inet_aton stops at the first blank and ignores what follows; only
    // digits, hexadecimal letters and dots may reach it.
    for (QChar c : text)
        if (!(c.isDigit() && c.unicode() < 0x80) && c != u'.' && c != u'x' && c != u'X' &&
            !(c >= u'a' && c <= u'f') && !(c >= u'A' && c <= u'F'))
            return std::nullopt;
    in_addr address;
    if (inet_aton(text.toLatin1().constData(), &address) == 0)
        return std::nullopt;
    return ntohl(address.s_addr);
}

QString PrintableText(const QString& text)
{
    QString out = text;
    for (QChar& c : out)
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            c = u'?';
    return out;
}

TSocketAddress SocketResolveHost(const QString& host)
{
    if (!IsValidHostText(host))
        throw ESocketError(QStringLiteral("SocketResolveHost: '%1' Invalid Hostname.").arg(PrintableText(host)));
    if (StartsWithDigit(host)) {
        if (std::optional<std::uint32_t> address = ParseDottedAddress(host))
            return TSocketAddress{*address, 0};
        throw ESocketError(QStringLiteral("SocketResolveHost: '%1' Invalid IP address.").arg(host));
    }
    // Names beyond ASCII reach the resolver in their ASCII-compatible form.
    QByteArray name = QUrl::toAce(host);
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* result = nullptr;
    if (!name.isEmpty() && getaddrinfo(name.constData(), nullptr, &hints, &result) == 0 && result) {
        std::optional<TSocketAddress> address = TSocketAddress::FromSockaddr(result->ai_addr);
        freeaddrinfo(result);
        if (address)
            return TSocketAddress{address->ipv4, 0};
    } else if (result) {
        freeaddrinfo(result);
    }
    throw ESocketError(QStringLiteral("SocketResolveHost: Cannot convert host address '%1'").arg(host));
}

int SocketResolvePort(const QString& port, const QString& protocol)
{
    if (port.isEmpty() || port.size() >= 32)
        throw ESocketError(QStringLiteral("SocketResolvePort: Invalid Port."));
    if (StartsWithDigit(port)) {
        if (std::optional<int> number = LeadingNumber(port))
            return *number;
        throw ESocketError(QStringLiteral("SocketResolvePort: Invalid Port."));
    }
    if (IsPlainName(port) && IsPlainName(protocol)) {
        servent entry;
        servent* found = nullptr;
        char buffer[4096];
        if (getservbyname_r(port.toLatin1().constData(), protocol.toLatin1().constData(), &entry, buffer,
                            sizeof buffer, &found) == 0 &&
            found)
            return ntohs(std::uint16_t(found->s_port));
    }
    throw ESocketError(QStringLiteral("SocketResolvePort: Cannot convert port '%1'").arg(PrintableText(port)));
}

int SocketResolveProto(const QString& proto)
{
    if (proto.isEmpty() || proto.size() >= 32)
        throw ESocketError(QStringLiteral("SocketResolveProto: Invalid Protocol."));
    if (StartsWithDigit(proto)) {
        if (std::optional<int> number = LeadingNumber(proto))
            return *number;
        throw ESocketError(QStringLiteral("SocketResolveProto: Invalid Protocol."));
    }
    if (IsPlainName(proto)) {
        protoent entry;
        protoent* found = nullptr;
        char buffer[4096];
        if (getprotobyname_r(proto.toLatin1().constData(), &entry, buffer, sizeof buffer, &found) == 0 && found)
            return found->p_proto;
    }
    throw ESocketError(
        QStringLiteral("SocketResolveProto: Cannot convert protocol '%1'").arg(PrintableText(proto)));
}

} // namespace vesk
